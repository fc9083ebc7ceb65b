#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Synthetic.h"
#include "platform/ui/Timers.h"
#include "tests/platform/ui/FormFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace {

class TCountingHint : public THintWindow {
public:
  using THintWindow::THintWindow;
  static inline int Activations = 0;
  static inline AnsiString LastText;
  void ActivateHint(const TRect& Rect, const AnsiString& AHint) override {
    ++Activations;
    LastText = AHint;
    THintWindow::ActivateHint(Rect, AHint);
  }
};

class HintTest : public testing::Test {
protected:
  void SetUp() override {
    Application->Initialize();
    Application->HintPause = 10;
    Application->HintShortPause = 5;
    Application->HintHidePause = 5000;
    form = new TForm(nullptr);
    form->SetBounds(50, 50, 200, 100);
    pad = new TCustomControl(form);
    pad->SetParent(form);
    pad->SetBounds(10, 10, 80, 40);
    pad->SetHint("Fetch now");
    pad->SetShowHint(true);
    form->Show();
    Application->ProcessMessages();
  }
  void TearDown() override {
    Application->OnShowHint = nullptr;
    Application->HintWindowClass = HintWindowClassOf<THintWindow>();
    Application->SetShowHint(false);
    Application->SetShowHint(true);
    delete form;
  }
  bool HintShown() const {
    return Application->HintWindow() != nullptr && Application->HintWindow()->IsShown();
  }
  TForm* form = nullptr;
  TCustomControl* pad = nullptr;
};

TEST_F(HintTest, ShownAfterThePauseWithItsInformation) {
  THintInfo seen;
  Application->OnShowHint = [&](AnsiString& text, bool&, THintInfo& info) {
    seen = info;
    text = "Fetch now!";
  };
  const TPoint over = pad->ClientToScreen(Point(20, 15));
  SimulateMouseMove(over);
  ASSERT_TRUE(PumpUntil([&] { return HintShown(); }));
  EXPECT_EQ(seen.HintControl, pad);
  EXPECT_EQ(seen.HintStr, "Fetch now");
  EXPECT_EQ(seen.CursorPos, Point(20, 15));
  EXPECT_EQ(seen.HideTimeout, 5000);
  EXPECT_EQ(Application->HintWindow()->Caption(), "Fetch now!");
  EXPECT_EQ(Application->HintWindow()->Left(), over.X);
  // Leaving the control hides it.
  SimulateMouseMove(form->ClientToScreen(Point(150, 80)));
  EXPECT_FALSE(HintShown());
}

// Shown hints go after HintHidePause; a second control's hint soon after
// comes after HintShortPause instead of HintPause. The pauses lie far apart
// and each wait is judged against a point between them, so that neither a
// loaded machine's slowness nor a coarse timer's early firing (up to a
// twentieth of its interval) is taken for the other pause.
TEST_F(HintTest, HidePauseAndShortPause) {
  Application->HintHidePause = 100;
  Application->HintPause = 3000;
  Application->HintShortPause = 5;
  auto* other = new TCustomControl(form);
  other->SetParent(form);
  other->SetBounds(100, 10, 80, 40);
  other->SetHint("Other");
  other->SetShowHint(true);
  std::vector<AnsiString> shown;
  Application->OnShowHint = [&](AnsiString& text, bool&, THintInfo&) { shown.push_back(text); };
  PumpUntil([] { return false; }, 550); // no hint of an earlier test counts as recent
  SimulateMouseMove(pad->ClientToScreen(Point(20, 15)));
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(PumpUntil([&] { return HintShown(); }));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
  ASSERT_TRUE(PumpUntil([&] { return !HintShown(); }, 1000)) << "hidden after HintHidePause";
  EXPECT_EQ(shown.size(), 1u) << "not shown again while the pointer stays";

  SimulateMouseMove(pad->ClientToScreen(Point(22, 15)));
  SimulateMouseMove(other->ClientToScreen(Point(20, 15)));
  const auto moved = std::chrono::steady_clock::now();
  ASSERT_TRUE(PumpUntil([&] { return HintShown(); }));
  EXPECT_LT(std::chrono::steady_clock::now() - moved, std::chrono::milliseconds(2000));
  EXPECT_EQ(shown.back(), "Other");
}

TEST_F(HintTest, OnShowHintMayRefuse) {
  int asked = 0;
  Application->OnShowHint = [&](AnsiString&, bool& canShow, THintInfo&) {
    ++asked;
    canShow = false;
  };
  SimulateMouseMove(pad->ClientToScreen(Point(20, 15)));
  ASSERT_TRUE(PumpUntil([&] { return asked > 0; }));
  PumpUntil([] { return false; }, 50);
  EXPECT_FALSE(HintShown());
}

TEST_F(HintTest, TheHintWindowClassIsReplaceable) {
  Application->HintWindowClass = HintWindowClassOf<TCountingHint>();
  Application->SetShowHint(false);
  Application->SetShowHint(true);
  SimulateMouseMove(pad->ClientToScreen(Point(20, 15)));
  ASSERT_TRUE(PumpUntil([&] { return HintShown(); }));
  EXPECT_NE(dynamic_cast<TCountingHint*>(Application->HintWindow()), nullptr);
  EXPECT_EQ(TCountingHint::Activations, 1);
  EXPECT_EQ(TCountingHint::LastText, "Fetch now");
}

