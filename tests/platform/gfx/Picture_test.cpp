// Bitmap and JPEG files against ImageMagick and libjpeg's own tools, and the
// picture holder with its registries and stored form.
#include "platform/gfx/Graphics.h"
#include "platform/gfx/Jpeg.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct TImage {
  int Width = 0;
  int Height = 0;
  std::vector<COLORREF> Pixels; // row by row
  COLORREF At(int x, int y) const { return Pixels[static_cast<size_t>(y * Width + x)]; }
};

// A picture with few colours, odd sizes and every channel varying.
TImage Pattern(int w, int h, int colours) {
  TImage image{w, h, {}};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int k = (x * 7 + y * 3) % colours;
      image.Pixels.push_back(RGB(static_cast<BYTE>(k * 37 + 10), static_cast<BYTE>(255 - k * 23),
                                 static_cast<BYTE>((k * 91) % 256)));
    }
  return image;
}

// A smooth picture for lossy coding.
TImage Gradient(int w, int h) {
  TImage image{w, h, {}};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      image.Pixels.push_back(RGB(static_cast<BYTE>(x * 255 / (w - 1)),
                                 static_cast<BYTE>(y * 255 / (h - 1)),
                                 static_cast<BYTE>((x + y) * 127 / (w + h))));
  return image;
}

void WritePpm(const std::string& path, const TImage& image) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << image.Width << " " << image.Height << "\n255\n";
  for (COLORREF c : image.Pixels)
    out.put(static_cast<char>(GetRValue(c)))
        .put(static_cast<char>(GetGValue(c)))
        .put(static_cast<char>(GetBValue(c)));
}

// P6 (colour) or P5 (grey) with 8-bit samples.
TImage ReadPnm(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int maxval = 0;
  TImage image;
  in >> magic >> image.Width >> image.Height >> maxval;
  in.get();
  EXPECT_TRUE((magic == "P6" || magic == "P5") && maxval == 255) << path;
  const int channels = magic == "P6" ? 3 : 1;
  std::vector<unsigned char> bytes(static_cast<size_t>(image.Width * image.Height * channels));
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  for (size_t i = 0; i < bytes.size(); i += static_cast<size_t>(channels))
    image.Pixels.push_back(channels == 3 ? RGB(bytes[i], bytes[i + 1], bytes[i + 2])
                                         : RGB(bytes[i], bytes[i], bytes[i]));
  return image;
}

TImage FromBitmap(TBitmap& b) {
  TImage image{b.Width(), b.Height(), {}};
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      image.Pixels.push_back(static_cast<COLORREF>(b.Canvas()->Pixels(x, y)));
  return image;
}

void ExpectSame(const TImage& actual, const TImage& expected, const std::string& what) {
  ASSERT_EQ(actual.Width, expected.Width) << what;
  ASSERT_EQ(actual.Height, expected.Height) << what;
  int wrong = 0;
  for (size_t i = 0; i < actual.Pixels.size(); ++i)
    wrong += actual.Pixels[i] != expected.Pixels[i];
  EXPECT_EQ(wrong, 0) << what;
}

