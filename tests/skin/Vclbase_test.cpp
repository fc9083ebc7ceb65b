// The control bases: glyph and caption placement, the off-screen painting
// scheme with its effects, and the buttons' hover, press, click and sounds.
#include "skin/Vclbase.h"

#include "platform/ui/Layout.h"
#include "tests/platform/ui/FormFixture.h"

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

// A control whose face and effects a test supplies; it notes the size of
// the image it was given.
template <class TBase> class TProbe : public TBase {
public:
  using TBase::TBase;
  std::function<void(TCanvas*)> Face;
  std::function<void(TEffectBmp&)> Effect;
  SIZE Seen{};

protected:
  void PaintFace() override {
    Seen = {this->OffBmp()->Width(), this->OffBmp()->Height()};
    if (Face)
      Face(this->OffBmp()->Canvas());
    if (Effect)
      this->PaintEf();
  }
  void PaintEffects() override { Effect(*this->EfBmp()); }
};

// A button that shows only its glyph, at (0, 0).
template <class TBase> class TGlyphButton : public TBase {
public:
  using TBase::TBase;

protected:
  void PaintFace() override { this->DrawButtonGlyph(); }
};

// A strip of four 3 x 2 frames in the colours below; each frame's
// bottom-left pixel is its transparent key.
const std::vector<TColor> kFrameColors{RGB(200, 0, 0), RGB(0, 200, 0), RGB(0, 0, 200),
                                       RGB(200, 200, 0)};

void MakeStrip(TBitmap& strip, int frames) {
  strip.SetSize(3 * frames, 2);
  for (int f = 0; f < frames; ++f)
    for (int x = 0; x < 3; ++x)
      for (int y = 0; y < 2; ++y)
        strip.Canvas()->SetPixels(f * 3 + x, y, x == 0 && y == 1 ? clWhite : kFrameColors[f]);
}

// A player whose every play is counted and never heard.
TepWavePlayer* CountingPlayer(TComponent* owner, int& plays) {
  auto* player = new TepWavePlayer(owner);
  player->SetEnabled(false);
  player->BeforePlay = [&plays](TObject*) { ++plays; };
  return player;
}

LPARAM Pos(int x, int y) {
  return MakeLParam(x, y);
}

class Bases : public FormTest {
protected:
  void SetUp() override {
    FormTest::SetUp();
    // The pointer starts over no window, so that no control sees it come in.
    SimulateMouseMove(Point(2, 2));
  }
};

} // namespace

TEST(CalcLCoord, PlacesGlyphAndCaptionForEveryLayoutAndMargin) {
  struct Case {
    TLayout layout;
    TRect rect;
    int margin;
    int glyphX, glyphY, textX, textY;
  };
  const TRect r = Rect(0, 0, 100, 20);
  const TRect shifted = Rect(10, 6, 110, 46);
  const std::vector<Case> cases{
      {blGlyphLeft, r, -1, 20, 2, 40, 4},
      {blGlyphRight, r, -1, 64, 2, 20, 4},
      {blGlyphTop, r, -1, 42, -6, 30, 13},
      {blGlyphBottom, r, -1, 42, 10, 30, -6},
      {blGlyphLeft, r, 3, 3, 2, 23, 4},
      {blGlyphRight, r, 3, 81, 2, 37, 4},
      {blGlyphTop, r, 3, 42, 3, 30, 23},
      {blGlyphBottom, r, 3, 42, 1, 30, -16},
      {blGlyphLeft, shifted, 3, 13, 18, 33, 20},
      {blGlyphBottom, shifted, 3, 52, 27, 40, 10},
      {blGlyphRight, shifted, -1, 74, 18, 30, 20},
      {blGlyphTop, shifted, 0, 52, 6, 40, 26},
  };
  for (const Case& c : cases) {
    int tx = -99, ty = -99, gx = -99, gy = -99;
    CalcLCoord(c.layout, c.rect, 16, 16, 40, 13, 4, c.margin, tx, ty, gx, gy);
    EXPECT_EQ((std::vector<int>{gx, gy, tx, ty}),
              (std::vector<int>{c.glyphX, c.glyphY, c.textX, c.textY}))
        << "layout " << c.layout << " margin " << c.margin << " left " << c.rect.Left;
  }
}

