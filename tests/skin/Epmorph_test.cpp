// The morphing button: the cross-fade by timer ticks, the pressed image,
// clicks and sounds only on a release over it, transparent images, and the
// stored layout.
#include "skin/Epmorph.h"

#include "platform/ui/Layout.h"
#include "tests/platform/ui/FormFixture.h"

#include <chrono>
#include <functional>
#include <thread>
#include <vector>

namespace {

const TColor kUp = RGB(200, 0, 0);
const TColor kActive = RGB(0, 100, 200);
const TColor kDown = RGB(0, 200, 0);
const TColor kKey = RGB(255, 0, 255);
const TColor kBack = RGB(20, 20, 20);

// A w x h image of one colour whose bottom-left pixel is the key colour.
void Solid(TBitmap& b, TColor color, int w = 10, int h = 8) {
  b.SetSize(w, h);
  b.Canvas()->Brush()->SetColor(color);
  b.Canvas()->FillRect(Rect(0, 0, w, h));
  b.Canvas()->SetPixels(0, h - 1, kKey);
}

TepWavePlayer* CountingPlayer(TComponent* owner, int& plays) {
  auto* player = new TepWavePlayer(owner);
  player->SetEnabled(false);
  player->BeforePlay = [&plays](TObject*) { ++plays; };
  // Only a player with a wave is played.
  TMemoryStream bytes;
  bytes.Write("RIFF", 4);
  bytes.SetPosition(0);
  player->Wave()->LoadFromStream(bytes);
  return player;
}

// Runs the fade timer's handler by hand until the timer stops; the ticks.
int TickUntilStopped(TepMorphButton* b) {
  int ticks = 0;
  while (b->FadeTimer()->Enabled() && ticks < 100) {
    b->FadeTimer()->OnTimer()(nullptr);
    ++ticks;
  }
  return ticks;
}

class Morph : public FormTest {
protected:
  void SetUp() override {
    FormTest::SetUp();
    SimulateMouseMove(Point(2, 2)); // over no window of ours
    form->SetColor(kBack);
    button = Make<TepMorphButton>(10, 10, 10, 8);
    button->SetColor(kBack);
    TBitmap up, active, down;
    Solid(up, kUp);
    Solid(active, kActive);
    Solid(down, kDown);
    button->SetUpGlyph(&up);
    button->SetActiveGlyph(&active);
    button->SetDownGlyph(&down);
    Pump();
  }
  COLORREF Face() { return PixelAt(form, 15, 12); }
  COLORREF Corner() { return PixelAt(form, 10, 17); } // the images' key pixel

  TepMorphButton* button = nullptr;
};

} // namespace

TEST_F(Morph, StartsAtRestWithTheConstructorsValues) {
  TepMorphButton fresh(nullptr);
  EXPECT_EQ(fresh.Width(), 100);
  EXPECT_EQ(fresh.Height(), 100);
  EXPECT_EQ(fresh.GetInterval(), 100u);
  EXPECT_FALSE(fresh.FadeTimer()->Enabled());
  EXPECT_EQ(fresh.MorphFactor(), 0);
  EXPECT_TRUE(fresh.UpGlyph()->Empty());
  fresh.SetInterval(10);
  EXPECT_EQ(fresh.GetInterval(), 10u);
  EXPECT_EQ(fresh.FadeTimer()->Interval(), 10u);
}

TEST_F(Morph, FadesInByTenthsAndOutToExactlyZero) {
  EXPECT_EQ(Face(), kUp);
  button->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_TRUE(button->FadeTimer()->Enabled());
  for (int i = 0; i < 5; ++i)
    button->FadeTimer()->OnTimer()(nullptr);
  EXPECT_NEAR(button->MorphFactor(), 0.5, 1e-9);
  EXPECT_EQ(Face(), RGB(100, 50, 100));
  // Ten steps of a tenth and the tick that stops the timer, both ways.
  EXPECT_EQ(TickUntilStopped(button) + 5, 11);
  EXPECT_EQ(button->MorphFactor(), 1.0);
  button->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(TickUntilStopped(button), 11);
  EXPECT_EQ(button->MorphFactor(), 0.0);
  button->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_EQ(TickUntilStopped(button), 11);
  EXPECT_EQ(Face(), kActive);

  // Leaving half way back and entering again turns the same fade round.
  button->Perform(CM_MOUSELEAVE, 0, 0);
  for (int i = 0; i < 3; ++i)
    button->FadeTimer()->OnTimer()(nullptr);
  EXPECT_NEAR(button->MorphFactor(), 0.7, 1e-9);
  button->Perform(CM_MOUSEENTER, 0, 0);
  TickUntilStopped(button);
  EXPECT_EQ(button->MorphFactor(), 1.0);
  button->Perform(CM_MOUSELEAVE, 0, 0);
  TickUntilStopped(button);
  EXPECT_EQ(button->MorphFactor(), 0.0);
  EXPECT_EQ(Face(), kUp);

  // And by the real timer.
  button->SetInterval(10);
  button->Perform(CM_MOUSEENTER, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return !button->FadeTimer()->Enabled(); }));
  EXPECT_EQ(button->MorphFactor(), 1.0);
}

