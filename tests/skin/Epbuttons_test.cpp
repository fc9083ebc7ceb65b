// The effect push buttons: the glowing caption button's placement and
// colours, and the blurred bevelled button's crisp frames and caption.
#include "skin/Epbuttons.h"

#include "platform/ui/Layout.h"
#include "tests/platform/ui/FormFixture.h"
#include "tests/skin/SkinPixels.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

// Where the last paint put the caption and the glyph.
class LabelProbe : public TepLabelButton {
public:
  using TepLabelButton::GlyphX;
  using TepLabelButton::GlyphY;
  using TepLabelButton::TepLabelButton;
  using TepLabelButton::TextX;
  using TepLabelButton::TextY;
};

class EffectPushButtons : public FormTest {
protected:
  void SetUp() override {
    FormTest::SetUp();
    form->SetColor(clWhite);
    SimulateMouseMove(Point(0, 0));
    Pump();
  }
  template <class T> T* Place(int x, int y, int w, int h) {
    T* c = new T(form);
    c->SetParent(form);
    c->SetBounds(x, y, w, h);
    return c;
  }
  // A control's pixels: a windowed one's own, a windowless one's on its parent.
  static std::unique_ptr<TBitmap> Grab(TControl* c) {
    auto* window = dynamic_cast<TWinControl*>(c);
    const bool own = window != nullptr;
    TWinControl* surface = own ? window : c->Parent();
    surface->Repaint();
    auto shot = std::make_unique<TBitmap>();
    shot->SetSize(c->Width(), c->Height());
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, surface->Impl()->Surface());
    BitBlt(shot->Canvas()->Handle(), 0, 0, c->Width(), c->Height(), dc, own ? 0 : c->Left(),
           own ? 0 : c->Top(), SRCCOPY);
    SelectObject(dc, old);
    DeleteDC(dc);
    return shot;
  }
  static int Count(TBitmap& shot, TColor color) {
    int n = 0;
    for (int y = 0; y < shot.Height(); ++y)
      for (int x = 0; x < shot.Width(); ++x)
        n += shot.Canvas()->Pixels(x, y) == ColorToRGB(color);
    return n;
  }
  static void Hover(TControl* c, bool inside) {
    SimulateMouseMove(inside ? At(c, c->Width() / 2, c->Height() / 2) : Point(0, 0));
    Pump();
  }
};

} // namespace

TEST_F(EffectPushButtons, LabelButtonKeepsItsContentTwoPixelsFromTheEdges) {
  auto* button = Place<LabelProbe>(10, 10, 100, 30);
  EXPECT_EQ(button->Width(), 100);
  button->SetCaption("Ab");
  TBitmap glyph;
  glyph.SetSize(6, 4);
  button->SetGlyph(&glyph);
  button->SetNumGlyphs(2);
  button->SetMargin(10);
  button->SetSpacing(9);
  TBitmap probe;
  probe.Canvas()->SetFont(button->Font());
  const int tw = probe.Canvas()->TextWidth("Ab"), th = probe.Canvas()->TextHeight("Ab");
  struct Case {
    TLayout layout;
    int gx, gy, tx, ty;
  } const cases[] = {
      {blGlyphLeft, 2, 13, 100 - tw - 2, 15 - th / 2},
      {blGlyphRight, 95, 13, 2, 15 - th / 2},
      {blGlyphTop, 49, 2, 50 - tw / 2, 30 - th - 2},
      {blGlyphBottom, 49, 24, 50 - tw / 2, 2},
  };
  for (const Case& c : cases) {
    button->SetLayout(c.layout);
    Grab(button);
    EXPECT_EQ(button->GlyphX, c.gx) << c.layout;
    EXPECT_EQ(button->GlyphY, c.gy) << c.layout;
    EXPECT_EQ(button->TextX, c.tx) << c.layout;
    EXPECT_EQ(button->TextY, c.ty) << c.layout;
  }
}

