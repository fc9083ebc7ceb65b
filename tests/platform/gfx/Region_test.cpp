// Regions: shapes, combinations, point tests and the region data block.
#include "platform/gfx/Graphics.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct TRegion {
  explicit TRegion(HRGN h) : handle(h) {}
  ~TRegion() { DeleteObject(handle); }
  TRegion(const TRegion&) = delete;
  TRegion& operator=(const TRegion&) = delete;
  HRGN handle;
};

std::vector<uint8_t> DataOf(HRGN r) {
  std::vector<uint8_t> data(GetRegionData(r, 0, nullptr));
  EXPECT_EQ(
      GetRegionData(r, static_cast<DWORD>(data.size()), reinterpret_cast<RGNDATA*>(data.data())),
      data.size());
  return data;
}

uint32_t Field(const std::vector<uint8_t>& data, size_t offset) {
  uint32_t v;
  std::memcpy(&v, data.data() + offset, 4);
  return v;
}

void SetField(std::vector<uint8_t>& data, size_t offset, uint32_t v) {
  std::memcpy(data.data() + offset, &v, 4);
}

TEST(RegionData, HeaderLayoutAndRoundTrip) {
  TRegion a(CreateRectRgn(0, 0, 3, 1));
  TRegion b(CreateRectRgn(5, 0, 6, 2));
  CombineRgn(a.handle, a.handle, b.handle, RGN_OR);
  const std::vector<uint8_t> data = DataOf(a.handle);
  ASSERT_EQ(data.size(), 32u + 3 * 16);
  EXPECT_EQ(Field(data, 0), 32u) << "header size";
  EXPECT_EQ(Field(data, 4), 1u) << "rectangles";
  EXPECT_EQ(Field(data, 8), 3u) << "count";
  EXPECT_EQ(Field(data, 12), 48u) << "byte size of the rectangles";
  const uint32_t bounds[] = {0, 0, 6, 2};
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(Field(data, 16 + 4 * i), bounds[i]);
  // Banded: row 0 holds two pieces left to right, row 1 one.
  const uint32_t rects[] = {0, 0, 3, 1, 5, 0, 6, 1, 5, 1, 6, 2};
  for (int i = 0; i < 12; ++i)
    EXPECT_EQ(Field(data, 32 + 4 * i), rects[i]) << i;
  TRegion back(ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()),
                               reinterpret_cast<const RGNDATA*>(data.data())));
  ASSERT_NE(back.handle, nullptr);
  EXPECT_TRUE(EqualRgn(back.handle, a.handle));
  EXPECT_EQ(DataOf(back.handle), data);
}

TEST(RegionData, BuilderBlocksWithZeroRegionSizeAreAccepted) {
  // One-pixel-high runs as a mask scan writes them, nRgnSize left 0.
  std::vector<uint8_t> data(32 + 2 * 16, 0);
  SetField(data, 0, 32);
  SetField(data, 4, 1);
  SetField(data, 8, 2);
  SetField(data, 24, 3);
  SetField(data, 28, 2);
  const uint32_t rects[] = {0, 0, 1, 1, 2, 0, 3, 1};
  std::memcpy(data.data() + 32, rects, sizeof rects);
  TRegion r(ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()),
                            reinterpret_cast<const RGNDATA*>(data.data())));
  ASSERT_NE(r.handle, nullptr);
  EXPECT_TRUE(PtInRegion(r.handle, 0, 0));
  EXPECT_FALSE(PtInRegion(r.handle, 1, 0));
  EXPECT_TRUE(PtInRegion(r.handle, 2, 0));
  EXPECT_FALSE(PtInRegion(r.handle, 0, 1));
}

TEST(RegionData, HugeCoordinatesAreHeldTo27Bits) {
  // A stored block from a damaged file: the width does not fit in an int.
  std::vector<uint8_t> data(32 + 16, 0);
  SetField(data, 0, 32);
  SetField(data, 4, 1);
  SetField(data, 8, 1);
  const int32_t rect[] = {-2147483644, 0, 9, 5};
  std::memcpy(data.data() + 32, rect, sizeof rect);
  TRegion r(ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()),
                            reinterpret_cast<const RGNDATA*>(data.data())));
  ASSERT_NE(r.handle, nullptr);
  RECT box{};
  GetRgnBox(r.handle, &box);
  EXPECT_EQ(box.left, -(1 << 27));
  EXPECT_EQ(box.right, 9);
  EXPECT_TRUE(PtInRegion(r.handle, 8, 4));
  EXPECT_TRUE(PtInRegion(r.handle, -100000, 0));
  EXPECT_FALSE(PtInRegion(r.handle, 9, 0));
}