void RunTool(const std::string& command) {
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

TEST(BmpFiles, FilesWrittenByImageMagickLoadToTheSamePixels) {
  TTempDir dir;
  struct TCase {
    const char* name;
    int width, height, colours;
    const char* options;
    int bits; // the pixel depth the file holds, as loaded
  } const cases[] = {
      {"24-bit", 5, 3, 200, "-type TrueColor BMP3:", 24},
      {"8-bit palette", 7, 4, 40, "-type Palette BMP3:", 8},
      {"1-bit", 9, 3, 2, "-type Bilevel BMP3:", 1},
      {"8-bit run-length", 13, 5, 6, "-type Palette -compress RLE BMP3:", 8},
      {"32-bit with alpha and bit fields", 3, 2, 50, "-alpha on -type TrueColorAlpha BMP:", 32},
      {"12-byte header", 6, 5, 30, "-type TrueColor BMP2:", 24},
  };
  for (const TCase& c : cases) {
    TImage image = Pattern(c.width, c.height, c.colours);
    if (c.bits == 1)
      for (COLORREF& p : image.Pixels)
        p = GetRValue(p) > 128 ? RGB(255, 255, 255) : 0;
    const std::string ppm = dir.File("in.ppm"), bmp = dir.File("out.bmp");
    WritePpm(ppm, image);
    RunTool("convert '" + ppm + "' " + c.options + "'" + bmp + "'");
    TBitmap b;
    b.LoadFromFile(bmp);
    EXPECT_EQ(b.Handle()->BitCount, c.bits) << c.name;
    ExpectSame(FromBitmap(b), image, c.name);
  }
}

TEST(BmpFiles, SavedFilesOpenInImageMagickWithTheSamePixels) {
  TTempDir dir;
  const TPixelFormat formats[] = {pf1bit, pf4bit, pf8bit, pf24bit, pf32bit};
  for (TPixelFormat format : formats) {
    TBitmap b;
    b.SetPixelFormat(format);
    b.SetSize(7, 3);
    // Colours every format holds exactly: black, white and a palette colour.
    const TColor colours[] = {clBlack, clWhite, format == pf1bit ? clBlack : clRed};
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 7; ++x)
        b.Canvas()->SetPixels(x, y, colours[(x + y) % 3]);
    const std::string bmp = dir.File("ours.bmp"), ppm = dir.File("back.ppm");
    b.SaveToFile(bmp);
    RunTool("convert '" + bmp + "' -depth 8 'ppm:" + ppm + "'");
    ExpectSame(ReadPnm(ppm), FromBitmap(b), "format " + std::to_string(format));
  }
}

TEST(BmpFiles, DamagedFilesAreRefusedAndLoseNothing) {
  TBitmap good;
  good.SetSize(4, 4);
  good.Canvas()->SetPixels(1, 1, clRed);
  TMemoryStream image;
  good.SaveToStream(&image);
  const std::string bytes(reinterpret_cast<const char*>(image.Memory()), image.Size());
  struct TCase {
    const char* name;
    std::string data;
  } const cases[] = {
      {"empty", ""},
      {"not BM", "XX" + bytes.substr(2)},
      {"cut in the header", bytes.substr(0, 30)},
      {"cut in the pixels", bytes.substr(0, bytes.size() - 3)},
      {"zero width", bytes.substr(0, 18) + std::string(4, '\0') + bytes.substr(22)},
      {"bit count 7", bytes.substr(0, 28) + "\x07" + bytes.substr(29)},
  };
  for (const TCase& c : cases) {
    TBitmap b;
    b.Assign(&good);
    TMemoryStream s;
    s.WriteBuffer(c.data.data(), static_cast<int>(c.data.size()));
    s.SetPosition(0);
    EXPECT_THROW(b.LoadFromStream(&s), EInvalidGraphic) << c.name;
    EXPECT_EQ(b.Canvas()->Pixels(1, 1), clRed) << c.name << ": the old picture stays";
  }
}

TEST(JpegFiles, DecodeMatchesDjpegForFilesFromImageMagick) {
  TTempDir dir;
  struct TCase {
    const char* name;
    const char* options;
  } const cases[] = {
      {"baseline", "-quality 85"},
      {"progressive", "-quality 70 -interlace Plane"},
      {"grey", "-colorspace Gray -quality 90"},
      {"4:4:4", "-quality 95 -sampling-factor 1x1"},
  };
  for (const TCase& c : cases) {
    const std::string ppm = dir.File("in.ppm"), jpg = dir.File("x.jpg"), ref = dir.File("r.pnm");
    WritePpm(ppm, Gradient(37, 21));
    RunTool("convert '" + ppm + "' " + c.options + " '" + jpg + "'");
    RunTool("djpeg -pnm '" + jpg + "' > '" + ref + "'");
    TPicture picture;
    picture.LoadFromFile(jpg);
    ASSERT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr) << c.name;
    TBitmap b;
    b.Assign(picture.Graphic());
    ExpectSame(FromBitmap(b), ReadPnm(ref), c.name);
  }
}

