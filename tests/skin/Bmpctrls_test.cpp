// The bitmap check box, radio button, switch and button: where their glyphs
// and captions land, how the mouse drives them, and what a layout stores.
#include "skin/Bmpctrls.h"

#include "platform/ui/Extctrls.h"
#include "platform/ui/Layout.h"
#include "tests/platform/ui/FormFixture.h"
#include "tests/skin/SkinPixels.h"

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

const TColor kKey = RGB(255, 255, 255);
const TColor kBack = RGB(7, 7, 7);

// A two-frame check strip of 2 * FrameWidth x 6: frame 1 red, frame 2 blue,
// each with a white bottom-left key.
void MakeCheckStrip(TBitmap& strip, int frameWidth) {
  strip.SetSize(2 * frameWidth, 6);
  for (int x = 0; x < strip.Width(); ++x)
    for (int y = 0; y < 6; ++y)
      strip.Canvas()->SetPixels(x, y, x < frameWidth ? clRed : clBlue);
  strip.Canvas()->SetPixels(0, 5, kKey);
  strip.Canvas()->SetPixels(frameWidth, 5, kKey);
}

// A 6 x 4 glyph of Color with a white key: the bottom-left pixel and the
// whole column 3.
void MakeGlyph(TBitmap& glyph, TColor color) {
  glyph.SetSize(6, 4);
  for (int x = 0; x < 6; ++x)
    for (int y = 0; y < 4; ++y)
      glyph.Canvas()->SetPixels(x, y, x == 3 || (x == 0 && y == 3) ? kKey : color);
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

// A button that counts its paints.
class TCountedButton : public TepBMPButton {
public:
  using TepBMPButton::TepBMPButton;
  int Paints = 0;

protected:
  void PaintFace() override {
    ++Paints;
    TepBMPButton::PaintFace();
  }
};

class BmpCtrls : public FormTest {
protected:
  void SetUp() override {
    FormTest::SetUp();
    // The pointer starts over no window, so that no control sees it come in.
    SimulateMouseMove(Point(2, 2));
  }

  // The form's image as it is now on the screen.
  void Capture() {
    shot.SetSize(form->Width(), form->Height());
    form->Repaint();
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, form->Impl()->Surface());
    BitBlt(shot.Canvas()->Handle(), 0, 0, shot.Width(), shot.Height(), dc, 0, 0, SRCCOPY);
    SelectObject(dc, old);
    DeleteDC(dc);
  }
  TColor Shown(TControl* c, int x, int y) {
    return shot.Canvas()->Pixels(c->Left() + x, c->Top() + y);
  }

  // The colours of the control's pixels in row Y from X0 to X1 (exclusive),
  // as a picture: '.' background, 'r' red, 'b' blue, '?' other.
  std::string Row(TControl* c, int x0, int x1, int y) {
    Capture();
    std::string row;
    for (int x = x0; x < x1; ++x) {
      const TColor p = Shown(c, x, y);
      row += p == kBack ? '.' : p == RGB(255, 0, 0) ? 'r' : p == RGB(0, 0, 255) ? 'b' : '?';
    }
    return row;
  }

  // Counts the control's pixels of Color.
  int Count(TControl* c, TColor color) {
    Capture();
    int n = 0;
    for (int x = 0; x < c->Width(); ++x)
      for (int y = 0; y < c->Height(); ++y)
        n += Shown(c, x, y) == color;
    return n;
  }

  TBitmap shot;
};

} // namespace