TEST_F(EffectPushButtons, LabelButtonCaptionColoursFollowTheMouse) {
  auto* button = Place<TepLabelButton>(10, 10, 100, 30);
  button->SetCaption("Hover");
  button->Font()->SetColor(clBlack);
  button->SetColor(clWhite);
  button->SetActiveTextColor(clRed);
  struct Case {
    bool inside, efCaption;
    bool black, red;
  } const cases[] = {
      {false, false, true, false},
      {true, false, false, true},
      {true, true, true, true},
      {false, true, true, false},
  };
  for (const Case& c : cases) {
    button->SetEfCaption(c.efCaption);
    Hover(button, c.inside);
    EXPECT_EQ(button->MouseIn(), c.inside);
    auto shot = Grab(button);
    EXPECT_EQ(Count(*shot, clBlack) > 0, c.black) << c.inside << c.efCaption;
    EXPECT_EQ(Count(*shot, clRed) > 0, c.red) << c.inside << c.efCaption;
  }
}

TEST_F(EffectPushButtons, EfButtonKeepsItsOuterLinesCrispAfterTheBlur) {
  auto* button = Place<TepEfButton>(10, 10, 65, 25);
  EXPECT_EQ(button->FrameWidth(), 2);
  button->SetColor(clGray);
  button->SetFrameWidth(51);
  button->SetFrameWidth(-1);
  EXPECT_EQ(button->FrameWidth(), 2) << "values outside 0..50 are ignored";
  auto shot = Grab(button);
  TCanvas* c = shot->Canvas();
  EXPECT_EQ(c->Pixels(0, 0), RGB(63, 63, 63));
  EXPECT_EQ(c->Pixels(30, 0), RGB(63, 63, 63));
  EXPECT_EQ(c->Pixels(64, 24), RGB(193, 193, 193));
  EXPECT_EQ(c->Pixels(2, 2), RGB(0, 0, 0));
  EXPECT_EQ(c->Pixels(62, 22), RGB(0, 0, 0));
  // Inside the crisp lines the frames are blurred into each other.
  EXPECT_NE(c->Pixels(1, 10), RGB(63, 63, 63));
}

TEST_F(EffectPushButtons, EfButtonCaptionIsCrispOrAGlow) {
  auto* button = Place<TepEfButton>(10, 10, 80, 30);
  button->SetCaption("Go on");
  button->Font()->SetColor(clBlack);
  EXPECT_EQ(button->ActiveTextColor(), clBlue);
  struct Case {
    bool inside, efCaption;
    bool blue;
  } const cases[] = {{false, false, false}, {true, false, true}, {true, true, false}};
  for (const Case& c : cases) {
    button->SetEfCaption(c.efCaption);
    Hover(button, c.inside);
    auto shot = Grab(button);
    EXPECT_EQ(Count(*shot, clBlue) > 0, c.blue) << c.inside << c.efCaption;
  }
  // The glow: bluish pixels that are not pure.
  auto shot = Grab(button);
  int bluish = 0;
  for (int y = 0; y < shot->Height(); ++y)
    for (int x = 0; x < shot->Width(); ++x) {
      const COLORREF p = shot->Canvas()->Pixels(x, y);
      bluish += GetBValue(p) > GetRValue(p) + 30;
    }
  EXPECT_GT(bluish, 0);
}

TEST_F(EffectPushButtons, ShadowBtnHalvesWhatLiesUnderItsShape) {
  const TPalette shades = {
      {'w', clWhite}, {'b', clBlue}, {'s', static_cast<TColor>(RGB(127, 127, 127))}};
  auto* button = Place<TepShadowBtn>(10, 10, 12, 9);
  button->SetColor(clWhite);
  struct Case {
    Epbuttons::TBtnKind kind;
    uint8_t offset;
    std::vector<std::string> rows;
  } const cases[] = {
      // A rectangle's shadow keeps two pixels of offset even at 0.
      {Epbuttons::TBtnKind::bkRect,
       0,
       {"wwwwwwwwwwww", "wwwwwwwwwwww", "wwbbbbbbbbww", "wwbbbbbbbbww", "wwbbbbbbbbww",
        "wwbbbbbbbbww", "wwbbbbbbbbww", "wwssssssssww", "wwwwwwwwwwww"}},
      {Epbuttons::TBtnKind::bkRect,
       2,
       {"wwwwwwwwwwww", "wwwwwwwwwwww", "wwbbbbbbwwww", "wwbbbbbbwwww", "wwbbbbbbssww",
        "wwwwssssssww", "wwwwssssssww", "wwwwssssssww", "wwwwwwwwwwww"}},
  };
  for (const Case& c : cases) {
    button->SetBtnKind(c.kind);
    button->SetShadowOffset(c.offset);
    EXPECT_EQ(Picture(*Grab(button), shades), c.rows) << int(c.offset);
  }
  // The ellipse's shadow starts at the corner with no offset.
  button->SetBtnKind(Epbuttons::TBtnKind::bkEllipse);
  button->SetShadowOffset(0);
  EXPECT_EQ(Picture(*Grab(button), shades)[0].substr(4, 4), "ssss");
}

