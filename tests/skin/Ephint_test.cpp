// Skinned tooltips shown by the application's hint manager: which component
// styles them, their size from the text, and their pixels.
#include "skin/Ephint.h"

#include "platform/ui/Layout.h"
#include "tests/platform/ui/FormFixture.h"
#include "tests/skin/SkinPixels.h"

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// The text's extent as the platform measures it, line breaks kept.
SIZE TextSize(TFont* Font, const AnsiString& Text) {
  TBitmap b;
  b.SetSize(1, 1);
  b.Canvas()->Font()->Assign(Font);
  TRect r = Rect(0, 0, 1, 0);
  b.Canvas()->DrawText(Text, r, DT_CALCRECT | DT_LEFT | DT_NOPREFIX);
  return {r.Width(), r.Height()};
}

class HintFixture : public testing::Test {
protected:
  void SetUp() override {
    Application->Initialize();
    Application->HintPause = 10;
    Application->HintShortPause = 5;
    Application->HintHidePause = 5000;
    previousMain = Application->MainForm();
    form = new TForm(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetColor(clBlue);
    form->SetBounds(60, 60, 300, 200);
    Application->SetMainForm(form);
    pad = new TCustomControl(form);
    pad->SetParent(form);
    pad->SetBounds(10, 10, 60, 30);
    pad->SetColor(clBlue);
    pad->SetHint("Fetch now");
    pad->SetShowHint(true);
    form->Show();
    SimulateMouseMove(form->ClientToScreen(Point(250, 180)));
    Pump();
  }
  void TearDown() override {
    SimulateMouseMove(form->ClientToScreen(Point(250, 180)));
    Application->CancelHint();
    delete form;
    Application->SetMainForm(previousMain);
    Application->HintWindowClass = HintWindowClassOf<THintWindow>();
    Application->SetShowHint(false);
    Application->SetShowHint(true);
    Pump();
  }

  TepHint* MakeHint(bool active = true) {
    auto* hint = new TepHint(form);
    hint->SetColor(clYellow);
    hint->Font()->SetColor(clBlack);
    hint->SetActive(active);
    return hint;
  }
  bool HintShown() const {
    return Application->HintWindow() != nullptr && Application->HintWindow()->IsShown();
  }
  // Points at the pad and waits for its tooltip.
  THintWindow* ShowHint(int ms = 2000) {
    SimulateMouseMove(form->ClientToScreen(Point(250, 180)));
    Pump();
    SimulateMouseMove(pad->ClientToScreen(Point(20, 10)));
    if (!PumpUntil([&] { return HintShown(); }, ms))
      return nullptr;
    return Application->HintWindow();
  }
  static std::vector<std::string> Shot(TWinControl* w, const TPalette& colors) {
    w->Repaint();
    TBitmap shot;
    shot.SetSize(w->Width(), w->Height());
    for (int y = 0; y < w->Height(); ++y)
      for (int x = 0; x < w->Width(); ++x)
        shot.Canvas()->SetPixels(x, y, static_cast<TColor>(PixelAt(w, x, y)));
    return Picture(shot, colors);
  }

  TCustomForm* previousMain = nullptr;
  TForm* form = nullptr;
  TCustomControl* pad = nullptr;
};

const TPalette hintColors = {{'y', clYellow}, {'k', clBlack}, {'r', clRed},
                             {'b', clBlue},   {'g', clLime},  {'m', clFuchsia}};

} // namespace

TEST_F(HintFixture, TheActiveComponentStylesTheApplicationsTooltips) {
  TepHint* hint = MakeHint();
  std::vector<AnsiString> asked;
  hint->OnShowHint = [&](AnsiString& text, bool& canShow, THintInfo& info) {
    asked.push_back(text);
    EXPECT_TRUE(canShow);
    EXPECT_EQ(info.HintControl, pad);
    text = "Fetch all";
  };
  THintWindow* window = ShowHint();
  ASSERT_NE(window, nullptr);
  EXPECT_NE(dynamic_cast<TepHintWindow*>(window), nullptr);
  EXPECT_EQ(asked, std::vector<AnsiString>{"Fetch now"});
  EXPECT_EQ(window->Caption(), "Fetch all");
  const SIZE text = TextSize(hint->Font(), "Fetch all");
  EXPECT_EQ(window->Width(), text.cx + 4);
  EXPECT_EQ(window->Height(), text.cy + 1);
  EXPECT_EQ(window->Left(), pad->ClientToScreen(Point(20, 10)).X);
}

