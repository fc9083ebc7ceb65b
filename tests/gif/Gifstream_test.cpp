// Reading and writing GIF streams against files ImageMagick writes and reads.
#include "tests/gif/GifSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace {

// A picture made by ImageMagick: Args are what convert draws before -colors.
struct TMagickCase {
  const char* Name;
  const char* Args;
};

class MagickFiles : public ::testing::TestWithParam<TMagickCase> {
protected:
  std::string Make() {
    const std::string path = dir.File("in.gif");
    RunCommandChecked(std::string("convert ") + GetParam().Args + " '" + path + "'");
    return path;
  }
  TTempDir dir;
};

const TMagickCase magickCases[] = {
    {"Gradient", "-size 37x23 gradient:red-blue -colors 200"},
    // Noise fills the code table again and again: clear codes at the limit.
    {"Noise", "-size 160x120 xc: +noise Random -colors 256"},
    {"Interlaced", "-size 41x29 plasma:fractal -colors 64 -interlace GIF"},
    {"TwoColors", "-size 19x7 pattern:checkerboard -colors 2"},
    {"OnePixel", "-size 1x1 xc:green"},
    {"Tall", "-size 3x300 gradient:white-black -colors 16 -interlace GIF"},
};

TEST_P(MagickFiles, LoadToThePixelsImageMagickReports) {
  const std::string path = Make();
  TGIFImage image;
  image.LoadFromFile(path);
  ASSERT_EQ(image.Images()->GetCount(), 1);
  EXPECT_EQ(FramePixels(*image.Images()->SubImages(0)), MagickPixels(path));
}

TEST_P(MagickFiles, WrittenFilesLoadInImageMagickToTheSamePixels) {
  const std::string path = Make();
  const std::string expected = MagickPixels(path);
  for (TGIFCompression compression : {gcLZW, gcRLE}) {
    TGIFImage image;
    image.LoadFromFile(path);
    image.Compression = compression;
    const std::string out = dir.File("out.gif");
    image.SaveToFile(out);
    EXPECT_EQ(MagickPixels(out), expected) << "compression " << compression;
    TGIFImage again;
    again.LoadFromFile(out);
    EXPECT_EQ(FramePixels(*again.Images()->SubImages(0)), expected);
  }
}

INSTANTIATE_TEST_SUITE_P(Gif, MagickFiles, ::testing::ValuesIn(magickCases),
                         [](const auto& info) { return std::string(info.param.Name); });

// A minimal file around one frame of Width x Height with a 4-colour global
// table; Data is the frame's coded data after the minimum code size byte 2.
std::string MinimalGif(int Width, int Height, const std::string& Data,
                       const std::string& BeforeFrame = "") {
  std::string gif = "GIF89a";
  gif += {static_cast<char>(Width), 0, static_cast<char>(Height), 0, '\x81', 0, 0};
  gif += std::string("\0\0\0\xff\xff\xff\xff\0\0\0\0\xff", 12);
  gif += BeforeFrame;
  gif += {',', 0, 0, 0, 0, static_cast<char>(Width), 0, static_cast<char>(Height), 0, 0, 2};
  gif += Data;
  gif += ';';
  return gif;
}

// Codes of the given widths packed least significant bit first into one
// data sub-block and its terminator.
std::string Pack(std::initializer_list<std::pair<int, int>> Codes) {
  std::string bytes;
  uint32_t acc = 0;
  int bits = 0;
  for (auto [code, width] : Codes) {
    acc |= static_cast<uint32_t>(code) << bits;
    bits += width;
    while (bits >= 8) {
      bytes += static_cast<char>(acc & 0xFF);
      acc >>= 8;
      bits -= 8;
    }
  }
  if (bits > 0)
    bytes += static_cast<char>(acc);
  return static_cast<char>(bytes.size()) + bytes + '\0';
}