TEST_F(HintTest, NoHintWithoutShowHint) {
  pad->SetShowHint(false);
  bool asked = false;
  Application->OnShowHint = [&](AnsiString&, bool&, THintInfo&) { asked = true; };
  SimulateMouseMove(pad->ClientToScreen(Point(20, 15)));
  PumpUntil([] { return false; }, 60);
  EXPECT_FALSE(asked);
  EXPECT_FALSE(HintShown());
}

// A grid-like handler: one hint per 10-pixel row, valid inside that row only;
// the first row (a header) refuses.
struct TRowHints {
  std::vector<int> Asked; // the row of each question
  void Attach() {
    Application->OnShowHint = [this](AnsiString& text, bool& canShow, THintInfo& info) {
      const int row = info.CursorPos.Y / 10;
      Asked.push_back(row);
      info.CursorRect = Rect(0, row * 10, info.HintControl->Width(), row * 10 + 10);
      canShow = row > 0;
      text = "row " + std::to_string(row);
    };
  }
};

TEST_F(HintTest, TheHintFollowsTheCellUnderThePointer) {
  TRowHints rows;
  rows.Attach();
  const auto caption = [] { return Application->HintWindow()->Caption(); };
  SimulateMouseMove(pad->ClientToScreen(Point(20, 15)));
  ASSERT_TRUE(PumpUntil([&] { return HintShown(); }));
  EXPECT_EQ(caption(), "row 1");
  // Inside the same row: nothing asked again, the hint stays.
  SimulateMouseMove(pad->ClientToScreen(Point(60, 18)));
  PumpUntil([] { return false; }, 40);
  EXPECT_EQ(rows.Asked, (std::vector<int>{1}));
  EXPECT_TRUE(HintShown());
  // The next row, same control: asked again, and its own text shows.
  SimulateMouseMove(pad->ClientToScreen(Point(60, 25)));
  ASSERT_TRUE(PumpUntil([&] { return rows.Asked.size() == 2 && HintShown(); }));
  EXPECT_EQ(caption(), "row 2");
  // The header refuses; the refusal holds over the header only.
  SimulateMouseMove(pad->ClientToScreen(Point(60, 5)));
  ASSERT_TRUE(PumpUntil([&] { return rows.Asked.size() == 3; }));
  PumpUntil([] { return false; }, 40);
  EXPECT_FALSE(HintShown());
  SimulateMouseMove(pad->ClientToScreen(Point(30, 6)));
  PumpUntil([] { return false; }, 40);
  EXPECT_EQ(rows.Asked.size(), 3u);
  SimulateMouseMove(pad->ClientToScreen(Point(30, 35)));
  ASSERT_TRUE(PumpUntil([&] { return HintShown(); }));
  EXPECT_EQ(caption(), "row 3");
  EXPECT_EQ(rows.Asked, (std::vector<int>{1, 2, 0, 3}));
}

TEST_F(HintTest, ReshowTimeoutAsksAgainWhileThePointerStays) {
  int asked = 0;
  Application->OnShowHint = [&](AnsiString& text, bool&, THintInfo& info) {
    ++asked;
    text = "count " + std::to_string(asked);
    info.ReshowTimeout = 20;
  };
  SimulateMouseMove(pad->ClientToScreen(Point(20, 15)));
  ASSERT_TRUE(PumpUntil([&] { return asked >= 3; }));
  ASSERT_TRUE(PumpUntil([&] { return HintShown(); }));
  const std::string shown = Application->HintWindow()->Caption();
  EXPECT_EQ(shown.rfind("count ", 0), 0u);
  EXPECT_GE(std::stoi(shown.substr(6)), 3);
}

TEST_F(HintTest, AControlWithAnEmptyHintGetsItsTextFromOnShowHint) {
  pad->SetHint("");
  Application->OnShowHint = [&](AnsiString& text, bool&, THintInfo& info) {
    if (info.HintControl == pad)
      text = "From the handler";
  };
  SimulateMouseMove(pad->ClientToScreen(Point(20, 15)));
  ASSERT_TRUE(PumpUntil([&] { return HintShown(); }));
  EXPECT_EQ(Application->HintWindow()->Caption(), "From the handler");
}

