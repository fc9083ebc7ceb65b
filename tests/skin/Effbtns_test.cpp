// The code-drawn effect buttons: bevels that swap when pressed, the caption
// and glyph one pixel lower when pressed, the soft shadow, the noise, the
// tint of the transparent ones, the window shapes and hit tests of the round
// pair, and their stored layout. Also a demo sheet with the morphing button.
#include "skin/Effbtns.h"

#include "platform/ui/Layout.h"
#include "skin/Epmorph.h"
#include "skin/Eputils.h"
#include "skin/Grutils.h"
#include "tests/platform/ui/FormFixture.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

const TColor kFace = RGB(100, 100, 100);
const TColor kGlyph = RGB(0, 220, 0);
const TColor kKey = RGB(255, 0, 255);

int Brightness(COLORREF c) {
  return GetRValue(c) + GetGValue(c) + GetBValue(c);
}

// The bounding box of the pixels Test picks inside R of the window.
TRect BoxOf(TWinControl* w, const TRect& r, const std::function<bool(COLORREF)>& Test) {
  TRect box{10000, 10000, -1, -1};
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if (Test(PixelAt(w, x, y))) {
        box.Left = std::min(box.Left, x);
        box.Top = std::min(box.Top, y);
        box.Right = std::max(box.Right, x);
        box.Bottom = std::max(box.Bottom, y);
      }
  return box;
}

// The window's pixels, W x H, read in one go.
std::vector<COLORREF> Grab(TWinControl* w) {
  w->Repaint();
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, w->Impl()->Surface());
  std::vector<COLORREF> pixels;
  for (int y = 0; y < w->Height(); ++y)
    for (int x = 0; x < w->Width(); ++x)
      pixels.push_back(GetPixel(dc, x, y));
  SelectObject(dc, old);
  DeleteDC(dc);
  return pixels;
}

// A face of Color with Frame drawn, softened as the buttons soften theirs.
std::vector<COLORREF> Expected(int w, int h, TColor color,
                               const std::function<void(TCanvas*)>& Frame) {
  TBitmap b;
  b.SetSize(w + 1, h + 1);
  b.Canvas()->Brush()->SetColor(color);
  b.Canvas()->FillRect(Rect(0, 0, w + 1, h + 1));
  Frame(b.Canvas());
  TEffectBmp ef(b.Handle());
  ef.SplitBlur(1);
  ef.Draw(b.Canvas()->Handle(), 0, 0);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      pixels.push_back(b.Canvas()->Pixels(x, y));
  return pixels;
}

class EffectButtons : public FormTest {
protected:
  void SetUp() override {
    FormTest::SetUp();
    SimulateMouseMove(Point(2, 2)); // over no window of ours
  }
  // A 4 x 4 glyph, its bottom-left pixel the key.
  static void Glyph(TButtonControl<TEffectGControl>* b) {
    TBitmap g;
    g.SetSize(4, 4);
    g.Canvas()->Brush()->SetColor(kGlyph);
    g.Canvas()->FillRect(Rect(0, 0, 4, 4));
    g.Canvas()->SetPixels(0, 3, kKey);
    b->SetGlyph(&g);
  }
};

} // namespace

TEST_F(EffectButtons, StartWithTheirOwnSizesAndValues) {
  TepEfBtn ef(nullptr);
  TepEfTrBtn tr(nullptr);
  TepEfRndBtn rnd(nullptr);
  TepEfTrRndBtn trRnd(nullptr);
  EXPECT_EQ((std::vector<int>{ef.Width(), ef.Height(), ef.FrameWidth(), ef.ShadowOffset()}),
            (std::vector<int>{65, 65, 2, 2}));
  EXPECT_EQ((std::vector<int>{tr.Width(), tr.Height(), tr.FrameWidth()}),
            (std::vector<int>{75, 25, 2}));
  EXPECT_TRUE(tr.Transparent());
  EXPECT_FALSE(ef.Transparent());
  EXPECT_EQ((std::vector<int>{rnd.Width(), rnd.FrameWidth(), rnd.Radius(), rnd.ShadowOffset()}),
            (std::vector<int>{65, 3, 10, 2}));
  EXPECT_EQ(rnd.BtnKind(), bkEllipse);
  EXPECT_EQ((std::vector<int>{trRnd.Width(), trRnd.FrameWidth(), trRnd.Radius()}),
            (std::vector<int>{65, 2, 0}));
  EXPECT_TRUE(trRnd.Transparent());
  EXPECT_FALSE(ef.Noise() || rnd.Noise());
}

