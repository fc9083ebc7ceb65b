// The media buttons: the shared press, hover, click and key model, the
// glowing caption, the three-bitmap button and the bevelled wallpaper button.
#include "skin/Mediabtn.h"

#include "platform/ui/Layout.h"
#include "tests/platform/ui/FormFixture.h"
#include "tests/skin/SkinPixels.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

const TPalette colors = {{'r', clRed},   {'g', clLime},   {'b', clBlue}, {'w', clWhite},
                         {'k', clBlack}, {'y', clYellow}, {'c', clAqua}, {'m', clFuchsia}};

class MediaButtons : public FormTest {
protected:
  void SetUp() override {
    FormTest::SetUp();
    form->SetColor(clWhite);
    // Away from where the last test left the pointer, so entries are seen.
    SimulateMouseMove(Point(0, 0));
    Pump();
  }
  // A windowed control's pixels, as characters.
  static std::vector<std::string> ShotOf(TWinControl* c) { return Picture(*Grab(c), colors); }
  static std::unique_ptr<TBitmap> Grab(TWinControl* c) {
    c->Repaint();
    auto shot = std::make_unique<TBitmap>();
    shot->SetSize(c->Width(), c->Height());
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, c->Impl()->Surface());
    BitBlt(shot->Canvas()->Handle(), 0, 0, c->Width(), c->Height(), dc, 0, 0, SRCCOPY);
    SelectObject(dc, old);
    DeleteDC(dc);
    return shot;
  }
  // A player that counts its plays without a sound.
  TepWavePlayer* Counter(int& plays) {
    auto* player = new TepWavePlayer(form);
    player->SetEnabled(false);
    player->BeforePlay = [&plays](TObject*) { ++plays; };
    EXPECT_FALSE(player->Wave()->Empty());
    return player;
  }
  static void MoveTo(TControl* c, int x, int y) {
    SimulateMouseMove(At(c, x, y));
    Pump();
  }
  std::unique_ptr<TBitmap> Solid(const char* rows0, int rows) {
    auto bmp = std::make_unique<TBitmap>();
    Paint(*bmp, std::vector<std::string>(rows, rows0), colors);
    return bmp;
  }
};

} // namespace

TEST_F(MediaButtons, DraggingOutAndBackFollowsThePressAndReleasingOutsideIsNoClick) {
  auto* button = Make<TepMediaButton>(20, 20, 60, 24);
  int clicks = 0;
  button->OnClick = [&](TObject*) { ++clicks; };
  MoveTo(button, 10, 10);
  EXPECT_TRUE(button->MouseIn());
  SimulateMouseDown(At(button, 10, 10), mbLeft);
  Pump();
  EXPECT_EQ(button->PressState(), abPush);

  MoveTo(button, 100, 50);
  EXPECT_FALSE(button->MouseIn());
  EXPECT_EQ(button->PressState(), abUnPush);
  MoveTo(button, 12, 12);
  EXPECT_TRUE(button->MouseIn());
  EXPECT_EQ(button->PressState(), abPush);
  MoveTo(button, 100, 50);
  SimulateMouseUp(At(button, 100, 50), mbLeft);
  Pump();
  EXPECT_EQ(button->PressState(), abNone);
  EXPECT_EQ(clicks, 0);

  // A press released inside is a click.
  ClickAt(button, 5, 5);
  Pump();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(button->PressState(), abNone);
}

TEST_F(MediaButtons, EnterClicksOnceAndHandsTheModalResultToTheForm) {
  auto* button = Make<TepLightLabelButton>(10, 10, 60, 20);
  button->SetModalResult(mrOk);
  int clicks = 0, sounds = 0;
  button->OnClick = [&](TObject*) {
    ++clicks;
    EXPECT_EQ(button->PressState(), abPush);
  };
  button->SetClickSound(Counter(sounds));
  MoveTo(button, 200, 150); // the mouse elsewhere
  button->SetFocus();
  Pump();
  SimulateKey(VK_RETURN, {}, 13);
  Pump();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(sounds, 0) << "a keyboard click with the mouse outside is silent";
  EXPECT_EQ(form->ModalResult, mrOk);
  EXPECT_EQ(button->PressState(), abNone);
  MoveTo(button, 5, 5);
  EXPECT_EQ(button->PressState(), abNone);

  // With the mouse over it the click sounds.
  SimulateKey(VK_RETURN, {}, 13);
  Pump();
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(sounds, 1);
}

