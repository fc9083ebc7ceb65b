// GIF decoding and encoding by our picture class next to the reference
// library's public calls, on the same files in one run: large, animated,
// interlaced and small images made here from fixed patterns (and any GIF
// files given on the command line), and the save of many one-pixel frames.
// Prints, per kind, the best of several rounds and our time over theirs.
// Then the load of a file against the reference library's own file read,
// with the same pictures from memory beside it.
#include "gif/Gifimage.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gif_lib.h>

namespace {

using TClock = std::chrono::steady_clock;

// A fixed pseudo-random sequence, so that every run codes the same pixels.
class TRandom {
public:
  uint32_t Next() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }

private:
  uint32_t state = 12345;
};

// Smooth bands, a noisy patch and thin stripes: runs the coder finds in its
// table and pixels it does not.
uint8_t PatternPixel(int X, int Y, int Frame, int Colors, TRandom& Random) {
  const int band = ((X + Frame * 7) / 6 + Y / 9) % Colors;
  if ((X / 40 + Y / 40 + Frame) % 5 == 0)
    return static_cast<uint8_t>(Random.Next() % static_cast<uint32_t>(Colors));
  if ((Y + Frame) % 17 < 2)
    return static_cast<uint8_t>((X / 3) % Colors);
  return static_cast<uint8_t>(band);
}

struct TFrameSpec {
  int Width;
  int Height;
  bool Interlaced;
};

std::string MakeGif(int Width, int Height, int Colors, const std::vector<TFrameSpec>& Frames,
                    TRandom& Random) {
  TGIFImage image;
  image.Header()->Width = static_cast<uint16_t>(Width);
  image.Header()->Height = static_cast<uint16_t>(Height);
  for (int i = 0; i < Colors; ++i)
    image.GlobalColorMap()->Add(
        static_cast<TColor>((i * 37 % 256) | ((i * 91 % 256) << 8) | ((255 - i) << 16)));
  for (size_t f = 0; f < Frames.size(); ++f) {
    auto* frame = new TGIFSubImage(&image);
    image.Add(frame);
    if (Frames.size() > 1) {
      auto* control = new TGIFGraphicControlExtension(frame);
      frame->Extensions()->Add(control);
      control->SetDelay(5);
    }
    frame->SetBounds(3, Frames[f].Width);
    frame->SetBounds(4, Frames[f].Height);
    frame->SetInterlaced(Frames[f].Interlaced);
    for (int y = 0; y < Frames[f].Height; ++y) {
      uint8_t* row = frame->GetScanline(y);
      for (int x = 0; x < Frames[f].Width; ++x)
        row[x] = PatternPixel(x, y, static_cast<int>(f), Colors, Random);
    }
  }
  TMemoryStream stream;
  image.SaveToStream(&stream);
  return std::string(reinterpret_cast<const char*>(stream.Memory()),
                     static_cast<size_t>(stream.Size()));
}

struct TKind {
  std::string Name;
  std::vector<std::string> Files;
};

std::vector<TKind> MadeKinds() {
  TRandom random;
  std::vector<TKind> kinds;
  kinds.push_back({"large",
                   {MakeGif(1920, 1080, 256, {{1920, 1080, false}}, random),
                    MakeGif(1600, 1200, 64, {{1600, 1200, false}}, random)}});
  std::vector<TFrameSpec> frames(60, TFrameSpec{320, 240, false});
  kinds.push_back({"animated", {MakeGif(320, 240, 128, frames, random)}});
  kinds.push_back({"interlaced",
                   {MakeGif(1024, 768, 256, {{1024, 768, true}}, random),
                    MakeGif(800, 600, 32, {{800, 600, true}}, random)}});
  TKind small{"small", {}};
  for (int i = 0; i < 200; ++i) {
    const int side = 8 + i % 41;
    small.Files.push_back(MakeGif(side, side, 4 << (i % 7), {{side, side, false}}, random));
  }
  kinds.push_back(small);
  return kinds;
}