TEST_F(EffectPushButtons, ShadowBtnPressedFaceMovesAndTheShapeIsTheHitArea) {
  auto* button = Place<TepShadowBtn>(10, 10, 40, 30);
  button->SetColor(clWhite);
  const TPalette shades = {{'w', clWhite}, {'b', clBlue}};
  EXPECT_EQ(Picture(*Grab(button), shades)[2].substr(1, 3), "wbb");
  SimulateMouseMove(At(button, 10, 10));
  Pump();
  SimulateMouseDown(At(button, 10, 10), mbLeft);
  Pump();
  EXPECT_EQ(Picture(*Grab(button), shades)[2].substr(1, 3), "www");
  EXPECT_EQ(Picture(*Grab(button), shades)[3].substr(1, 3), "wwb");
  SimulateMouseUp(At(button, 10, 10), mbLeft);
  Pump();

  EXPECT_TRUE(button->IsMouseIn(1, 1));
  button->SetBtnKind(Epbuttons::TBtnKind::bkEllipse);
  EXPECT_FALSE(button->IsMouseIn(3, 3));
  EXPECT_TRUE(button->IsMouseIn(17, 12));
  button->SetBtnKind(Epbuttons::TBtnKind::bkRndRect);
  EXPECT_FALSE(button->IsMouseIn(3, 3));
  EXPECT_TRUE(button->IsMouseIn(5, 12));
}

TEST_F(EffectPushButtons, SpeedButtonsOfAGroupHoldOneDown) {
  TepSpeedButton* buttons[3];
  int clicks = 0;
  for (int i = 0; i < 3; ++i) {
    buttons[i] = Place<TepSpeedButton>(10 + i * 30, 10, 25, 25);
    buttons[i]->SetGroupIndex(1);
    buttons[i]->OnClick = [&clicks](TObject*) { ++clicks; };
  }
  buttons[0]->SetDown(true);
  ClickAt(buttons[1], 5, 5);
  Pump();
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(buttons[0]->Down());
  EXPECT_TRUE(buttons[1]->Down());
  EXPECT_EQ(buttons[1]->State(), bsExclusive);
  EXPECT_EQ(buttons[0]->State(), bsUp);

  // Pressing the down button again leaves it down, unless all may be up.
  ClickAt(buttons[1], 5, 5);
  Pump();
  EXPECT_TRUE(buttons[1]->Down());
  buttons[2]->SetAllowAllUp(true);
  EXPECT_TRUE(buttons[1]->AllowAllUp()) << "the group shares it";
  ClickAt(buttons[1], 5, 5);
  Pump();
  EXPECT_FALSE(buttons[1]->Down());
  EXPECT_EQ(clicks, 3);

  // Released outside: no click, nothing changes hands.
  SimulateMouseDown(At(buttons[2], 5, 5), mbLeft);
  Pump();
  EXPECT_EQ(buttons[2]->State(), bsDown);
  SimulateMouseMove(At(buttons[2], 100, 100));
  Pump();
  EXPECT_EQ(buttons[2]->State(), bsUp);
  SimulateMouseUp(At(buttons[2], 100, 100), mbLeft);
  Pump();
  EXPECT_FALSE(buttons[2]->Down());
  EXPECT_EQ(clicks, 3);
}