TEST_F(Bases, AControlPaintsItsColourFaceAndEffectsThroughABitmapOnePixelLarger) {
  auto* probe = Make<TProbe<TEffectGControl>>(10, 10, 20, 10);
  probe->SetColor(RGB(200, 100, 50));
  probe->Face = [](TCanvas* c) {
    c->SetPixels(0, 0, RGB(10, 20, 30));
    c->SetPixels(20, 10, RGB(0, 255, 0)); // the extra corner: never on screen
  };
  Pump();
  EXPECT_EQ(probe->Seen.cx, 21);
  EXPECT_EQ(probe->Seen.cy, 11);
  EXPECT_EQ(PixelAt(form, 10, 10), RGB(10, 20, 30));
  EXPECT_EQ(PixelAt(form, 29, 19), RGB(200, 100, 50));
  EXPECT_EQ(PixelAt(form, 30, 20), ColorToRGB(form->Color())); // just outside

  // Effects work on the image the face made, and the result reaches the screen.
  probe->Effect = [](TEffectBmp& b) { b.AddMiddleColor(clBlack); };
  probe->Invalidate();
  Pump();
  EXPECT_EQ(PixelAt(form, 10, 10), RGB(5, 10, 15));
  EXPECT_EQ(PixelAt(form, 29, 19), RGB(100, 50, 25));
}

TEST_F(Bases, ATransparentControlShowsItsParentAndTheSiblingsBelow) {
  form->SetColor(RGB(0, 0, 120));
  auto* below = Make<TProbe<TEffectGControl>>(10, 10, 6, 20);
  below->SetColor(RGB(250, 0, 0));
  auto* probe = Make<TProbe<TEffectGControl>>(12, 12, 20, 10);
  probe->SetColor(RGB(0, 250, 0));
  probe->SetTransparent(true);
  EXPECT_FALSE(probe->ControlStyle.Contains(csOpaque));
  Pump();
  EXPECT_EQ(PixelAt(form, 13, 15), RGB(250, 0, 0)); // the sibling below
  EXPECT_EQ(PixelAt(form, 20, 15), RGB(0, 0, 120)); // the form
  probe->XPaint();
  EXPECT_FALSE(probe->ControlStyle.Contains(csOpaque)); // put back after the repaint
  probe->SetTransparent(false);
  EXPECT_TRUE(probe->ControlStyle.Contains(csOpaque));
  Pump();
  EXPECT_EQ(PixelAt(form, 13, 15), RGB(0, 250, 0));
  EXPECT_EQ(PixelAt(form, 20, 15), RGB(0, 250, 0));
}

TEST_F(Bases, AWindowedControlPaintsTheSameWayAndNeverErases) {
  form->SetColor(RGB(0, 0, 120));
  auto* probe = Make<TProbe<TEffectCControl>>(10, 10, 20, 10);
  probe->SetColor(RGB(40, 80, 160));
  probe->Face = [](TCanvas* c) { c->SetPixels(19, 9, RGB(1, 2, 3)); };
  probe->Effect = [](TEffectBmp& b) { b.AddMiddleColor(clWhite); };
  Pump();
  EXPECT_EQ(probe->Seen.cx, 21);
  EXPECT_EQ(probe->Seen.cy, 11);
  EXPECT_EQ(PixelAt(probe, 0, 0), RGB(147, 167, 207));
  EXPECT_EQ(PixelAt(probe, 19, 9), RGB(128, 128, 129));
  probe->SetTransparent(true);
  Pump();
  EXPECT_EQ(PixelAt(probe, 0, 0), RGB(127, 127, 187));

  TBitmap target;
  target.SetSize(4, 4);
  target.Canvas()->Brush()->SetColor(RGB(9, 9, 9));
  target.Canvas()->FillRect(Rect(0, 0, 4, 4));
  probe->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(target.Canvas()->Handle()), 0);
  EXPECT_EQ(target.Canvas()->Pixels(1, 1), RGB(9, 9, 9));
}