TEST_F(BmpCtrls, CheckBoxPlacesGlyphFrameAndCaptionByAlignment) {
  TBitmap strip;
  MakeCheckStrip(strip, 11);
  struct Case {
    TLeftRight alignment;
    bool checked;
    int glyphX;
    char frame;
  };
  // Width 123, height 20: the 6-pixel glyph sits at y = 10 - 3.
  const std::vector<Case> cases{
      {taRightJustify, true, 109, 'r'},
      {taRightJustify, false, 109, 'b'},
      {taLeftJustify, true, 1, 'r'},
      {taLeftJustify, false, 1, 'b'},
  };
  for (const Case& c : cases) {
    auto* box = Make<TepBMPCheckBox>(10, 10, 123, 20);
    box->SetColor(kBack);
    box->Font()->SetColor(clBlack);
    box->SetCaption("Mm");
    box->SetCheckGlyph(&strip);
    box->SetAlignment(c.alignment);
    box->SetChecked(c.checked);
    Pump();
    const std::string frame(11, c.frame);
    EXPECT_EQ(Row(box, c.glyphX - 1, c.glyphX + 12, 7), "." + frame + ".")
        << "alignment " << c.alignment << " checked " << c.checked;
    EXPECT_EQ(Row(box, c.glyphX - 1, c.glyphX + 2, 12), ".." + std::string(1, c.frame))
        << "the frame's bottom-left key is left out";
    EXPECT_EQ(Row(box, c.glyphX - 1, c.glyphX + 12, 6), std::string(13, '.'))
        << "nothing above the glyph";

    // The caption: flush right with 3 pixels to spare, or from x = 1.
    TBitmap probe;
    probe.Canvas()->SetFont(box->Font());
    const int textWidth = probe.Canvas()->TextWidth("Mm");
    const int textX = c.alignment == taRightJustify ? 1 : 123 - textWidth - 3;
    int first = 999, last = -1;
    Capture();
    for (int x = 0; x < 123; ++x)
      for (int y = 0; y < 20; ++y)
        if (Shown(box, x, y) == clBlack) {
          first = std::min(first, x);
          last = std::max(last, x);
        }
    EXPECT_GE(first, textX) << "alignment " << c.alignment;
    EXPECT_LT(last, textX + textWidth) << "alignment " << c.alignment;
    EXPECT_LE(first, textX + 2) << "the caption starts where it should";
    delete box;
  }

  // A strip narrower than two pixels has empty frames: only the caption shows.
  TBitmap thin;
  thin.SetSize(1, 6);
  auto* box = Make<TepBMPCheckBox>(10, 10, 60, 20);
  box->SetColor(kBack);
  box->SetCheckGlyph(&thin);
  Pump();
  EXPECT_EQ(Row(box, 0, 4, 10), "....");
}

TEST_F(BmpCtrls, CheckBoxCaptionTakesTheActiveColourAndGlowWhileTheMouseIsIn) {
  const TColor active = RGB(0, 160, 0), text = RGB(0, 0, 0);
  auto* box = Make<TepBMPCheckBox>(10, 10, 80, 24);
  box->SetColor(kBack);
  box->Font()->SetColor(text);
  box->SetCaption("Mm");
  box->SetActiveTextColor(active);
  Pump();
  const int plain = Count(box, text);
  EXPECT_GT(plain, 0);
  EXPECT_EQ(Count(box, active), 0);

  box->Perform(CM_MOUSEENTER, 0, 0);
  Pump();
  EXPECT_TRUE(box->MouseIn());
  EXPECT_EQ(Count(box, active), plain) << "the caption in the active colour";
  EXPECT_EQ(Count(box, text), 0);

  // The glow: two active copies, offset, under the caption in its own colour.
  box->SetEfCaption(true);
  Pump();
  EXPECT_GT(Count(box, text), 0);
  EXPECT_GT(Count(box, active), 0);

  box->Perform(CM_MOUSELEAVE, 0, 0);
  Pump();
  EXPECT_FALSE(box->MouseIn());
  EXPECT_EQ(Count(box, text), plain);
  EXPECT_EQ(Count(box, active), 0);
}

TEST_F(BmpCtrls, CheckBoxTogglesOnlyOnALeftReleaseWhileTheMouseIsIn) {
  int activePlays = 0, clickPlays = 0, clicks = 0, ups = 0;
  auto* box = Make<TepBMPCheckBox>(10, 10, 80, 24);
  box->SetActiveSound(CountingPlayer(form, activePlays));
  box->SetClickSound(CountingPlayer(form, clickPlays));
  box->OnClick = [&](TObject* sender) {
    EXPECT_EQ(sender, box);
    ++clicks;
  };
  box->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { ++ups; };
  Pump();

  SimulateMouseMove(At(box, 5, 5));
  ClickAt(box, 5, 5);
  Pump();
  EXPECT_TRUE(box->Checked());
  EXPECT_EQ((std::vector<int>{activePlays, clickPlays, clicks, ups}),
            (std::vector<int>{1, 1, 1, 1}));

  // A right click and a release after the mouse has left change nothing.
  ClickAt(box, 5, 5, mbRight);
  box->Perform(WM_LBUTTONDOWN, MK_LBUTTON, Pos(5, 5));
  box->Perform(CM_MOUSELEAVE, 0, 0);
  box->Perform(WM_LBUTTONUP, 0, Pos(90, 5));
  Pump();
  EXPECT_TRUE(box->Checked());
  EXPECT_EQ((std::vector<int>{clickPlays, clicks, ups}), (std::vector<int>{1, 1, 1}));

  // The windows' way: no event, even when the value does not change.
  box->SetChecked(false);
  box->SetChecked(false);
  EXPECT_FALSE(box->Checked());
  EXPECT_EQ(clicks, 1);

  // Disabled, the box takes no hover and so no click.
  box->SetEnabled(false);
  box->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_FALSE(box->MouseIn());
  EXPECT_EQ(activePlays, 1);
}