TEST(JpegFiles, SavedJpegDecodesLikeDjpegAndCloseToTheOriginal) {
  TTempDir dir;
  const TImage original = Gradient(40, 30);
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(40, 30);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x)
      b.Canvas()->SetPixels(x, y, static_cast<TColor>(original.At(x, y)));
  TJPEGImage jpeg;
  jpeg.CompressionQuality = 92;
  jpeg.Assign(&b);
  const std::string jpg = dir.File("ours.jpg"), ref = dir.File("ref.ppm");
  jpeg.SaveToFile(jpg);
  RunTool("djpeg -pnm '" + jpg + "' > '" + ref + "'");
  TJPEGImage loaded;
  loaded.LoadFromFile(jpg);
  TImage decoded = FromBitmap(*loaded.Bitmap());
  ExpectSame(decoded, ReadPnm(ref), "our file");
  long error = 0;
  for (size_t i = 0; i < decoded.Pixels.size(); ++i)
    for (int shift : {0, 8, 16})
      error += std::abs(static_cast<int>((decoded.Pixels[i] >> shift) & 0xFF) -
                        static_cast<int>((original.Pixels[i] >> shift) & 0xFF));
  EXPECT_LT(error / static_cast<long>(decoded.Pixels.size() * 3), 4) << "mean error per sample";
}

TEST(JpegFiles, BrokenDataRaisesAndKeepsThePicture) {
  TTempDir dir;
  const std::string ppm = dir.File("in.ppm"), jpg = dir.File("x.jpg");
  WritePpm(ppm, Gradient(16, 16));
  RunTool("convert '" + ppm + "' '" + jpg + "'");
  TJPEGImage image;
  image.LoadFromFile(jpg);
  const std::string bytes = ReadFileBytes(jpg);
  for (const std::string& bad : {std::string("not a jpeg at all"), bytes.substr(0, 40)}) {
    TMemoryStream s;
    s.WriteBuffer(bad.data(), static_cast<int>(bad.size()));
    s.SetPosition(0);
    EXPECT_THROW(image.LoadFromStream(&s), EJPEG);
    EXPECT_EQ(image.Width(), 16);
  }
}

// A cut file keeps the rows its data reaches and its size; the rest is left
// white rather than made up, which for a short file claiming a huge picture
// would take seconds.
TEST(JpegFiles, ACutFileKeepsTheRowsItsDataReaches) {
  TTempDir dir;
  const std::string ppm = dir.File("in.ppm"), jpg = dir.File("x.jpg");
  WritePpm(ppm, Gradient(64, 64));
  RunTool("convert '" + ppm + "' -quality 90 '" + jpg + "'");
  const std::string bytes = ReadFileBytes(jpg);
  const size_t scan = bytes.find("\xFF\xDA");
  ASSERT_NE(scan, std::string::npos);
  auto load = [](const std::string& data) {
    TJPEGImage image;
    TMemoryStream s;
    s.WriteBuffer(data.data(), static_cast<int>(data.size()));
    s.SetPosition(0);
    image.LoadFromStream(&s);
    return FromBitmap(*image.Bitmap());
  };
  const TImage whole = load(bytes);
  const TImage cut = load(bytes.substr(0, scan + (bytes.size() - scan) / 2));
  ASSERT_EQ(cut.Width, 64);
  ASSERT_EQ(cut.Height, 64);
  for (int x : {0, 31, 63})
    EXPECT_EQ(cut.At(x, 2), whole.At(x, 2)) << x;
  EXPECT_EQ(cut.At(5, 63), 0xFFFFFFu) << std::hex << cut.At(5, 63);
}

TEST(Picture, StoredFormRoundTripsBitmapAndJpeg) {
  TBitmap b;
  b.SetSize(3, 2);
  b.Canvas()->SetPixels(2, 1, clBlue);
  TPicture picture;
  picture.Assign(&b);
  TMemoryStream stored;
  picture.WriteData(&stored);
  const std::string bytes(reinterpret_cast<const char*>(stored.Memory()), stored.Size());
  ASSERT_GT(bytes.size(), 14u);
  EXPECT_EQ(bytes.substr(0, 8), "\x07TBitmap");
  uint32_t length;
  std::memcpy(&length, bytes.data() + 8, 4);
  EXPECT_EQ(length, bytes.size() - 12);
  EXPECT_EQ(bytes.substr(12, 2), "BM");
  stored.SetPosition(0);
  TPicture back;
  back.ReadData(&stored);
  EXPECT_EQ(back.Bitmap()->Canvas()->Pixels(2, 1), clBlue);

  TJPEGImage jpeg;
  jpeg.Assign(&b);
  picture.Assign(&jpeg);
  TMemoryStream storedJpeg;
  picture.WriteData(&storedJpeg);
  storedJpeg.SetPosition(0);
  back.ReadData(&storedJpeg);
  ASSERT_NE(dynamic_cast<TJPEGImage*>(back.Graphic()), nullptr);
  EXPECT_EQ(back.Width(), 3);

  TMemoryStream unknown;
  unknown.WriteBuffer("\x05TNone\0\0\0\0", 10);
  unknown.SetPosition(0);
  EXPECT_THROW(back.ReadData(&unknown), EInvalidGraphic);
}