TEST_F(Bases, IsMouseInLeavesOutColumnZeroRowZeroAndTheFarEdges) {
  auto* button = Make<TButtonGControl>(10, 10, 20, 10);
  const std::vector<std::pair<TPoint, bool>> cases{
      {Point(0, 5), false},  {Point(5, 0), false},   {Point(1, 1), true},   {Point(19, 9), true},
      {Point(20, 9), false}, {Point(19, 10), false}, {Point(-1, 5), false},
  };
  for (const auto& [p, inside] : cases)
    EXPECT_EQ(button->IsMouseIn(p.X, p.Y), inside) << p.X << "," << p.Y;
}

TEST_F(Bases, ButtonSettersKeepTheirRanges) {
  auto* gt = Make<TButtonGTControl>(0, 0, 20, 10);
  EXPECT_EQ(gt->Spacing(), 0);
  EXPECT_EQ(gt->Margin(), -1);
  EXPECT_EQ(gt->NumGlyphs(), 1);
  EXPECT_EQ(gt->Layout(), blGlyphLeft);
  EXPECT_TRUE(gt->Glyph()->Empty());
  gt->SetMargin(-2);
  gt->SetSpacing(-1);
  gt->SetNumGlyphs(0);
  gt->SetNumGlyphs(5);
  EXPECT_EQ(gt->Margin(), -1);
  EXPECT_EQ(gt->Spacing(), 0);
  EXPECT_EQ(gt->NumGlyphs(), 1);
  gt->SetMargin(0);
  gt->SetSpacing(7);
  gt->SetNumGlyphs(4);
  EXPECT_EQ(gt->Margin(), 0);
  EXPECT_EQ(gt->Spacing(), 7);
  EXPECT_EQ(gt->NumGlyphs(), 4);

  TBitmap strip;
  MakeStrip(strip, 2);
  gt->SetGlyph(&strip);
  strip.SetSize(1, 1);
  EXPECT_EQ(gt->Glyph()->Width(), 6); // a copy, not the caller's bitmap
}

TEST_F(Bases, TheGlyphFrameFollowsHoverPressAndEnabled) {
  TBitmap strip4, strip3, strip2, strip1;
  MakeStrip(strip4, 4);
  MakeStrip(strip3, 3);
  MakeStrip(strip2, 2);
  MakeStrip(strip1, 1);
  enum TState { idle, hover, pressed, disabled };
  struct Case {
    TBitmap* strip;
    int count;
    TState state;
    int frame;
  };
  // Two frames are the normal and the disabled face: hovering needs three
  // frames, pressing four.
  const std::vector<Case> cases{
      {&strip4, 4, idle, 1},     {&strip4, 4, hover, 2},   {&strip4, 4, pressed, 3},
      {&strip4, 4, disabled, 4}, {&strip3, 3, pressed, 2}, {&strip3, 3, disabled, 3},
      {&strip2, 2, hover, 1},    {&strip2, 2, pressed, 1}, {&strip2, 2, disabled, 2},
      {&strip1, 1, disabled, 1},
  };
  const TColor background = RGB(7, 7, 7);
  for (const Case& c : cases) {
    auto* button = Make<TGlyphButton<TButtonGControl>>(10, 10, 8, 6);
    button->SetColor(background);
    button->SetGlyph(c.strip);
    button->SetNumGlyphs(static_cast<TNumGlyphs>(c.count));
    if (c.state == disabled)
      button->SetEnabled(false);
    if (c.state == hover || c.state == pressed)
      button->Perform(CM_MOUSEENTER, 0, 0);
    if (c.state == pressed)
      button->Perform(WM_LBUTTONDOWN, MK_LBUTTON, Pos(2, 2));
    Pump();
    EXPECT_EQ(PixelAt(form, 12, 10), kFrameColors[c.frame - 1])
        << c.count << " frames, state " << c.state;
    EXPECT_EQ(PixelAt(form, 10, 11), background) << "the frame's key colour is left out";
    button->Perform(WM_LBUTTONUP, 0, Pos(2, 2));
    delete button;
  }
  auto* bare = Make<TGlyphButton<TButtonGControl>>(10, 10, 8, 6);
  bare->SetColor(background);
  Pump();
  EXPECT_EQ(PixelAt(form, 12, 10), background);
}