TEST_F(BmpCtrls, RadioClickClearsOnlySiblingsOfTheSameGroupWithoutTheirEvents) {
  auto* panel = Make<TPanel>(0, 120, 200, 60);
  auto* a = Make<TepBMPRadioButton>(10, 10, 60, 20);
  auto* b = Make<TepBMPRadioButton>(10, 40, 60, 20);
  auto* other = Make<TepBMPRadioButton>(10, 70, 60, 20);
  auto* plain = Make<TepBMPCheckBox>(100, 10, 60, 20);
  auto* elsewhere = Make<TepBMPRadioButton>(10, 10, 60, 20, panel);
  other->SetGroupIndex(2);
  EXPECT_EQ(a->GroupIndex(), -1);
  int clicksA = 0, clicksB = 0;
  a->OnClick = [&](TObject*) { ++clicksA; };
  b->OnClick = [&](TObject*) { ++clicksB; };
  for (TepBMPCheckBox* c : std::vector<TepBMPCheckBox*>{b, other, plain, elsewhere})
    c->SetChecked(true);
  Pump();

  for (int round = 1; round <= 2; ++round) {
    a->Perform(CM_MOUSEENTER, 0, 0);
    a->Perform(WM_LBUTTONDOWN, MK_LBUTTON, Pos(5, 5));
    a->Perform(WM_LBUTTONUP, 0, Pos(5, 5));
    EXPECT_TRUE(a->Checked()) << "a click only sets a radio button";
    EXPECT_EQ(clicksA, round) << "and fires each time";
  }
  EXPECT_FALSE(b->Checked());
  EXPECT_EQ(clicksB, 0);
  EXPECT_TRUE(other->Checked());
  EXPECT_TRUE(plain->Checked());
  EXPECT_TRUE(elsewhere->Checked());

  // A radio button with no parent has no group to clear.
  auto* lone = new TepBMPRadioButton(form);
  lone->Perform(CM_MOUSEENTER, 0, 0);
  lone->Perform(WM_LBUTTONUP, 0, Pos(5, 5));
  EXPECT_TRUE(lone->Checked());
  EXPECT_TRUE(a->Checked());
}

TEST_F(BmpCtrls, SwitchShowsItsStateGlyphAndTogglesOnAnOpaquePixel) {
  TBitmap on, off;
  MakeGlyph(on, clRed);
  MakeGlyph(off, clBlue);
  auto* sw = Make<TepBMPSwitch>(10, 10, 10, 6);
  sw->SetColor(kBack);
  sw->SetOnGlyph(&on);
  sw->SetOffGlyph(&off);
  int ons = 0, offs = 0;
  sw->OnOn = [&](TObject*) { ++ons; };
  sw->OnOff = [&](TObject*) { ++offs; };
  Pump();
  EXPECT_EQ(Row(sw, 0, 8, 0), "rrr.rr..");
  EXPECT_EQ(Row(sw, 0, 8, 3), ".rr.rr..");

  sw->SetState(sOff);
  Pump();
  EXPECT_EQ((std::vector<int>{ons, offs}), (std::vector<int>{0, 1}));
  EXPECT_EQ(Row(sw, 0, 8, 0), "bbb.bb..");

  // Presses that miss: column 0, row 0, the key column, beyond the glyph,
  // and any right press.
  for (TPoint p : {Point(0, 2), Point(2, 0), Point(3, 2), Point(6, 2)})
    sw->Perform(WM_LBUTTONDOWN, MK_LBUTTON, Pos(p.X, p.Y));
  sw->Perform(WM_RBUTTONDOWN, MK_RBUTTON, Pos(2, 2));
  EXPECT_EQ(sw->State(), sOff);
  sw->Perform(WM_LBUTTONDOWN, MK_LBUTTON, Pos(2, 2));
  EXPECT_EQ(sw->State(), sOn);
  EXPECT_EQ((std::vector<int>{ons, offs}), (std::vector<int>{1, 1}));

  // In sOn without an OnGlyph the OffGlyph shows; an empty switch draws nothing.
  const TBitmap empty;
  sw->SetOnGlyph(&empty);
  Pump();
  EXPECT_EQ(Row(sw, 0, 4, 1), "bbb.");
  sw->SetOffGlyph(&empty);
  Pump();
  EXPECT_EQ(Row(sw, 0, 4, 1), "....");
}