// The processor time of the calling thread, in seconds: other programs on a
// busy machine do not count.
double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The best of several rounds of each, the two taking turns so that both
// meet the same conditions.
std::pair<double, double> BestOfBoth(const std::function<void()>& Ours,
                                     const std::function<void()>& Theirs) {
  double ours = 1e30;
  double theirs = 1e30;
  const auto start = TClock::now();
  for (int round = 0; round < 30; ++round) {
    double begin = ThreadSeconds();
    Ours();
    ours = std::min(ours, ThreadSeconds() - begin);
    begin = ThreadSeconds();
    Theirs();
    theirs = std::min(theirs, ThreadSeconds() - begin);
    if (round >= 5 && TClock::now() - start > std::chrono::seconds(3))
      break;
  }
  return {ours, theirs};
}

// ---------------------------------------------------------------------------
// The reference library, through memory

struct TReader {
  const std::string* Bytes;
  size_t At = 0;
};

int ReadMemory(GifFileType* File, GifByteType* Buffer, int Count) {
  auto* reader = static_cast<TReader*>(File->UserData);
  const size_t n = std::min(static_cast<size_t>(Count), reader->Bytes->size() - reader->At);
  std::memcpy(Buffer, reader->Bytes->data() + reader->At, n);
  reader->At += n;
  return static_cast<int>(n);
}

int WriteMemory(GifFileType* File, const GifByteType* Buffer, int Count) {
  static_cast<std::string*>(File->UserData)
      ->append(reinterpret_cast<const char*>(Buffer), static_cast<size_t>(Count));
  return Count;
}

GifFileType* TheirDecode(const std::string& Bytes, TReader& Reader) {
  Reader = TReader{&Bytes};
  int error = 0;
  GifFileType* file = DGifOpen(&Reader, &ReadMemory, &error);
  if (file == nullptr || DGifSlurp(file) != GIF_OK) {
    std::fprintf(stderr, "the reference library refused a file\n");
    std::exit(1);
  }
  return file;
}

void Close(GifFileType* File) {
  int error = 0;
  DGifCloseFile(File, &error);
}

// Writes what the reference library read, frame by frame and row by row (an
// interlaced frame's rows in the order the file holds them).
size_t TheirEncode(const GifFileType* Source) {
  std::string out;
  int error = 0;
  GifFileType* file = EGifOpen(&out, &WriteMemory, &error);
  EGifSetGifVersion(file, true);
  EGifPutScreenDesc(file, Source->SWidth, Source->SHeight, Source->SColorResolution,
                    Source->SBackGroundColor, Source->SColorMap);
  for (int i = 0; i < Source->ImageCount; ++i) {
    const SavedImage& frame = Source->SavedImages[i];
    for (int e = 0; e < frame.ExtensionBlockCount; ++e)
      EGifPutExtension(file, frame.ExtensionBlocks[e].Function, frame.ExtensionBlocks[e].ByteCount,
                       frame.ExtensionBlocks[e].Bytes);
    const GifImageDesc& d = frame.ImageDesc;
    EGifPutImageDesc(file, d.Left, d.Top, d.Width, d.Height, d.Interlace, d.ColorMap);
    static constexpr int starts[4] = {0, 4, 2, 1};
    static constexpr int steps[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < (d.Interlace ? 4 : 1); ++pass)
      for (int y = d.Interlace ? starts[pass] : 0; y < d.Height; y += d.Interlace ? steps[pass] : 1)
        EGifPutLine(file, frame.RasterBits + static_cast<size_t>(y) * d.Width, d.Width);
  }
  EGifCloseFile(file, &error);
  return out.size();
}

// ---------------------------------------------------------------------------
// Ours

std::unique_ptr<TMemoryStream> StreamOf(const std::string& Bytes) {
  auto stream = std::make_unique<TMemoryStream>();
  stream->WriteBuffer(Bytes.data(), static_cast<int>(Bytes.size()));
  return stream;
}

// From a stream made beforehand, as the reference library reads from memory.
void OurDecode(TMemoryStream& Stream, TGIFImage& Image) {
  Stream.SetPosition(0);
  Image.LoadFromStream(&Stream);
}

