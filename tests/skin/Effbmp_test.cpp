#include "skin/Effbmp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using TPixels = std::vector<int>; // row-major, 0x00RRGGBB

std::unique_ptr<TEffectBmp> Make(int w, int h, const TPixels& pixels) {
  auto b = std::make_unique<TEffectBmp>(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b->SetPixel(x, y, pixels[static_cast<size_t>(y * w + x)]);
  return b;
}

std::unique_ptr<TEffectBmp> Filled(int w, int h, int value) {
  return Make(w, h, TPixels(static_cast<size_t>(w * h), value));
}

TPixels Pixels(const TEffectBmp& b) {
  TPixels out;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      out.push_back(b.GetPixel(x, y));
  return out;
}

// Blue channel only: most effects work on channels alike.
std::unique_ptr<TEffectBmp> Blues(int w, int h, const std::vector<int>& blues) {
  return Make(w, h, TPixels(blues.begin(), blues.end()));
}

std::vector<int> BluesOf(const TEffectBmp& b) {
  std::vector<int> out;
  for (int v : Pixels(b))
    out.push_back(v & 0xFF);
  return out;
}

TEST(EffectBmpLayout, StrideSizeAndHeader) {
  const struct {
    int width, stride;
  } cases[] = {{1, 4}, {2, 8}, {3, 12}, {4, 12}, {5, 16}, {7, 24}};
  for (const auto& c : cases) {
    TEffectBmp b(c.width, 3);
    EXPECT_EQ(b.Stride(), c.stride) << c.width;
    EXPECT_EQ(b.Size(), c.stride * 3) << c.width;
    EXPECT_EQ(b.GetLine(2), b.Bits() + 2 * c.stride) << c.width;
    const BITMAPINFOHEADER& h = b.BitmapInfo().bmiHeader;
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, c.width);
    EXPECT_EQ(h.biHeight, -3) << "top-down";
    EXPECT_EQ(h.biBitCount, 24);
    EXPECT_EQ(h.biSizeImage, 0u);
  }
}

TEST(EffectBmpLayout, PixelIsBlueGreenRedAsLowBytes) {
  TEffectBmp b(5, 2);
  std::memset(b.Bits(), 0xEE, static_cast<size_t>(b.Size()));
  uint8_t* p = b.GetLine(1) + 4 * 3;
  p[0] = 0x10;
  p[1] = 0x20;
  p[2] = 0x30;
  EXPECT_EQ(b.GetPixel(4, 1), 0x302010);
  b.SetPixel(0, 1, static_cast<int>(0xFFA1B2C3));
  const uint8_t* q = b.GetLine(1);
  EXPECT_EQ(q[0], 0xC3);
  EXPECT_EQ(q[1], 0xB2);
  EXPECT_EQ(q[2], 0xA1);
  EXPECT_EQ(q[3], 0xEE) << "the next pixel is untouched";
  EXPECT_EQ(b.GetLine(1)[15], 0xEE) << "row padding is untouched";
}

TEST(EffectBmpLayout, LinesCopyOnlyThePixelBytes) {
  auto b = Make(2, 2, {1, 2, 3, 4});
  uint8_t row[8];
  std::memset(row, 0x55, sizeof row);
  b->GetScanLine(1, row);
  EXPECT_EQ(row[0], 3);
  EXPECT_EQ(row[3], 4);
  EXPECT_EQ(row[6], 0x55) << "six bytes only";
  b->SetLine(0, row);
  EXPECT_EQ(Pixels(*b), (TPixels{3, 4, 3, 4}));
}

TEST(EffectBmpLifetime, ConstructedFromAnyBitmapAndCopied) {
  HBITMAP colour = CreateBitmap(3, 2, 1, 32, nullptr);
  HBITMAP mono = CreateBitmap(3, 2, 1, 1, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, colour);
  SetPixel(dc, 2, 1, RGB(0x30, 0x20, 0x10));
  SetPixel(dc, 0, 0, RGB(255, 255, 255));
  SelectObject(dc, mono);
  SetPixel(dc, 1, 0, RGB(255, 255, 255));
  SelectObject(dc, old);
  DeleteDC(dc);

  TEffectBmp fromColour(colour);
  EXPECT_EQ(Pixels(fromColour), (TPixels{0xFFFFFF, 0, 0, 0, 0, 0x302010}));
  TEffectBmp fromMono(mono);
  EXPECT_EQ(Pixels(fromMono), (TPixels{0, 0xFFFFFF, 0, 0, 0, 0}));
  DeleteObject(colour);
  DeleteObject(mono);

  TEffectBmp copy(fromColour);
  copy.SetPixel(0, 0, 0x123456);
  EXPECT_EQ(fromColour.GetPixel(0, 0), 0xFFFFFF) << "the copy has its own pixels";
  EXPECT_NE(copy.Handle(), fromColour.Handle());
}

