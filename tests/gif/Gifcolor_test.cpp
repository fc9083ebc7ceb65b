// Colour lookups, dither engines, the quantizer, ReduceColors and the
// device-independent bitmap layer.
#include "gif/Gifimage.h"
#include "tests/gif/GifAllocations.h"

#include <cstring>
#include <gtest/gtest.h>
#include <set>

namespace {

int Look(TColorLookup& Lookup, int R, int G, int B) {
  uint8_t r, g, b;
  return Lookup.Lookup(static_cast<uint8_t>(R), static_cast<uint8_t>(G), static_cast<uint8_t>(B), r,
                       g, b);
}

TEST(GifColorLookup, FixedTables) {
  TNetscapeColorLookup web;
  EXPECT_EQ(Look(web, 47, 0, 0), 0);
  EXPECT_EQ(Look(web, 48, 0, 0), 36);
  EXPECT_EQ(Look(web, 98, 0, 0), 36);
  EXPECT_EQ(Look(web, 99, 0, 0), 72);
  EXPECT_EQ(Look(web, 252, 255, 0), 36 * 5 + 6 * 5);
  uint8_t r, g, b;
  EXPECT_EQ(web.Lookup(0, 100, 255, r, g, b), 6 * 2 + 5);
  EXPECT_EQ(g, 102);

  TMonochromeLookup mono;
  EXPECT_EQ(Look(mono, 128, 128, 128), 1);
  EXPECT_EQ(Look(mono, 127, 127, 127), 0);

  TGrayScaleLookup gray;
  EXPECT_EQ(Look(gray, 255, 0, 0), 76);
  EXPECT_EQ(Look(gray, 255, 255, 255), 255);
}

TEST(GifColorLookup, FastLookupFindsTheNearestEntry) {
  std::vector<uint8_t> block(sizeof(LOGPALETTE) + 3 * sizeof(PALETTEENTRY));
  auto* log = reinterpret_cast<LOGPALETTE*>(block.data());
  log->palVersion = 0x300;
  log->palNumEntries = 3;
  log->palPalEntry[0] = PALETTEENTRY{0, 0, 0, 0};
  log->palPalEntry[1] = PALETTEENTRY{255, 255, 255, 0};
  log->palPalEntry[2] = PALETTEENTRY{200, 0, 0, 0};
  HPALETTE palette = CreatePalette(log);
  TFastColorLookup fast(palette);
  DeleteObject(palette);
  EXPECT_EQ(fast.Colors(), 3);
  EXPECT_EQ(Look(fast, 200, 0, 0), 2);
  EXPECT_EQ(Look(fast, 190, 10, 10), 2);
  EXPECT_EQ(Look(fast, 250, 240, 250), 1);
  // Equally far from black and red: the first entry wins.
  EXPECT_EQ(Look(fast, 100, 100, 100), 0);
}

// A Width x Height 24-bit bitmap of one colour.
std::unique_ptr<TBitmap> Plain(int Width, int Height, uint8_t R, uint8_t G, uint8_t B) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(Width, Height);
  for (int y = 0; y < Height; ++y) {
    auto* p = static_cast<uint8_t*>(bitmap->ScanLine(y));
    for (int x = 0; x < Width; ++x) {
      p[3 * x] = B;
      p[3 * x + 1] = G;
      p[3 * x + 2] = R;
    }
  }
  return bitmap;
}

double WhiteShare(TBitmap& Bitmap) {
  int white = 0;
  for (int y = 0; y < Bitmap.Height(); ++y) {
    const auto* p = static_cast<const uint8_t*>(Bitmap.ScanLine(y));
    for (int x = 0; x < Bitmap.Width(); ++x)
      white += p[x];
  }
  return static_cast<double>(white) / (Bitmap.Width() * Bitmap.Height());
}

TEST(GifDither, EveryEngineKeepsTheMeanOfAFlatGray) {
  // A quarter-bright gray on black and white: diffusion makes about a quarter
  // of the pixels white, the nearest colour none.
  std::unique_ptr<TBitmap> gray = Plain(40, 40, 64, 64, 64);
  for (TDitherMode mode :
       {dmFloydSteinberg, dmStucki, dmSierra, dmJaJuNI, dmSteveArche, dmBurkes}) {
    std::unique_ptr<TBitmap> reduced = ReduceColors(gray.get(), rmMonochrome, mode, 8, nullptr);
    ASSERT_EQ(reduced->PixelFormat(), pf8bit);
    EXPECT_NEAR(WhiteShare(*reduced), 64.0 / 255, 0.03) << "mode " << mode;
  }
  EXPECT_EQ(WhiteShare(*ReduceColors(gray.get(), rmMonochrome, dmNearest, 8, nullptr)), 0.0);
}