TEST_F(BmpCtrls, ButtonShowsTheGlyphOfItsStateAtTheOrigin) {
  TBitmap up, active, down, unen, empty;
  MakeGlyph(up, clRed);
  MakeGlyph(active, clBlue);
  MakeGlyph(down, clLime);
  MakeGlyph(unen, clYellow);
  enum TWhen { idle, hover, pressed, disabled };
  struct Case {
    bool withActive, withDown, withUnEn;
    TWhen when;
    TColor shown;
    int kind;
  };
  const std::vector<Case> cases{
      {true, true, true, idle, clRed, 1},       {true, true, true, hover, clBlue, 2},
      {true, true, true, pressed, clLime, 3},   {true, true, true, disabled, clYellow, 0},
      {false, true, true, hover, clRed, 1},     {true, false, true, pressed, clBlue, 2},
      {false, false, false, pressed, clRed, 1}, {false, false, false, disabled, clRed, 1},
  };
  for (const Case& c : cases) {
    auto* button = Make<TepBMPButton>(10, 10, 10, 8);
    button->SetColor(kBack);
    button->SetUpGlyph(&up);
    button->SetActiveGlyph(c.withActive ? &active : &empty);
    button->SetDownGlyph(c.withDown ? &down : &empty);
    button->SetUnEnGlyph(c.withUnEn ? &unen : &empty);
    Pump();
    if (c.when == disabled)
      button->SetEnabled(false);
    if (c.when == hover || c.when == pressed)
      button->Perform(WM_MOUSEMOVE, 0, Pos(1, 1));
    if (c.when == pressed)
      button->Perform(WM_LBUTTONDOWN, MK_LBUTTON, Pos(1, 1));
    Pump();
    EXPECT_EQ(PixelAt(form, 11, 10), static_cast<COLORREF>(c.shown)) << "case " << &c - &cases[0];
    EXPECT_EQ(button->ShownKind(), c.kind) << "case " << &c - &cases[0];
    EXPECT_EQ(PixelAt(form, 10, 13), static_cast<COLORREF>(kBack)) << "the key is left out";
    EXPECT_EQ(PixelAt(form, 16, 10), static_cast<COLORREF>(kBack)) << "drawn at (0, 0)";
    button->Perform(WM_LBUTTONUP, 0, Pos(1, 1));
    delete button;
  }

  // Without glyphs nothing is drawn and the shown values stay.
  auto* bare = Make<TepBMPButton>(10, 10, 10, 8);
  bare->SetColor(kBack);
  Pump();
  EXPECT_EQ(Row(bare, 0, 10, 1), std::string(10, '.'));
  EXPECT_EQ(bare->ShownWidth(), 0);
}