// A 100,000-character headline as a tooltip, with the glyph and the fading
// strip beside it: the window stays on the screen, the text ends in an
// ellipsis, and painting it reports nothing to the user.
TEST_F(HintFixture, AHugeTooltipIsCutToTheScreen) {
  TepHint* hint = MakeHint();
  hint->SetMergeEffect(true);
  TBitmap glyph;
  glyph.SetSize(16, 16);
  hint->SetGlyph(&glyph);
  pad->SetHint(AnsiString(100000, 'W'));
  AnsiString failure;
  Application->OnException = [&](TObject*, const std::exception& e) { failure = e.what(); };
  THintWindow* window = ShowHint();
  ASSERT_NE(window, nullptr);
  window->Repaint();
  Application->OnException = nullptr;
  EXPECT_EQ(failure, "");
  EXPECT_LE(window->Width(), Screen->Width());
  EXPECT_GT(window->Width(), Screen->Width() / 2);
  EXPECT_LE(window->Height(), Screen->Height());
  const AnsiString shown = window->Caption();
  ASSERT_GT(shown.size(), 1u);
  EXPECT_EQ(shown, AnsiString(shown.size() - 1, 'W') + "\x85");
}

TEST_F(HintFixture, NoTooltipWithoutAnActiveComponent) {
  TepHint* hint = MakeHint(false);
  int asked = 0;
  hint->OnShowHint = [&](AnsiString&, bool&, THintInfo&) { ++asked; };
  EXPECT_EQ(ShowHint(300), nullptr);
  EXPECT_GT(asked, 0) << "the show-hint event still passes through";
  EXPECT_FALSE(HintShown());

  hint->SetActive(true);
  EXPECT_NE(ShowHint(), nullptr) << "looked up again on the next tooltip";
}

TEST_F(HintFixture, ActivatingOneDeactivatesTheOthers) {
  TepHint* first = MakeHint();
  TepHint* second = MakeHint(false);
  EXPECT_EQ(FindHintComponent(), first);
  second->SetActive(true);
  EXPECT_FALSE(first->Active());
  EXPECT_TRUE(second->Active());
  EXPECT_EQ(FindHintComponent(), second);
  Application->SetMainForm(nullptr);
  EXPECT_EQ(FindHintComponent(), nullptr);
}

// A freed component takes its show-hint routing and its wallpaper reference
// with it; a handler set by someone else stays.
TEST_F(HintFixture, FreedComponentsAreForgotten) {
  TepHint* hint = MakeHint();
  auto* paper = new TepBitmap(nullptr);
  hint->SetWallPaper(paper);
  delete paper;
  EXPECT_EQ(hint->WallPaper(), nullptr);

  EXPECT_TRUE(static_cast<bool>(Application->OnShowHint));
  delete hint;
  EXPECT_FALSE(static_cast<bool>(Application->OnShowHint));
  EXPECT_EQ(ShowHint(300), nullptr);

  TepHint* other = MakeHint();
  bool own = false;
  Application->OnShowHint = [&](AnsiString&, bool&, THintInfo&) { own = true; };
  delete other;
  ASSERT_TRUE(static_cast<bool>(Application->OnShowHint));
  AnsiString text;
  bool canShow = true;
  THintInfo info;
  Application->OnShowHint(text, canShow, info);
  EXPECT_TRUE(own);
}