TEST(GifDither, NarrowPicturesStayInsideTheErrorRows) {
  for (TDitherMode mode : {dmFloydSteinberg, dmStucki, dmSteveArche, dmBurkes})
    for (int width : {1, 2}) {
      std::unique_ptr<TBitmap> bitmap = Plain(width, 5, 200, 100, 50);
      std::unique_ptr<TBitmap> reduced = ReduceColors(bitmap.get(), rmNetscape, mode, 8, nullptr);
      EXPECT_EQ(reduced->Width(), width);
    }
}

// Answers the colour it is asked for, except the pixel at SpikeCall, which
// it answers black: only that pixel's error spreads, and what the following
// pixels ask for shows each kernel weight where it lands.
class TSpikeLookup : public TColorLookup {
public:
  TSpikeLookup(TDitherEngine*& AEngine, int AWidth, int ARows)
      : TColorLookup(256), engine(AEngine),
        asked(static_cast<size_t>(ARows), std::vector<int>(static_cast<size_t>(AWidth))) {}
  int Lookup(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G,
             uint8_t& B) override {
    asked[static_cast<size_t>(row)][static_cast<size_t>(engine->Column())] = Red;
    const bool spike = calls++ == SpikeCall;
    R = spike ? 0 : Red;
    G = spike ? 0 : Green;
    B = spike ? 0 : Blue;
    return 0;
  }
  static constexpr int SpikeCall = 3;
  int row = 0;
  TDitherEngine*& engine;
  std::vector<std::vector<int>> asked;

private:
  int calls = 0;
};

// One error of exactly the divisor, at column 3 of a row of 7: every pixel
// after it asks for the weight that reached it, rows walked in serpentine
// order (the second row backwards, the kernel mirrored, lands the same).
TEST(GifDither, EachKernelSpreadsTheErrorWithItsWeights) {
  struct Case {
    TDitherMode Mode;
    int Divisor;
    std::vector<std::vector<int>> Asked;
  } cases[] = {
      {dmFloydSteinberg, 16, {{0, 0, 0, 16, 7, 0, 0}, {0, 0, 3, 5, 1, 0, 0}, {}, {}}},
      {dmStucki, 42, {{0, 0, 0, 42, 8, 4, 0}, {0, 2, 4, 8, 4, 2, 0}, {0, 1, 2, 4, 2, 1, 0}, {}}},
      {dmSierra, 32, {{0, 0, 0, 32, 5, 3, 0}, {0, 2, 4, 5, 4, 2, 0}, {0, 0, 2, 3, 2, 0, 0}, {}}},
      {dmJaJuNI, 48, {{0, 0, 0, 48, 7, 5, 0}, {0, 3, 5, 7, 5, 3, 0}, {0, 1, 3, 5, 3, 1, 0}, {}}},
      {dmBurkes, 32, {{0, 0, 0, 32, 8, 4, 0}, {0, 2, 4, 8, 4, 2, 0}, {}, {}}},
      {dmSteveArche,
       200,
       {{0, 0, 0, 200, 0, 32, 0},
        {12, 0, 26, 0, 30, 0, 16},
        {0, 12, 0, 26, 0, 12, 0},
        {5, 0, 12, 0, 12, 0, 5}}},
  };
  for (const Case& c : cases) {
    TDitherEngine* engine = nullptr;
    TSpikeLookup lookup(engine, 7, 4);
    std::unique_ptr<TDitherEngine> owned = CreateDitherEngine(c.Mode, 7, &lookup);
    engine = owned.get();
    for (int y = 0; y < 4; ++y) {
      lookup.row = y;
      for (int i = 0; i < 7; ++i) {
        const bool spike = y == 0 && engine->Column() == 3;
        uint8_t r, g, b;
        engine->Dither(static_cast<uint8_t>(spike ? c.Divisor : 0), 0, 0, r, g, b);
      }
      engine->NextLine();
    }
    for (int y = 0; y < 4; ++y) {
      const std::vector<int> expected = c.Asked[static_cast<size_t>(y)].empty()
                                            ? std::vector<int>(7, 0)
                                            : c.Asked[static_cast<size_t>(y)];
      EXPECT_EQ(lookup.asked[static_cast<size_t>(y)], expected)
          << "mode " << c.Mode << " row " << y;
    }
  }
}