// What the user does next closes the hint: a key, a press of a mouse button
// on another control (a button), or a menu that opens.
TEST_F(HintTest, AKeyAPressOrAMenuClosesTheHint) {
  auto* button = new TCustomControl(form);
  button->SetParent(form);
  button->SetBounds(100, 10, 80, 40);
  auto* menu = new TPopupMenu(form);
  auto* item = new TMenuItem(form);
  item->SetCaption("Pause");
  menu->Items()->Add(item);
  bool shownUnderMenu = true;
  const std::vector<std::pair<const char*, std::function<void()>>> acts = {
      {"key", [] { SimulateKey('A', {}, 'a'); }},
      {"press",
       [&] {
         SimulateMouseDown(button->ClientToScreen(Point(5, 5)), mbLeft);
         SimulateMouseUp(button->ClientToScreen(Point(5, 5)), mbLeft);
       }},
      {"menu",
       [&] {
         TTimer close(nullptr);
         close.SetInterval(100);
         close.SetOnTimer([&](TObject*) {
           close.SetEnabled(false);
           shownUnderMenu = HintShown();
           SimulateKey(VK_ESCAPE, {}, '\x1b');
         });
         const TPoint at = pad->ClientToScreen(Point(20, 30));
         menu->Popup(at.X, at.Y);
         EXPECT_FALSE(close.Enabled()) << "the menu was not open";
       }},
  };
  for (const auto& [name, act] : acts) {
    SimulateMouseMove(form->ClientToScreen(Point(150, 80)));
    SimulateMouseMove(pad->ClientToScreen(Point(20, 15)));
    ASSERT_TRUE(PumpUntil([&] { return HintShown(); })) << name;
    act();
    EXPECT_FALSE(HintShown()) << name;
  }
  EXPECT_FALSE(shownUnderMenu);
}

// A hint of any length fits the screen: its long lines end in an ellipsis
// at the screen's edge, the lines below the screen are left out, and no
// error reaches the user.
TEST_F(HintTest, AHugeHintIsCutToTheScreen) {
  struct THuge {
    const char* Name;
    AnsiString Text;
    bool Wide; // as wide as the screen lets it be
  };
  const std::vector<THuge> hints = {{"one long line", AnsiString(100000, 'W'), true},
                                    {"many lines",
                                     [] {
                                       AnsiString text;
                                       for (int i = 0; i < 10000; ++i)
                                         text += "Line " + std::to_string(i) + "\r\n";
                                       return text;
                                     }(),
                                     false}};
  AnsiString failure;
  Application->OnException = [&](TObject*, const std::exception& e) { failure = e.what(); };
  for (const auto& [name, text, wide] : hints) {
    pad->SetHint(text);
    SimulateMouseMove(form->ClientToScreen(Point(150, 80)));
    SimulateMouseMove(pad->ClientToScreen(Point(20, 15)));
    ASSERT_TRUE(PumpUntil([&] { return HintShown(); })) << name;
    THintWindow* hint = Application->HintWindow();
    hint->Repaint();
    EXPECT_LE(hint->Width(), Screen->Width()) << name;
    EXPECT_LE(hint->Height(), Screen->Height()) << name;
    EXPECT_EQ(hint->Width() > Screen->Width() / 2, wide) << name;
    EXPECT_EQ(hint->Height() > Screen->Height() / 2, !wide) << name;
    const AnsiString shown = hint->Caption();
    ASSERT_FALSE(shown.empty()) << name;
    EXPECT_EQ(shown.back(), '\x85') << name;
    EXPECT_EQ(text.rfind(shown.substr(0, shown.size() - 1), 0), 0u) << name << ": the start kept";
  }
  Application->OnException = nullptr;
  EXPECT_EQ(failure, "");
}

// The bounds: a text that fits is kept whole; a cut line is as long as fits.
TEST(HintText, FitsOrIsCutAtTheEdge) {
  Application->Initialize();
  TBitmap b;
  b.SetSize(1, 1);
  TCanvas* c = b.Canvas();
  const int lineHeight = c->TextHeight("Wg");
  EXPECT_EQ(BoundHintText(c, "Fetch now\r\nsecond", 500, 500), "Fetch now\r\nsecond");
  const AnsiString cut = BoundHintText(c, "abcdefghijklmnopqrstuvwxyz", 60, 500);
  ASSERT_GT(cut.size(), 1u);
  EXPECT_EQ(cut.back(), '\x85');
  EXPECT_LE(c->TextWidth(cut), 60);
  EXPECT_GT(c->TextWidth(AnsiString("abcdefghijklmnopqrstuvwxyz").substr(0, cut.size()) + "\x85"),
            60)
      << "one more letter would not fit";
  EXPECT_EQ(BoundHintText(c, cut, 60, 500), cut) << "bounding again changes nothing";
  const AnsiString three = BoundHintText(c, "a\nb\nc\nd\ne", 500, 3 * lineHeight);
  EXPECT_EQ(three, "a\nb\nc\x85");
}

TEST(Exceptions, WhatAHandlerRaisesReachesTheApplication) {
  Application->Initialize();
  TForm form(nullptr);
  form.SetBounds(300, 300, 100, 60);
  form.OnClick = [](TObject*) { throw Exception("Bad click"); };
  AnsiString caught;
  Application->OnException = [&](TObject*, const std::exception& e) { caught = e.what(); };
  form.Show();
  Application->ProcessMessages();
  const TPoint p = form.ClientToScreen(Point(10, 10));
  SimulateMouseDown(p, mbLeft);
  SimulateMouseUp(p, mbLeft);
  Application->OnException = nullptr;
  EXPECT_EQ(caught, "Bad click");
}

} // namespace