TEST_F(EffectPushButtons, SpeedButtonOutsideAGroupNeverStaysDownAndRefusesBadMargins) {
  auto* button = Place<TepSpeedButton>(10, 10, 25, 25);
  button->SetDown(true);
  EXPECT_FALSE(button->Down());
  button->SetMargin(3);
  button->SetMargin(-2);
  EXPECT_EQ(button->Margin(), 3);
  ClickAt(button, 5, 5);
  Pump();
  EXPECT_EQ(button->State(), bsUp);
  EXPECT_FALSE(button->Down());
}

TEST_F(EffectPushButtons, SpeedButtonShowsTheGlyphFrameOfItsState) {
  // Four frames of 2 x 2 pixels in red, lime, blue and yellow (two frames
  // are red-lime and blue-yellow); each frame's bottom-left pixel is its
  // transparent colour, so three pixels of the frame's colour show.
  TBitmap strip;
  Paint(strip, {"rrggbbyy", "wrwgwbwy"},
        {{'r', clRed}, {'g', clLime}, {'b', clBlue}, {'y', clYellow}, {'w', clWhite}});
  auto* button = Place<TepSpeedButton>(10, 10, 25, 25);
  button->SetColor(clWhite);
  button->SetGlyph(&strip);
  const auto shows = [&](TColor color) { return Count(*Grab(button), color) == 3; };
  struct Case {
    TNumGlyphs frames;
    bool enabled, hover, down;
    TColor shown;
  } const cases[] = {
      {4, true, false, false, clRed},   {4, true, false, true, clBlue},
      {3, true, true, false, clLime},   {2, true, true, false, clRed},
      {2, false, false, false, clBlue}, {4, false, false, false, clYellow},
  };
  for (const Case& c : cases) {
    button->SetNumGlyphs(c.frames);
    button->SetEnabled(c.enabled);
    button->SetGroupIndex(c.down ? 1 : 0);
    button->SetAllowAllUp(true);
    button->SetDown(c.down);
    Hover(button, c.hover);
    EXPECT_TRUE(shows(c.shown)) << int(c.frames) << c.enabled << c.hover << c.down;
  }
}

TEST_F(EffectPushButtons, FlatSpeedButtonFramesOnlyUnderTheMouse) {
  auto* button = Place<TepSpeedButton>(10, 10, 8, 6);
  button->SetColor(clWhite);
  button->SetFlat(true);
  button->SetInnerColor(clLime);
  button->SetOuterColor(clRed);
  const auto corner = [&] { return Grab(button)->Canvas()->Pixels(0, 0); };
  EXPECT_EQ(corner(), ColorToRGB(clWhite));
  Hover(button, true);
  EXPECT_TRUE(button->MouseIn());
  EXPECT_EQ(corner(), ColorToRGB(clLime));
  SimulateMouseDown(At(button, 4, 3), mbLeft);
  Pump();
  EXPECT_EQ(corner(), ColorToRGB(clRed));
  SimulateMouseUp(At(button, 4, 3), mbLeft);
  Pump();
  // After the release the pointer is found still over it.
  EXPECT_TRUE(button->MouseIn());
  EXPECT_EQ(corner(), ColorToRGB(clLime));
  Hover(button, false);
  EXPECT_EQ(corner(), ColorToRGB(clWhite));
}

TEST_F(EffectPushButtons, ExclusiveSpeedButtonIsCheckeredAtRest) {
  auto* button = Place<TepSpeedButton>(10, 10, 6, 4);
  button->SetColor(clRed);
  button->SetPatternColor(clLime);
  button->SetFrameWidth(1);
  button->SetInnerColor(clWhite);
  button->SetOuterColor(clBlack);
  button->SetGroupIndex(2);
  button->SetDown(true);
  const TPalette c = {{'r', clRed}, {'g', clLime}, {'w', clWhite}, {'k', clBlack}};
  EXPECT_EQ(Picture(*Grab(button), c),
            (std::vector<std::string>{"kkkkkw", "kgrgrw", "krgrgw", "wwwwww"}));
}