// A logical palette of the given colours, as a colour table exports it.
HPALETTE PaletteOf(std::initializer_list<TColor> Colors) {
  TGIFImage image;
  for (TColor color : Colors)
    image.GlobalColorMap()->Add(color);
  return image.GlobalColorMap()->ExportPalette();
}

// Rows written top first reach the bitmap in their places, with the
// palette's colours and nothing more; the writer then holds no image.
TEST(GifDIB, TheWriterHandsItsRowsToTheBitmap) {
  HPALETTE palette = PaletteOf({0x1E140A, 0x0064C8, 0xFF0000});
  TBitmap bitmap;
  TDIBWriter writer(&bitmap, pf8bit, 5, 3, palette);
  for (int y = 0; y < 3; ++y) {
    auto* row = static_cast<uint8_t*>(writer.GetScanline(y));
    for (int x = 0; x < 5; ++x)
      row[x] = static_cast<uint8_t>((x + y) % 3);
  }
  EXPECT_TRUE(bitmap.Empty());
  writer.UpdateBitmap();
  DeleteObject(palette);
  ASSERT_EQ(bitmap.Width(), 5);
  ASSERT_EQ(bitmap.Height(), 3);
  EXPECT_EQ(bitmap.PixelFormat(), pf8bit);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(static_cast<const uint8_t*>(bitmap.ScanLine(y))[x], (x + y) % 3) << x << "," << y;
  EXPECT_EQ(bitmap.Canvas()->Pixels(1, 0), static_cast<TColor>(200 | 100 << 8));
  EXPECT_EQ(bitmap.Canvas()->Pixels(0, 0), static_cast<TColor>(10 | 20 << 8 | 30 << 16));
  EXPECT_EQ(bitmap.Canvas()->Pixels(1, 1), static_cast<TColor>(0xFF0000));
  EXPECT_EQ(GetPaletteEntries(bitmap.GetPalette(), 0, 0, nullptr), 3u);
  try {
    writer.GetScanline(0);
    ADD_FAILURE() << "a row of a writer that gave its image away";
  } catch (const GIFException& e) {
    EXPECT_STREQ(e.what(), sNoDIB);
  }

  TBitmap trueColor;
  TDIBWriter wide(&trueColor, pf24bit, 2, 2, nullptr);
  std::memcpy(wide.GetScanline(1), "\x01\x02\x03\x04\x05\x06", 6);
  wide.UpdateBitmap();
  EXPECT_EQ(trueColor.PixelFormat(), pf24bit);
  EXPECT_EQ(trueColor.Canvas()->Pixels(1, 1), static_cast<TColor>(6 | 5 << 8 | 4 << 16));
  EXPECT_EQ(trueColor.Canvas()->Pixels(0, 0), clBlack);
}

// Each refusal of the layer with its message, the bitmap left as it was.
TEST(GifDIB, RefusalsNameTheirCause) {
  auto message = [](const std::function<void()>& Run) -> std::string {
    try {
      Run();
    } catch (const GIFException& e) {
      return e.what();
    }
    return "no error";
  };
  TBitmap bitmap;
  EXPECT_EQ(message([&] { TDIBWriter(&bitmap, pf4bit, 4, 4, nullptr); }), sInvalidPixelFormat);
  EXPECT_EQ(message([&] { TDIBWriter(&bitmap, pf32bit, 4, 4, nullptr); }), sInvalidPixelFormat);
  EXPECT_EQ(message([&] { TDIBWriter(&bitmap, pf8bit, 0, 4, nullptr); }), sBadDimension);
  EXPECT_EQ(message([&] { TDIBWriter(&bitmap, pf24bit, 4, 0, nullptr); }), sBadDimension);
  EXPECT_EQ(message([&] {
              const TAllocationRefusal refusal(1 << 20);
              TDIBWriter(&bitmap, pf8bit, 2000, 2000, nullptr);
            }),
            sOutOfMemDIB);
  // Wider than any bitmap may be: the memory is had, the bitmap cannot be.
  EXPECT_EQ(message([&] { TDIBWriter(&bitmap, pf8bit, 40000, 1, nullptr).UpdateBitmap(); }),
            sDIBCreate);
  EXPECT_TRUE(bitmap.Empty());
  TDIBWriter writer(&bitmap, pf8bit, 3, 2, nullptr);
  EXPECT_THROW(writer.GetScanline(2), EInvalidGraphicOperation);
  EXPECT_THROW(writer.GetScanline(-1), EInvalidGraphicOperation);
  int info = 0;
  int image = 0;
  EXPECT_EQ(message([&] { InternalGetDIBSizes(&bitmap, info, image, pf32bit); }),
            sInvalidPixelFormat);
}

