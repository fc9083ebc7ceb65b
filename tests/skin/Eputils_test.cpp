#include "skin/Eputils.h"

#include "SkinPixels.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const TPalette kMask{{'#', clBlack}, {'.', clWhite}, {'r', clRed}};

struct TRegion {
  RGNDATAHEADER Header;
  std::vector<RECT> Rects;
};

TRegion Decode(const std::unique_ptr<uint8_t[]>& Data, int Size) {
  TRegion r;
  std::memcpy(&r.Header, Data.get(), sizeof r.Header);
  r.Rects.resize(r.Header.nCount);
  if (!r.Rects.empty())
    std::memcpy(r.Rects.data(), Data.get() + 32, r.Rects.size() * sizeof(RECT));
  EXPECT_EQ(Size, static_cast<int>(32 + 16 * r.Header.nCount));
  return r;
}

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(RegionFromMask, RunsOfBlackInRowOrder) {
  TBitmap mask;
  Paint(mask, {"#.#", "..."}, kMask);
  std::unique_ptr<uint8_t[]> data;
  const int size = CreateRgnFromBmp(&mask, data);
  ASSERT_EQ(size, 64);
  const TRegion r = Decode(data, size);
  EXPECT_EQ(r.Header.dwSize, 32u);
  EXPECT_EQ(r.Header.iType, 1u);
  EXPECT_EQ(r.Header.nRgnSize, 0u);
  EXPECT_TRUE(Same(r.Header.rcBound, RECT{0, 0, 3, 2}));
  ASSERT_EQ(r.Rects.size(), 2u);
  EXPECT_TRUE(Same(r.Rects[0], RECT{0, 0, 1, 1}));
  EXPECT_TRUE(Same(r.Rects[1], RECT{2, 0, 3, 1}));
}

TEST(RegionFromMask, ShapesWithHolesEdgesAndSinglePixels) {
  const struct {
    std::vector<std::string> rows;
    std::vector<RECT> runs;
  } cases[] = {
      {{"...", "..."}, {}},
      {{".####"}, {{1, 0, 5, 1}}}, // a run reaching the right edge ends at Width
      {{"#"}, {{0, 0, 1, 1}}},
      {{"#####", "#...#", "#.#.#", "#...#", "#####"}, // rows of 15 bytes
       {{0, 0, 5, 1},
        {0, 1, 1, 2},
        {4, 1, 5, 2},
        {0, 2, 1, 3},
        {2, 2, 3, 3},
        {4, 2, 5, 3},
        {0, 3, 1, 4},
        {4, 3, 5, 4},
        {0, 4, 5, 5}}},
      {{"r#r"}, {{1, 0, 2, 1}}}, // only pure black belongs to the shape
  };
  for (const auto& c : cases) {
    TBitmap mask;
    Paint(mask, c.rows, kMask);
    std::unique_ptr<uint8_t[]> data;
    const TRegion r = Decode(data, CreateRgnFromBmp(&mask, data));
    ASSERT_EQ(r.Rects.size(), c.runs.size()) << c.rows[0];
    for (size_t i = 0; i < c.runs.size(); ++i)
      EXPECT_TRUE(Same(r.Rects[i], c.runs[i])) << c.rows[0] << " run " << i;
  }
}

TEST(RegionFromMask, MonochromeMaskAndEmptyMask) {
  TBitmap mask;
  mask.SetMonochrome(true);
  mask.SetSize(4, 1);
  mask.Canvas()->Brush()->SetColor(clWhite);
  mask.Canvas()->FillRect(TRect{0, 0, 4, 1});
  mask.Canvas()->SetPixels(2, 0, clBlack);
  std::unique_ptr<uint8_t[]> data;
  const TRegion r = Decode(data, CreateRgnFromBmp(&mask, data));
  ASSERT_EQ(r.Rects.size(), 1u);
  EXPECT_TRUE(Same(r.Rects[0], RECT{2, 0, 3, 1}));

  TBitmap empty;
  data = std::make_unique<uint8_t[]>(4);
  EXPECT_EQ(CreateRgnFromBmp(&empty, data), 0);
  EXPECT_EQ(data, nullptr);
}

// More runs than a fixed table of 10000 would hold: all are kept and the
// platform builds the same shape from them.
TEST(RegionFromMask, ManyRunsAllKeptAndAccepted) {
  TBitmap mask;
  mask.SetSize(201, 100);
  mask.Canvas()->Brush()->SetColor(clWhite);
  mask.Canvas()->FillRect(TRect{0, 0, 201, 100});
  for (int y = 0; y < 100; ++y)
    for (int x = y % 2; x < 201; x += 2)
      mask.Canvas()->SetPixels(x, y, clBlack);
  std::unique_ptr<uint8_t[]> data;
  const int size = CreateRgnFromBmp(&mask, data);
  EXPECT_EQ(size, 32 + 16 * (50 * 101 + 50 * 100));
  HRGN region = ExtCreateRegion(nullptr, static_cast<DWORD>(size),
                                reinterpret_cast<const RGNDATA*>(data.get()));
  ASSERT_NE(region, nullptr);
  EXPECT_TRUE(PtInRegion(region, 200, 98));
  EXPECT_FALSE(PtInRegion(region, 200, 99));
  EXPECT_TRUE(PtInRegion(region, 199, 99));
  DeleteObject(region);
}