TEST_F(MediaButtons, ActiveSoundOnEntryOnlyAndRemovedSoundsAreForgotten) {
  auto* button = Make<TepBitmapButton>(10, 10, 40, 20);
  int entries = 0, clicks = 0;
  TepWavePlayer* active = Counter(entries);
  TepWavePlayer* click = Counter(clicks);
  button->SetActiveSound(active);
  button->SetClickSound(click);
  MoveTo(button, 5, 5);
  MoveTo(button, 150, 150);
  MoveTo(button, 6, 6);
  EXPECT_EQ(entries, 2);
  ClickAt(button, 6, 6);
  Pump();
  EXPECT_EQ(clicks, 1);

  delete active;
  delete click;
  EXPECT_EQ(button->ActiveSound(), nullptr);
  EXPECT_EQ(button->ClickSound(), nullptr);
  MoveTo(button, 150, 150);
  MoveTo(button, 5, 5);
  ClickAt(button, 5, 5);
  Pump();
}

TEST_F(MediaButtons, PressAndPointInComponentFollowTheirRules) {
  auto* button = Make<TepMediaButton>(0, 0, 30, 20);
  button->Press(false);
  EXPECT_EQ(button->PressState(), abUnPush);
  button->Press(true);
  EXPECT_EQ(button->PressState(), abPush);
  struct Case {
    int x, y;
    bool inside;
  } const cases[] = {{0, 0, true},   {30, 20, true}, {15, 10, true},
                     {-1, 5, false}, {31, 5, false}, {5, 21, false}};
  for (const Case& c : cases)
    EXPECT_EQ(button->PointInComponent(c.x, c.y), c.inside) << c.x << "," << c.y;
}

TEST_F(MediaButtons, LightLabelWithoutCaptionPaintsOnlyTheBackground) {
  auto* button = Make<TepLightLabelButton>(10, 10, 12, 6);
  button->SetColor(clAqua);
  EXPECT_EQ(ShotOf(button), std::vector<std::string>(6, "cccccccccccc"));
  button->SetTransparent(true);
  form->SetColor(clYellow);
  EXPECT_EQ(ShotOf(button), std::vector<std::string>(6, "yyyyyyyyyyyy"));
}

TEST_F(MediaButtons, LightLabelShadowsAtRestAndGlowsUnderTheMouse) {
  auto* button = Make<TepLightLabelButton>(10, 10, 70, 30);
  button->SetColor(clWhite);
  button->SetCaption("HH");
  button->SetNormalColor(clBlack);
  button->SetShadowColor(clRed);
  button->SetActiveColor(clBlue);
  // Counts the pixels by their strongest hue: the soft halo never comes out
  // pure, the caption does.
  auto count = [&](auto pick) {
    auto shot = Grab(button);
    int n = 0;
    for (int y = 0; y < shot->Height(); ++y)
      for (int x = 0; x < shot->Width(); ++x)
        n += pick(ColorToRGB(shot->Canvas()->Pixels(x, y)));
    return n;
  };
  auto reddish = [](TColor c) { return GetRValue(c) > GetBValue(c) + 40 ? 1 : 0; };
  auto bluish = [](TColor c) { return GetBValue(c) > GetRValue(c) + 40 ? 1 : 0; };
  auto black = [](TColor c) { return c == 0 ? 1 : 0; };
  EXPECT_GT(count(reddish), 0);
  EXPECT_EQ(count(bluish), 0);
  EXPECT_GT(count(black), 0);
  const int restBlack = count(black);

  MoveTo(button, 5, 5);
  EXPECT_EQ(count(reddish), 0);
  EXPECT_GT(count(bluish), 0);
  EXPECT_EQ(count(black), restBlack) << "the caption itself stays crisp";

  // Pressing shifts the caption one pixel down and right.
  const auto before = Grab(button);
  SimulateMouseDown(At(button, 5, 5), mbLeft);
  Pump();
  const auto pressed = Grab(button);
  for (int y = 0; y + 1 < pressed->Height(); ++y)
    for (int x = 0; x + 1 < pressed->Width(); ++x)
      if (before->Canvas()->Pixels(x, y) == 0) {
        EXPECT_EQ(pressed->Canvas()->Pixels(x + 1, y + 1), 0) << x << "," << y;
      }
  SimulateMouseUp(At(button, 5, 5), mbLeft);
  Pump();
}

