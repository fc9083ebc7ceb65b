// The generator's canvas: what it stores is what it drew, and edges on whole
// pixels stay crisp.
#include "tools/skingen/Skinpaint.h"

#include <gtest/gtest.h>

namespace {

// The stored BMP image read back by the library's bitmap.
std::unique_ptr<TBitmap> StoredAndRead(const TSkinCanvas& Canvas) {
  auto written = Canvas.ToBitmap();
  const std::vector<uint8_t> bytes = BmpBytes(*written);
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
  stream.SetPosition(0);
  auto read = std::make_unique<TBitmap>();
  read->LoadFromStream(&stream);
  return read;
}

void ExpectSamePixels(const TSkinCanvas& Canvas, TBitmap& Read) {
  ASSERT_EQ(Read.Width(), Canvas.Width());
  ASSERT_EQ(Read.Height(), Canvas.Height());
  for (int y = 0; y < Canvas.Height(); ++y)
    for (int x = 0; x < Canvas.Width(); ++x)
      ASSERT_EQ(Read.Canvas()->Pixels(x, y), ToColor(Canvas.Pixel(x, y))) << x << "," << y;
}

} // namespace

TEST(SkinCanvas, FewColoursAreStoredWithATableAndManyWithoutBothExactly) {
  TSkinCanvas flat(120, 40, Rgb(0x2D333C));
  flat.FillRect(10, 10, 60, 30, Rgb(0x3FA9F5));
  flat.VerticalGradient(70, 0, 120, 40, Rgb(0x000000), Rgb(0x272727));
  auto read = StoredAndRead(flat);
  EXPECT_EQ(read->PixelFormat(), pf8bit);
  ExpectSamePixels(flat, *read);
  // Drawn as a control draws it, onto a full-colour surface.
  TBitmap surface;
  surface.SetPixelFormat(pf24bit);
  surface.SetSize(120, 40);
  surface.Canvas()->Draw(0, 0, read.get());
  ExpectSamePixels(flat, surface);

  TSkinCanvas rich(40, 40, TRgb{});
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x)
      rich.SetPixel(x, y, TRgb{x / 39.0, y / 39.0, 0.5});
  read = StoredAndRead(rich);
  EXPECT_EQ(read->PixelFormat(), pf24bit);
  ExpectSamePixels(rich, *read);
}

TEST(SkinCanvas, WholePixelEdgesAreCrispAndSlantedOnesBlend) {
  TSkinCanvas canvas(10, 10, TRgb{0, 0, 0});
  canvas.Fill(Box(2, 2, 5, 8), TRgb{1, 1, 1});
  EXPECT_EQ(ToColor(canvas.Pixel(1, 4)), clBlack);
  EXPECT_EQ(ToColor(canvas.Pixel(2, 4)), clWhite);
  EXPECT_EQ(ToColor(canvas.Pixel(4, 7)), clWhite);
  EXPECT_EQ(ToColor(canvas.Pixel(5, 7)), clBlack);

  TSkinCanvas slant(10, 10, TRgb{0, 0, 0});
  slant.Fill(Polygon({{0, 0}, {10, 0}, {0, 10}}), TRgb{1, 1, 1});
  // The diagonal cuts pixel (4, 5) in half.
  const TRgb half = slant.Pixel(4, 5);
  EXPECT_GT(half.R, 0.3);
  EXPECT_LT(half.R, 0.7);
  EXPECT_EQ(ToColor(slant.Pixel(2, 2)), clWhite);
  EXPECT_EQ(ToColor(slant.Pixel(8, 8)), clBlack);

  // A crisp shape takes a pixel whole or not at all.
  TSkinCanvas crisp(10, 10, TRgb{0, 0, 0});
  crisp.Fill(Crisp(Polygon({{0, 0}, {10, 0}, {0, 10}})), TRgb{1, 1, 1});
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x)
      EXPECT_TRUE(crisp.Pixel(x, y).R == 0 || crisp.Pixel(x, y).R == 1) << x << "," << y;
}