TEST_F(BmpCtrls, ButtonHitsOnlyTheOpaquePixelsOfItsGlyph) {
  TBitmap up, down;
  MakeGlyph(up, clRed);
  MakeGlyph(down, clLime);
  int activePlays = 0, clickPlays = 0, clicks = 0, moves = 0, downs = 0;
  auto* button = Make<TCountedButton>(10, 10, 20, 20);
  button->SetUpGlyph(&up);
  button->SetDownGlyph(&down);
  button->SetActiveSound(CountingPlayer(form, activePlays));
  button->SetClickSound(CountingPlayer(form, clickPlays));
  button->OnClick = [&](TObject*) { ++clicks; };
  button->OnMouseMove = [&](TObject*, TShiftState, int, int) { ++moves; };
  button->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++downs; };
  Pump();
  EXPECT_EQ(button->ShownWidth(), 6);
  EXPECT_EQ(button->ShownHeight(), 4);

  struct Case {
    int x, y;
    bool in;
  };
  // Column 0, row 0, the key column and beyond the glyph are outside.
  const std::vector<Case> cases{{1, 1, true}, {0, 1, false}, {1, 0, false}, {3, 1, false},
                                {5, 3, true}, {6, 1, false}, {2, 4, false}, {15, 15, false}};
  for (const Case& c : cases) {
    button->Perform(WM_MOUSEMOVE, 0, Pos(c.x, c.y));
    EXPECT_EQ(button->MouseIn(), c.in) << c.x << "," << c.y;
  }
  // Hover changes repaint nothing without an ActiveGlyph.
  Pump();
  const int paints = button->Paints;
  button->Perform(WM_MOUSEMOVE, 0, Pos(1, 1));
  button->Perform(WM_MOUSEMOVE, 0, Pos(3, 1));
  button->Perform(WM_MOUSEMOVE, 0, Pos(1, 1));
  Pump();
  EXPECT_EQ(button->Paints, paints);
  EXPECT_EQ(moves, 4) << "moves are passed on only while in";
  EXPECT_EQ(activePlays, 1) << "one hover check runs: no second sound";

  // Pressed, moved onto the key column and released there: no click.
  button->Perform(WM_LBUTTONDOWN, MK_LBUTTON, Pos(1, 1));
  EXPECT_TRUE(button->Down());
  EXPECT_EQ(downs, 1);
  button->Perform(WM_MOUSEMOVE, MK_LBUTTON, Pos(3, 1));
  Pump();
  EXPECT_GT(button->Paints, paints) << "a pressed button repaints when the mouse leaves it";
  button->Perform(WM_LBUTTONUP, 0, Pos(3, 1));
  EXPECT_FALSE(button->Down());
  EXPECT_EQ((std::vector<int>{clicks, clickPlays}), (std::vector<int>{0, 0}));

  // A press outside is not the button's; a right press neither.
  button->Perform(WM_LBUTTONDOWN, MK_LBUTTON, Pos(3, 1));
  EXPECT_FALSE(button->Down());
  button->Perform(WM_MOUSEMOVE, 0, Pos(1, 1));
  button->Perform(WM_RBUTTONDOWN, MK_RBUTTON, Pos(1, 1));
  EXPECT_FALSE(button->Down());
  button->Perform(WM_LBUTTONDOWN, MK_LBUTTON, Pos(1, 1));
  button->Perform(WM_LBUTTONUP, 0, Pos(1, 1));
  EXPECT_EQ((std::vector<int>{clicks, clickPlays, downs}), (std::vector<int>{1, 1, 2}));

  // Leaving clears the hover; sounds removed from the form are forgotten.
  button->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(button->MouseIn());
  delete button->ClickSound();
  delete button->ActiveSound();
  EXPECT_EQ(button->ClickSound(), nullptr);
  EXPECT_EQ(button->ActiveSound(), nullptr);
}

TEST_F(BmpCtrls, ButtonHoverCheckClearsTheLookOfAPointerThatLeftUnannounced) {
  TBitmap up, active;
  MakeGlyph(up, clRed);
  MakeGlyph(active, clBlue);
  auto* button = Make<TepBMPButton>(10, 10, 10, 8);
  button->SetColor(kBack);
  button->SetUpGlyph(&up);
  button->SetActiveGlyph(&active);
  Pump();

  // The real pointer is far away: a move message alone brings the hover.
  const auto start = std::chrono::steady_clock::now();
  button->Perform(WM_MOUSEMOVE, 0, Pos(1, 1));
  ASSERT_NE(button->HoverTimer(), nullptr);
  EXPECT_EQ(button->HoverTimer()->Interval(), 500u);
  EXPECT_EQ(button->HoverTimer()->Owner(), button);
  PumpFor(250);
  EXPECT_TRUE(button->MouseIn()) << "not before the half second";
  ASSERT_TRUE(PumpUntil([&] { return button->HoverTimer() == nullptr; }));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(450));
  EXPECT_FALSE(button->MouseIn());
  EXPECT_EQ(PixelAt(form, 11, 11), static_cast<COLORREF>(RGB(255, 0, 0)));

  // A pointer that stays keeps the look.
  SimulateMouseMove(At(button, 1, 1));
  ASSERT_TRUE(button->MouseIn());
  ASSERT_NE(button->HoverTimer(), nullptr);
  ASSERT_TRUE(PumpUntil([&] { return button->HoverTimer() == nullptr; }));
  EXPECT_TRUE(button->MouseIn());
  EXPECT_EQ(PixelAt(form, 11, 11), static_cast<COLORREF>(RGB(0, 0, 255)));
}

