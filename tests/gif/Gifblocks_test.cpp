// The block model: header, extensions, colour maps and the reader's
// tolerance of damaged streams.
#include "tests/gif/GifSupport.h"

#include <gtest/gtest.h>

namespace {

// A 2 x 1 picture with a 2-colour global table; Blocks come before the frame.
std::string SmallGif(const std::string& Blocks = "", const std::string& Version = "GIF89a") {
  std::string gif = Version;
  gif += std::string("\x02\0\x01\0\x80\0\0", 7);
  gif += std::string("\0\0\0\xff\xff\xff", 6);
  gif += Blocks;
  gif += std::string(",\0\0\0\0\x02\0\x01\0\0", 10);
  gif += std::string("\x02\x02\x44\x0a\0", 5); // clear, 0, 1, end
  gif += ';';
  return gif;
}

std::string LoadError(TGIFImage& Image, const std::string& Bytes) {
  try {
    LoadFromBytes(Image, Bytes);
  } catch (const GIFException& e) {
    return e.what();
  }
  return "";
}

TEST(GifHeader, SignatureIsFoundAfterFourBytesAndInAnyCase) {
  struct Case {
    std::string Bytes;
    std::string Error;
  } cases[] = {
      {SmallGif(), ""},
      {SmallGif("", "gif87a"), ""},
      {SmallGif("", "GIFxyz"), ""},
      {"abcd" + SmallGif(), ""},
      {"abcde" + SmallGif(), sBadSignature},
      {"PNG89a" + SmallGif().substr(6), sBadSignature},
      {"GIF8", sOutOfData},
      {SmallGif().substr(0, 11), sOutOfData},
      {SmallGif().substr(0, 16), sOutOfData}, // global table cut short
  };
  for (const Case& c : cases) {
    TGIFImage image;
    EXPECT_EQ(LoadError(image, c.Bytes), c.Error) << c.Bytes.substr(0, 6);
  }
}

TEST(GifReader, ToleratedDamage) {
  struct Case {
    const char* Name;
    std::string Bytes;
    int Frames;
    std::vector<std::string> Warnings;
  } cases[] = {
      {"zeros between blocks", SmallGif(std::string("\0\0", 2)), 1, {}},
      {"no trailer", SmallGif().substr(0, SmallGif().size() - 1), 1, {}},
      {"bad trailer",
       SmallGif().substr(0, SmallGif().size() - 1) + "x",
       1,
       {sBadBlock, sBadTrailer}},
      {"short graphic control",
       SmallGif().substr(0, 19) + std::string("!\xf9\x04\x01", 4),
       1,
       {sOutOfData}},
  };
  for (const Case& c : cases) {
    TGIFImage image;
    TWarnings warnings(image);
    LoadFromBytes(image, c.Bytes);
    EXPECT_EQ(image.Images()->GetCount(), c.Frames) << c.Name;
    EXPECT_EQ(warnings.Messages, c.Warnings) << c.Name;
  }
}

TEST(GifReader, FrameOfWidthZeroTakesTheImageSize) {
  std::string gif = SmallGif();
  gif[19 + 5] = 0; // the frame's width
  TGIFImage image;
  TWarnings warnings(image);
  LoadFromBytes(image, gif);
  ASSERT_EQ(image.Images()->GetCount(), 1);
  EXPECT_EQ(image.Images()->SubImages(0)->Width(), 2);
  EXPECT_EQ(image.Images()->SubImages(0)->GetPixel(1, 0), 1);
  EXPECT_EQ(warnings.Messages, std::vector<std::string>{sScreenSizeExceeded});
}

TEST(GifReader, FatalDamageRestoresTheStream) {
  struct Case {
    const char* Name;
    std::string Blocks;
    std::string Error;
  } cases[] = {
      {"short looping sub-block", std::string("!\xff\x0bNETSCAPE2.0\x02\x01\x05\0", 18),
       sInvalidData},
      {"comment cut short", std::string("!\xfe\x09short", 8), sOutOfData},
      {"text header cut short", std::string("!\x01\x0c\0\x01", 5), sOutOfData},
  };
  for (const Case& c : cases) {
    std::string gif = SmallGif(c.Blocks);
    if (c.Blocks.back() != '\0')
      gif = gif.substr(0, 19) + c.Blocks; // the file ends inside the block
    TMemoryStream stream;
    stream.WriteBuffer("zz", 2);
    stream.WriteBuffer(gif.data(), static_cast<int>(gif.size()));
    stream.SetPosition(2);
    TGIFImage image;
    try {
      image.LoadFromStream(&stream);
      ADD_FAILURE() << c.Name << " loaded";
    } catch (const GIFException& e) {
      EXPECT_EQ(std::string(e.what()), c.Error) << c.Name;
    }
    EXPECT_EQ(stream.Position(), 2) << c.Name;
  }
}

TGIFExtension* OnlyExtension(TGIFImage& Image) {
  const TGIFExtensionList* list = Image.Images()->SubImages(0)->Extensions();
  EXPECT_EQ(list->GetCount(), 1);
  return list->GetCount() == 1 ? list->Extensions(0) : nullptr;
}

TEST(GifExtensions, ApplicationExtensionsByIdentification) {
  TGIFImage image;
  LoadFromBytes(image, SmallGif(std::string("!\xff\x0b"
                                            "ANIMEXTS1.0\x03\x01\x07\0\0",
                                            19)));
  auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(OnlyExtension(image));
  ASSERT_NE(loop, nullptr);
  EXPECT_EQ(loop->LoopCount, 7);
  TGIFImage again;
  LoadFromBytes(again, SaveToBytes(image));
  auto* written = dynamic_cast<TGIFAppExtNSLoop*>(OnlyExtension(again));
  ASSERT_NE(written, nullptr);
  EXPECT_EQ(written->Identifier() + written->Authentication(), "ANIMEXTS1.0");
  EXPECT_EQ(written->LoopCount, 7);

  // Block size 10: the identification ends with a zero byte.
  LoadFromBytes(image, SmallGif(std::string("!\xff\x0a"
                                            "ABCDEFGH12\x02xy\0",
                                            17)));
  auto* unknown = dynamic_cast<TGIFUnknownAppExtension*>(OnlyExtension(image));
  ASSERT_NE(unknown, nullptr);
  EXPECT_EQ(unknown->Authentication(), std::string("12\0", 3));
  ASSERT_EQ(unknown->Blocks().size(), 1u);
  EXPECT_EQ(unknown->Blocks()[0]->Size(), 2);

  // Block size 12 is no looping extension: its first 11 bytes name it, the
  // twelfth is passed over, and its data is kept as it stands.
  EXPECT_EQ(LoadError(image, SmallGif(std::string("!\xff\x0c"
                                                  "NETSCAPE2.0#\x03\x01\x02\x01\0",
                                                  20))),
            "");
  unknown = dynamic_cast<TGIFUnknownAppExtension*>(OnlyExtension(image));
  ASSERT_NE(unknown, nullptr);
  EXPECT_EQ(unknown->Identifier() + unknown->Authentication(), "NETSCAPE2.0");
  ASSERT_EQ(unknown->Blocks().size(), 1u);
  EXPECT_EQ(unknown->Blocks()[0]->Size(), 3);
}

TEST(GifExtensions, LongCommentIsWrittenInPiecesAndReadBackAsTwoLines) {
  TGIFImage image;
  LoadFromBytes(image, SmallGif());
  auto* comment = new TGIFCommentExtension(image.Images()->SubImages(0));
  image.Images()->SubImages(0)->Extensions()->Add(comment);
  const std::string line(300, 'c');
  comment->Comment()->Add(line);
  comment->Comment()->Add("");
  TGIFImage again;
  LoadFromBytes(again, SaveToBytes(image));
  auto* read = dynamic_cast<TGIFCommentExtension*>(OnlyExtension(again));
  ASSERT_NE(read, nullptr);
  ASSERT_EQ(read->Comment()->Count(), 2);
  EXPECT_EQ(read->Comment()->Strings(0), line.substr(0, 255));
  EXPECT_EQ(read->Comment()->Strings(1), line.substr(0, 45));
}

TEST(GifExtensions, GraphicControlAndTextRoundTrip) {
  TGIFImage image;
  LoadFromBytes(image, SmallGif());
  TGIFSubImage* frame = image.Images()->SubImages(0);
  auto* gce = new TGIFGraphicControlExtension(frame);
  frame->Extensions()->Add(gce);
  gce->SetDisposal(dmPrevious);
  gce->SetDelay(250);
  gce->SetTransparentColorIndex(1);
  gce->SetTransparent(true);
  auto* text = new TGIFTextExtension(frame);
  frame->Extensions()->Add(text);
  text->SetBounds(3, 640);
  text->SetCharWidthHeight(2, 9);
  text->SetColorIndex(1, 1);
  text->Text()->Add("hello");
  EXPECT_TRUE(image.IsTransparent());

  TGIFImage again;
  LoadFromBytes(again, SaveToBytes(image));
  TGIFSubImage* read = again.Images()->SubImages(0);
  ASSERT_EQ(read->Extensions()->GetCount(), 2);
  TGIFGraphicControlExtension* readGce = read->GraphicControlExtension();
  ASSERT_NE(readGce, nullptr);
  EXPECT_EQ(readGce->Disposal(), dmPrevious);
  EXPECT_EQ(readGce->Delay(), 250);
  EXPECT_EQ(readGce->TransparentColorIndex(), 1);
  EXPECT_TRUE(read->Transparent());
  auto* readText = dynamic_cast<TGIFTextExtension*>(read->Extensions()->Extensions(1));
  ASSERT_NE(readText, nullptr);
  EXPECT_EQ(readText->GetBounds(3), 640);
  EXPECT_EQ(readText->GetCharWidthHeight(2), 9);
  EXPECT_EQ(readText->ForegroundColor(), 0xFFFFFF);
  EXPECT_EQ(readText->Text()->Strings(0), "hello");

  // Removing the graphic control extension takes the frame's transparency.
  read->Extensions()->Delete(0);
  EXPECT_EQ(read->GraphicControlExtension(), nullptr);
  EXPECT_FALSE(read->Transparent());
  EXPECT_FALSE(again.IsTransparent());
}

TEST(GifExtensions, TransparentIndexOutsideTheMapIsWarnedAndZeroed) {
  TGIFImage image;
  TWarnings warnings(image);
  LoadFromBytes(image, SmallGif());
  TGIFSubImage* frame = image.Images()->SubImages(0);
  auto* gce = new TGIFGraphicControlExtension(frame);
  frame->Extensions()->Add(gce);
  gce->SetTransparentColorIndex(2);
  EXPECT_EQ(gce->TransparentColorIndex(), 0);
  EXPECT_EQ(warnings.Messages, std::vector<std::string>{sBadColorIndex});
}

TEST(GifExtensions, LaterRegistrationOverridesALabel) {
  struct TMyComment : TGIFCommentExtension {
    using TGIFCommentExtension::TGIFCommentExtension;
  };
  static const TGIFExtensionClassInfo mine{
      [](TGIFSubImage* f) -> TGIFExtension* { return new TMyComment(f); },
      [](TStream*) { return &mine; }};
  TGIFExtension::RegisterExtension(0xFE, &mine);
  TGIFImage image;
  LoadFromBytes(image, SmallGif(std::string("!\xfe\x02hi\0", 6)));
  EXPECT_NE(dynamic_cast<TMyComment*>(OnlyExtension(image)), nullptr);
  TGIFExtension::FreeRegistry();
  LoadFromBytes(image, SmallGif(std::string("!\xfe\x02hi\0", 6)));
  EXPECT_EQ(dynamic_cast<TMyComment*>(OnlyExtension(image)), nullptr);
}

class TTestColorMap : public TGIFColorMap {
public:
  void Warning(TGIFSeverity, const AnsiString& Message) override { Warnings.push_back(Message); }
  // A table of no frame: nothing to count, nothing to rewrite.
  bool BuildHistogram(std::vector<int>&) override { return false; }
  void MapImages(const std::vector<int>&) override {}
  std::vector<std::string> Warnings;
};

TEST(GifColorMap, IndexOfDependsOnTheOrder) {
  TTestColorMap map;
  for (int i = 0; i < 9; ++i)
    map.Add(i == 3 || i == 7 ? 0x123456 : i);
  EXPECT_EQ(map.IndexOf(0x123456), 7);
  map.IsOptimized = true;
  EXPECT_EQ(map.IndexOf(0x123456), 3);
  EXPECT_EQ(map.IndexOf(0x654321), -1);
  EXPECT_EQ(map.GetBitsPerPixel(), 4);
}

TEST(GifColorMap, LimitsAndBadIndices) {
  TTestColorMap map;
  EXPECT_EQ(map.GetBitsPerPixel(), 0);
  EXPECT_THROW(map.GetColor(0), GIFException);
  map.Warnings.clear();
  map.Add(0x0000FF);
  EXPECT_EQ(map.GetBitsPerPixel(), 1);
  EXPECT_EQ(map.GetColor(5), 0x0000FF);
  EXPECT_EQ(map.Warnings, std::vector<std::string>{sBadColorIndex});
  EXPECT_THROW(map.Delete(1), GIFException);
  EXPECT_THROW(map.SetColor(1, 0), GIFException);
  for (int i = 1; i < 256; ++i)
    map.Add(i);
  try {
    map.Add(0xABCDEF);
    FAIL() << "257th colour added";
  } catch (const GIFException& e) {
    EXPECT_STREQ(e.what(), sTooManyColors);
  }
  EXPECT_EQ(map.Count(), 256);
  EXPECT_EQ(map.GetColor(255), 255);
  map.Delete(0);
  EXPECT_EQ(map.GetColor(0), 1);
  EXPECT_EQ(map.Count(), 255);
}

TEST(GifWriter, ImageWithoutFramesCannotBeWritten) {
  TGIFImage image;
  try {
    SaveToBytes(image);
    FAIL() << "wrote an image without frames";
  } catch (const GIFException& e) {
    EXPECT_STREQ(e.what(), sBadVersion);
  }
}

TEST(GifWriter, HeaderTableSizeMatchesTheGlobalTable) {
  // A 2-colour global table beside a 256-colour local one: the screen
  // descriptor must announce the 2 entries that are written.
  TGIFImage image;
  LoadFromBytes(image, SmallGif());
  TGIFSubImage* frame = image.Images()->SubImages(0);
  for (int i = 0; i < 256; ++i)
    frame->ColorMap()->Add(i * 0x010101);
  const std::string bytes = SaveToBytes(image);
  EXPECT_EQ(bytes[10] & 0x87, 0x80);
  TGIFImage again;
  LoadFromBytes(again, bytes);
  EXPECT_EQ(again.GlobalColorMap()->Count(), 2);
  EXPECT_EQ(again.Images()->SubImages(0)->ColorMap()->Count(), 256);
  EXPECT_EQ(again.Images()->SubImages(0)->GetPixel(1, 0), 1);
}

// A colour map takes the table of the palette bitmap selected into a device
// context, blue-green-red turned to red-green-blue; a bitmap without a table
// leaves the map empty.
TEST(GifColorMap, ImportDIBColorsFromTheSelectedBitmap) {
  struct Case {
    int Bits;
    int Expected;
  } cases[] = {{8, 256}, {4, 16}, {1, 2}, {24, 0}};
  for (const Case& c : cases) {
    std::vector<uint8_t> block(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    auto* info = reinterpret_cast<BITMAPINFO*>(block.data());
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = 3;
    info->bmiHeader.biHeight = 2;
    info->bmiHeader.biPlanes = 1;
    info->bmiHeader.biBitCount = static_cast<WORD>(c.Bits);
    info->bmiHeader.biClrUsed = c.Bits <= 8 ? 1u << c.Bits : 0;
    for (int i = 0; i < c.Expected; ++i)
      info->bmiColors[i] = RGBQUAD{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                                   static_cast<uint8_t>(i / 2), 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr) << c.Bits;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    TGIFImage image;
    image.GlobalColorMap()->Add(clWhite);
    image.GlobalColorMap()->ImportDIBColors(dc);
    ASSERT_EQ(image.GlobalColorMap()->Count(), c.Expected) << c.Bits;
    for (int i = 0; i < c.Expected; ++i)
      EXPECT_EQ(image.GlobalColorMap()->GetColor(i),
                static_cast<TColor>((i / 2) | ((255 - i) << 8) | (i << 16)))
          << c.Bits << " " << i;
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
}

} // namespace