// A buffer of size 0 is empty, and nothing done to it, or with it, touches
// memory or hangs.
TEST(EffectBmpLifetime, EmptyBuffersAreHarmless) {
  for (auto [w, h] : {std::pair{0, 0}, {0, 4}, {4, 0}, {-3, 2}}) {
    TEffectBmp e(w, h);
    EXPECT_EQ(e.Handle(), nullptr);
    EXPECT_EQ(e.Width(), 0);
    EXPECT_EQ(e.Height(), 0);
    EXPECT_EQ(e.Bits(), nullptr);
    auto other = Filled(3, 3, 0x808080);
    e.AddColorNoise(40);
    e.AddMiddleColor(clRed);
    e.AddMiddleColorInRect(clRed, TRect{0, 0, 5, 5});
    e.Blur(2);
    e.SplitBlur(2);
    e.Wave(3, 3, 4);
    e.AddGradColor(clRed, gdVCenter);
    e.AddGradColor(clRed, gdHCenter);
    e.Morph(other.get(), 0.5);
    e.MorphRect(other.get(), 0.5, TRect{0, 0, 2, 2}, 0, 0);
    e.CopyRect(other.get(), TRect{0, 0, 2, 2}, 0, 0);
    e.Flip();
    e.Flop();
    e.Tile(other.get());
    e.Resize(other.get());
    other->Resize(&e);
    TEffectBmp copy(e);
    EXPECT_EQ(copy.Bits(), nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    e.Draw(dc, 0, 0);
    e.TileDraw(dc, 0, 0, 10, 10);
    DeleteDC(dc);
    EXPECT_EQ(Pixels(*other), TPixels(9, 0x808080));
  }
  TEffectBmp none(static_cast<HBITMAP>(nullptr));
  EXPECT_EQ(none.Bits(), nullptr);
}

// The noise draws red, green, then blue for each pixel, shifted by half the
// amount and clamped; replaying the generator's seed predicts every byte.
TEST(EffectBmpNoise, DrawsRedGreenBluePerPixelAndClamps) {
  const TPixels start{0x000000, 0xFFFFFF, 0x808080, 0x01FE40, 0x102030, 0x7F7F7F};
  for (int amount : {2, 7, 64, 300}) {
    auto b = Make(3, 2, start);
    RandSeed = 4242;
    b->AddColorNoise(amount);
    RandSeed = 4242;
    TPixels expected;
    for (int v : start) {
      int out = 0;
      for (int shift : {16, 8, 0}) {
        const int c = ((v >> shift) & 0xFF) + Random(amount) - amount / 2;
        out |= std::clamp(c, 0, 255) << shift;
      }
      expected.push_back(out);
    }
    EXPECT_EQ(Pixels(*b), expected) << amount;
  }
  for (int amount : {0, 1}) {
    auto b = Make(3, 2, start);
    b->AddColorNoise(amount);
    EXPECT_EQ(Pixels(*b), start) << amount;
  }
}

TEST(EffectBmpTint, MiddleColorAveragesEachChannelRoundingDown) {
  auto b = Make(2, 1, {0x000000, 0xFF0103});
  b->AddMiddleColor(clRed); // TColor: red in the low byte
  EXPECT_EQ(Pixels(*b), (TPixels{0x7F0000, 0xFF0001}));
  auto sys = Filled(1, 1, 0);
  sys->AddMiddleColor(clBtnFace);
  const COLORREF face = static_cast<COLORREF>(ColorToRGB(clBtnFace));
  EXPECT_EQ(sys->GetPixel(0, 0),
            (GetRValue(face) / 2) << 16 | (GetGValue(face) / 2) << 8 | GetBValue(face) / 2)
      << "system colours are resolved first";
}

TEST(EffectBmpTint, MiddleColorInRectIsInclusiveAndStaysInside) {
  auto b = Filled(4, 3, 0);
  b->AddMiddleColorInRect(clBlue, TRect{1, 1, 2, 2});
  EXPECT_EQ(BluesOf(*b), (std::vector<int>{0, 0, 0, 0, 0, 127, 127, 0, 0, 127, 127, 0}));
  auto c = Filled(3, 2, 0);
  c->AddMiddleColorInRect(clBlue, TRect{-5, 1, 10, 9});
  EXPECT_EQ(BluesOf(*c), (std::vector<int>{0, 0, 0, 127, 127, 127}));
}

TEST(EffectBmpTint, MiddleBmpOnlyForEqualSizes) {
  auto b = Blues(2, 1, {1, 200});
  auto other = Blues(2, 1, {2, 101});
  b->MiddleBMP(other.get());
  EXPECT_EQ(BluesOf(*b), (std::vector<int>{1, 150}));
  for (auto [w, h] : {std::pair{2, 2}, {3, 1}, {1, 1}}) {
    auto odd = Filled(w, h, 0xFFFFFF);
    b->MiddleBMP(odd.get());
    EXPECT_EQ(BluesOf(*b), (std::vector<int>{1, 150})) << w << "x" << h;
  }
}

// Worked by hand: a running pairwise average, later neighbours weighing more
// and blurred pixels feeding the next.
TEST(EffectBmpBlur, RunningAverageInPlace) {
  auto b = Blues(3, 1, {0, 255, 0});
  b->Blur(1);
  EXPECT_EQ(BluesOf(*b), (std::vector<int>{127, 111, 27}));
  auto same = Blues(3, 1, {0, 255, 0});
  same->Blur(-1);
  EXPECT_EQ(BluesOf(*same), (std::vector<int>{0, 255, 0}));
  auto one = Blues(1, 1, {77});
  one->Blur(3);
  EXPECT_EQ(BluesOf(*one), (std::vector<int>{77}));
}

TEST(EffectBmpBlur, SplitBlurSamplesCornersOfTheBufferAsItStands) {
  const struct {
    int w, h, amount;
    std::vector<int> in, out;
  } cases[] = {
      // Two rows with a reach of 3: the lower row is min(2 - y, 1).
      {2, 2, 3, {0, 100, 200, 40}, {85, 70, 120, 40}},
      // One row: pixels to the left are already blurred when sampled.
      {3, 1, 1, {0, 100, 200}, {50, 125, 162}},
      {1, 1, 5, {9}, {9}},
      {3, 1, 0, {0, 100, 200}, {0, 100, 200}},
      // A negative reach keeps its samples inside the buffer.
      {3, 2, -2, {0, 40, 80, 120, 160, 200}, {100, 125, 125, 136, 140, 140}},
      // Near the far edge the lower row and the right column are the last
      // ones, not as far from that edge as the pixel is from the start.
      {1, 6, 2, {0, 40, 80, 120, 160, 200}, {40, 80, 100, 140, 150, 170}},
      {6, 1, 2, {0, 40, 80, 120, 160, 200}, {40, 80, 100, 140, 150, 170}},
  };
  for (const auto& c : cases) {
    auto b = Blues(c.w, c.h, c.in);
    b->SplitBlur(c.amount);
    EXPECT_EQ(BluesOf(*b), c.out) << c.w << "x" << c.h << " by " << c.amount;
  }
}

TEST(EffectBmpBlur, MaskSplitBlurChangesOnlyUnderBlack) {
  const std::vector<int> in{0, 100, 200, 40};
  auto mask = Make(2, 2, {0, 0xFFFFFF, 0x000001, 0});
  auto b = Blues(2, 2, in);
  b->MaskSplitBlur(mask.get(), 3);
  // (0,0) as in the plain blur; (1,1) reads the unchanged (1,0).
  EXPECT_EQ(BluesOf(*b), (std::vector<int>{85, 100, 200, 40}));

  auto taller = Make(2, 3, {0, 0, 0, 0, 0xFF, 0xFF});
  auto c = Blues(2, 2, in);
  c->MaskSplitBlur(taller.get(), 3);
  EXPECT_EQ(BluesOf(*c), (std::vector<int>{85, 70, 120, 40})) << "a taller mask will do";

  // Row 2 kept; the rows below it sample the last row, not the rows above.
  auto column = Make(1, 6, {0, 0, 0xFFFFFF, 0, 0, 0});
  auto d = Blues(1, 6, {0, 40, 80, 120, 160, 200});
  d->MaskSplitBlur(column.get(), 2);
  EXPECT_EQ(BluesOf(*d), (std::vector<int>{40, 80, 80, 140, 140, 170}));

  for (auto [w, h] : {std::pair{3, 2}, {2, 1}}) {
    auto wrong = Filled(w, h, 0);
    auto d = Blues(2, 2, in);
    d->MaskSplitBlur(wrong.get(), 3);
    EXPECT_EQ(BluesOf(*d), in) << w << "x" << h;
  }
  auto e = Blues(2, 2, in);
  e->MaskSplitBlur(mask.get(), 0);
  EXPECT_EQ(BluesOf(*e), in);
}

TEST(EffectBmpWave, ShiftsBySinesFromACopyAndClamps) {
  TPixels in;
  for (int i = 0; i < 16; ++i)
    in.push_back(i);
  auto b = Make(4, 4, in);
  b->Wave(1, 1, 2);
  // (0,1) reads (round(0 + 2 sin 1), 1) = (2, 1); (1,0) reads (1, 2);
  // (2,2) reads (round(2 + 2 sin 2) = 4 -> 3, 3); (3,3) reads itself.
  EXPECT_EQ(b->GetPixel(0, 1), 1 * 4 + 2);
  EXPECT_EQ(b->GetPixel(1, 0), 2 * 4 + 1);
  EXPECT_EQ(b->GetPixel(2, 2), 15);
  EXPECT_EQ(b->GetPixel(3, 3), 15);
  EXPECT_EQ(b->GetPixel(0, 0), 0);
  for (auto [xDiv, yDiv] : {std::pair{0, 5}, {5, 0}}) {
    auto same = Make(4, 4, in);
    same->Wave(xDiv, yDiv, 3);
    EXPECT_EQ(Pixels(*same), in) << xDiv << "," << yDiv;
  }
}

// Pixel 200 (or 2) on blue, colour black, along the gradient's direction.
TEST(EffectBmpGradient, EveryKindWeighsFromTheColourOutwards) {
  const struct {
    TGradKind kind;
    int length, pixel;
    TColor color;
    std::vector<int> out;
  } cases[] = {
      {gdLeft, 5, 200, clBlack, {0, 50, 100, 150, 200}},
      // 0.5 and 1.5 round to the even neighbour.
      {gdLeft, 5, 2, clBlack, {0, 0, 1, 2, 2}},
      {gdRight, 5, 200, clBlack, {200, 150, 100, 50, 0}},
      {gdTop, 5, 200, clBlack, {0, 50, 100, 150, 200}},
      {gdBottom, 5, 200, clBlack, {200, 150, 100, 50, 0}},
      {gdVCenter, 5, 200, clBlack, {200, 100, 0, 0, 100}},
      {gdHCenter, 6, 200, clBlack, {200, 100, 0, 0, 100, 200}},
      // Past the far edge k exceeds 1 and the results are clamped.
      {gdVCenter, 6, 200, clBlack, {255, 200, 100, 0, 0, 100}},
      {gdVCenter, 6, 50, clBlue, {0, 50, 152, 255, 255, 152}},
      // Too small for a finite step: the colour line, then the pixel.
      {gdLeft, 1, 200, clBlack, {0}},
      {gdVCenter, 2, 200, clBlack, {200, 0}},
      {gdHCenter, 2, 200, clBlack, {0, 0}},
      {gdHCenter, 1, 200, clBlack, {0}},
  };
  for (const auto& c : cases) {
    const bool rows = c.kind == gdTop || c.kind == gdBottom || c.kind == gdHCenter;
    const int w = rows ? 2 : c.length, h = rows ? c.length : 2;
    auto b = Filled(w, h, c.pixel);
    b->AddGradColor(c.color, c.kind);
    std::vector<int> line;
    for (int i = 0; i < c.length; ++i)
      line.push_back(b->GetPixel(rows ? 1 : i, rows ? i : 1) & 0xFF);
    EXPECT_EQ(line, c.out) << "kind " << c.kind << " length " << c.length;
    for (int i = 0; i < c.length; ++i)
      EXPECT_EQ(b->GetPixel(rows ? 0 : i, rows ? i : 0), b->GetPixel(rows ? 1 : i, rows ? i : 1))
          << "every line alike";
  }
}

TEST(EffectBmpGradient, ColourChannelsAndBitmapSource) {
  auto b = Filled(3, 1, 0x204060);
  b->AddGradColor(static_cast<TColor>(0x0A0B0C), gdLeft); // TColor 0x00BBGGRR
  EXPECT_EQ(b->GetPixel(0, 0), 0x0C0B0A);
  EXPECT_EQ(b->GetPixel(2, 0), 0x204060);

  auto c = Filled(3, 1, 0x204060);
  auto source = Make(3, 1, {0x0C0B0A, 0x0C0B0A, 0x0C0B0A});
  c->AddGradBMP(source.get(), gdLeft);
  EXPECT_EQ(Pixels(*c), Pixels(*b)) << "a uniform source bitmap equals its colour";

  auto spots = Make(3, 1, {0x000011, 0x000022, 0x000033});
  auto d = Filled(3, 1, 0x000080);
  d->AddGradBMP(spots.get(), gdRight);
  EXPECT_EQ(BluesOf(*d), (std::vector<int>{0x80, 0x51, 0x33})) << "the source at each place";
  auto e = Filled(3, 1, 0x000080);
  auto smaller = Filled(2, 1, 0);
  e->AddGradBMP(smaller.get(), gdLeft);
  EXPECT_EQ(BluesOf(*e), (std::vector<int>{0x80, 0x80, 0x80}));
}

TEST(EffectBmpMorph, WeightIsClampedAndRoundedToEven) {
  const struct {
    double kf;
    std::vector<int> out;
  } cases[] = {
      {0.0, {1, 0, 3, 100}},  {1.0, {2, 1, 5, 200}},      {1.5, {2, 1, 5, 200}},
      {-0.2, {1, 0, 3, 100}}, {NAN, {1, 0, 3, 100}},      {0.5, {2, 0, 4, 150}},
      {0.25, {1, 0, 4, 125}}, {INFINITY, {2, 1, 5, 200}},
  };
  for (const auto& c : cases) {
    auto b = Blues(4, 1, {1, 0, 3, 100});
    auto other = Blues(4, 1, {2, 1, 5, 200});
    b->Morph(other.get(), c.kf);
    EXPECT_EQ(BluesOf(*b), c.out) << c.kf;
  }
  auto b = Blues(2, 1, {1, 2});
  auto taller = Blues(2, 2, {9, 9, 9, 9});
  b->Morph(taller.get(), 1);
  EXPECT_EQ(BluesOf(*b), (std::vector<int>{1, 2}));
}

TEST(EffectBmpMorph, MorphRectBlendsTheOffsetBlockInsideBothBuffers) {
  auto b = Filled(3, 2, 0);
  auto other = Blues(2, 2, {10, 20, 30, 40});
  b->MorphRect(other.get(), 1, TRect{1, 0, 2, 1}, 0, 0);
  EXPECT_EQ(BluesOf(*b), (std::vector<int>{0, 10, 20, 0, 30, 40}));
  auto c = Filled(3, 2, 0);
  c->MorphRect(other.get(), 1, TRect{-1, 0, 5, 5}, 0, 0);
  // Column c of this reads other's column c + 1; other ends at column 1.
  EXPECT_EQ(BluesOf(*c), (std::vector<int>{20, 0, 0, 40, 0, 0}));
}

TEST(EffectBmpCopy, CopyRectInclusiveAndClipped) {
  auto src = Blues(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9});
  auto b = Filled(3, 3, 0);
  b->CopyRect(src.get(), TRect{1, 1, 2, 2}, 0, 1);
  EXPECT_EQ(BluesOf(*b), (std::vector<int>{0, 0, 0, 0, 4, 5, 0, 7, 8}));
  auto c = Filled(2, 2, 0);
  c->CopyRect(src.get(), TRect{-1, -1, 9, 9}, 0, 0);
  EXPECT_EQ(BluesOf(*c), (std::vector<int>{5, 6, 8, 9}));
  auto d = Filled(2, 2, 0);
  d->CopyRect(src.get(), TRect{0, 0, 1, 1}, 2, 2);
  EXPECT_EQ(BluesOf(*d), (std::vector<int>{9, 0, 0, 0})) << "source beyond its edge is skipped";
}

