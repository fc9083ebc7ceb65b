#include "platform/gfx/Jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
// libjpeg's header wants the standard types declared first.
#include <jerror.h>
#include <jpeglib.h>

namespace {

// libjpeg reports fatal errors through error_exit, which must not return:
// it jumps back to the call that set the buffer, where an exception is raised
// once libjpeg's frames are gone.
struct TJpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  bool exhausted = false;
};

void ErrorExit(j_common_ptr info) {
  auto* error = reinterpret_cast<TJpegError*>(info->err);
  (*info->err->format_message)(info, error->message);
  std::longjmp(error->jump, 1);
}

void SilentMessage(j_common_ptr) {}

// Past the end of its data libjpeg makes up the rest of the picture, row by
// row: a short file that claims a huge picture would keep it busy for
// seconds. Running out is noted, so that the reading stops there.
void NoteMessage(j_common_ptr info, int level) {
  if (level < 0) {
    ++info->err->num_warnings;
    if (info->err->msg_code == JWRN_JPEG_EOF)
      reinterpret_cast<TJpegError*>(info->err)->exhausted = true;
  }
}

void InstallErrors(jpeg_error_mgr* manager) {
  jpeg_std_error(manager);
  manager->error_exit = ErrorExit;
  manager->output_message = SilentMessage;
  manager->emit_message = NoteMessage;
}

// Decodes into a 24-bit bitmap; false with the message on a fault.
bool DecodeJpeg(const std::vector<uint8_t>& data, const TJPEGImage& image, TBitmap& out,
                std::string& message) {
  jpeg_decompress_struct info;
  TJpegError error;
  info.err = &error.manager;
  InstallErrors(&error.manager);
  std::vector<uint8_t> row;
  // Destroys the decoder on every way out, a C++ exception from the bitmap
  // (a picture too large to make) included.
  struct TDestroy {
    jpeg_decompress_struct* info;
    volatile bool created = false; // set after the setjmp, read after a longjmp
    ~TDestroy() {
      if (created)
        jpeg_destroy_decompress(info);
    }
  } destroy{&info};
  if (setjmp(error.jump) != 0) {
    message = error.message;
    return false;
  }
  jpeg_create_decompress(&info);
  destroy.created = true;
  jpeg_mem_src(&info, data.data(), static_cast<unsigned long>(data.size()));
  jpeg_read_header(&info, TRUE);
  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = cmyk ? JCS_CMYK : image.Grayscale ? JCS_GRAYSCALE : JCS_RGB;
  info.scale_num = 1;
  info.scale_denom = 1u << image.Scale;
  if (image.Performance == jpBestSpeed) {
    info.dct_method = JDCT_IFAST;
    info.do_fancy_upsampling = FALSE;
  }
  // A file of several scans is read whole here, and what it lacks is
  // already known: its rows are all made. A picture whose coefficients would
  // take more than this is refused rather than swapped out.
  info.mem->max_memory_to_use = 256L << 20;
  jpeg_start_decompress(&info);
  error.exhausted = false;
  const int w = static_cast<int>(info.output_width), h = static_cast<int>(info.output_height);
  const int channels = info.output_components;
  row.resize(static_cast<size_t>(w) * static_cast<size_t>(channels));
  out.SetPixelFormat(pf24bit);
  out.SetSize(w, h);
  // Rows that the data does not reach stay white.
  while (info.output_scanline < info.output_height && !error.exhausted) {
    const int y = static_cast<int>(info.output_scanline);
    JSAMPROW rows[1] = {row.data()};
    jpeg_read_scanlines(&info, rows, 1);
    auto* dest = static_cast<uint8_t*>(out.ScanLine(y));
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = row.data() + static_cast<ptrdiff_t>(x) * channels;
      uint8_t r, g, b;
      if (channels == 1) {
        r = g = b = p[0];
      } else if (cmyk) {
        // Stored inverted, as the usual writers of CMYK files do.
        r = static_cast<uint8_t>(p[0] * p[3] / 255);
        g = static_cast<uint8_t>(p[1] * p[3] / 255);
        b = static_cast<uint8_t>(p[2] * p[3] / 255);
      } else {
        r = p[0], g = p[1], b = p[2];
      }
      dest[3 * x] = b, dest[3 * x + 1] = g, dest[3 * x + 2] = r;
    }
  }
  if (error.exhausted)
    jpeg_abort_decompress(&info);
  else
    jpeg_finish_decompress(&info);
  return true;
}