class TTestGraphic : public TBitmap {};

// A graphic that tells how its loading goes, as long decoders do.
class TSlowGraphic : public TBitmap {
public:
  void LoadFromStream(TStream* Stream) override {
    Progress(this, psStarting, 0, false, TRect{}, "Loading...");
    TBitmap::LoadFromStream(Stream);
    Progress(this, psEnding, 100, true, TRect{}, "Loading...");
  }
};

// The picture passes its graphic's progress on, while the graphic loads from
// a file or from stored data, and afterwards.
TEST(Picture, ProgressOfItsGraphicIsPassedOn) {
  TTempDir dir;
  TPicture::RegisterFileFormat("slow", "Slow pictures", "TSlowGraphic",
                               [] { return std::unique_ptr<TGraphic>(new TSlowGraphic); });
  TBitmap b;
  b.SetSize(2, 2);
  b.SaveToFile(dir.File("x.slow"));
  TPicture picture;
  std::vector<int> stages;
  picture.OnProgress = [&](TObject*, TProgressStage stage, uint8_t, bool, const TRect&,
                           const AnsiString& msg) {
    EXPECT_EQ(msg, "Loading...");
    stages.push_back(stage);
  };
  picture.LoadFromFile(dir.File("x.slow"));
  EXPECT_EQ(stages, (std::vector<int>{psStarting, psEnding}));
  TMemoryStream stored;
  picture.WriteData(&stored);
  stored.SetPosition(0);
  stages.clear();
  picture.ReadData(&stored);
  EXPECT_EQ(stages, (std::vector<int>{psStarting, psEnding}));
  stages.clear();
  TMemoryStream image;
  b.SaveToStream(&image);
  image.SetPosition(0);
  picture.Graphic()->LoadFromStream(&image);
  EXPECT_EQ(stages, (std::vector<int>{psStarting, psEnding}));
  TPicture::UnregisterGraphicClass("TSlowGraphic");
}

TEST(Picture, RegistriesByExtensionAndClassName) {
  TTempDir dir;
  TPicture picture;
  EXPECT_THROW(picture.LoadFromFile(dir.File("x.xyz")), EInvalidGraphic);
  TPicture::RegisterFileFormat("XYZ", "Test pictures", "TTestGraphic",
                               [] { return std::unique_ptr<TGraphic>(new TTestGraphic); });
  TBitmap b;
  b.SetSize(2, 2);
  b.SaveToFile(dir.File("x.xyz"));
  picture.LoadFromFile(dir.File("x.xyz"));
  EXPECT_NE(dynamic_cast<TTestGraphic*>(picture.Graphic()), nullptr);
  EXPECT_NE(TPicture::CreateGraphic("ttestgraphic"), nullptr) << "names in any case";
  EXPECT_NE(TPicture::GraphicFilter().find("*.xyz"), std::string::npos);
  TPicture::UnregisterGraphicClass("TTestGraphic");
  EXPECT_EQ(TPicture::CreateGraphic("TTestGraphic"), nullptr);
  EXPECT_THROW(picture.LoadFromFile(dir.File("x.xyz")), EInvalidGraphic);
  EXPECT_NE(TPicture::CreateGraphicForExtension(".JPG"), nullptr);
}