size_t OurEncode(TGIFImage& Image) {
  TMemoryStream stream;
  Image.SaveToStream(&stream);
  return static_cast<size_t>(stream.Size());
}

void Report(const std::string& Kind, const char* What, double Ours, double Theirs, size_t OurBytes,
            size_t TheirBytes) {
  std::printf("%-11s %-7s ours %9.3f ms  reference %9.3f ms  ratio %.2fx", Kind.c_str(), What,
              Ours * 1e3, Theirs * 1e3, Ours / Theirs);
  if (OurBytes > 0)
    std::printf("  bytes %zu / %zu", OurBytes, TheirBytes);
  std::printf("\n");
}

void Compare(const TKind& Kind) {
  std::vector<std::unique_ptr<TMemoryStream>> streams;
  for (const std::string& bytes : Kind.Files)
    streams.push_back(StreamOf(bytes));
  const auto [ourDecode, theirDecode] = BestOfBoth(
      [&] {
        for (auto& stream : streams) {
          TGIFImage image;
          OurDecode(*stream, image);
        }
      },
      [&] {
        for (const std::string& bytes : Kind.Files) {
          TReader reader;
          Close(TheirDecode(bytes, reader));
        }
      });
  Report(Kind.Name, "decode", ourDecode, theirDecode, 0, 0);

  std::vector<std::unique_ptr<TGIFImage>> ours;
  std::vector<GifFileType*> theirs;
  std::vector<TReader> readers(Kind.Files.size());
  for (size_t i = 0; i < Kind.Files.size(); ++i) {
    ours.push_back(std::make_unique<TGIFImage>());
    OurDecode(*streams[i], *ours.back());
    theirs.push_back(TheirDecode(Kind.Files[i], readers[i]));
  }
  size_t ourBytes = 0;
  size_t theirBytes = 0;
  const auto [ourEncode, theirEncode] = BestOfBoth(
      [&] {
        ourBytes = 0;
        for (auto& image : ours)
          ourBytes += OurEncode(*image);
      },
      [&] {
        theirBytes = 0;
        for (GifFileType* file : theirs)
          theirBytes += TheirEncode(file);
      });
  Report(Kind.Name, "encode", ourEncode, theirEncode, ourBytes, theirBytes);
  for (GifFileType* file : theirs)
    Close(file);
}

// Many frames without a table of their own: the save takes time in
// proportion to their number.
void ManyFrames() {
  for (int count : {10000, 40000}) {
    TGIFImage image;
    image.Header()->Width = 2;
    image.Header()->Height = 2;
    image.GlobalColorMap()->Add(clBlack);
    image.GlobalColorMap()->Add(clWhite);
    for (int i = 0; i < count; ++i) {
      auto* frame = new TGIFSubImage(&image);
      image.Add(frame);
      frame->SetBounds(3, 1);
      frame->SetBounds(4, 1);
    }
    const auto start = TClock::now();
    OurEncode(image);
    std::printf("save of %d one-pixel frames: %.3f s\n", count,
                std::chrono::duration<double>(TClock::now() - start).count());
  }
}

// ---------------------------------------------------------------------------
// Reading from files

// A screen recorded while someone types and scrolls: one full screen, then
// the patches that changed, mostly background with glyph-like strokes.
std::string MakeScreenRecording(TRandom& Random) {
  constexpr int kWidth = 1024;
  constexpr int kHeight = 768;
  TGIFImage image;
  image.Header()->Width = kWidth;
  image.Header()->Height = kHeight;
  for (int i = 0; i < 64; ++i)
    image.GlobalColorMap()->Add(static_cast<TColor>((i * 4) | ((i * 3) << 8) | ((i * 2) << 16)));
  for (int f = 0; f < 474; ++f) {
    const bool full = f == 0;
    const int width = full ? kWidth : 80 + static_cast<int>(Random.Next() % 420);
    const int height = full ? kHeight : 16 + static_cast<int>(Random.Next() % 200);
    auto* frame = new TGIFSubImage(&image);
    image.Add(frame);
    auto* control = new TGIFGraphicControlExtension(frame);
    frame->Extensions()->Add(control);
    control->SetDelay(4);
    frame->SetBounds(1, full ? 0 : static_cast<int>(Random.Next() % (kWidth - width)));
    frame->SetBounds(2, full ? 0 : static_cast<int>(Random.Next() % (kHeight - height)));
    frame->SetBounds(3, width);
    frame->SetBounds(4, height);
    const uint8_t background = static_cast<uint8_t>(60 + f % 3);
    for (int y = 0; y < height; ++y) {
      uint8_t* row = frame->GetScanline(y);
      for (int x = 0; x < width; ++x) {
        const bool stroke = y % 14 < 10 && x % 8 < 6 && Random.Next() % 2 == 0;
        row[x] = stroke ? static_cast<uint8_t>(Random.Next() % 12) : background;
      }
    }
  }
  TMemoryStream stream;
  image.SaveToStream(&stream);
  return std::string(reinterpret_cast<const char*>(stream.Memory()),
                     static_cast<size_t>(stream.Size()));
}