TEST_F(EffectButtons, APressSwapsTheBevelAndMovesGlyphAndCaptionOneDownRight) {
  auto* b = Make<TepEfBtn>(10, 10, 40, 30);
  b->SetColor(kFace);
  b->SetShadowOffset(0);
  Glyph(b);
  b->SetLayout(blGlyphTop);
  b->SetSpacing(2);
  b->SetCaption("Wx");
  b->Font()->SetColor(clRed);
  b->SetActiveTextColor(clRed);
  Pump();
  // Caption area: below the glyph, clear of the frame.
  const TRect inner = Rect(14, 14, 46, 36);
  auto red = [](COLORREF c) { return GetRValue(c) > 150 && GetGValue(c) < 80; };
  auto green = [](COLORREF c) { return c == kGlyph; };
  const TRect caption = BoxOf(form, inner, red);
  const TRect glyph = BoxOf(form, inner, green);
  ASSERT_GE(caption.Right, caption.Left);
  ASSERT_GE(glyph.Right, glyph.Left);
  const int leftEdge = Brightness(PixelAt(form, 11, 25));
  const int rightEdge = Brightness(PixelAt(form, 48, 25));
  EXPECT_GT(leftEdge, Brightness(kFace));
  EXPECT_LT(rightEdge, Brightness(kFace));

  b->Perform(CM_MOUSEENTER, 0, 0);
  b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(20, 15));
  ASSERT_TRUE(b->Down());
  EXPECT_LT(Brightness(PixelAt(form, 11, 25)), Brightness(kFace));
  EXPECT_GT(Brightness(PixelAt(form, 48, 25)), Brightness(kFace));
  const TRect pressedCaption = BoxOf(form, Rect(14, 14, 47, 37), red);
  const TRect pressedGlyph = BoxOf(form, Rect(14, 14, 47, 37), green);
  EXPECT_EQ((std::vector<int>{pressedCaption.Left, pressedCaption.Top, pressedGlyph.Left,
                              pressedGlyph.Top}),
            (std::vector<int>{caption.Left + 1, caption.Top + 1, glyph.Left + 1, glyph.Top + 1}));
  b->Perform(WM_LBUTTONUP, 0, MakeLParam(20, 15));
}

TEST_F(EffectButtons, TheShadowLiesTwoPixelsDownAndRightOfTheCaption) {
  auto* b = Make<TepEfBtn>(10, 10, 60, 30);
  b->SetColor(kFace);
  b->SetCaption("MMM");
  b->Font()->SetColor(clWhite);
  b->SetShadowOffset(0);
  const TRect inner = Rect(15, 15, 65, 35);
  auto dark = [](COLORREF c) { return Brightness(c) < Brightness(kFace) - 60; };
  auto white = [](COLORREF c) { return c == clWhite; };
  Pump();
  const TRect caption = BoxOf(form, inner, white);
  ASSERT_GE(caption.Right, caption.Left);
  EXPECT_LT(BoxOf(form, inner, dark).Right, 0) << "no shadow with offset 0";

  b->SetShadowOffset(2);
  Pump();
  const TRect shadow = BoxOf(form, inner, dark);
  ASSERT_GE(shadow.Right, shadow.Left);
  // Softened by the blur: within a pixel of the caption moved by two.
  EXPECT_NEAR(shadow.Right, caption.Right + 2, 1);
  EXPECT_NEAR(shadow.Bottom, caption.Bottom + 2, 1);
  EXPECT_GT(shadow.Left, caption.Left);
}