bool EncodeJpeg(TBitmap& source, const TJPEGImage& image, std::vector<uint8_t>& out,
                std::string& message) {
  jpeg_compress_struct info;
  TJpegError error;
  info.err = &error.manager;
  InstallErrors(&error.manager);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  std::vector<uint8_t> row;
  if (setjmp(error.jump) != 0) {
    jpeg_destroy_compress(&info);
    std::free(buffer);
    message = error.message;
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(source.Width());
  info.image_height = static_cast<JDIMENSION>(source.Height());
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, std::clamp(image.CompressionQuality, 1, 100), TRUE);
  if (image.Grayscale)
    jpeg_set_colorspace(&info, JCS_GRAYSCALE);
  if (image.ProgressiveEncoding)
    jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  row.resize(static_cast<size_t>(source.Width()) * 3);
  HDC dc = source.Canvas()->Handle();
  while (info.next_scanline < info.image_height) {
    const int y = static_cast<int>(info.next_scanline);
    for (int x = 0; x < source.Width(); ++x) {
      const COLORREF c = GetPixel(dc, x, y);
      row[3 * x] = GetRValue(c), row[3 * x + 1] = GetGValue(c), row[3 * x + 2] = GetBValue(c);
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  out.assign(buffer, buffer + size);
  std::free(buffer);
  return true;
}

} // namespace

void TJPEGImage::Decode() const {
  if (bitmap || data.empty())
    return;
  auto decoded = std::make_unique<TBitmap>();
  std::string message;
  if (!DecodeJpeg(data, *this, *decoded, message))
    throw EJPEG("JPEG error: " + message);
  bitmap = std::move(decoded);
}

int TJPEGImage::GetWidth() const {
  return bitmap ? bitmap->Width() : width;
}

int TJPEGImage::GetHeight() const {
  return bitmap ? bitmap->Height() : height;
}

TBitmap* TJPEGImage::Bitmap() {
  Decode();
  if (!bitmap)
    bitmap = std::make_unique<TBitmap>();
  return bitmap.get();
}

void TJPEGImage::LoadFromStream(TStream* Stream) {
  const int64_t left = Stream->Size() - Stream->Position();
  std::vector<uint8_t> bytes(static_cast<size_t>(std::max<int64_t>(left, 0)));
  Stream->ReadBuffer(bytes.data(), static_cast<int>(bytes.size()));
  std::vector<uint8_t> previous = std::move(data);
  std::unique_ptr<TBitmap> previousBitmap = std::move(bitmap);
  data = std::move(bytes);
  try {
    Decode();
    // An empty stream decodes to nothing: no picture, an error as for any
    // stream that holds no JPEG.
    if (!bitmap)
      throw EJPEG("JPEG error: no picture data");
  } catch (...) {
    data = std::move(previous);
    bitmap = std::move(previousBitmap);
    throw;
  }
  width = bitmap->Width();
  height = bitmap->Height();
  Changed(this);
}

void TJPEGImage::JPEGNeeded() {
  if (data.empty() && bitmap && !bitmap->Empty())
    Compress();
}

void TJPEGImage::Compress() {
  if (!bitmap || bitmap->Empty())
    return;
  std::string message;
  std::vector<uint8_t> out;
  if (!EncodeJpeg(*bitmap, *this, out, message))
    throw EJPEG("JPEG error: " + message);
  data = std::move(out);
}

void TJPEGImage::SaveToStream(TStream* Stream) {
  JPEGNeeded();
  Stream->WriteBuffer(data.data(), static_cast<int>(data.size()));
}

void TJPEGImage::ReadData(TStream* Stream) {
  uint8_t sizeBytes[4];
  Stream->ReadBuffer(sizeBytes, 4);
  const uint32_t size = uint32_t{sizeBytes[0]} | (uint32_t{sizeBytes[1]} << 8) |
                        (uint32_t{sizeBytes[2]} << 16) | (uint32_t{sizeBytes[3]} << 24);
  if (size > Stream->Size() - Stream->Position())
    throw EJPEG("JPEG error: stored data is cut short");
  TMemoryStream image;
  image.CopyFrom(Stream, size);
  image.SetPosition(0);
  LoadFromStream(&image);
}

void TJPEGImage::WriteData(TStream* Stream) {
  JPEGNeeded();
  const uint32_t size = static_cast<uint32_t>(data.size());
  const uint8_t sizeBytes[4] = {static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8),
                                static_cast<uint8_t>(size >> 16), static_cast<uint8_t>(size >> 24)};
  Stream->WriteBuffer(sizeBytes, 4);
  Stream->WriteBuffer(data.data(), static_cast<int>(size));
}

void TJPEGImage::Assign(const TPersistent* Source) {
  if (Source == this)
    return;
  if (const auto* other = dynamic_cast<const TJPEGImage*>(Source)) {
    data = other->data;
    bitmap.reset();
    if (other->bitmap && other->data.empty()) {
      bitmap = std::make_unique<TBitmap>();
      bitmap->Assign(other->bitmap.get());
    }
    width = other->GetWidth();
    height = other->GetHeight();
    CompressionQuality = other->CompressionQuality;
    Grayscale = other->Grayscale;
    ProgressiveEncoding = other->ProgressiveEncoding;
    Performance = other->Performance;
    Scale = other->Scale;
    PixelFormat = other->PixelFormat;
    Changed(this);
    return;
  }
  if (const auto* source = dynamic_cast<const TBitmap*>(Source)) {
    data.clear();
    bitmap = std::make_unique<TBitmap>();
    bitmap->Assign(source);
    width = bitmap->Width();
    height = bitmap->Height();
    Changed(this);
    return;
  }
  TGraphic::Assign(Source);
}

void TJPEGImage::AssignTo(TPersistent* Dest) const {
  if (auto* target = dynamic_cast<TBitmap*>(Dest)) {
    Decode();
    target->Assign(bitmap.get());
    return;
  }
  TGraphic::AssignTo(Dest);
}

void TJPEGImage::Draw(TCanvas* Canvas, const TRect& Rect) {
  if (Empty())
    return;
  Bitmap()->Draw(Canvas, Rect);
}