TEST(Bitmap, AssignOnItselfResizeAndFormats) {
  TBitmap b;
  b.SetSize(4, 3);
  b.Canvas()->SetPixels(3, 2, clRed);
  b.Assign(&b);
  EXPECT_EQ(b.Canvas()->Pixels(3, 2), clRed);
  b.SetSize(6, 4);
  EXPECT_EQ(b.Canvas()->Pixels(3, 2), clRed) << "growing keeps the pixels";
  EXPECT_EQ(b.Canvas()->Pixels(5, 3), clWhite);
  b.SetPixelFormat(pf8bit);
  EXPECT_EQ(b.Canvas()->Pixels(3, 2), clRed) << "red is in the 8-bit palette";
  EXPECT_NE(b.Palette(), nullptr);
  b.SetMonochrome(true);
  EXPECT_TRUE(b.Monochrome());
  EXPECT_EQ(b.Canvas()->Pixels(5, 3), clWhite);
  EXPECT_THROW(b.ScanLine(4), EInvalidGraphicOperation);
  EXPECT_THROW(b.ScanLine(-1), EInvalidGraphicOperation);
  b.SetWidth(0);
  EXPECT_TRUE(b.Empty());
  TBitmap c;
  c.SetSize(2, 2);
  c.Assign(nullptr);
  EXPECT_TRUE(c.Empty());
}

TEST(Bitmap, TransparentDrawLeavesTheKeyColourOut) {
  TBitmap glyph;
  glyph.SetSize(3, 2);
  glyph.Canvas()->Brush()->SetColor(clFuchsia);
  glyph.Canvas()->FillRect(TRect{0, 0, 3, 2});
  glyph.Canvas()->SetPixels(1, 0, clNavy);
  EXPECT_EQ(glyph.TransparentColor() & 0xFFFFFF, clFuchsia) << "bottom-left pixel";
  glyph.SetTransparent(true);
  TBitmap target;
  target.SetSize(5, 4);
  target.Canvas()->Draw(1, 1, &glyph);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(target.Canvas()->Pixels(x, y), x == 2 && y == 1 ? clNavy : clWhite);
  glyph.SetTransparentColor(clNavy);
  target.Canvas()->Draw(1, 1, &glyph);
  EXPECT_EQ(target.Canvas()->Pixels(1, 1), clFuchsia);
  EXPECT_EQ(target.Canvas()->Pixels(2, 1), clNavy) << "a fixed key leaves navy out";
  HBITMAP mask = glyph.MaskHandle();
  ASSERT_NE(mask, nullptr);
  EXPECT_EQ(mask->BitCount, 1);
  EXPECT_EQ(mask->Raw(1, 0), 1u);
  EXPECT_EQ(mask->Raw(0, 0), 0u);
}

TEST(Palettes, DefaultHalftoneAndNearest) {
  auto* stock = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
  PALETTEENTRY entries[20];
  ASSERT_EQ(GetPaletteEntries(stock, 0, 20, entries), 20u);
  EXPECT_EQ(RGB(entries[0].peRed, entries[0].peGreen, entries[0].peBlue), 0u);
  EXPECT_EQ(RGB(entries[19].peRed, entries[19].peGreen, entries[19].peBlue), 0xFFFFFFu);
  EXPECT_EQ(GetNearestPaletteIndex(stock, RGB(250, 5, 5)), 13u) << "red";
  HPALETTE halftone = CreateHalftonePalette(nullptr);
  const UINT n = GetPaletteEntries(halftone, 0, 0, nullptr);
  EXPECT_GT(n, 200u);
  EXPECT_LE(n, 256u);
  const UINT i = GetNearestPaletteIndex(halftone, RGB(51, 102, 153));
  PALETTEENTRY e;
  GetPaletteEntries(halftone, i, 1, &e);
  EXPECT_EQ(RGB(e.peRed, e.peGreen, e.peBlue), RGB(51, 102, 153)) << "a cube colour";
  DeleteObject(halftone);
  const int depth = GfxScreenDepth();
  GfxSetScreenDepth(8);
  EXPECT_EQ(GetDeviceCaps(nullptr, BITSPIXEL), 8);
  EXPECT_EQ(GetDeviceCaps(nullptr, RASTERCAPS) & RC_PALETTE, RC_PALETTE);
  GfxSetScreenDepth(depth);
}

} // namespace