TEST(EffectBmpCopy, FlipAndFlopMirror) {
  const struct {
    int w, h;
    std::vector<int> in, flipped, flopped;
  } cases[] = {
      {3, 2, {1, 2, 3, 4, 5, 6}, {3, 2, 1, 6, 5, 4}, {4, 5, 6, 1, 2, 3}},
      {2, 3, {1, 2, 3, 4, 5, 6}, {2, 1, 4, 3, 6, 5}, {5, 6, 3, 4, 1, 2}},
      {1, 1, {7}, {7}, {7}},
  };
  for (const auto& c : cases) {
    auto b = Blues(c.w, c.h, c.in);
    b->Flip();
    EXPECT_EQ(BluesOf(*b), c.flipped);
    auto d = Blues(c.w, c.h, c.in);
    d->Flop();
    EXPECT_EQ(BluesOf(*d), c.flopped);
  }
}

TEST(EffectBmpCopy, TileRepeatsAndResizeReplicates) {
  auto src = Blues(2, 2, {1, 2, 3, 4});
  auto tiled = Filled(5, 3, 0);
  src->Tile(tiled.get());
  EXPECT_EQ(BluesOf(*tiled), (std::vector<int>{1, 2, 1, 2, 1, 3, 4, 3, 4, 3, 1, 2, 1, 2, 1}));

  // (5 - 1) / 2 = 2: each pixel covers three places, the later one wins.
  auto grown = Filled(5, 1, 0);
  auto row = Blues(2, 1, {1, 2});
  row->Resize(grown.get());
  EXPECT_EQ(BluesOf(*grown), (std::vector<int>{1, 1, 2, 2, 2}));
  auto big = Filled(5, 5, 0);
  src->Resize(big.get());
  EXPECT_EQ(big->GetPixel(0, 0), 1);
  EXPECT_EQ(big->GetPixel(4, 4), 4);
  EXPECT_EQ(big->GetPixel(2, 2), 4);
  EXPECT_EQ(big->GetPixel(1, 3), 3);
  // (4 - 1) / 2 reaches column 2 only; (2 - 1) / 4 puts every column at 0,
  // the last one staying. The columns and rows never reached repeat the last
  // one reached rather than keep what dest held.
  const struct {
    int w, h;
    std::vector<int> in;
    int dw, dh;
    std::vector<int> out;
  } edges[] = {
      {2, 1, {1, 2}, 4, 1, {1, 2, 2, 2}},
      {4, 1, {5, 6, 7, 8}, 2, 1, {8, 8}},
      {1, 2, {1, 2}, 2, 4, {1, 1, 2, 2, 2, 2, 2, 2}},
      {3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9}, 2, 2, {9, 9, 9, 9}},
  };
  for (const auto& c : edges) {
    auto from = Blues(c.w, c.h, c.in);
    auto to = Filled(c.dw, c.dh, 0xAA);
    from->Resize(to.get());
    EXPECT_EQ(BluesOf(*to), c.out) << c.w << "x" << c.h << " to " << c.dw << "x" << c.dh;
  }
}