TEST_F(HintFixture, SizeFromTextGlyphAndMergeStrip) {
  TepHint* hint = MakeHint();
  TBitmap b;
  b.SetSize(1, 1);
  b.Canvas()->Font()->Assign(hint->Font());
  const SIZE one = TextSize(hint->Font(), "News");
  const SIZE two = TextSize(hint->Font(), "News\r\ntoday and more");
  ASSERT_GT(two.cy, one.cy) << "line breaks are kept";

  auto size = [&](const AnsiString& text) {
    int w = 0, h = 0;
    hint->CalcHintSize(b.Canvas(), text, w, h);
    return std::make_pair(w, h);
  };
  EXPECT_EQ(size("News"), std::make_pair(one.cx + 4, one.cy + 1));
  EXPECT_EQ(size("News\r\ntoday and more"), std::make_pair(two.cx + 4, two.cy + 1));

  hint->SetMergeEffect(true);
  hint->SetMergeWidth(20);
  EXPECT_EQ(size("News"), std::make_pair(one.cx + 4 + 22, one.cy + 1));
  hint->SetMergeEffect(false);

  TBitmap tall;
  tall.SetSize(7, one.cy + 3); // taller than the text's height + 1
  hint->SetGlyph(&tall);
  EXPECT_EQ(size("News"), std::make_pair(one.cx + 4 + 11, one.cy + 3 + 4));
  TBitmap low;
  low.SetSize(7, one.cy - 2);
  hint->SetGlyph(&low);
  EXPECT_EQ(size("News"), std::make_pair(one.cx + 4 + 11, one.cy + 1));
}

TEST_F(HintFixture, PaintsColourFrameGlyphAndText) {
  TepHint* hint = MakeHint();
  hint->SetFrame(true);
  hint->SetFrameInnerColor(clRed);
  hint->SetFrameOuterColor(clBlue);
  const SIZE text = TextSize(hint->Font(), "Fetch now");
  // A glyph taller than the text: the text is centred on the window too.
  const int gh = text.cy + 5;
  std::vector<std::string> rows(static_cast<size_t>(gh), "ggggg");
  rows.back() = "mgggm"; // fuchsia, its bottom-left colour, is left out
  TBitmap glyph;
  Paint(glyph, rows, hintColors);
  hint->SetGlyph(&glyph);

  THintWindow* window = ShowHint();
  ASSERT_NE(window, nullptr);
  const int w = window->Width(), h = window->Height();
  ASSERT_EQ(h, gh + 4);
  ASSERT_EQ(w, text.cx + 4 + 9);
  const auto shot = Shot(window, hintColors);
  // The frame: top and left red, bottom and right blue.
  EXPECT_EQ(shot[0], "r" + std::string(size_t(w - 2), 'r') + "b");
  EXPECT_EQ(shot[size_t(h - 1)], std::string(size_t(w), 'b'));
  EXPECT_EQ(shot[1][0], 'r');
  EXPECT_EQ(shot[1][size_t(w - 1)], 'b');
  // The glyph at x = 2, centred, with its transparent colour left out.
  const int gy = h / 2 - gh / 2;
  EXPECT_EQ(shot[size_t(gy)].substr(1, 7), "yggggg" + std::string(1, shot[size_t(gy)][7]));
  EXPECT_EQ(shot[size_t(gy + gh - 1)].substr(1, 7).substr(0, 6), "yygggy");
  // Text only right of the glyph, from the centred top.
  const int textTop = h / 2 - (text.cy + 1) / 2;
  int firstInk = -1, topInk = h;
  for (int y = 1; y < h - 1; ++y)
    for (int x = 1; x < w - 1; ++x)
      if (shot[size_t(y)][size_t(x)] == '?' || shot[size_t(y)][size_t(x)] == 'k') {
        if (firstInk < 0 || x < firstInk)
          firstInk = x;
        topInk = std::min(topInk, y);
      }
  ASSERT_GE(firstInk, 0) << "the text is drawn";
  EXPECT_GE(firstInk, 5 + 4);
  EXPECT_GE(topInk, textTop);
  EXPECT_EQ(shot[size_t(h - 2)].substr(1, size_t(w - 2)), std::string(size_t(w - 2), 'y'))
      << "no text below its rectangle";
}