TEST_F(BmpCtrls, LayoutsAlwaysStoreTheStateAndCarryTheGlyphs) {
  form->SetName("frm");
  int plays = 0;
  auto* sound = CountingPlayer(form, plays);
  sound->SetName("beep");
  auto* box = Make<TepBMPCheckBox>(0, 0, 100, 30);
  box->SetName("box");
  auto* radio = Make<TepBMPRadioButton>(0, 40, 100, 30);
  radio->SetName("radio");
  auto* sw = Make<TepBMPSwitch>(0, 80, 100, 100);
  sw->SetName("sw");
  auto* button = Make<TepBMPButton>(120, 0, 100, 100);
  button->SetName("button");
  button->SetClickSound(sound);
  TBitmap up;
  MakeGlyph(up, clRed);
  button->SetUpGlyph(&up);

  const AnsiString text = WriteComponentLayout(form);
  const auto part = [&](const char* name) {
    const size_t at = text.find(std::string("object ") + name);
    return text.substr(at, text.find("\n  end", at) - at);
  };
  for (const char* stored : {"Checked = False", "TextAlignment = taLeftJustify",
                             "EfCaption = False", "ActiveTextColor = clBlack"}) {
    EXPECT_NE(part("box").find(stored), std::string::npos) << stored << " in " << part("box");
    EXPECT_NE(part("radio").find(stored), std::string::npos) << stored;
  }
  EXPECT_NE(part("radio").find("GroupIndex = -1"), std::string::npos) << part("radio");
  EXPECT_NE(part("sw").find("State = sOn"), std::string::npos) << part("sw");
  EXPECT_NE(part("button").find("ClickSound = beep"), std::string::npos) << part("button");

  TForm loaded(nullptr);
  ReadComponentLayout(&loaded, text, "bmpctrls.lay");
  auto* b = dynamic_cast<TepBMPButton*>(loaded.FindComponent("button"));
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->ClickSound(), loaded.FindComponent("beep"));
  TPalette colours{{'r', clRed}, {'w', kKey}};
  EXPECT_EQ(Picture(*b->UpGlyph(), colours), Picture(up, colours));

  const AnsiString stored = "object frm: TForm\n"
                            "  object box: TepBMPCheckBox\n"
                            "    Checked = True\n"
                            "    TextAlignment = taRightJustify\n"
                            "    EfCaption = True\n"
                            "    ActiveTextColor = clRed\n"
                            "  end\n"
                            "  object radio: TepBMPRadioButton\n"
                            "    GroupIndex = 3\n"
                            "  end\n"
                            "  object sw: TepBMPSwitch\n"
                            "    State = sOff\n"
                            "  end\n"
                            "end\n";
  TForm second(nullptr);
  ReadComponentLayout(&second, stored, "bmpctrls2.lay");
  auto* c = dynamic_cast<TepBMPCheckBox*>(second.FindComponent("box"));
  auto* r = dynamic_cast<TepBMPRadioButton*>(second.FindComponent("radio"));
  auto* s = dynamic_cast<TepBMPSwitch*>(second.FindComponent("sw"));
  ASSERT_NE(c, nullptr);
  ASSERT_NE(r, nullptr);
  ASSERT_NE(s, nullptr);
  EXPECT_TRUE(c->Checked());
  EXPECT_EQ(c->TextAlignment(), taRightJustify);
  EXPECT_TRUE(c->EfCaption());
  EXPECT_EQ(c->ActiveTextColor(), clRed);
  EXPECT_EQ(c->Width(), 100);
  EXPECT_EQ(c->Height(), 30);
  EXPECT_EQ(r->GroupIndex(), 3);
  EXPECT_EQ(s->State(), sOff);
  EXPECT_EQ(s->Width(), 100);
  EXPECT_EQ(s->Height(), 100);
}