TEST_F(Morph, ClicksAndSoundsOnlyOnAReleaseOverIt) {
  int activePlays = 0, clickPlays = 0, clicks = 0, downs = 0, ups = 0;
  button->SetActiveSound(CountingPlayer(form, activePlays));
  button->SetClickSound(CountingPlayer(form, clickPlays));
  button->OnClick = [&](TObject* sender) {
    EXPECT_EQ(sender, button);
    ++clicks;
  };
  button->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++downs; };
  button->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { ++ups; };

  SimulateMouseMove(At(button, 4, 4));
  EXPECT_TRUE(button->MouseIn());
  EXPECT_EQ(activePlays, 1);
  SimulateMouseDown(At(button, 4, 4), mbLeft);
  EXPECT_TRUE(button->Pressed());
  EXPECT_FALSE(button->FadeTimer()->Enabled());
  EXPECT_EQ(Face(), kDown);
  SimulateMouseUp(At(button, 4, 4), mbLeft);
  EXPECT_FALSE(button->Pressed());
  EXPECT_EQ(button->MorphFactor(), 1.0);
  EXPECT_EQ(Face(), kActive);
  EXPECT_EQ((std::vector<int>{clicks, clickPlays, downs, ups}), (std::vector<int>{1, 1, 1, 1}));

  // Pressed, dragged out, released outside: the active image on leaving,
  // then a fade back to rest, and no click.
  SimulateMouseDown(At(button, 4, 4), mbLeft);
  SimulateMouseMove(At(button, 40, 4));
  EXPECT_FALSE(button->MouseIn());
  EXPECT_EQ(button->MorphFactor(), 1.0);
  EXPECT_EQ(Face(), kActive);
  SimulateMouseUp(At(button, 40, 4), mbLeft);
  EXPECT_FALSE(button->Pressed());
  TickUntilStopped(button);
  EXPECT_EQ(button->MorphFactor(), 0.0);
  EXPECT_EQ(Face(), kUp);
  EXPECT_EQ((std::vector<int>{clicks, clickPlays, activePlays, downs, ups}),
            (std::vector<int>{1, 1, 1, 2, 2}));

  // The right button neither presses nor clicks.
  SimulateMouseMove(At(button, 4, 4));
  ClickAt(button, 4, 4, mbRight);
  EXPECT_FALSE(button->Pressed());
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(downs, 3);
}

TEST_F(Morph, WithoutADownImageAPressKeepsTheFadeRunning) {
  TBitmap none;
  button->SetDownGlyph(&none);
  button->Perform(CM_MOUSEENTER, 0, 0);
  button->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(4, 4));
  EXPECT_TRUE(button->FadeTimer()->Enabled());
  button->Perform(WM_LBUTTONUP, 0, MakeLParam(4, 4));
  TickUntilStopped(button);
  EXPECT_EQ(Face(), kActive);
}

TEST_F(Morph, TransparentImagesLeaveTheirKeyColourOut) {
  EXPECT_EQ(Corner(), kKey);
  button->SetGlyphsTransparent(true);
  EXPECT_EQ(Corner(), kBack);
  EXPECT_EQ(Face(), kUp);
  button->Perform(CM_MOUSEENTER, 0, 0);
  button->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(4, 4));
  EXPECT_EQ(Corner(), kBack);
  EXPECT_EQ(Face(), kDown);
  button->Perform(WM_LBUTTONUP, 0, MakeLParam(4, 4));

  // Three equal images show the same throughout.
  TBitmap same;
  Solid(same, kUp);
  button->SetActiveGlyph(&same);
  button->SetDownGlyph(&same);
  button->Perform(CM_MOUSELEAVE, 0, 0);
  for (int i = 0; i < 4; ++i) {
    button->FadeTimer()->OnTimer()(nullptr);
    EXPECT_EQ(Face(), kUp);
  }

  // Without an up image nothing is drawn.
  TBitmap none;
  button->SetUpGlyph(&none);
  EXPECT_EQ(Face(), kBack);
}

TEST_F(Morph, SoundsAreForgottenWhenTheirPlayerGoes) {
  int plays = 0;
  auto* own = CountingPlayer(nullptr, plays);
  button->SetActiveSound(own);
  button->SetClickSound(CountingPlayer(form, plays));
  delete own;
  delete button->ClickSound();
  EXPECT_EQ(button->ActiveSound(), nullptr);
  EXPECT_EQ(button->ClickSound(), nullptr);
  button->Perform(CM_MOUSEENTER, 0, 0);
  button->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(4, 4));
  button->Perform(WM_LBUTTONUP, 0, MakeLParam(4, 4));
  EXPECT_EQ(plays, 0);
}

TEST_F(Morph, StoredLayoutsCarryTheButtonsProperties) {
  form->SetName("frm");
  button->SetName("btn");
  button->SetInterval(10);
  button->SetGlyphsTransparent(true);
  const AnsiString text = WriteComponentLayout(form);
  const AnsiString part = text.substr(text.find("object btn"));
  for (const char* present : {"Interval = 10", "GlyphsTransparent = True", "UpGlyph.Data"})
    EXPECT_NE(part.find(present), std::string::npos) << present << " in " << part;

  TForm loaded(nullptr);
  ReadComponentLayout(&loaded, text, "morph.lay");
  auto* b = dynamic_cast<TepMorphButton*>(loaded.FindComponent("btn"));
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->GetInterval(), 10u);
  EXPECT_TRUE(b->GlyphsTransparent());
  EXPECT_EQ(b->UpGlyph()->Width(), 10);
  EXPECT_EQ(b->ActiveGlyph()->Canvas()->Pixels(3, 3), kActive);
}