TEST_F(MediaButtons, BitmapButtonShowsTheBitmapOfItsState) {
  auto* button = Make<TepBitmapButton>(10, 10, 90, 30);
  button->SetTransparent(false);
  button->SetBmpNormal(Solid("rrrr", 3).get());
  EXPECT_EQ(button->Width(), 4);
  EXPECT_EQ(button->Height(), 3);
  button->SetBmpActive(Solid("ggggg", 2).get());
  EXPECT_EQ(button->Width(), 5) << "each bitmap sizes the control";
  button->SetBmpDown(nullptr);
  EXPECT_EQ(button->Width(), 5);
  EXPECT_TRUE(button->BmpDown()->Empty());
  // One bitmap empty: the plain button draws nothing, whatever the state.
  form->SetColor(clFuchsia);
  EXPECT_EQ(ShotOf(button)[0].find('r'), std::string::npos);

  button->SetBmpDown(Solid("bbbb", 3).get());
  button->SetBmpActive(Solid("gggg", 3).get());
  EXPECT_EQ(ShotOf(button), std::vector<std::string>(3, "rrrr"));
  MoveTo(button, 1, 1);
  EXPECT_EQ(ShotOf(button), std::vector<std::string>(3, "gggg"));
  SimulateMouseDown(At(button, 1, 1), mbLeft);
  Pump();
  EXPECT_EQ(ShotOf(button), std::vector<std::string>(3, "bbbb"));
  SimulateMouseUp(At(button, 1, 1), mbLeft);
  Pump();
  EXPECT_EQ(ShotOf(button), std::vector<std::string>(3, "gggg"));
}

TEST_F(MediaButtons, TransparentBitmapButtonLeavesItsTopLeftColourOut) {
  auto* button = Make<TepBitmapButton>(10, 10, 4, 2);
  form->SetColor(clYellow);
  TBitmap face;
  Paint(face, {"krrk", "kbbr"}, colors);
  button->SetBmpNormal(&face);
  button->SetBmpActive(&face);
  button->SetBmpDown(&face);
  EXPECT_TRUE(button->Transparent());
  EXPECT_EQ(ShotOf(button), (std::vector<std::string>{"yrry", "ybbr"}));
}

TEST_F(MediaButtons, MediaButtonBevelAndWallpaperFollowThePress) {
  auto* wall = new TepBitmap(form);
  TBitmap tile;
  Paint(tile, {"rg", "bm"}, colors);
  TPicture picture;
  picture.Assign(&tile);
  wall->SetBitmap(&picture);
  auto* button = Make<TepMediaButton>(10, 10, 8, 7);
  button->SetBevelWidth(1);
  button->SetInnerColor(clWhite);
  button->SetOuterColor(clBlack);
  button->SetWallpaper(wall);
  EXPECT_EQ(ShotOf(button), (std::vector<std::string>{
                                "wwwwwwwk",
                                "wrgrgrgk",
                                "wbmbmbmk",
                                "wrgrgrgk",
                                "wbmbmbmk",
                                "wrgrgrgk",
                                "kkkkkkkk",
                            }));
  button->Press(true);
  EXPECT_EQ(ShotOf(button), (std::vector<std::string>{
                                "kkkkkkkw",
                                "kkkkkkkw",
                                "kkrgrgrw",
                                "kkbmbmbw",
                                "kkrgrgrw",
                                "kkbmbmbw",
                                "wwwwwwww",
                            }));
  delete wall;
  EXPECT_EQ(button->Wallpaper(), nullptr);
  button->Press(false);
  EXPECT_EQ(ShotOf(button)[1].find_first_of("rgbm"), std::string::npos)
      << "no tiles without a wallpaper";
}