TEST_F(EffectPushButtons, ColorButtonPlacesItsMarkBesideTheContent) {
  auto* button = Place<TepColorButton>(10, 10, 86, 30);
  button->SetColor(clWhite);
  button->SetColorValue(clRed);
  // Without caption and glyph the content is a point at the middle,
  // pushed away from the mark by half the mark and half its offset.
  struct Case {
    TMarkAlign align;
    TPoint mark;
  } const cases[] = {{mkLeft, {35, 10}}, {mkRight, {41, 10}}};
  for (const Case& c : cases) {
    button->SetMarkAlign(c.align);
    auto shot = Grab(button);
    EXPECT_EQ(button->MarkPos().X, c.mark.X) << c.align;
    EXPECT_EQ(button->MarkPos().Y, c.mark.Y) << c.align;
    EXPECT_EQ(Count(*shot, clRed), 64) << "inside the outline";
    EXPECT_EQ(shot->Canvas()->Pixels(c.mark.X + 1, c.mark.Y + 1), ColorToRGB(clRed));
  }
  // The outline stands out from the face and the mark.
  struct Outline {
    TColor value, face, outline;
  } const outlines[] = {
      {clRed, clWhite, clWhite}, {clWhite, clWhite, clBlack}, {clBlack, clBlack, clWhite}};
  for (const Outline& o : outlines) {
    button->SetColorValue(o.value);
    button->SetColor(o.face);
    auto shot = Grab(button);
    const TPoint m = button->MarkPos();
    EXPECT_EQ(shot->Canvas()->Pixels(m.X, m.Y), ColorToRGB(o.outline));
  }
}

namespace {
// What a user picking red in the dialog answers.
class TRedPicker : public TColorDialog {
public:
  using TColorDialog::TColorDialog;
  bool Execute() override {
    SetColor(clRed);
    return true;
  }
};
} // namespace

TEST_F(EffectPushButtons, ColorButtonTakesTheDialogsNewColourOnly) {
  auto* button = Place<TepColorButton>(10, 10, 86, 30);
  button->SetColorValue(clTeal);
  int changes = 0;
  button->OnChange = [&](TObject*) { ++changes; };
  ClickAt(button, 5, 5);
  Pump();
  EXPECT_EQ(changes, 0) << "no dialog, nothing to do";

  auto* dialog = new TColorDialog(form);
  button->SetColorDialog(dialog);
  {
    TScript script({[] { SimulateKey(VK_ESCAPE); }});
    SimulateMouseDown(At(button, 5, 5), mbLeft);
    EXPECT_EQ(script.Done, 1);
  }
  SimulateMouseUp(At(button, 5, 5), mbLeft);
  Pump();
  EXPECT_EQ(button->ColorValue(), clTeal);
  EXPECT_EQ(changes, 0) << "cancelled";
  delete dialog;
  EXPECT_EQ(button->ColorDialog(), nullptr);

  auto* picker = new TRedPicker(form);
  button->SetColorDialog(picker);
  ClickAt(button, 5, 5);
  Pump();
  EXPECT_EQ(button->ColorValue(), clRed);
  EXPECT_EQ(changes, 1);
  ClickAt(button, 5, 5);
  Pump();
  EXPECT_EQ(changes, 1) << "the same colour again is no change";
}

TEST_F(EffectPushButtons, FocusButtonAnswersSpaceEnterAndItsAccelerator) {
  auto* button = Make<TepFocusButton>(10, 10, 75, 25);
  auto* other = Make<TepFocusButton>(10, 50, 75, 25);
  button->SetCaption("&Go");
  int clicks = 0;
  button->OnClick = [&](TObject*) { ++clicks; };
  // A press focuses it first.
  ClickAt(button, 5, 5);
  Pump();
  EXPECT_TRUE(button->Focused());
  EXPECT_EQ(clicks, 1);

  SimulateKey(VK_SPACE, {}, ' ');
  Pump();
  EXPECT_EQ(clicks, 2);
  EXPECT_FALSE(button->KeyPressed());
  EXPECT_FALSE(button->Down());
  SimulateKey(VK_RETURN, {}, 13);
  Pump();
  EXPECT_EQ(clicks, 3);

  other->SetFocus();
  Pump();
  // The accelerator, as the form hands a typed character to its controls.
  form->Perform(CM_DIALOGCHAR, 'x');
  EXPECT_EQ(clicks, 3);
  EXPECT_EQ(form->Perform(CM_DIALOGCHAR, 'g'), 1);
  EXPECT_EQ(clicks, 4);
  SimulateKey(VK_RETURN, {}, 13);
  Pump();
  EXPECT_EQ(clicks, 4) << "Enter clicks only the focused button";
}

