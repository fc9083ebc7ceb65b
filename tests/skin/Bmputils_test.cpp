#include "skin/Bmputils.h"
#include "skin/Eputils.h"

#include "SkinPixels.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// 'k' is the key colour of the glyphs, '-' the background they go on.
const TPalette kColors{{'k', clFuchsia}, {'-', clSilver}, {'r', clRed},
                       {'g', clLime},    {'b', clBlue},   {'y', clYellow}};

// A glyph whose bottom-left pixel is the key colour.
void Glyph(TBitmap& b) {
  Paint(b, {"krg", "bkr", "kkk"}, kColors);
}

void Background(TBitmap& b, int w, int h) {
  Paint(b,
        std::vector<std::string>(static_cast<size_t>(h), std::string(static_cast<size_t>(w), '-')),
        kColors);
}

TEST(TransparentDraw, KeyColourLeavesTheBackground) {
  TBitmap glyph;
  Glyph(glyph);
  EXPECT_EQ(GetTransparentColor(&glyph), clFuchsia);
  const struct {
    TColor color;
    std::vector<std::string> out;
  } cases[] = {
      {clFuchsia, {"-----", "--rg-", "-b-r-", "-----"}},
      {clFuchsia | clPaletteRelative, {"-----", "--rg-", "-b-r-", "-----"}},
      {clDefault, {"-----", "--rg-", "-b-r-", "-----"}},
      {clNone, {"-----", "-krg-", "-bkr-", "-kkk-"}},
      {clRed, {"-----", "-k-g-", "-bk--", "-kkk-"}},
  };
  for (const auto& c : cases) {
    TBitmap target;
    Background(target, 5, 4);
    DrawBitmapTransparent(target.Canvas(), 1, 1, &glyph, c.color);
    EXPECT_EQ(Picture(target, kColors), c.out) << std::hex << c.color;
  }
  EXPECT_EQ(Picture(glyph, kColors), (std::vector<std::string>{"krg", "bkr", "kkk"}))
      << "the glyph itself is unchanged";
}

TEST(TransparentDraw, TheOtherUnitsTwinTakesDefaultAsAColour) {
  TBitmap glyph, target;
  Glyph(glyph);
  Background(target, 3, 3);
  Eputils::DrawBitmapTransparent(target.Canvas(), 0, 0, &glyph, clDefault);
  EXPECT_EQ(Picture(target, kColors), (std::vector<std::string>{"krg", "bkr", "kkk"}));
  Background(target, 3, 3);
  Eputils::DrawBitmapTransparent(target.Canvas(), 0, 0, &glyph, clFuchsia);
  EXPECT_EQ(Picture(target, kColors), (std::vector<std::string>{"-rg", "b-r", "---"}));
}

TEST(TransparentDraw, PartsStretchAndHandles) {
  TBitmap glyph;
  Glyph(glyph);
  const struct {
    TRect part;
    int w, h;
    std::vector<std::string> out;
  } cases[] = {
      {{1, 0, 3, 2}, 0, 0, {"rg----", "-r----", "------"}},
      // The part is cut at the bitmap's edge.
      {{2, 1, 9, 9}, 0, 0, {"r-----", "------", "------"}},
      // An empty part is the whole bitmap.
      {{0, 0, 0, 0}, 0, 0, {"-rg---", "b-r---", "------"}},
      {{1, 0, 2, 1}, 2, 2, {"rr----", "rr----", "------"}},
      {{0, 0, 3, 3}, 6, 3, {"--rrgg", "bb--rr", "------"}},
  };
  for (const auto& c : cases) {
    TBitmap target;
    Background(target, 6, 3);
    StretchBitmapRectTransparent(target.Canvas(), 0, 0, c.w, c.h, c.part, &glyph, clFuchsia);
    EXPECT_EQ(Picture(target, kColors), c.out)
        << c.part.Left << "," << c.part.Top << "," << c.part.Right << "," << c.part.Bottom;
  }
  TBitmap target;
  Background(target, 4, 3);
  DrawBitmapRectTransparent(target.Canvas(), 1, 1, TRect{0, 1, 2, 3}, &glyph, clDefault);
  EXPECT_EQ(Picture(target, kColors), (std::vector<std::string>{"----", "-b--", "----"}));
  Background(target, 4, 3);
  DrawTransparentBitmap(target.Canvas()->Handle(), glyph.Handle(), 1, 0, RGB(255, 0, 255));
  EXPECT_EQ(Picture(target, kColors), (std::vector<std::string>{"--rg", "-b-r", "----"}));
  EXPECT_EQ(Picture(glyph, kColors), (std::vector<std::string>{"krg", "bkr", "kkk"}));
}

