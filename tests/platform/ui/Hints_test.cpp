#include "platform/ui/Forms.h"
#include "platform/ui/Synthetic.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace {

bool PumpUntil(const std::function<bool()>& Done, int ms = 2000) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!Done() && std::chrono::steady_clock::now() < until)
    Application->ProcessMessages();
  return Done();
}

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
// comes after HintShortPause instead of HintPause.
TEST_F(HintTest, HidePauseAndShortPause) {
  Application->HintHidePause = 100;
  Application->HintPause = 400;
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
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(350));
  ASSERT_TRUE(PumpUntil([&] { return !HintShown(); }, 1000)) << "hidden after HintHidePause";
  EXPECT_EQ(shown.size(), 1u) << "not shown again while the pointer stays";

  SimulateMouseMove(pad->ClientToScreen(Point(22, 15)));
  SimulateMouseMove(other->ClientToScreen(Point(20, 15)));
  const auto moved = std::chrono::steady_clock::now();
  ASSERT_TRUE(PumpUntil([&] { return HintShown(); }));
  EXPECT_LT(std::chrono::steady_clock::now() - moved, std::chrono::milliseconds(300));
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
