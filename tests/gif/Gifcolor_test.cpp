// Colour lookups, dither engines, the quantizer and ReduceColors.
#include "gif/Gifimage.h"

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