TEST_F(HintFixture, TilesTheWallpaper) {
  TepHint* hint = MakeHint();
  auto* paper = new TepBitmap(form);
  TBitmap tile;
  Paint(tile, {"gm", "mm"}, hintColors);
  paper->Bitmap()->SetGraphic(&tile);
  hint->SetWallPaper(paper);
  THintWindow* window = ShowHint();
  ASSERT_NE(window, nullptr);
  const auto shot = Shot(window, hintColors);
  // Ink aside, every even pixel of even rows is the tile's corner.
  for (int x = 0; x + 1 < window->Width(); x += 2) {
    EXPECT_EQ(shot[0][size_t(x)], 'g') << x;
    EXPECT_EQ(shot[0][size_t(x + 1)], 'm') << x;
  }
  EXPECT_EQ(shot[size_t(window->Height() - 1)][0], (window->Height() - 1) % 2 == 0 ? 'g' : 'm');
}

// The right edge fades from the tooltip's colour into what lies behind it,
// and the text stays out of the fading strip.
TEST_F(HintFixture, MergeEffectFadesTheRightEdgeIntoTheScreen) {
  TepHint* hint = MakeHint();
  hint->SetMergeEffect(true);
  hint->SetMergeWidth(20);
  hint->OnShowHint = [](AnsiString& text, bool&, THintInfo&) { text = "WWWWWWWWWWWW"; };
  THintWindow* window = ShowHint();
  ASSERT_NE(window, nullptr);
  const int w = window->Width(), h = window->Height();
  EXPECT_EQ(w, TextSize(hint->Font(), "WWWWWWWWWWWW").cx + 4 + 22);
  window->Repaint();
  // Half way along the strip: half the yellow, half the blue form behind.
  const COLORREF middle = PixelAt(window, w - 10, h - 1);
  EXPECT_NEAR(GetRValue(middle), 128, 20);
  EXPECT_NEAR(GetBValue(middle), 128, 20);
  // Repaints fade into the screen as it was, never into the tooltip itself.
  for (int i = 0; i < 4; ++i)
    window->Repaint();
  EXPECT_EQ(PixelAt(window, w - 10, h - 1), middle);

  const COLORREF yellow = ColorToRGB(clYellow);
  EXPECT_EQ(PixelAt(window, 0, h - 1), yellow);
  EXPECT_EQ(PixelAt(window, w - 21, h - 1), yellow);
  const COLORREF left = PixelAt(window, w - 20, h / 2);
  EXPECT_NEAR(GetRValue(left), 255, 16);
  EXPECT_NEAR(GetGValue(left), 255, 16);
  // Towards the right edge the blue form behind shows through.
  const COLORREF right = PixelAt(window, w - 1, h / 2);
  EXPECT_LT(GetRValue(right), 40);
  EXPECT_GT(GetBValue(right), 200);
  // No ink in the strip: along each row the colour moves one way only.
  for (int y = 0; y < h; ++y) {
    int last = 256;
    for (int x = w - 20; x < w; ++x) {
      const int red = GetRValue(PixelAt(window, x, y));
      EXPECT_LE(red, last) << x << "," << y;
      last = red;
    }
  }
}

// A strip narrower than two pixels fades nothing: the tooltip keeps its
// colour to the edge, though the text still leaves the strip free.
TEST_F(HintFixture, MergeWidthBelowTwoSkipsTheMerge) {
  TepHint* hint = MakeHint();
  hint->SetMergeEffect(true);
  hint->OnShowHint = [](AnsiString& text, bool&, THintInfo&) { text = "WWWW"; };
  for (int width : {0, 1}) {
    hint->SetMergeWidth(static_cast<uint8_t>(width));
    THintWindow* window = ShowHint();
    ASSERT_NE(window, nullptr) << width;
    EXPECT_EQ(window->Width(), TextSize(hint->Font(), "WWWW").cx + 4 + width + 2);
    window->Repaint();
    const int w = window->Width(), h = window->Height();
    for (int y = 0; y < h; ++y)
      EXPECT_EQ(PixelAt(window, w - 1, y), ColorToRGB(clYellow)) << width << ", row " << y;
    Application->CancelHint();
    Pump();
  }
}