TEST(TransparentDraw, CopiesPartsWithTheCanvasCopyMode) {
  TBitmap glyph, target;
  Glyph(glyph);
  Background(target, 4, 2);
  DrawBitmapRect(target.Canvas(), 2, 0, &glyph, TRect{1, 0, 3, 2});
  EXPECT_EQ(Picture(target, kColors), (std::vector<std::string>{"--rg", "--kr"}));
}

// Frames of a 40-pixel strip are 10 wide; each has its own key colour at
// its bottom-left and a stripe of its own colour.
TEST(Glyphs, PaintGlyphCutsTheFrameAndKeysItsOwnCorner) {
  TBitmap strip;
  const std::string frames[] = {"rrrrrrrrrr", "gggggggggg", "bbbbbbbbbb", "yyyyyyyyyy"};
  const char keys[] = {'g', 'b', 'y', 'r'};
  std::vector<std::string> rows(3);
  for (int f = 0; f < 4; ++f) {
    rows[0] += frames[f];
    rows[1] += std::string(1, keys[f]) + frames[f].substr(1);
    rows[2] += std::string(10, keys[f]);
  }
  Paint(strip, rows, kColors);
  TBitmap target;
  Background(target, 12, 3);
  PaintGlyph(target.Canvas(), 1, 0, &strip, 4, 2);
  EXPECT_EQ(Picture(target, kColors),
            (std::vector<std::string>{"-gggggggggg-", "--ggggggggg-", "------------"}));

  for (auto [count, index] : {std::pair{0, 1}, {4, 0}, {4, 5}, {41, 1}}) {
    Background(target, 12, 3);
    PaintGlyph(target.Canvas(), 0, 0, &strip, count, index);
    EXPECT_EQ(Picture(target, kColors), std::vector<std::string>(3, std::string(12, '-')))
        << count << " frames, frame " << index;
  }
  TBitmap empty;
  PaintGlyph(target.Canvas(), 0, 0, &empty, 1, 1);
  EXPECT_EQ(GetTransparentColor(&empty), clNone);
}

std::vector<RECT> Runs(TBitmap& b) {
  std::unique_ptr<uint8_t[]> data;
  const int size = CreateRFromBmp(&b, data);
  if (size == 0)
    return {};
  RGNDATAHEADER header;
  std::memcpy(&header, data.get(), sizeof header);
  EXPECT_EQ(size, static_cast<int>(32 + 16 * header.nCount));
  std::vector<RECT> runs(header.nCount);
  if (!runs.empty())
    std::memcpy(runs.data(), data.get() + 32, runs.size() * sizeof(RECT));
  return runs;
}

std::string Describe(const std::vector<RECT>& runs) {
  std::string s;
  for (const RECT& r : runs)
    s += std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) + " ";
  return s;
}

// The key is the colour at column 0 of the second row from the bottom.
TEST(Regions, OpaqueRunsOfABitmap) {
  const struct {
    std::vector<std::string> rows;
    std::string runs;
  } cases[] = {
      {{"krrk", "kkgg", "bbbb"}, "1,0-3 2,1-4 0,2-4 "},
      {{"rr", "kk"}, "0,1-2 "},
      {{"rk"}, "0,0-2 "}, // one row: no key row, every pixel opaque
  };
  for (const auto& c : cases) {
    TBitmap b;
    Paint(b, c.rows, kColors);
    EXPECT_EQ(Describe(Runs(b)), c.runs) << c.rows[0];
  }
  TBitmap empty;
  EXPECT_TRUE(Runs(empty).empty());
}

} // namespace