TEST_F(Bases, AButtonClicksAndSoundsOnlyWhenReleasedOverIt) {
  int activePlays = 0, clickPlays = 0, clicks = 0, ups = 0, downs = 0;
  auto* button = Make<TButtonGControl>(10, 10, 40, 20);
  button->SetActiveSound(CountingPlayer(form, activePlays));
  button->SetClickSound(CountingPlayer(form, clickPlays));
  button->OnClick = [&](TObject* sender) {
    EXPECT_EQ(sender, button);
    ++clicks;
  };
  button->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { ++ups; };
  button->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++downs; };
  Pump();

  ClickAt(button, 5, 5);
  Pump();
  EXPECT_TRUE(button->MouseIn());
  EXPECT_FALSE(button->Down());
  EXPECT_EQ((std::vector<int>{activePlays, clickPlays, clicks, ups, downs}),
            (std::vector<int>{1, 1, 1, 1, 1}));

  // Pressed, dragged away and released outside: no click, no sound.
  SimulateMouseDown(At(button, 5, 5), mbLeft);
  EXPECT_TRUE(button->Down());
  SimulateMouseMove(At(button, 60, 5));
  EXPECT_FALSE(button->MouseIn());
  EXPECT_TRUE(button->Down());
  SimulateMouseUp(At(button, 60, 5), mbLeft);
  Pump();
  EXPECT_FALSE(button->Down());
  EXPECT_EQ((std::vector<int>{activePlays, clickPlays, clicks, ups, downs}),
            (std::vector<int>{1, 1, 1, 1, 2}));

  // The right button is seen going down but changes nothing and clicks nothing.
  SimulateMouseMove(At(button, 5, 5));
  EXPECT_EQ(activePlays, 2);
  ClickAt(button, 5, 5, mbRight);
  Pump();
  EXPECT_FALSE(button->Down());
  EXPECT_EQ((std::vector<int>{clickPlays, clicks, ups, downs}), (std::vector<int>{1, 1, 1, 3}));

  // Column 0 is outside for a press.
  button->Perform(WM_LBUTTONDOWN, MK_LBUTTON, Pos(0, 5));
  EXPECT_FALSE(button->Down());
  button->Perform(WM_LBUTTONUP, 0, Pos(0, 5));
}

TEST_F(Bases, SoundsAreForgottenWhenTheirPlayerGoes) {
  int plays = 0, clicks = 0;
  auto* button = Make<TButtonCControl>(10, 10, 40, 20);
  auto* own = CountingPlayer(nullptr, plays); // owned elsewhere
  button->SetActiveSound(own);
  button->SetClickSound(CountingPlayer(form, plays));
  delete own;
  delete button->ClickSound();
  EXPECT_EQ(button->ActiveSound(), nullptr);
  EXPECT_EQ(button->ClickSound(), nullptr);
  button->OnClick = [&](TObject*) { ++clicks; };
  button->Perform(CM_MOUSEENTER, 0, 0);
  button->Perform(WM_LBUTTONDOWN, MK_LBUTTON, Pos(5, 5));
  button->Perform(WM_LBUTTONUP, 0, Pos(5, 5));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(plays, 0);

  // A disabled button takes no hover.
  button->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(button->MouseIn());
  button->SetEnabled(false);
  button->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_FALSE(button->MouseIn());
}