TEST_F(EffectButtons, NoiseChangesTheFaceOnEveryRepaint) {
  auto* b = Make<TepEfBtn>(10, 10, 30, 30);
  b->SetColor(kFace);
  auto row = [&] {
    std::vector<COLORREF> pixels;
    for (int x = 15; x < 35; ++x)
      pixels.push_back(PixelAt(form, x, 25));
    return pixels;
  };
  EXPECT_EQ(row(), row());
  b->SetNoise(true);
  const std::vector<COLORREF> first = row();
  EXPECT_NE(first, row());
  for (COLORREF c : first)
    EXPECT_NEAR(Brightness(c), Brightness(kFace), 3 * 30);
}

TEST_F(EffectButtons, TransparentButtonsTintWhatLiesBeneath) {
  form->SetColor(RGB(0, 0, 200));
  auto* tr = Make<TepEfTrBtn>(10, 10, 40, 30);
  tr->SetColor(RGB(200, 100, 0));
  auto* trRnd = Make<TepEfTrRndBtn>(60, 10, 40, 40);
  trRnd->SetColor(RGB(200, 100, 0));
  Pump();
  const TColor mixed = MiddleColor(RGB(0, 0, 200), RGB(200, 100, 0));
  // The blur works in place and truncates, so the bevel's shade may creep
  // one step into the middle.
  for (COLORREF seen : {PixelAt(form, 30, 25), PixelAt(trRnd, 20, 20)}) {
    EXPECT_NEAR(GetRValue(seen), GetRValue(mixed), 1);
    EXPECT_NEAR(GetGValue(seen), GetGValue(mixed), 1);
    EXPECT_NEAR(GetBValue(seen), GetBValue(mixed), 1);
  }
  tr->SetTransparent(false);
  Pump();
  EXPECT_EQ(PixelAt(form, 30, 25), RGB(200, 100, 0));
}

TEST_F(EffectButtons, RoundButtonsAreCutToTheirShapeAndPressedOnlyInsideIt) {
  auto* b = Make<TepEfRndBtn>(10, 10, 65, 65);
  Pump();
  ASSERT_NE(b->Region(), nullptr);
  EXPECT_EQ(b->WindowRgn(), b->Region());
  EXPECT_FALSE(PtInRegion(b->Region(), 3, 3));
  EXPECT_TRUE(PtInRegion(b->Region(), 32, 32));
  b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(3, 3));
  EXPECT_FALSE(b->Down());
  b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(32, 32));
  EXPECT_TRUE(b->Down());
  b->Perform(WM_LBUTTONUP, 0, MakeLParam(32, 32));

  // A rounded rectangle: the corner is still out, a point by the middle of
  // the left edge is in.
  b->SetBtnKind(bkRndRect);
  EXPECT_FALSE(PtInRegion(b->Region(), 2, 2));
  EXPECT_TRUE(PtInRegion(b->Region(), 2, 32));
  EXPECT_FALSE(b->IsMouseIn(2, 2));
  EXPECT_TRUE(b->IsMouseIn(2, 32));

  // Radius 0: back to a plain rectangle with a square bevel.
  b->SetColor(kFace);
  b->SetRadius(0);
  EXPECT_EQ(b->Region(), nullptr);
  EXPECT_EQ(b->WindowRgn(), nullptr);
  EXPECT_TRUE(b->IsMouseIn(2, 2));
  Pump();
  EXPECT_GT(Brightness(PixelAt(b, 1, 2)), Brightness(kFace)) << "the bevel fills the corner";

  // A new size brings a new shape.
  b->SetBtnKind(bkEllipse);
  b->SetBounds(10, 10, 41, 21);
  EXPECT_TRUE(PtInRegion(b->Region(), 38, 10));
  EXPECT_FALSE(PtInRegion(b->Region(), 38, 2));
}