TEST_F(MediaButtons, MediaButtonCaptionTakesTheColourOfItsState) {
  auto* button = Make<TepMediaButton>(10, 10, 60, 24);
  button->SetCaption("HH");
  button->Font()->SetColor(clBlue);
  button->SetOuterColor(clBlack);
  button->SetInnerColor(clWhite);
  button->SetActiveColor(clRed);
  const auto has = [&](TColor color) {
    auto shot = Grab(button);
    for (int y = 2; y < shot->Height() - 2; ++y)
      for (int x = 2; x < shot->Width() - 2; ++x)
        if (shot->Canvas()->Pixels(x, y) == ColorToRGB(color))
          return true;
    return false;
  };
  // The top layer of the caption is the first of its pixels from the top
  // left, inside the bevel and the pressed face's extra lines.
  const auto top = [&] {
    auto shot = Grab(button);
    for (int y = 3; y < shot->Height() - 2; ++y)
      for (int x = 3; x < shot->Width() - 2; ++x)
        for (TColor color : {clBlue, clRed, clBlack})
          if (shot->Canvas()->Pixels(x, y) == ColorToRGB(color))
            return color;
    return clNone;
  };
  struct Case {
    bool enabled, hover, pressed;
    bool blue, red, black;
    TColor top;
  } const cases[] = {
      {true, false, false, true, false, true, clBlue},
      {true, true, false, false, true, true, clRed},
      {true, true, true, false, true, true, clRed},
      {false, false, false, true, false, true, clBlack},
  };
  for (const Case& c : cases) {
    button->SetEnabled(c.enabled);
    MoveTo(button, c.hover ? 5 : 200, c.hover ? 5 : 150);
    if (c.pressed)
      button->Press(true);
    EXPECT_EQ(has(clBlue), c.blue) << c.enabled << c.hover << c.pressed;
    EXPECT_EQ(has(clRed), c.red) << c.enabled << c.hover << c.pressed;
    EXPECT_EQ(has(clBlack), c.black) << c.enabled << c.hover << c.pressed;
    EXPECT_EQ(top(), c.top) << c.enabled << c.hover << c.pressed;
  }
}

TEST(MediaButtonLayout, DefaultsAreNotStoredAndValuesRoundTrip) {
  Application->Initialize();
  TForm holder(nullptr);
  holder.SetName("Holder");
  auto* light = new TepLightLabelButton(&holder);
  light->SetName("lbl");
  light->SetParent(&holder);
  auto* media = new TepMediaButton(&holder);
  media->SetName("med");
  media->SetParent(&holder);
  auto* bmp = new TepBitmapButton(&holder);
  bmp->SetName("bmp");
  bmp->SetParent(&holder);
  EXPECT_EQ(light->Width(), 90);
  EXPECT_EQ(light->Height(), 30);
  EXPECT_EQ(light->Font()->Name(), "Arial");
  EXPECT_EQ(light->Font()->Size(), 11);
  EXPECT_TRUE(light->Font()->Style() == (TFontStyles{fsBold, fsItalic}));
  EXPECT_TRUE(light->TabStop());
  const AnsiString plain = WriteComponentLayout(&holder);
  for (const char* name : {"NormalColor", "ShadowColor", "ActiveColor", "InnerColor", "OuterColor",
                           "BevelWidth", "BackColor", "ModalResult"})
    EXPECT_EQ(plain.find(name), AnsiString::npos) << name << " in\n" << plain;

  light->SetTransparent(true);
  light->SetNormalColor(clWhite);
  light->SetActiveColor(clGreen);
  media->SetBevelWidth(4);
  media->SetModalResult(mrCancel);
  bmp->SetTransparent(false);
  bmp->SetBackColor(clRed);
  TForm copy(nullptr);
  ReadComponentLayout(&copy, WriteComponentLayout(&holder), "buttons");
  auto* light2 = dynamic_cast<TepLightLabelButton*>(copy.FindComponent("lbl"));
  auto* media2 = dynamic_cast<TepMediaButton*>(copy.FindComponent("med"));
  auto* bmp2 = dynamic_cast<TepBitmapButton*>(copy.FindComponent("bmp"));
  ASSERT_NE(light2, nullptr);
  ASSERT_NE(media2, nullptr);
  ASSERT_NE(bmp2, nullptr);
  EXPECT_TRUE(light2->Transparent());
  EXPECT_EQ(light2->NormalColor(), clWhite);
  EXPECT_EQ(light2->ActiveColor(), clGreen);
  EXPECT_EQ(light2->ShadowColor(), clBtnShadow);
  EXPECT_EQ(media2->BevelWidth(), 4);
  EXPECT_EQ(media2->ModalResult(), mrCancel);
  EXPECT_FALSE(bmp2->Transparent());
  EXPECT_EQ(bmp2->BackColor(), clRed);
}