TEST_F(EffectPushButtons, FocusButtonFrameSinksWhilePressedAndMarksTheFocus) {
  auto* button = Make<TepFocusButton>(10, 10, 40, 20);
  auto* other = Make<TepFocusButton>(10, 50, 40, 20);
  button->SetColor(clWhite);
  button->SetInnerColor(clLime);
  button->SetOuterColor(clRed);
  const auto at = [&](int x, int y) { return Grab(button)->Canvas()->Pixels(x, y); };
  EXPECT_EQ(at(0, 0), ColorToRGB(clLime));
  EXPECT_EQ(at(39, 19), ColorToRGB(clRed));
  SimulateMouseMove(At(button, 5, 5));
  Pump();
  SimulateMouseDown(At(button, 5, 5), mbLeft);
  Pump();
  EXPECT_EQ(at(0, 0), ColorToRGB(clRed));
  EXPECT_EQ(at(39, 19), ColorToRGB(clLime));
  SimulateMouseUp(At(button, 5, 5), mbLeft);
  Pump();
  ASSERT_TRUE(button->Focused());
  // The focus mark runs along the content rectangle, three pixels in.
  const auto focused = Grab(button);
  other->SetFocus();
  Pump();
  const auto unfocused = Grab(button);
  int changed = 0;
  for (int x = 3; x < 37; ++x)
    changed += focused->Canvas()->Pixels(x, 3) != unfocused->Canvas()->Pixels(x, 3);
  EXPECT_GT(changed, 5);
  EXPECT_EQ(unfocused->Canvas()->Pixels(10, 3), ColorToRGB(clWhite));
}

TEST_F(EffectPushButtons, TransparentBtnFrameFollowsHoverPressAndKind) {
  auto* button = Make<TepTransparentBtn>(10, 10, 30, 20);
  button->SetShowFocus(false);
  button->SetColor(clWhite);
  button->SetFrameColor(clBlue);
  button->SetFrameInnerColor(clLime);
  button->SetFrameOuterColor(clRed);
  const auto at = [&](int x, int y) { return Grab(button)->Canvas()->Pixels(x, y); };
  EXPECT_EQ(at(0, 0), ColorToRGB(clWhite));
  EXPECT_EQ(at(1, 1), ColorToRGB(clBlue));
  button->SetEnabled(false);
  EXPECT_EQ(at(1, 1), ColorToRGB(clRed)) << "disabled, in the outer colour";
  button->SetEnabled(true);
  Hover(button, true);
  EXPECT_EQ(at(0, 0), ColorToRGB(clBlue));
  button->SetFrame3D(true);
  EXPECT_EQ(at(0, 0), ColorToRGB(clLime));
  EXPECT_EQ(at(29, 19), ColorToRGB(clRed));
  SimulateMouseDown(At(button, 15, 10), mbLeft);
  Pump();
  EXPECT_EQ(at(0, 0), ColorToRGB(clRed));
  EXPECT_EQ(at(29, 19), ColorToRGB(clLime));
  SimulateMouseUp(At(button, 15, 10), mbLeft);
  Pump();
  Hover(button, false);
  EXPECT_EQ(at(0, 0), ColorToRGB(clBlue)) << "a plain outline at rest";
}

TEST_F(EffectPushButtons, RoundedTransparentBtnShapesItsWindowAndHitArea) {
  auto* button = Make<TepTransparentBtn>(10, 10, 30, 20);
  EXPECT_EQ(button->WindowRgn(), nullptr);
  EXPECT_TRUE(button->IsMouseIn(1, 1));
  button->SetFrameRnd(true);
  EXPECT_NE(button->WindowRgn(), nullptr);
  EXPECT_FALSE(button->IsMouseIn(1, 1));
  EXPECT_TRUE(button->IsMouseIn(15, 10));
  button->SetRadius(0);
  EXPECT_EQ(button->Radius(), 5);
  button->SetFrameRnd(false);
  EXPECT_EQ(button->WindowRgn(), nullptr);
}