TEST_F(EffectButtons, RoundBevelsFollowKindRadiusAndFrameWidthParity) {
  const int w = 41, h = 31;
  const TColor light = RGBChange(kFace, 65, 65, 65), dark = RGBChange(kFace, -65, -65, -65);
  struct Case {
    TBtnKind kind;
    int radius, frameWidth;
    std::function<void(TCanvas*)> frame;
  };
  const std::vector<Case> cases{
      {bkEllipse, 10, 3, [&](TCanvas* c) { RndFrm3D(c, light, dark, Rect(1, 2, w, h), 4); }},
      {bkEllipse, 10, 2,
       [&](TCanvas* c) { RndFrm3D(c, light, dark, Rect(1, 2, w - 1, h - 1), 3); }},
      {bkRndRect, 6, 2, [&](TCanvas* c) { RndRectFrm3D(c, Rect(0, 1, w, h), light, dark, 12, 3); }},
      {bkRndRect, 0, 1, [&](TCanvas* c) { Frm3D(c, Rect(0, 1, w + 1, h + 1), light, dark, 2); }},
  };
  for (const Case& c : cases) {
    auto* b = Make<TepEfRndBtn>(10, 10, w, h);
    b->SetColor(kFace);
    b->SetBtnKind(c.kind);
    b->SetRadius(c.radius);
    b->SetFrameWidth(static_cast<TSmType>(c.frameWidth));
    Pump();
    EXPECT_EQ(Grab(b), Expected(w, h, kFace, c.frame))
        << "kind " << c.kind << " radius " << c.radius << " frame " << c.frameWidth;
    delete b;
  }
}

TEST_F(EffectButtons, StoredLayoutsCarryTheOwnPropertiesAlways) {
  form->SetName("frm");
  auto* b = Make<TepEfRndBtn>(10, 10, 80, 24);
  b->SetName("btnFont");
  b->SetRadius(3);
  b->SetBtnKind(bkRndRect);
  b->SetFrameWidth(2);
  b->SetShadowOffset(0);
  b->SetColor(10854040);
  const AnsiString text = WriteComponentLayout(form);
  const AnsiString part = text.substr(text.find("object btnFont"));
  for (const char* present : {"Spacing = 0", "Radius = 3", "BtnKind = bkRndRect", "FrameWidth = 2",
                              "ShadowOffset = 0", "Noise = False"})
    EXPECT_NE(part.find(present), std::string::npos) << present << " in " << part;
  for (const char* absent : {"Margin", "Layout"})
    EXPECT_EQ(part.find(absent), std::string::npos) << absent << " in " << part;

  TForm loaded(nullptr);
  ReadComponentLayout(&loaded, text, "effbtns.lay");
  auto* c = dynamic_cast<TepEfRndBtn*>(loaded.FindComponent("btnFont"));
  ASSERT_NE(c, nullptr);
  EXPECT_EQ((std::vector<int>{c->Radius(), c->FrameWidth(), c->ShadowOffset(), c->Spacing()}),
            (std::vector<int>{3, 2, 0, 0}));
  EXPECT_EQ(c->BtnKind(), bkRndRect);
  EXPECT_EQ(c->Color(), 10854040);
  ASSERT_NE(c->Region(), nullptr);
  EXPECT_FALSE(PtInRegion(c->Region(), 1, 1));

  // The other three by their class names.
  const AnsiString others = "object frm: TForm\n"
                            "  object a: TepEfBtn\n"
                            "    ShadowOffset = 0\n"
                            "    Noise = True\n"
                            "  end\n"
                            "  object b: TepEfTrBtn\n"
                            "    FrameWidth = 5\n"
                            "    Transparent = False\n"
                            "  end\n"
                            "  object d: TepEfTrRndBtn\n"
                            "    Radius = 4\n"
                            "    BtnKind = bkRndRect\n"
                            "  end\n"
                            "end\n";
  TForm three(nullptr);
  ReadComponentLayout(&three, others, "others.lay");
  auto* a = dynamic_cast<TepEfBtn*>(three.FindComponent("a"));
  auto* tr = dynamic_cast<TepEfTrBtn*>(three.FindComponent("b"));
  auto* d = dynamic_cast<TepEfTrRndBtn*>(three.FindComponent("d"));
  ASSERT_TRUE(a != nullptr && tr != nullptr && d != nullptr);
  EXPECT_EQ(a->ShadowOffset(), 0);
  EXPECT_TRUE(a->Noise());
  EXPECT_EQ(tr->FrameWidth(), 5);
  EXPECT_FALSE(tr->Transparent());
  EXPECT_EQ(d->Radius(), 4);
  EXPECT_EQ(d->BtnKind(), bkRndRect);
  EXPECT_NE(d->Region(), nullptr);
}

