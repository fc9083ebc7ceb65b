// GIF decoding and encoding by our picture class next to the reference
// library's public calls, on the same files in one run: large, animated,
// interlaced and small images made here from fixed patterns; real-looking
// ones (dithered photographs, screenshots of source text in an editor-like
// frame, a recording of that text scrolling) drawn by ImageMagick from fixed
// seeds and our own source; any GIF files given on the command line; and the
// save of many one-pixel frames. Prints, per kind, the best of several
// rounds and our time over theirs.
// Then the load of a file against the reference library's own file read,
// with the same pictures from memory beside it.
#include "gif/Gifimage.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

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

// ---------------------------------------------------------------------------
// Real-looking pictures

// Runs ImageMagick's convert with Args (no shell between); false when it
// could not be run or failed.
bool Convert(const std::vector<std::string>& Args) {
  std::vector<char*> argv;
  std::string program = "convert";
  argv.push_back(program.data());
  std::vector<std::string> copies = Args;
  for (std::string& arg : copies)
    argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, "convert", nullptr, nullptr, argv.data(), environ) != 0)
    return false;
  int status = 0;
  return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string ReadFile(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string SaveToString(TGIFImage& Image) {
  TMemoryStream stream;
  Image.SaveToStream(&stream);
  return std::string(reinterpret_cast<const char*>(stream.Memory()),
                     static_cast<size_t>(stream.Size()));
}

// Photographs reduced to a table: fractal landscapes of fixed seeds, one
// dithered as photographs usually are, one posterised.
std::vector<std::string> Photographs(const std::string& Dir) {
  std::vector<std::string> files;
  const std::vector<std::vector<std::string>> recipes = {
      {"-seed", "11", "-size", "1024x768", "plasma:fractal", "-blur", "0x1", "-colors", "256"},
      {"-seed", "23", "-size", "800x600", "plasma:fractal", "-blur", "0x2", "+dither", "-colors",
       "256"},
      {"-seed", "37", "-size", "640x480", "plasma:green-sienna", "-colors", "128"}};
  for (size_t i = 0; i < recipes.size(); ++i) {
    std::vector<std::string> args = recipes[i];
    const std::string path = Dir + "/photo" + std::to_string(i) + ".gif";
    args.push_back(path);
    if (Convert(args))
      files.push_back(ReadFile(path));
  }
  return files;
}

// A tall page of source text as an editor shows it, anti-aliased, in a
// table of its own colours; empty when ImageMagick is missing.
std::unique_ptr<TGIFImage> SourcePage(const std::string& Dir) {
  std::ifstream in(std::string(WT_SOURCE_DIR) + "/gif/Gifimage.h");
  std::vector<std::string> args = {
      "-size",      "1024x3000", "xc:#fdfdf6", "-font",  "DejaVu-Sans-Mono",
      "-pointsize", "13",        "-fill",      "#202020"};
  std::string line;
  for (int y = 16; y < 3000 && std::getline(in, line); y += 15) {
    std::string text;
    for (char c : line) {
      if (c == '\\' || c == '\'')
        text += '\\';
      text += c == '%' ? std::string("%%") : std::string(1, c);
    }
    args.push_back("-draw");
    args.push_back("text 56," + std::to_string(y) + " '" + text + "'");
  }
  const std::string path = Dir + "/page.gif";
  for (const char* arg : {"+dither", "-colors", "200", path.c_str()})
    args.emplace_back(arg);
  if (!Convert(args))
    return nullptr;
  auto page = std::make_unique<TGIFImage>();
  page->LoadFromFile(path.c_str());
  return page;
}

// The window chrome around the text: a title bar of a gradient, a line
// number gutter and a status bar, in colours added to the page's table.
class TScreen {
public:
  explicit TScreen(const TGIFImage& Page) : page(Page.Images()->SubImages(0)) {
    const TGIFColorMap* colors = Page.GlobalColorMap();
    for (int i = 0; i < colors->Count(); ++i)
      table.push_back(colors->Data(i));
    first = static_cast<int>(table.size());
    for (int i = 0; i < 32; ++i)
      table.push_back(TGIFColor{static_cast<uint8_t>(40 + i * 3), static_cast<uint8_t>(70 + i * 3),
                                static_cast<uint8_t>(140 + i * 3)});
    table.push_back(TGIFColor{228, 228, 222});
    table.push_back(TGIFColor{60, 60, 60});
  }

  // A Width x Height screen showing the page from its row Scroll.
  void Draw(TGIFSubImage* Frame, int Width, int Height, int Scroll) const {
    const uint8_t gutter = static_cast<uint8_t>(first + 32);
    const uint8_t status = static_cast<uint8_t>(first + 33);
    for (int y = 0; y < Height; ++y) {
      uint8_t* row = Frame->GetScanline(y);
      if (y < 28 || y >= Height - 20) {
        const uint8_t shade =
            y < 28 ? static_cast<uint8_t>(first + y * 32 / 28) : static_cast<uint8_t>(status);
        std::fill(row, row + Width, shade);
        continue;
      }
      const uint8_t* text = page->GetScanline((y - 28 + Scroll) % page->Height());
      std::copy(text, text + Width, row);
      std::fill(row, row + 44, gutter);
    }
  }

  void Colors(TGIFImage& Image) const {
    for (const TGIFColor& c : table)
      Image.GlobalColorMap()->Add(static_cast<TColor>(c.Red | (c.Green << 8) | (c.Blue << 16)));
  }

private:
  TGIFSubImage* page;
  std::vector<TGIFColor> table;
  int first = 0;
};

// Screens of Width x Height, one per offset in Scrolls; as one animation of
// whole frames (a screen recording) when Animated, else one file each.
std::vector<std::string> Screens(const TScreen& Screen, int Width, int Height,
                                 const std::vector<int>& Scrolls, bool Animated) {
  std::vector<std::string> files;
  std::unique_ptr<TGIFImage> image;
  for (int scroll : Scrolls) {
    if (!image) {
      image = std::make_unique<TGIFImage>();
      image->Header()->Width = static_cast<uint16_t>(Width);
      image->Header()->Height = static_cast<uint16_t>(Height);
      Screen.Colors(*image);
    }
    auto* frame = new TGIFSubImage(image.get());
    image->Add(frame);
    if (Animated) {
      auto* control = new TGIFGraphicControlExtension(frame);
      frame->Extensions()->Add(control);
      control->SetDelay(4);
    }
    frame->SetBounds(3, Width);
    frame->SetBounds(4, Height);
    Screen.Draw(frame, Width, Height, scroll);
    if (!Animated) {
      files.push_back(SaveToString(*image));
      image.reset();
    }
  }
  if (image)
    files.push_back(SaveToString(*image));
  return files;
}

std::vector<TKind> RealKinds() {
  char dir[] = "/tmp/gif_bench.XXXXXX";
  if (mkdtemp(dir) == nullptr)
    return {};
  std::vector<TKind> kinds;
  kinds.push_back({"photo", Photographs(dir)});
  if (std::unique_ptr<TGIFImage> page = SourcePage(dir)) {
    const TScreen screen(*page);
    kinds.push_back({"screenshot", Screens(screen, 800, 450, {0, 700, 1400, 2100}, false)});
    std::vector<int> scrolls;
    for (int i = 0; i < 40; ++i)
      scrolls.push_back(i * 18);
    kinds.push_back({"recording", Screens(screen, 800, 450, scrolls, true)});
  }
  std::filesystem::remove_all(dir);
  std::erase_if(kinds, [](const TKind& Kind) { return Kind.Files.empty(); });
  if (kinds.empty())
    std::printf("real-looking pictures skipped: ImageMagick's convert did not run\n");
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

// Colour reduction of a true-colour picture and the two builds of a frame's
// bitmap (direct and dithered to the web palette): ours alone, best of a
// few rounds each.
void Reduction() {
  TBitmap picture;
  picture.SetPixelFormat(pf24bit);
  picture.SetSize(1024, 768);
  TRandom random;
  for (int y = 0; y < picture.Height(); ++y) {
    auto* row = static_cast<uint8_t*>(picture.ScanLine(y));
    for (int x = 0; x < picture.Width(); ++x, row += 3) {
      const uint32_t noise = random.Next() % 24;
      row[0] = static_cast<uint8_t>((x * 255 / 1023 + noise) % 256);
      row[1] = static_cast<uint8_t>((y * 255 / 767 + noise) % 256);
      row[2] = static_cast<uint8_t>(((x + y) / 7 + noise) % 256);
    }
  }
  auto best = [](const std::function<void()>& Run) {
    double fastest = 1e30;
    for (int round = 0; round < 5; ++round) {
      const double begin = ThreadSeconds();
      Run();
      fastest = std::min(fastest, ThreadSeconds() - begin);
    }
    return fastest;
  };
  const struct {
    const char* Name;
    TColorReduction Reduction;
    TDitherMode Mode;
  } cases[] = {
      {"netscape/nearest", rmNetscape, dmNearest}, {"netscape/floyd", rmNetscape, dmFloydSteinberg},
      {"halftone/stucki", rmWindows256, dmStucki}, {"quantize/sierra", rmQuantize, dmSierra},
      {"gray/jajuni", rmGrayScale, dmJaJuNI},      {"mono/burkes", rmMonochrome, dmBurkes},
      {"win20/arche", rmWindows20, dmSteveArche}};
  for (const auto& c : cases) {
    const double seconds = best([&] { ReduceColors(&picture, c.Reduction, c.Mode, 8, nullptr); });
    std::printf("reduce %-17s 1024x768  %9.3f ms\n", c.Name, seconds * 1e3);
  }
  TRandom frames;
  const std::string file = MakeGif(1024, 768, 256, {{1024, 768, false}}, frames);
  for (const bool dither : {false, true}) {
    auto stream = StreamOf(file);
    TGIFImage image;
    OurDecode(*stream, image);
    if (dither)
      image.SetDrawOptions((image.DrawOptions() + TGIFDrawOptions{goDither}) -
                           TGIFDrawOptions{goAutoDither});
    TGIFSubImage* frame = image.Images()->SubImages(0);
    const double seconds = best([&] {
      frame->FreeBitmap();
      frame->GetBitmap();
    });
    std::printf("frame bitmap %-11s 1024x768  %9.3f ms\n", dither ? "dithered" : "direct",
                seconds * 1e3);
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
  for (TKind& kind : RealKinds())
    kinds.push_back(std::move(kind));
  if (argc > 1) {
    TKind given{"given", {}};
    for (int i = 1; i < argc; ++i) {
      std::ifstream in(argv[i], std::ios::binary);
      given.Files.emplace_back(std::istreambuf_iterator<char>(in),
                               std::istreambuf_iterator<char>());
    }
    kinds.push_back(given);
  }
  // GIF_BENCH_SAVE names a folder to see the made files in.
  const char* save = std::getenv("GIF_BENCH_SAVE");
  for (const TKind& kind : kinds) {
    for (size_t i = 0; save != nullptr && i < kind.Files.size(); ++i)
      std::ofstream(std::string(save) + "/" + kind.Name + std::to_string(i) + ".gif",
                    std::ios::binary)
          << kind.Files[i];
    size_t bytes = 0;
    for (const std::string& file : kind.Files)
      bytes += file.size();
    std::printf("%-11s %zu files, %zu bytes\n", kind.Name.c_str(), kind.Files.size(), bytes);
  }
  for (const TKind& kind : kinds)
    Compare(kind);
  ManyFrames();
  Reduction();
  for (const TFileKind& kind : FileKinds())
    CompareFileRead(kind);
  return 0;
}
