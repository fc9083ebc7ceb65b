// Every effect and drawing utility once, on one sheet written as a PNG into
// the build folder for a look by eye.
#include "skin/Bmputils.h"
#include "skin/Effbmp.h"
#include "skin/Grutils.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kW = 96, kH = 64, kCellW = kW + 12, kCellH = kH + 22, kColumns = 6;

// A picture with edges and colours for the effects to work on.
void Scene(TBitmap& b) {
  b.SetSize(kW, kH);
  TCanvas* c = b.Canvas();
  for (int x = 0; x < kW; ++x) {
    c->Pen()->SetColor(Compose(static_cast<uint8_t>(x * 255 / kW), 90, 200));
    c->MoveTo(x, 0);
    c->LineTo(x, kH);
  }
  c->Brush()->SetColor(clYellow);
  c->Pen()->SetColor(clBlack);
  c->Ellipse(10, 8, 50, 48);
  c->Brush()->SetColor(clRed);
  c->Rectangle(56, 20, 86, 56);
  c->Brush()->SetStyle(bsClear);
  c->Font()->SetName("Arial");
  c->Font()->SetSize(9);
  c->Font()->SetColor(clWhite);
  c->TextOut(14, 48, "Skin");
}

TEST(Demo, EveryEffectOnOneSheet) {
  TBitmap scene, other, mask;
  Scene(scene);
  other.SetSize(kW, kH);
  other.Canvas()->Brush()->SetColor(clNavy);
  other.Canvas()->FillRect(TRect{0, 0, kW, kH});
  other.Canvas()->Brush()->SetColor(clAqua);
  other.Canvas()->Ellipse(30, 4, 90, 60);
  mask.SetSize(kW, kH);
  mask.Canvas()->Brush()->SetColor(clWhite);
  mask.Canvas()->FillRect(TRect{0, 0, kW, kH});
  mask.Canvas()->Brush()->SetColor(clBlack);
  mask.Canvas()->Ellipse(0, 0, kW / 2, kH);
  const TEffectBmp second(other.Handle());
  const TEffectBmp maskBuffer(mask.Handle());

  using TEffect = std::function<void(TEffectBmp&)>;
  const std::vector<std::pair<std::string, TEffect>> effects{
      {"original", [](TEffectBmp&) {}},
      {"noise 60",
       [](TEffectBmp& b) {
         RandSeed = 1;
         b.AddColorNoise(60);
       }},
      {"middle navy", [](TEffectBmp& b) { b.AddMiddleColor(clNavy); }},
      {"middle in rect",
       [](TEffectBmp& b) {
         b.AddMiddleColorInRect(clBlack, TRect{8, 8, 60, 40});
       }},
      {"middle bmp", [&](TEffectBmp& b) { b.MiddleBMP(&second); }},
      {"blur 1", [](TEffectBmp& b) { b.Blur(1); }},
      {"split blur 3", [](TEffectBmp& b) { b.SplitBlur(3); }},
      {"mask split blur", [&](TEffectBmp& b) { b.MaskSplitBlur(&maskBuffer, 3); }},
      {"wave 8 8 4", [](TEffectBmp& b) { b.Wave(8, 8, 4); }},
      {"grad right", [](TEffectBmp& b) { b.AddGradColor(clWhite, gdRight); }},
      {"grad left", [](TEffectBmp& b) { b.AddGradColor(clWhite, gdLeft); }},
      {"grad top", [](TEffectBmp& b) { b.AddGradColor(clBlack, gdTop); }},
      {"grad bottom", [](TEffectBmp& b) { b.AddGradColor(clBlack, gdBottom); }},
      {"grad vcenter", [](TEffectBmp& b) { b.AddGradColor(clLime, gdVCenter); }},
      {"grad hcenter", [](TEffectBmp& b) { b.AddGradColor(clLime, gdHCenter); }},
      {"grad bmp", [&](TEffectBmp& b) { b.AddGradBMP(&second, gdLeft); }},
      {"morph 0.3", [&](TEffectBmp& b) { b.Morph(&second, 0.3); }},
      {"morph rect",
       [&](TEffectBmp& b) {
         b.MorphRect(&second, 1, TRect{40, 10, 80, 50}, 30, 5);
       }},
      {"flip", [](TEffectBmp& b) { b.Flip(); }},
      {"flop", [](TEffectBmp& b) { b.Flop(); }},
      {"copy rect",
       [](TEffectBmp& b) {
         const TEffectBmp copy(b);
         b.CopyRect(&copy, TRect{50, 0, 95, 30}, 10, 10);
       }},
      {"tile of a quarter",
       [](TEffectBmp& b) {
         TEffectBmp quarter(kW / 4, kH / 4);
         quarter.CopyRect(&b, TRect{0, 0, kW / 4 - 1, kH / 4 - 1}, 12, 12);
         quarter.Tile(&b);
       }},
      {"resize of a quarter",
       [](TEffectBmp& b) {
         TEffectBmp quarter(kW / 4, kH / 4);
         quarter.CopyRect(&b, TRect{0, 0, kW / 4 - 1, kH / 4 - 1}, 10, 8);
         quarter.Resize(&b);
       }},
  };

  const int rows = static_cast<int>(effects.size() + 5) / kColumns + 1;
  TBitmap sheet;
  sheet.SetSize(kColumns * kCellW, rows * kCellH);
  TCanvas* c = sheet.Canvas();
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(TRect{0, 0, sheet.Width(), sheet.Height()});
  c->Font()->SetName("Arial");
  c->Font()->SetSize(8);
  c->Brush()->SetStyle(bsClear);
  int cell = 0;
  auto origin = [&](int i) {
    return TPoint{(i % kColumns) * kCellW + 6, (i / kColumns) * kCellH + 4};
  };
  for (const auto& [name, effect] : effects) {
    TEffectBmp b(scene.Handle());
    effect(b);
    const TPoint at = origin(cell++);
    b.Draw(c->Handle(), at.X, at.Y);
    c->TextOut(at.X, at.Y + kH + 2, name.c_str());
    EXPECT_EQ(static_cast<COLORREF>(c->Pixels(at.X + 5, at.Y + 5)),
              RGB(static_cast<BYTE>(b.GetPixel(5, 5) >> 16),
                  static_cast<BYTE>(b.GetPixel(5, 5) >> 8), static_cast<BYTE>(b.GetPixel(5, 5))))
        << name;
  }

  // The drawing utilities: a tiled buffer, a glyph drawn with its key colour
  // left out, and the three frames.
  TPoint at = origin(cell++);
  TEffectBmp tile(12, 12);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x)
      tile.SetPixel(x, y, (x / 6 + y / 6) % 2 ? 0x3050A0 : 0xE0E0FF);
  tile.TileDraw(c->Handle(), at.X, at.Y, kW, kH);
  TBitmap glyph;
  glyph.SetSize(24, 24);
  glyph.Canvas()->Brush()->SetColor(clFuchsia);
  glyph.Canvas()->FillRect(TRect{0, 0, 24, 24});
  glyph.Canvas()->Brush()->SetColor(clGreen);
  glyph.Canvas()->Ellipse(2, 2, 22, 22);
  DrawBitmapTransparent(c, at.X + 36, at.Y + 20, &glyph, GetTransparentColor(&glyph));
  c->TextOut(at.X, at.Y + kH + 2, "tile + glyph");

  at = origin(cell++);
  Frm3D(c, Bounds(at.X, at.Y, kW, kH), clWhite, clGray, 3);
  RndFrm3D(c, clWhite, clGray, Bounds(at.X + 10, at.Y + 10, 40, 40), 2);
  RndRectFrm3D(c, Bounds(at.X + 54, at.Y + 10, 36, 44), clWhite, clGray, 12, 2);
  c->Brush()->SetStyle(bsClear);
  c->TextOut(at.X, at.Y + kH + 2, "frames");

  const std::string bmp = std::string(WT_BINARY_DIR) + "/skin-effects-demo.bmp";
  const std::string png = std::string(WT_BINARY_DIR) + "/skin-effects-demo.png";
  sheet.SaveToFile(bmp.c_str());
  ASSERT_EQ(std::system(("convert '" + bmp + "' '" + png + "'").c_str()), 0);
  EXPECT_EQ(c->Pixels(origin(cell - 2).X + 40, origin(cell - 2).Y + 30), clGreen)
      << "the glyph's opaque middle";
}

} // namespace