TEST(RegionData, BadHeadersAndSizesAreRefused) {
  TRegion source(CreateRectRgn(1, 2, 30, 40));
  const std::vector<uint8_t> good = DataOf(source.handle);
  struct TCase {
    const char* name;
    size_t offset;
    uint32_t value;
    DWORD size;
  };
  const DWORD full = static_cast<DWORD>(good.size());
  const TCase cases[] = {
      {"header size 0", 0, 0, full},
      {"header size 40", 0, 40, full},
      {"type 2", 4, 2, full},
      {"count beyond the block", 8, 2, full},
      {"huge count", 8, 0x10000000, full},
      {"block shorter than the header", 0, 32, 31},
      {"block shorter than the rectangles", 0, 32, full - 1},
  };
  for (const TCase& c : cases) {
    std::vector<uint8_t> bad = good;
    SetField(bad, c.offset, c.value);
    EXPECT_EQ(ExtCreateRegion(nullptr, c.size, reinterpret_cast<const RGNDATA*>(bad.data())),
              nullptr)
        << c.name;
  }
  EXPECT_EQ(ExtCreateRegion(nullptr, full, nullptr), nullptr);
  int transform = 0;
  EXPECT_EQ(ExtCreateRegion(&transform, full, reinterpret_cast<const RGNDATA*>(good.data())),
            nullptr);
  std::vector<uint8_t> small(16);
  EXPECT_EQ(GetRegionData(source.handle, 16, reinterpret_cast<RGNDATA*>(small.data())), full)
      << "too small a buffer: only the size is answered";
}

TEST(Regions, PointTestsOfShapes) {
  TRegion rect(CreateRectRgn(10, 10, 20, 15));
  TRegion ellipse(CreateEllipticRgn(0, 0, 20, 10));
  TRegion round(CreateRoundRectRgn(0, 0, 20, 20, 10, 10));
  struct TCase {
    HRGN region;
    int x, y;
    bool inside;
  } const cases[] = {
      {rect.handle, 10, 10, true},   {rect.handle, 19, 14, true},    {rect.handle, 20, 14, false},
      {rect.handle, 19, 15, false},  {ellipse.handle, 10, 5, true},  {ellipse.handle, 0, 5, true},
      {ellipse.handle, 19, 4, true}, {ellipse.handle, 20, 5, false}, {ellipse.handle, 0, 0, false},
      {ellipse.handle, 1, 9, false}, {round.handle, 10, 0, true},    {round.handle, 0, 10, true},
      {round.handle, 0, 0, false},   {round.handle, 19, 19, false},  {round.handle, 2, 2, true},
      {round.handle, 20, 10, false},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(static_cast<bool>(PtInRegion(c.region, c.x, c.y)), c.inside) << c.x << "," << c.y;
}

TEST(Regions, CombineModesAndOffset) {
  TRegion a(CreateRectRgn(0, 0, 4, 4));
  TRegion b(CreateRectRgn(2, 2, 6, 6));
  TRegion out(CreateRectRgn(0, 0, 0, 0));
  struct TCase {
    int mode;
    int kind;
    bool at11, at33, at55;
  } const cases[] = {
      {RGN_AND, SIMPLEREGION, false, true, false}, {RGN_OR, COMPLEXREGION, true, true, true},
      {RGN_XOR, COMPLEXREGION, true, false, true}, {RGN_DIFF, COMPLEXREGION, true, false, false},
      {RGN_COPY, SIMPLEREGION, true, true, false},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(CombineRgn(out.handle, a.handle, b.handle, c.mode), c.kind) << c.mode;
    EXPECT_EQ(static_cast<bool>(PtInRegion(out.handle, 1, 1)), c.at11) << c.mode;
    EXPECT_EQ(static_cast<bool>(PtInRegion(out.handle, 3, 3)), c.at33) << c.mode;
    EXPECT_EQ(static_cast<bool>(PtInRegion(out.handle, 5, 5)), c.at55) << c.mode;
  }
  EXPECT_EQ(CombineRgn(out.handle, a.handle, a.handle, RGN_DIFF), NULLREGION);
  EXPECT_EQ(OffsetRgn(a.handle, -10, -20), SIMPLEREGION);
  RECT box;
  GetRgnBox(a.handle, &box);
  EXPECT_EQ(box.left, -10);
  EXPECT_EQ(box.bottom, -16);
}

TEST(Regions, FillAndFrameThroughTheViewport) {
  TBitmap b;
  b.SetSize(12, 12);
  HDC dc = b.Canvas()->Handle();
  TRegion r(CreateRectRgn(0, 0, 5, 4));
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  SetViewportOrgEx(dc, 2, 3, nullptr);
  FillRgn(dc, r.handle, red);
  FrameRgn(dc, r.handle, blue, 1, 1);
  SetViewportOrgEx(dc, 0, 0, nullptr);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) {
      const bool inside = x >= 2 && x < 7 && y >= 3 && y < 7;
      const bool edge = inside && (x == 2 || x == 6 || y == 3 || y == 6);
      const COLORREF expected = !inside ? RGB(255, 255, 255)
                                : edge  ? RGB(0, 0, 255)
                                        : RGB(255, 0, 0);
      EXPECT_EQ(GetPixel(dc, x, y), expected) << x << "," << y;
    }
  DeleteObject(red);
  DeleteObject(blue);
}

} // namespace