TEST(MediaButtonLayout, SoundAndWallpaperReferencesResolveByName) {
  Application->Initialize();
  const AnsiString text = "object frm: TForm\n"
                          "  object sndClick: TepWavePlayer\n  end\n"
                          "  object bmpWall: TepBitmap\n  end\n"
                          "  object btn: TepMediaButton\n"
                          "    ClickSound = sndClick\n    Wallpaper = bmpWall\n  end\n"
                          "  object lblNovelty: TepLightLabelButton\n"
                          "    Height = 17\n    ActiveSound = sndClick\n  end\n"
                          "  object disc: TepDiscButton\n    Caption = 'Play'\n  end\n"
                          "  object blur: TepBlurButton\n    Kind = bkEllipse\n  end\n"
                          "end\n";
  TForm root(nullptr);
  ReadComponentLayout(&root, text, "frm");
  auto* btn = dynamic_cast<TepMediaButton*>(root.FindComponent("btn"));
  auto* lbl = dynamic_cast<TepLightLabelButton*>(root.FindComponent("lblNovelty"));
  ASSERT_NE(btn, nullptr);
  ASSERT_NE(lbl, nullptr);
  EXPECT_EQ(btn->ClickSound(), root.FindComponent("sndClick"));
  EXPECT_EQ(btn->Wallpaper(), root.FindComponent("bmpWall"));
  EXPECT_EQ(lbl->ActiveSound(), root.FindComponent("sndClick"));
  EXPECT_EQ(lbl->Height(), 17);
  // Generated buttons make their bitmaps as loading ends.
  auto* disc = dynamic_cast<TepDiscButton*>(root.FindComponent("disc"));
  auto* blur = dynamic_cast<TepBlurButton*>(root.FindComponent("blur"));
  ASSERT_NE(disc, nullptr);
  ASSERT_NE(blur, nullptr);
  EXPECT_FALSE(disc->BmpDown()->Empty());
  EXPECT_EQ(disc->ClientHeight(), 55);
  EXPECT_EQ(blur->Kind(), Mediabtn::bkEllipse);
  EXPECT_EQ(blur->BmpNormal()->Width(), 90);
}

TEST_F(MediaButtons, BlurButtonBevelRunsFromTwoToItsWidth) {
  const TPalette face = {{'k', clBlack},
                         {'c', clGray},
                         {'l', static_cast<TColor>(RGB(198, 198, 198))},
                         {'d', static_cast<TColor>(RGB(58, 58, 58))}};
  const std::vector<std::string> plain = {"kkkkkkkk", "kkkkkkkk", "kkcccckk",
                                          "kkcccckk", "kkcccckk", "kkkkkkkk"};
  struct Case {
    int bevel;
    std::vector<std::string> normal, down;
  } const cases[] = {
      {0, plain, plain},
      {1, plain, plain},
      {2,
       {"kkkkkkkk", "kkkkkkkk", "kklllckk", "kklccdkk", "kkldddkk", "kkkkkkkk"},
       {"kkkkkkkk", "kkkkkkkk", "kkdddckk", "kkdcclkk", "kkdlllkk", "kkkkkkkk"}},
  };
  auto* button = Make<TepBlurButton>(10, 10, 8, 6);
  button->SetCaption("");
  button->SetBlur(false);
  button->SetColor(clGray);
  for (const Case& c : cases) {
    button->SetBevelWidht(c.bevel);
    button->CreateBitmaps();
    EXPECT_EQ(button->Width(), 8);
    EXPECT_EQ(Picture(*button->BmpNormal(), face), c.normal) << c.bevel;
    EXPECT_EQ(Picture(*button->BmpDown(), face), c.down) << c.bevel;
  }
  // Blurred, the frame's edge softens into the face.
  button->SetBlur(true);
  button->CreateBitmaps();
  EXPECT_NE(Picture(*button->BmpNormal(), face)[2], "kklllckk");
}