// The sizes of a device-independent copy, and the copy itself: bottom-up
// rows with the bitmap's colour table.
TEST(GifDIB, SizesAndCopyOfABitmap) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf8bit);
  bitmap.SetSize(10, 3);
  struct Case {
    TPixelFormat Format;
    int Info;
    int Image;
  } cases[] = {{pf1bit, 40 + 8, 4 * 3},
               {pf4bit, 40 + 64, 8 * 3},
               {pf8bit, 40 + 1024, 12 * 3},
               {pf24bit, 40, 32 * 3}};
  for (const Case& c : cases) {
    int info = 0;
    int image = 0;
    InternalGetDIBSizes(&bitmap, info, image, c.Format);
    EXPECT_EQ(info, c.Info) << c.Format;
    EXPECT_EQ(image, c.Image) << c.Format;
  }
  HPALETTE palette = PaletteOf({clBlack, clRed, clLime});
  bitmap.SetPalette(palette);
  for (int y = 0; y < 3; ++y)
    std::memset(bitmap.ScanLine(y), y, 10);
  std::vector<uint8_t> info(40 + 1024);
  std::vector<uint8_t> bits(12 * 3);
  ASSERT_TRUE(InternalGetDIB(&bitmap, palette, reinterpret_cast<BITMAPINFO*>(info.data()),
                             bits.data(), pf8bit));
  DeleteObject(palette);
  const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(info.data());
  EXPECT_EQ(header->biWidth, 10);
  EXPECT_EQ(header->biHeight, 3);
  EXPECT_EQ(header->biBitCount, 8);
  EXPECT_EQ(bits[0], 2); // the last row first
  EXPECT_EQ(bits[24], 0);
  const auto* colors = reinterpret_cast<const RGBQUAD*>(info.data() + 40);
  EXPECT_EQ(colors[1].rgbRed, 255);
  EXPECT_EQ(colors[2].rgbGreen, 255);
  TBitmap empty;
  EXPECT_FALSE(InternalGetDIB(&empty, nullptr, reinterpret_cast<BITMAPINFO*>(info.data()),
                              bits.data(), pf8bit));
}

TEST(GifQuantizer, ReducesToTheRequestedNumberOfColors) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(64, 64);
  for (int y = 0; y < 64; ++y) {
    auto* p = static_cast<uint8_t*>(bitmap->ScanLine(y));
    for (int x = 0; x < 64; ++x) {
      p[3 * x] = static_cast<uint8_t>(x * 4);
      p[3 * x + 1] = static_cast<uint8_t>(y * 4);
      p[3 * x + 2] = static_cast<uint8_t>((x ^ y) * 4);
    }
  }
  std::unique_ptr<TBitmap> reduced = ReduceColors(bitmap.get(), rmQuantize, dmNearest, 3, nullptr);
  std::set<int> used;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x)
      used.insert(static_cast<const uint8_t*>(reduced->ScanLine(y))[x]);
  EXPECT_LE(used.size(), 8u);
  EXPECT_GE(used.size(), 4u);

  TColorQuantizer two(8, 8);
  for (int i = 0; i < 100; ++i)
    two.AddColor(250, 10, 10);
  two.AddColor(10, 10, 250);
  const std::vector<TGIFColor> colors = two.Colors();
  ASSERT_EQ(colors.size(), 2u);
  EXPECT_EQ(colors[0], (TGIFColor{10, 10, 250}));
  EXPECT_EQ(colors[1], (TGIFColor{250, 10, 10}));
  EXPECT_THROW(CreateOptimizedPaletteFromManyBitmaps({}, 8, 8, false), GIFException);
}

} // namespace