TEST_F(EffectButtons, DemoSheet) {
  form->SetColor(RGB(60, 80, 110));
  auto* ef = Make<TepEfBtn>(10, 10, 90, 40);
  ef->SetColor(RGB(150, 120, 90));
  ef->SetCaption("Effect");
  ef->Font()->SetColor(clWhite);
  auto* noisy = Make<TepEfBtn>(110, 10, 90, 40);
  noisy->SetColor(RGB(90, 140, 90));
  noisy->SetCaption("Noise");
  noisy->SetNoise(true);
  auto* tr = Make<TepEfTrBtn>(210, 10, 80, 40);
  tr->SetColor(RGB(220, 220, 120));
  tr->SetCaption("Tinted");
  auto* rnd = Make<TepEfRndBtn>(10, 60, 65, 65);
  rnd->SetColor(RGB(170, 110, 110));
  rnd->SetCaption("Round");
  auto* rect = Make<TepEfRndBtn>(85, 70, 90, 30);
  rect->SetColor(10854040);
  rect->SetBtnKind(bkRndRect);
  rect->SetRadius(3);
  rect->SetFrameWidth(2);
  rect->SetShadowOffset(0);
  rect->SetCaption("Font...");
  auto* trRnd = Make<TepEfTrRndBtn>(185, 60, 65, 65);
  trRnd->SetColor(RGB(250, 200, 200));
  trRnd->SetCaption("Ring");
  auto* pressed = Make<TepEfBtn>(10, 140, 90, 40);
  pressed->SetColor(RGB(150, 120, 90));
  pressed->SetCaption("Pressed");
  pressed->Perform(CM_MOUSEENTER, 0, 0);
  pressed->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(20, 20));

  TBitmap up, active;
  for (auto [bmp, color] :
       {std::pair{&up, RGB(200, 60, 60)}, std::pair{&active, RGB(60, 200, 230)}}) {
    bmp->SetSize(40, 40);
    bmp->Canvas()->Brush()->SetColor(clFuchsia);
    bmp->Canvas()->FillRect(Rect(0, 0, 40, 40));
    bmp->Canvas()->Brush()->SetColor(color);
    bmp->Canvas()->Ellipse(2, 2, 38, 38);
  }
  auto* morph = Make<TepMorphButton>(120, 140, 40, 40);
  morph->SetTransparent(true);
  morph->SetGlyphsTransparent(true);
  morph->SetUpGlyph(&up);
  morph->SetActiveGlyph(&active);
  Pump();
  // The steps are taken here and the sheet made at once, with no loop in
  // between for the clock's own steps: a slow machine photographs the same
  // half way.
  morph->Perform(CM_MOUSEENTER, 0, 0);
  for (int i = 0; i < 5; ++i)
    morph->FadeTimer()->OnTimer()(nullptr);

  TBitmap sheet;
  sheet.SetSize(form->Width(), form->Height());
  // The windows' own surfaces, each through its shape.
  auto copy = [&](TWinControl* w, int x, int y) {
    w->Repaint();
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, w->Impl()->Surface());
    for (int py = 0; py < w->Height(); ++py)
      for (int px = 0; px < w->Width(); ++px)
        if (w->WindowRgn() == nullptr || PtInRegion(w->WindowRgn(), px, py))
          sheet.Canvas()->SetPixels(x + px, y + py, GetPixel(dc, px, py));
    SelectObject(dc, old);
    DeleteDC(dc);
  };
  copy(form, 0, 0);
  for (TWinControl* w : std::vector<TWinControl*>{rnd, rect, trRnd})
    copy(w, w->Left(), w->Top());
  const std::string bmp = std::string(WT_BINARY_DIR) + "/skin-buttons-demo.bmp";
  const std::string png = std::string(WT_BINARY_DIR) + "/skin-buttons-demo.png";
  sheet.SaveToFile(bmp.c_str());
  ASSERT_EQ(std::system(("convert '" + bmp + "' '" + png + "'").c_str()), 0);
  EXPECT_EQ(sheet.Canvas()->Pixels(5, 5), RGB(60, 80, 110));
  EXPECT_EQ(sheet.Canvas()->Pixels(140, 160), RGB(130, 130, 145)) << "the morph half way";
}