TEST(EffectPushButtonLayout, DefaultsAreNotStoredAndValuesRoundTrip) {
  Application->Initialize();
  TForm holder(nullptr);
  holder.SetName("Holder");
  auto* label = new TepLabelButton(&holder);
  label->SetName("lbl");
  label->SetParent(&holder);
  auto* ef = new TepEfButton(&holder);
  ef->SetName("ef");
  ef->SetParent(&holder);
  const AnsiString plain = WriteComponentLayout(&holder);
  auto* shadow = new TepShadowBtn(&holder);
  shadow->SetName("sh");
  shadow->SetParent(&holder);
  auto* speed = new TepSpeedButton(&holder);
  speed->SetName("sp");
  speed->SetParent(&holder);
  auto* color = new TepColorButton(&holder);
  color->SetName("col");
  color->SetParent(&holder);
  auto* focus = new TepFocusButton(&holder);
  focus->SetName("foc");
  focus->SetParent(&holder);
  auto* framed = new TepTransparentBtn(&holder);
  framed->SetName("frm");
  framed->SetParent(&holder);
  for (const char* name :
       {"EfCaption",  "FrameWidth", "BtnFrameWidth", "BtnColor",   "Layout",
        "BtnKind",    "Radius",     "ShadowOffset",  "BlurShadow", "GroupIndex",
        "Down",       "Flat",       "PatternColor",  "GradKind",   "MiddleTransparent",
        "AllowAllUp", "NumGlyphs",  "ColorValue",    "MarkAlign",  "MarkWidth",
        "MarkOffset", "UseFrame",   "ShowFocus",     "Frame3D",    "FrameRnd",
        "FrameColor"})
    EXPECT_EQ(plain.find(name), AnsiString::npos) << name << " in\n" << plain;
  label->SetEfCaption(true);
  label->SetLayout(blGlyphTop);
  ef->SetBtnFrameWidth(7);
  ef->SetBtnColor(clRed);
  shadow->SetBtnKind(Epbuttons::TBtnKind::bkRndRect);
  shadow->SetShadowOffset(5);
  speed->SetGroupIndex(3);
  speed->SetDown(true);
  speed->SetFlat(true);
  color->SetMarkAlign(mkBottom);
  color->SetColorValue(clTeal);
  focus->SetFrameWidth(4);
  framed->SetFrameRnd(true);
  framed->SetRadius(8);
  TForm copy(nullptr);
  ReadComponentLayout(&copy, WriteComponentLayout(&holder), "buttons");
  auto* label2 = dynamic_cast<TepLabelButton*>(copy.FindComponent("lbl"));
  auto* ef2 = dynamic_cast<TepEfButton*>(copy.FindComponent("ef"));
  ASSERT_NE(label2, nullptr);
  ASSERT_NE(ef2, nullptr);
  EXPECT_TRUE(label2->EfCaption());
  EXPECT_EQ(label2->Layout(), blGlyphTop);
  EXPECT_EQ(ef2->BtnFrameWidth(), 7);
  EXPECT_EQ(ef2->BtnColor(), clRed);
  EXPECT_EQ(ef2->FrameWidth(), 2);
  EXPECT_EQ(ef2->Width(), 65);
  auto* shadow2 = dynamic_cast<TepShadowBtn*>(copy.FindComponent("sh"));
  ASSERT_NE(shadow2, nullptr);
  EXPECT_EQ(shadow2->BtnKind(), Epbuttons::TBtnKind::bkRndRect);
  EXPECT_EQ(shadow2->ShadowOffset(), 5);
  EXPECT_EQ(shadow2->Radius(), 10);
  auto* speed2 = dynamic_cast<TepSpeedButton*>(copy.FindComponent("sp"));
  ASSERT_NE(speed2, nullptr);
  EXPECT_EQ(speed2->GroupIndex(), 3);
  EXPECT_TRUE(speed2->Down());
  EXPECT_TRUE(speed2->Flat());
  EXPECT_EQ(speed2->Spacing(), 4);
  EXPECT_EQ(speed2->Width(), 25);
  auto* color2 = dynamic_cast<TepColorButton*>(copy.FindComponent("col"));
  auto* focus2 = dynamic_cast<TepFocusButton*>(copy.FindComponent("foc"));
  auto* framed2 = dynamic_cast<TepTransparentBtn*>(copy.FindComponent("frm"));
  ASSERT_NE(color2, nullptr);
  ASSERT_NE(focus2, nullptr);
  ASSERT_NE(framed2, nullptr);
  EXPECT_EQ(color2->MarkAlign(), mkBottom);
  EXPECT_EQ(color2->ColorValue(), clTeal);
  EXPECT_EQ(color2->Width(), 86);
  EXPECT_EQ(focus2->FrameWidth(), 4);
  EXPECT_TRUE(focus2->TabStop());
  EXPECT_TRUE(framed2->FrameRnd());
  EXPECT_EQ(framed2->Radius(), 8);
  EXPECT_NE(framed2->WindowRgn(), nullptr);
}