TEST_F(Bases, AMoveTrackedButtonHoversByMovesAndChecksOnceThatThePointerStayed) {
  int plays = 0, moves = 0, clicks = 0;
  auto* button = Make<TButtonGTControl>(10, 10, 40, 20);
  button->SetActiveSound(CountingPlayer(form, plays));
  button->OnMouseMove = [&](TObject*, TShiftState, int, int) { ++moves; };
  button->OnClick = [&](TObject*) { ++clicks; };
  Pump();

  // A press before any move is not the button's.
  button->Perform(WM_LBUTTONDOWN, MK_LBUTTON, Pos(5, 5));
  EXPECT_FALSE(button->Down());
  button->Perform(WM_LBUTTONUP, 0, Pos(5, 5));
  EXPECT_EQ(clicks, 0);

  button->Perform(WM_MOUSEMOVE, 0, Pos(5, 5));
  ASSERT_NE(button->CheckTimer(), nullptr);
  EXPECT_EQ(button->CheckTimer()->Interval(), 300u);
  button->Perform(WM_MOUSEMOVE, 0, Pos(6, 5));
  EXPECT_TRUE(button->MouseIn());
  EXPECT_EQ(plays, 1);
  EXPECT_EQ(moves, 2);
  button->Perform(WM_MOUSEMOVE, 0, Pos(0, 5)); // column 0: out, and no event
  EXPECT_FALSE(button->MouseIn());
  EXPECT_EQ(moves, 2);
  button->Perform(WM_MOUSEMOVE, 0, Pos(5, 5)); // back in while the check runs
  EXPECT_EQ(plays, 1);

  button->Perform(WM_LBUTTONDOWN, MK_LBUTTON, Pos(5, 5));
  EXPECT_TRUE(button->Down());
  button->Perform(WM_LBUTTONUP, 0, Pos(5, 5));
  EXPECT_EQ(clicks, 1);

  // The pointer left without a word: the check clears the hover.
  SimulateMouseMove(Point(2, 2)); // over no window of ours
  ASSERT_TRUE(PumpUntil([&] { return button->CheckTimer() == nullptr; }));
  EXPECT_FALSE(button->MouseIn());

  // On the far edge the pointer still counts as over the button.
  button->Perform(WM_MOUSEMOVE, 0, Pos(5, 5));
  ASSERT_NE(button->CheckTimer(), nullptr);
  EXPECT_EQ(plays, 2);
  SimulateMouseMove(At(button, 40, 20));
  ASSERT_TRUE(PumpUntil([&] { return button->CheckTimer() == nullptr; }));
  EXPECT_TRUE(button->MouseIn());
}

TEST_F(Bases, LayoutsStoreSpacingZeroAndLeaveDefaultsOut) {
  form->SetName("frm");
  int plays = 0;
  auto* sound = CountingPlayer(form, plays);
  sound->SetName("beep");
  auto* gt = Make<TButtonGTControl>(0, 0, 30, 20);
  gt->SetName("gt");
  gt->SetClickSound(sound);
  gt->SetTransparent(true);
  const AnsiString text = WriteComponentLayout(form);
  const AnsiString part = text.substr(text.find("object gt"));
  EXPECT_NE(part.find("Spacing = 0"), std::string::npos) << part;
  EXPECT_NE(part.find("Transparent = True"), std::string::npos) << part;
  EXPECT_NE(part.find("ClickSound = beep"), std::string::npos) << part;
  for (const char* absent : {"Margin", "Layout", "NumGlyphs"})
    EXPECT_EQ(part.find(absent), std::string::npos) << absent << " in " << part;

  const AnsiString stored = "object frm: TForm\n"
                            "  object beep: TepWavePlayer\n"
                            "  end\n"
                            "  object b: TButtonGTControl\n"
                            "    Margin = 2\n"
                            "    Layout = blGlyphTop\n"
                            "    NumGlyphs = 3\n"
                            "    ActiveSound = beep\n"
                            "    Transparent = False\n"
                            "  end\n"
                            "  object c: TButtonCControl\n"
                            "    ClickSound = beep\n"
                            "  end\n"
                            "end\n";
  TForm loaded(nullptr);
  ReadComponentLayout(&loaded, stored, "bases.lay");
  auto* b = dynamic_cast<TButtonGTControl*>(loaded.FindComponent("b"));
  auto* c = dynamic_cast<TButtonCControl*>(loaded.FindComponent("c"));
  ASSERT_NE(b, nullptr);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(b->Spacing(), 0); // omitted: the constructor's value
  EXPECT_EQ(b->Margin(), 2);
  EXPECT_EQ(b->Layout(), blGlyphTop);
  EXPECT_EQ(b->NumGlyphs(), 3);
  EXPECT_EQ(b->ActiveSound(), loaded.FindComponent("beep"));
  EXPECT_EQ(c->ClickSound(), loaded.FindComponent("beep"));
}