struct TFileKind {
  std::string Name;
  std::string Bytes;
};

std::vector<TFileKind> FileKinds() {
  TRandom random;
  std::vector<TFileKind> kinds;
  kinds.push_back({"animation",
                   MakeGif(160, 120, 256, std::vector<TFrameSpec>(50, {160, 120, false}), random)});
  kinds.push_back(
      {"one-pixel", MakeGif(1, 1, 2, std::vector<TFrameSpec>(10000, {1, 1, false}), random)});
  kinds.push_back({"recording", MakeScreenRecording(random)});
  return kinds;
}

// The picture class's load of a file against the reference library opening
// the file by name, then both from memory.
void CompareFileRead(const TFileKind& Kind) {
  const std::string path =
      (std::filesystem::temp_directory_path() / ("gif_bench_" + Kind.Name + ".gif")).string();
  std::ofstream(path, std::ios::binary)
      .write(Kind.Bytes.data(), static_cast<std::streamsize>(Kind.Bytes.size()));
  const auto [ourFile, theirFile] = BestOfBoth(
      [&] {
        TGIFImage image;
        image.LoadFromFile(path);
      },
      [&] {
        int error = 0;
        GifFileType* file = DGifOpenFileName(path.c_str(), &error);
        if (file == nullptr || DGifSlurp(file) != GIF_OK) {
          std::fprintf(stderr, "the reference library refused %s\n", path.c_str());
          std::exit(1);
        }
        Close(file);
      });
  auto stream = StreamOf(Kind.Bytes);
  const auto [ourMemory, theirMemory] = BestOfBoth(
      [&] {
        TGIFImage image;
        OurDecode(*stream, image);
      },
      [&] {
        TReader reader;
        Close(TheirDecode(Kind.Bytes, reader));
      });
  std::filesystem::remove(path);
  std::printf("%-11s %7zu KB  file ours %8.3f ms  reference %8.3f ms  ratio %.2fx  |  memory ours "
              "%8.3f ms  reference %8.3f ms  ratio %.2fx\n",
              Kind.Name.c_str(), Kind.Bytes.size() / 1024, ourFile * 1e3, theirFile * 1e3,
              ourFile / theirFile, ourMemory * 1e3, theirMemory * 1e3, ourMemory / theirMemory);
}

} // namespace

int main(int argc, char** argv) {
  std::vector<TKind> kinds = MadeKinds();
  if (argc > 1) {
    TKind given{"given", {}};
    for (int i = 1; i < argc; ++i) {
      std::ifstream in(argv[i], std::ios::binary);
      given.Files.emplace_back(std::istreambuf_iterator<char>(in),
                               std::istreambuf_iterator<char>());
    }
    kinds.push_back(given);
  }
  for (const TKind& kind : kinds) {
    size_t bytes = 0;
    for (const std::string& file : kind.Files)
      bytes += file.size();
    std::printf("%-11s %zu files, %zu bytes\n", kind.Name.c_str(), kind.Files.size(), bytes);
  }
  for (const TKind& kind : kinds)
    Compare(kind);
  ManyFrames();
  for (const TFileKind& kind : FileKinds())
    CompareFileRead(kind);
  return 0;
}