TEST_F(EffectPushButtons, DemoSheet) {
  form->SetColor(clTeal);
  auto* label = Place<TepLabelButton>(10, 10, 100, 30);
  label->SetCaption("Label button");
  label->SetActiveTextColor(clYellow);
  label->SetEfCaption(true);
  auto* ef = Place<TepEfButton>(120, 10, 80, 30);
  ef->SetCaption("Effect");
  ef->SetColor(clTeal);
  TepShadowBtn* shadows[3];
  const Epbuttons::TBtnKind kinds[] = {Epbuttons::TBtnKind::bkRect, Epbuttons::TBtnKind::bkEllipse,
                                       Epbuttons::TBtnKind::bkRndRect};
  for (int i = 0; i < 3; ++i) {
    shadows[i] = Place<TepShadowBtn>(10 + i * 95, 60, 85, 35);
    shadows[i]->SetBtnKind(kinds[i]);
    shadows[i]->SetBlurShadow(i == 1);
    shadows[i]->SetCaption("Shadow");
    shadows[i]->Font()->SetColor(clWhite);
  }
  TepSpeedButton* speeds[3];
  for (int i = 0; i < 3; ++i) {
    speeds[i] = Place<TepSpeedButton>(10 + i * 30, 110, 25, 25);
    speeds[i]->SetCaption(AnsiString(1, static_cast<char>('A' + i)));
    speeds[i]->SetFrameWidth(2);
    speeds[i]->SetGroupIndex(1);
    speeds[i]->SetColor(clSilver);
  }
  speeds[1]->SetDown(true);
  auto* color = Place<TepColorButton>(110, 110, 86, 30);
  color->SetCaption("Colour");
  color->SetColorValue(clRed);
  color->SetColor(clSilver);
  auto* focus = Make<TepFocusButton>(10, 150, 75, 25);
  focus->SetCaption("Focus");
  focus->SetGradEffect(true);
  focus->SetGradColor(clNavy);
  auto* framed = Make<TepTransparentBtn>(100, 150, 75, 25);
  framed->SetCaption("Framed");
  framed->SetFrameRnd(true);
  framed->SetColor(clSilver);
  focus->SetFocus();
  Hover(ef, true);
  Hover(label, true);
  form->Repaint();
  TBitmap sheet;
  sheet.SetSize(300, 190);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, form->Impl()->Surface());
  BitBlt(sheet.Canvas()->Handle(), 0, 0, 300, 190, dc, 0, 0, SRCCOPY);
  SelectObject(dc, old);
  DeleteDC(dc);
  for (TWinControl* w : {static_cast<TWinControl*>(focus), static_cast<TWinControl*>(framed)})
    sheet.Canvas()->Draw(w->Left(), w->Top(), Grab(w).get());
  const std::string bmp = std::string(WT_BINARY_DIR) + "/skin-effect-buttons-demo.bmp";
  const std::string png = std::string(WT_BINARY_DIR) + "/skin-effect-buttons-demo.png";
  sheet.SaveToFile(bmp.c_str());
  ASSERT_EQ(std::system(("convert '" + bmp + "' '" + png + "'").c_str()), 0);
  EXPECT_EQ(sheet.Canvas()->Pixels(10 + 2 + 10, 60 + 2 + 2), ColorToRGB(clBlue)) << "a face";
}