TEST(GifDecoder, HandMadeCodeStreams) {
  // Minimum code size 2: clear 4, end 5, first free 6; codes grow to 4 bits
  // once code 8 is due.
  struct Case {
    const char* Name;
    std::string Data;
    std::vector<int> Expected;
  } cases[] = {
      {"clear first", Pack({{4, 3}, {1, 3}, {2, 3}, {3, 3}, {0, 4}, {5, 4}}), {1, 2, 3, 0}},
      {"no clear code", Pack({{1, 3}, {2, 3}, {3, 3}, {0, 4}, {5, 4}}), {1, 2, 3, 0}},
      // Code 6 is the next free code: the previous string and its first pixel.
      {"string plus first pixel", Pack({{4, 3}, {1, 3}, {6, 3}, {2, 3}, {5, 4}}), {1, 1, 1, 2}},
      {"clear in the middle",
       Pack({{4, 3}, {1, 3}, {2, 3}, {4, 3}, {3, 3}, {3, 3}, {5, 3}}),
       {1, 2, 3, 3}},
      {"stops early", Pack({{4, 3}, {2, 3}, {5, 3}}), {2, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    TGIFImage image;
    TWarnings warnings(image);
    LoadFromBytes(image, MinimalGif(2, 2, c.Data));
    ASSERT_EQ(image.Images()->GetCount(), 1) << c.Name;
    EXPECT_EQ(Pixels(*image.Images()->SubImages(0)), c.Expected) << c.Name;
    EXPECT_TRUE(warnings.Messages.empty()) << c.Name;
  }
}

// A code beyond the next free one names an entry the table holds as
// zeros, also when the table before the last clear code had filled it:
// minimum code size 3 (clear 8, end 9, first free 10), entries 10 to 14
// made, a clear, then code 14 while 10 is next, and code 11 built on it.
TEST(GifDecoder, ACodeBeyondTheTableReadsZerosAfterAClear) {
  std::string gif = MinimalGif(13, 1,
                               Pack({{8, 4},
                                     {1, 4},
                                     {2, 4},
                                     {3, 4},
                                     {4, 4},
                                     {5, 4},
                                     {6, 4},
                                     {8, 4},
                                     {1, 4},
                                     {14, 4},
                                     {2, 4},
                                     {11, 4},
                                     {9, 4}}));
  gif[13 + 12 + 10] = 3; // the minimum code size
  TGIFImage image;
  LoadFromBytes(image, gif);
  ASSERT_EQ(image.Images()->GetCount(), 1);
  EXPECT_EQ(Pixels(*image.Images()->SubImages(0)),
            (std::vector<int>{1, 2, 3, 4, 5, 6, 1, 1, 1, 2, 0, 0, 2}));
}

TEST(GifDecoder, DataAfterTheEndCodeIsSkippedToTheTerminator) {
  std::string data = Pack({{4, 3}, {1, 3}, {2, 3}, {3, 3}, {0, 4}, {5, 4}});
  data.pop_back(); // further sub-blocks that look like blocks come first
  data += std::string("\x03\x2c\x3b\x21\x02\x21\x21", 7) + '\0';
  const std::string second = MinimalGif(2, 2, Pack({{4, 3}, {3, 3}, {5, 3}}));
  TGIFImage image;
  TWarnings warnings(image);
  // The second file's frame (after its 13-byte screen and 12-byte table).
  LoadFromBytes(image, MinimalGif(2, 2, data).substr(0, 13 + 12 + 10 + 1 + data.size()) +
                           second.substr(13 + 12));
  ASSERT_EQ(image.Images()->GetCount(), 2);
  EXPECT_EQ(Pixels(*image.Images()->SubImages(0)), (std::vector<int>{1, 2, 3, 0}));
  EXPECT_EQ(Pixels(*image.Images()->SubImages(1)), (std::vector<int>{3, 0, 0, 0}));
  EXPECT_TRUE(warnings.Messages.empty());
}

// The code after a clear code must give a pixel: the end code or a code no
// table holds there means the data was cut, unless the frame is whole.
TEST(GifDecoder, DataStoppingAfterAClearIsReportedCut) {
  struct Case {
    const char* Name;
    std::string Data;
    std::vector<int> Expected;
    std::vector<std::string> Warnings;
  } cases[] = {
      {"end code", Pack({{4, 3}, {1, 3}, {2, 3}, {4, 3}, {5, 3}}), {1, 2, 0, 0}, {sOutOfData}},
      {"beyond the end code",
       Pack({{4, 3}, {1, 3}, {4, 3}, {6, 3}, {5, 3}}),
       {1, 0, 0, 0},
       {sOutOfData}},
      {"frame whole",
       Pack({{4, 3}, {1, 3}, {2, 3}, {3, 3}, {0, 4}, {4, 4}, {5, 3}}),
       {1, 2, 3, 0},
       {}},
  };
  for (const Case& c : cases) {
    TGIFImage image;
    TWarnings warnings(image);
    LoadFromBytes(image, MinimalGif(2, 2, c.Data));
    ASSERT_EQ(image.Images()->GetCount(), 1) << c.Name;
    EXPECT_EQ(Pixels(*image.Images()->SubImages(0)), c.Expected) << c.Name;
    EXPECT_EQ(warnings.Messages, c.Warnings) << c.Name;
  }
}

TEST(GifDecoder, TruncatedDataKeepsWhatWasDecodedAndFillsTheRest) {
  // The sub-block announces 5 bytes, two arrive, and the file ends there.
  const std::string codes = Pack({{4, 3}, {1, 3}, {2, 3}, {3, 3}, {1, 4}, {5, 4}});
  const std::string cut = std::string("\x05") + codes.substr(1, 2);
  for (bool transparent : {false, true}) {
    const std::string gce = transparent ? std::string("!\xf9\x04\x01\0\0\x02\0", 8) : "";
    std::string file = MinimalGif(4, 2, cut, gce);
    file.pop_back();
    TGIFImage image;
    TWarnings warnings(image);
    LoadFromBytes(image, file);
    ASSERT_EQ(image.Images()->GetCount(), 1);
    const int fill = transparent ? 2 : 0;
    EXPECT_EQ(Pixels(*image.Images()->SubImages(0)),
              (std::vector<int>{1, 2, 3, 1, fill, fill, fill, fill}));
    EXPECT_EQ(warnings.Messages, std::vector<std::string>{sOutOfData});
  }
}

TEST(GifDecoder, CircularTableEntryAbortsTheLoadAndRestoresTheStream) {
  // Code 7 arrives while 6 is the next free code: entry 7 is then made with
  // prefix 7, and reading 7 again would follow it for ever.
  const std::string gif = MinimalGif(4, 4, Pack({{4, 3}, {1, 3}, {7, 3}, {7, 3}, {7, 4}, {5, 4}}));
  TMemoryStream stream;
  stream.WriteBuffer("xy", 2);
  stream.WriteBuffer(gif.data(), static_cast<int>(gif.size()));
  stream.SetPosition(2);
  TGIFImage image;
  try {
    image.LoadFromStream(&stream);
    FAIL() << "loaded a circular code table";
  } catch (const GIFException& e) {
    EXPECT_STREQ(e.what(), sDecodeCircular);
  }
  EXPECT_EQ(stream.Position(), 2);
}

TEST(GifEncoder, OneBitImageUsesMinimumCodeSizeTwo) {
  TGIFImage image;
  image.Header()->Width = 8;
  image.Header()->Height = 1;
  auto* frame = new TGIFSubImage(&image);
  image.Add(frame);
  frame->ColorMap()->Add(0x000000);
  frame->ColorMap()->Add(0xFFFFFF);
  frame->SetBounds(3, 8);
  frame->SetBounds(4, 1);
  for (int x = 0; x < 8; ++x)
    frame->GetScanline(0)[x] = static_cast<uint8_t>(x & 1);
  const std::string bytes = SaveToBytes(image);
  // header 13, local table 6 after the 10-byte descriptor: the code size byte.
  EXPECT_EQ(bytes[13 + 10 + 6], 2);
  TGIFImage again;
  LoadFromBytes(again, bytes);
  EXPECT_EQ(Pixels(*again.Images()->SubImages(0)), (std::vector<int>{0, 1, 0, 1, 0, 1, 0, 1}));
}

// A pixel beyond its table is written with the table grown by black, the
// colour it is drawn in, up to it.
TEST(GifEncoder, PixelOutsideTheColorTableGrowsTheTable) {
  TGIFImage image;
  image.Header()->Width = 2;
  image.Header()->Height = 1;
  auto* frame = new TGIFSubImage(&image);
  image.Add(frame);
  frame->ColorMap()->Add(0x000000);
  frame->ColorMap()->Add(0xFFFFFF);
  frame->ColorMap()->Add(0x00FF00);
  frame->SetBounds(3, 2);
  frame->SetBounds(4, 1);
  frame->GetScanline(0)[1] = 3;
  TGIFImage again;
  LoadFromBytes(again, SaveToBytes(image));
  const TGIFSubImage* read = again.Images()->SubImages(0);
  EXPECT_EQ(Pixels(*read), (std::vector<int>{0, 3}));
  ASSERT_EQ(read->ColorMap()->Count(), 4);
  EXPECT_EQ(read->ColorMap()->GetColor(2), 0x00FF00);
  EXPECT_EQ(read->ColorMap()->GetColor(3), clBlack);
}

TEST(GifEncoder, RunLengthCodingOfLongRunsReadsBackInImageMagick) {
  TTempDir dir;
  for (int count : {1000, 7, 4096 * 3 + 5}) {
    TGIFImage image;
    image.Compression = gcRLE;
    image.Header()->Width = static_cast<uint16_t>(count);
    image.Header()->Height = 1;
    auto* frame = new TGIFSubImage(&image);
    image.Add(frame);
    for (int c = 0; c < 16; ++c)
      frame->ColorMap()->Add(c * 0x0F0F0F);
    frame->SetBounds(3, count);
    frame->SetBounds(4, 1);
    for (int x = 0; x < count; ++x)
      frame->GetScanline(0)[x] = x < count - 3 ? 9 : static_cast<uint8_t>(x % 16);
    const std::string path = dir.File("rle.gif");
    image.SaveToFile(path);
    EXPECT_EQ(MagickPixels(path), FramePixels(*frame)) << count;
  }
}

} // namespace