TEST_F(MediaButtons, SphereStaysSquareAndShadesItsRings) {
  auto* sphere = Make<TepSphereButton>(10, 10, 60, 30);
  EXPECT_EQ(sphere->Width(), 30);
  EXPECT_EQ(sphere->Height(), 30);
  EXPECT_NE(sphere->WindowRgn(), nullptr);
  sphere->SetBackColor(clWhite);
  sphere->CreateBitmaps();
  // (8, 8) lies in the innermost ring of a 30-pixel sphere: the colour less
  // 36, then 6 brighter a ring, or darker from the fourth ring on when
  // pressed (which shows the active colour).
  struct Case {
    TBitmap* bmp;
    COLORREF centre;
  } const cases[] = {{sphere->BmpNormal(), RGB(164, 164, 164)},
                     {sphere->BmpActive(), RGB(72, 72, 255)},
                     {sphere->BmpDown(), RGB(0, 0, 183)}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.bmp->Width(), 30);
    EXPECT_EQ(c.bmp->Canvas()->Pixels(8, 8), c.centre);
    EXPECT_EQ(c.bmp->Canvas()->Pixels(29, 0), ColorToRGB(clWhite)) << "outside the sphere";
  }
}

TEST_F(MediaButtons, DiscBitmapsFitTheCaptionAndPressingTurnsTheDisc) {
  auto* disc = Make<TepDiscButton>(10, 10, 90, 51);
  disc->SetCaption("Go on");
  TBitmap glyph;
  Paint(glyph, {"wkkw", "wrrw"}, colors);
  disc->SetGlyph(&glyph);
  disc->CreateBitmaps();
  TBitmap probe;
  probe.Canvas()->Font()->Assign(disc->Font());
  const int width = probe.Canvas()->TextWidth("Go on") + 85;
  for (TBitmap* b : {disc->BmpNormal(), disc->BmpActive(), disc->BmpDown()}) {
    EXPECT_EQ(b->Width(), width);
    EXPECT_EQ(b->Height(), 55);
  }
  EXPECT_EQ(disc->ClientWidth(), width);
  EXPECT_EQ(disc->ClientHeight(), 55);

  // The glyph's top-left colour is left out; its other pixels show.
  TCanvas* normal = disc->BmpNormal()->Canvas();
  EXPECT_EQ(normal->Pixels(24, 25), ColorToRGB(clRed));
  EXPECT_EQ(normal->Pixels(24, 24), ColorToRGB(clBlack));
  EXPECT_EQ(normal->Pixels(23, 25), ColorToRGB(clSilver));
  EXPECT_EQ(disc->BmpDown()->Canvas()->Pixels(26, 27), ColorToRGB(clRed)) << "moved by 2";
  // Without the glyph the pressed disc is the normal one turned by half.
  disc->SetGlyph(nullptr);
  EXPECT_TRUE(disc->Glyph()->Empty());
  disc->CreateBitmaps();
  TCanvas* down = disc->BmpDown()->Canvas();
  int differ = 0;
  for (int y = 0; y < 55; ++y)
    for (int x = 0; x < 55; ++x) {
      ASSERT_EQ(down->Pixels(x, y), normal->Pixels(54 - x, 54 - y)) << x << "," << y;
      differ += down->Pixels(x, y) != normal->Pixels(x, y);
    }
  EXPECT_GT(differ, 0) << "the highlight moved";
}

// The faces are made when the size or the glyph changes; a paint that finds
// none makes them for the present size and shows them, but never resizes.
TEST_F(MediaButtons, RealTimeFacesFollowTheSizeAndAPaintNeverResizes) {
  auto* disc = Make<TepDiscButton>(10, 10, 90, 51);
  disc->SetCaption("Go on");
  disc->SetBackColor(clWhite);
  disc->Repaint();
  EXPECT_EQ(disc->Width(), 90);
  EXPECT_EQ(disc->Height(), 51);
  ASSERT_FALSE(disc->BmpNormal()->Empty());
  EXPECT_EQ(PixelAt(disc, 25, 25), disc->BmpNormal()->Canvas()->Pixels(25, 25));
  EXPECT_NE(PixelAt(disc, 25, 25), ColorToRGB(clWhite)) << "the disc shows in that paint";

  auto* blur = Make<TepBlurButton>(10, 70, 8, 6);
  blur->SetCaption("");
  blur->Repaint();
  blur->SetBounds(10, 70, 20, 12);
  EXPECT_EQ(blur->BmpNormal()->Width(), 20);
  EXPECT_EQ(blur->BmpDown()->Height(), 12);

  auto* sphere = Make<TepSphereButton>(40, 70, 30, 30);
  sphere->SetBackColor(clWhite);
  const TColor before = sphere->BmpNormal()->Canvas()->Pixels(12, 12);
  TBitmap glyph;
  Paint(glyph, {"wkkkkkkw", "wkkkkkkw", "wkkkkkkw", "wkkkkkkw"}, colors);
  sphere->SetGlyph(&glyph);
  EXPECT_NE(sphere->BmpNormal()->Canvas()->Pixels(12, 12), before);
  EXPECT_EQ(sphere->BmpNormal()->Canvas()->Pixels(12, 12), ColorToRGB(clBlack));
}