// Each control once over a form, written as a PNG into the build folder for
// a look by eye.
TEST_F(BmpCtrls, DemoSheet) {
  form->SetColor(RGB(40, 70, 110));
  TBitmap check;
  check.SetSize(28, 14);
  TCanvas* cc = check.Canvas();
  cc->Brush()->SetColor(clFuchsia);
  cc->FillRect(Rect(0, 0, 28, 14));
  cc->Brush()->SetColor(clWhite);
  cc->Pen()->SetColor(clBlack);
  cc->Rectangle(0, 0, 14, 14);
  cc->Rectangle(14, 0, 28, 14);
  cc->Pen()->SetColor(clGreen);
  cc->MoveTo(3, 7);
  cc->LineTo(6, 11);
  cc->LineTo(11, 2);
  cc->SetPixels(0, 13, clFuchsia);
  cc->SetPixels(14, 13, clFuchsia);
  const std::vector<std::pair<const char*, TLeftRight>> boxes{{"Glyph left", taLeftJustify},
                                                              {"Glyph right", taRightJustify}};
  for (size_t i = 0; i < boxes.size(); ++i) {
    auto* box = Make<TepBMPCheckBox>(10, 10 + static_cast<int>(i) * 30, 130, 24);
    box->SetTransparent(true);
    box->Font()->SetColor(clWhite);
    box->SetCaption(boxes[i].first);
    box->SetCheckGlyph(&check);
    box->SetAlignment(boxes[i].second);
    box->SetChecked(i == 0);
  }
  auto* radio = Make<TepBMPRadioButton>(10, 80, 130, 24);
  radio->SetColor(RGB(90, 90, 140));
  radio->Font()->SetColor(clYellow);
  radio->SetActiveTextColor(clRed);
  radio->SetEfCaption(true);
  radio->SetCaption("Hovered radio");
  radio->SetCheckGlyph(&check);
  radio->Perform(CM_MOUSEENTER, 0, 0);

  TBitmap ball, square;
  ball.SetSize(24, 24);
  ball.Canvas()->Brush()->SetColor(clFuchsia);
  ball.Canvas()->FillRect(Rect(0, 0, 24, 24));
  square.Assign(&ball);
  ball.Canvas()->Brush()->SetColor(clLime);
  ball.Canvas()->Ellipse(1, 1, 23, 23);
  square.Canvas()->Brush()->SetColor(clRed);
  square.Canvas()->Rectangle(2, 2, 22, 22);
  auto* sw = Make<TepBMPSwitch>(160, 10, 24, 24);
  sw->SetTransparent(true);
  sw->SetOnGlyph(&ball);
  sw->SetOffGlyph(&square);
  auto* swOff = Make<TepBMPSwitch>(190, 10, 24, 24);
  swOff->SetTransparent(true);
  swOff->SetOnGlyph(&ball);
  swOff->SetOffGlyph(&square);
  swOff->SetState(sOff);
  auto* button = Make<TepBMPButton>(160, 50, 24, 24);
  button->SetTransparent(true);
  button->SetUpGlyph(&square);
  button->SetActiveGlyph(&ball);
  auto* hovered = Make<TepBMPButton>(190, 50, 24, 24);
  hovered->SetTransparent(true);
  hovered->SetUpGlyph(&square);
  hovered->SetActiveGlyph(&ball);
  Pump();
  hovered->Perform(WM_MOUSEMOVE, 0, Pos(12, 12));
  Pump();

  Capture();
  const std::string bmp = std::string(WT_BINARY_DIR) + "/skin-bmpctrls-demo.bmp";
  const std::string png = std::string(WT_BINARY_DIR) + "/skin-bmpctrls-demo.png";
  shot.SaveToFile(bmp.c_str());
  ASSERT_EQ(std::system(("convert '" + bmp + "' '" + png + "'").c_str()), 0);
  EXPECT_EQ(Shown(sw, 12, 12), clLime);
  EXPECT_EQ(Shown(swOff, 12, 12), clRed);
  EXPECT_EQ(Shown(hovered, 12, 12), clLime);
  EXPECT_EQ(Shown(button, 12, 12), clRed);
  EXPECT_EQ(Shown(button, 0, 0), RGB(40, 70, 110)) << "the key shows the form through";
}