// A 24-bit surface to draw the buffer on, read back pixel by pixel.
class TSurface {
public:
  TSurface(int w, int h)
      : dc(CreateCompatibleDC(nullptr)), bitmap(CreateBitmap(w, h, 1, 24, nullptr)) {
    old = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, w, h, WHITENESS);
  }
  ~TSurface() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  HDC Dc() const { return dc; }
  // The pixel as 0x00RRGGBB, to compare with the buffer's.
  int At(int x, int y) const {
    const COLORREF c = GetPixel(dc, x, y);
    return GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
  }

private:
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old = nullptr;
};

TEST(EffectBmpDraw, DrawStretchRectAndTile) {
  auto b = Make(2, 2, {0x110000, 0x002200, 0x000033, 0x444444});
  TSurface s(8, 6);
  b->Draw(s.Dc(), 1, 1);
  EXPECT_EQ(s.At(1, 1), 0x110000);
  EXPECT_EQ(s.At(2, 2), 0x444444);
  EXPECT_EQ(s.At(3, 3), 0xFFFFFF);

  b->Stretch(s.Dc(), 4, 0, 4, 4);
  EXPECT_EQ(s.At(4, 0), 0x110000);
  EXPECT_EQ(s.At(5, 1), 0x110000);
  EXPECT_EQ(s.At(7, 3), 0x444444);
  EXPECT_EQ(s.At(6, 1), 0x002200);

  TSurface r(4, 4);
  b->DrawRect(r.Dc(), 2, 2, 1, 0, 1, 2);
  EXPECT_EQ(r.At(2, 2), 0x002200);
  EXPECT_EQ(r.At(2, 3), 0x444444);
  EXPECT_EQ(r.At(3, 2), 0xFFFFFF);
  EXPECT_EQ(r.At(1, 2), 0xFFFFFF);

  TSurface t(8, 6);
  b->TileDraw(t.Dc(), 1, 1, 5, 3);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) {
      const bool inside = x >= 1 && x < 6 && y >= 1 && y < 4;
      EXPECT_EQ(t.At(x, y), inside ? b->GetPixel((x - 1) % 2, (y - 1) % 2) : 0xFFFFFF)
          << x << "," << y;
    }
}

} // namespace