TEST(RowTableCopy, RowsGapAndPixels) {
  TBitmap b;
  Paint(b, {".....", "..r.#"}, kMask);
  TFBitmap f(b.Handle());
  EXPECT_EQ(f.Width(), 5);
  EXPECT_EQ(f.Height(), 2);
  EXPECT_EQ(f.Gap(), 1);
  EXPECT_EQ(f.RowInc(), 16);
  EXPECT_EQ(f.Size(), 32);
  EXPECT_EQ(f.Row(1), f.Bits() + 16);
  const uint8_t* red = f.Row(1) + 2 * 3;
  EXPECT_EQ(red[0], 0);
  EXPECT_EQ(red[2], 255) << "blue, green, red";
  EXPECT_EQ(f.Row(1)[12], 0);
  EXPECT_EQ(GetPixel(f.DC(), 2, 1), RGB(255, 0, 0)) << "the copy is selected in its context";
}

TEST(Colours, RGBChangeSaturatesPerByteAndKeepsTheFourth) {
  const struct {
    TColor in;
    int8_t r, g, b;
    TColor out;
  } cases[] = {
      {Compose(250, 0, 0), 10, 0, 0, Compose(255, 0, 0)},
      {Compose(5, 0, 0), -5, 0, 0, Compose(0, 0, 0)},
      {Compose(6, 0, 0), -5, 0, 0, Compose(1, 0, 0)},
      {Compose(10, 20, 30), -65, 65, 127, Compose(0, 85, 157)},
      {Compose(100, 100, 100) | clPaletteRelative, 1, 1, 1,
       Compose(101, 101, 101) | clPaletteRelative},
      // A system colour's index byte is changed as it stands.
      {clBtnFace, 1, 0, 0, static_cast<TColor>(0x80000010u)},
  };
  for (const auto& c : cases)
    EXPECT_EQ(RGBChange(c.in, c.r, c.g, c.b), c.out) << std::hex << c.in;
}

TEST(Colours, MiddleColorResolvesAndTruncates) {
  EXPECT_EQ(MiddleColor(Compose(1, 255, 0), Compose(2, 0, 9)), Compose(1, 127, 4));
  const auto face = static_cast<COLORREF>(ColorToRGB(clBtnFace));
  EXPECT_EQ(MiddleColor(clBtnFace, clBlack),
            Compose(GetRValue(face) / 2, GetGValue(face) / 2, GetBValue(face) / 2));
}

TEST(Colours, PointInRectIncludesRightAndBottom) {
  const TRect r{2, 2, 5, 4};
  EXPECT_TRUE(PointInRect({5, 4}, r));
  EXPECT_TRUE(PointInRect({2, 2}, r));
  EXPECT_FALSE(PointInRect({6, 3}, r));
  EXPECT_FALSE(PointInRect({3, 1}, r));
}

// A running mean read from the source, worked by hand.
TEST(BitmapBlur, RunningMeanOfTheSourceIntoDest) {
  TBitmap source, dest;
  Paint(source, {"#.#"}, kMask);
  dest.SetSize(3, 1);
  Blur(&source, &dest, 1);
  EXPECT_EQ(dest.Canvas()->Pixels(0, 0), Compose(127, 127, 127));
  EXPECT_EQ(dest.Canvas()->Pixels(1, 0), Compose(95, 95, 95));
  EXPECT_EQ(dest.Canvas()->Pixels(2, 0), Compose(63, 63, 63));
  EXPECT_EQ(Picture(source, kMask), (std::vector<std::string>{"#.#"}));
}

TEST(DibAccess, ReadsAndWritesInTheBitmapsDepth) {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  Paint(b, {"r..", "..#"}, kMask);
  std::vector<uint8_t> bits(24);
  BITMAPINFO info;
  ASSERT_TRUE(GetDIB(b.Handle(), nullptr, info, bits.data()));
  EXPECT_EQ(info.bmiHeader.biBitCount, 24);
  EXPECT_EQ(info.bmiHeader.biHeight, 2) << "bottom-up";
  EXPECT_EQ(info.bmiHeader.biSizeImage, 24u) << "rows padded to 12 bytes";
  EXPECT_EQ(bits[12 + 2], 255) << "the top row comes last";
  EXPECT_EQ(bits[6], 0);
  bits[12 + 5] = 0; // the top row's middle pixel: white to cyan
  ASSERT_TRUE(SetDIB(b.Handle(), nullptr, info, bits.data()));
  EXPECT_EQ(b.Canvas()->Pixels(1, 0), Compose(0, 255, 255));
  EXPECT_THROW(GetDIB(nullptr, nullptr, info, bits.data()), EInvalidGraphic);
}

TEST(BitArray, GrowsOnWriteAndFindsTheFirstClearBit) {
  TBits bits;
  EXPECT_EQ(bits.OpenBit(), 0);
  bits.SetBit(40, true);
  EXPECT_EQ(bits.Size(), 41);
  EXPECT_TRUE(bits.GetBit(40));
  EXPECT_FALSE(bits.GetBit(39));
  EXPECT_FALSE(bits.GetBit(41)) << "beyond the array";
  EXPECT_FALSE(bits.GetBit(-1));
  for (int i = 0; i < 40; ++i)
    bits.SetBit(i, true);
  EXPECT_EQ(bits.OpenBit(), 41);
  bits.SetBit(33, false);
  EXPECT_EQ(bits.OpenBit(), 33);
  bits.SetSize(34);
  bits.SetSize(64);
  EXPECT_FALSE(bits.GetBit(40)) << "grown bits start clear";
  EXPECT_TRUE(bits.GetBit(32));
  bits.SetBit(-3, true);
  EXPECT_EQ(bits.Size(), 64);
}

} // namespace