TEST_F(MediaButtons, DemoSheet) {
  form->SetColor(clTeal);
  TBitmap sheet;
  sheet.SetSize(560, 330);
  TCanvas* c = sheet.Canvas();
  c->Brush()->SetColor(clTeal);
  c->FillRect(Rect(0, 0, 560, 330));
  // A control in its three looks: at rest, under the mouse, pressed.
  const auto states = [&](TepPushControl* button, int y) {
    for (int i = 0; i < 3; ++i) {
      button->Active(i > 0);
      if (i == 2)
        button->Press(true);
      c->Draw(10 + i * 120, y, Grab(button).get());
    }
  };
  auto* light = Make<TepLightLabelButton>(10, 10, 110, 30);
  light->SetCaption("Light label");
  light->SetTransparent(true);
  light->SetNormalColor(clWhite);
  light->SetActiveColor(clLime);
  states(light, 10);

  auto* wall = new TepBitmap(form);
  TBitmap tile;
  Paint(tile, {"bbc", "bcb", "cbb"}, colors);
  TPicture picture;
  picture.Assign(&tile);
  wall->SetBitmap(&picture);
  auto* media = Make<TepMediaButton>(10, 50, 100, 30);
  media->SetCaption("Media");
  media->SetWallpaper(wall);
  media->SetActiveColor(clYellow);
  states(media, 50);

  TBitmap glyph;
  Paint(glyph, {"wwwww", "wkkkw", "wkrkw", "wkkkw", "wwwww"}, colors);
  const Mediabtn::TepKind kinds[] = {Mediabtn::bkRect, Mediabtn::bkRoundRect, Mediabtn::bkEllipse};
  for (int i = 0; i < 3; ++i) {
    auto* blur = Make<TepBlurButton>(10, 90, 100, 30);
    blur->SetCaption("Blur");
    blur->SetKind(kinds[i]);
    blur->SetBevelWidht(3);
    blur->CreateBitmaps();
    c->Draw(10 + i * 120, 90, blur->BmpNormal());
    c->Draw(10 + i * 120, 125, blur->BmpDown());
  }
  auto* sphere = Make<TepSphereButton>(10, 160, 40, 40);
  sphere->SetGlyph(&glyph);
  sphere->CreateBitmaps();
  auto* disc = Make<TepDiscButton>(10, 210, 90, 51);
  disc->SetGlyph(&glyph);
  disc->SetCaption("Disc");
  disc->SetActiveColor(clLime);
  disc->CreateBitmaps();
  TBitmap* spheres[] = {sphere->BmpNormal(), sphere->BmpActive(), sphere->BmpDown()};
  TBitmap* discs[] = {disc->BmpNormal(), disc->BmpActive(), disc->BmpDown()};
  for (int i = 0; i < 3; ++i) {
    c->Draw(10 + i * 120, 165, spheres[i]);
    c->Draw(10 + i * 180, 215, discs[i]);
  }

  const std::string bmp = std::string(WT_BINARY_DIR) + "/skin-media-buttons-demo.bmp";
  const std::string png = std::string(WT_BINARY_DIR) + "/skin-media-buttons-demo.png";
  sheet.SaveToFile(bmp.c_str());
  ASSERT_EQ(std::system(("convert '" + bmp + "' '" + png + "'").c_str()), 0);
  EXPECT_EQ(c->Pixels(10 + 16, 165 + 16), ColorToRGB(clRed)) << "the sphere's glyph";
}