// Every property is stored, defaults included, and read back.
TEST_F(HintFixture, AllPropertiesAreStored) {
  TForm holder(nullptr);
  holder.SetName("frmMain");
  auto* paper = new TepBitmap(&holder);
  paper->SetName("bmpHint");
  auto* hint = new TepHint(&holder);
  hint->SetName("hint");
  const AnsiString plain = WriteComponentLayout(&holder);
  for (const char* line :
       {"MergeEffect = False", "MergeWidth = 50", "Frame = False", "FrameInnerColor = clBlack",
        "FrameOuterColor = clBlack", "Color = clBlack", "Active = False"})
    EXPECT_NE(plain.find(line), AnsiString::npos) << line << " in\n" << plain;

  hint->SetWallPaper(paper);
  hint->SetMergeEffect(true);
  hint->SetMergeWidth(20);
  hint->SetFrame(true);
  hint->SetFrameInnerColor(clWindow);
  hint->SetFrameOuterColor(clGray);
  hint->SetColor(clYellow);
  TForm copy(nullptr);
  ReadComponentLayout(&copy, WriteComponentLayout(&holder), "frmMain");
  auto* back = dynamic_cast<TepHint*>(copy.FindComponent("hint"));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->WallPaper(), copy.FindComponent("bmpHint"));
  EXPECT_TRUE(back->MergeEffect());
  EXPECT_EQ(back->MergeWidth(), 20);
  EXPECT_TRUE(back->Frame());
  EXPECT_EQ(back->FrameInnerColor(), clWindow);
  EXPECT_EQ(back->FrameOuterColor(), clGray);
  EXPECT_EQ(back->Color(), clYellow);
}

// The media controls and a skinned tooltip on one screen shot, written as a
// PNG into the build folder for a look by eye.
TEST_F(HintFixture, DemoSheet) {
  form->SetColor(clBtnFace);
  auto* paper = new TepBitmap(form);
  TBitmap tile;
  tile.SetSize(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      tile.Canvas()->SetPixels(x, y, (x + y) % 8 < 4 ? TColor(0xC0D8F0) : TColor(0xA0B8E0));
  paper->Bitmap()->SetGraphic(&tile);
  auto* panel = new TepMediaPanel(form);
  panel->SetParent(form);
  panel->SetBounds(90, 10, 90, 60);
  panel->SetBevelWidth(3);
  panel->SetWallpaper(paper);
  auto* bevel = new TepMediaBevel(form);
  bevel->SetParent(form);
  bevel->SetBounds(190, 10, 60, 60);
  bevel->SetBevelWidth(4);
  bevel->SetInnerColor(clBtnShadow);
  bevel->SetOuterColor(clBtnHighlight);

  TepHint* hint = MakeHint();
  hint->SetFrame(true);
  hint->SetFrameInnerColor(clWhite);
  hint->SetFrameOuterColor(clGray);
  hint->SetMergeEffect(true);
  hint->SetMergeWidth(20);
  TBitmap glyph;
  glyph.SetSize(16, 16);
  glyph.Canvas()->Brush()->SetColor(clFuchsia);
  glyph.Canvas()->FillRect(Rect(0, 0, 16, 16));
  glyph.Canvas()->Brush()->SetColor(clGreen);
  glyph.Canvas()->Ellipse(1, 1, 15, 15);
  hint->SetGlyph(&glyph);
  THintWindow* window = ShowHint();
  ASSERT_NE(window, nullptr);
  window->Repaint();
  form->Repaint();

  TBitmap sheet;
  sheet.SetSize(form->Width(), form->Height());
  HDC screen = GetDC(nullptr);
  BitBlt(sheet.Canvas()->Handle(), 0, 0, form->Width(), form->Height(), screen, form->Left(),
         form->Top(), SRCCOPY);
  ReleaseDC(nullptr, screen);
  const std::string bmp = std::string(WT_BINARY_DIR) + "/skin-media-demo.bmp";
  const std::string png = std::string(WT_BINARY_DIR) + "/skin-media-demo.png";
  sheet.SaveToFile(bmp.c_str());
  ASSERT_EQ(std::system(("convert '" + bmp + "' '" + png + "'").c_str()), 0);
  const TPoint glyphAt =
      form->ScreenToClient(window->ClientToScreen(Point(10, window->Height() / 2)));
  EXPECT_EQ(sheet.Canvas()->Pixels(glyphAt.X, glyphAt.Y), clGreen) << "the tooltip is on the sheet";
}
