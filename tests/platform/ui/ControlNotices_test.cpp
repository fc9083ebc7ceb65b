#include "platform/ui/Controls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Synthetic.h"
#include "platform/ui/WindowImpl.h"

#include <gtest/gtest.h>

#include <QWidget>

#include <map>
#include <string>
#include <vector>

namespace {

// Counts the notifications a control's WindowProc sees, then passes them on.
struct TNoticeLog {
  std::map<unsigned, int> Seen;
  void Watch(TControl* Control) {
    TWndMethod old = Control->WindowProc;
    Control->WindowProc = [this, old](TMessage& m) {
      ++Seen[m.Msg];
      old(m);
    };
  }
  int operator[](unsigned Msg) { return Seen[Msg]; }
};

class NoticeTest : public testing::Test {
protected:
  void SetUp() override {
    Application->Initialize();
    form = new TForm(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(420, 100, 200, 120);
    panel = new TCustomControl(form);
    panel->SetParent(form);
    panel->SetBounds(10, 10, 120, 80);
    child = new TGraphicControl(panel);
    child->SetParent(panel);
    child->SetBounds(5, 5, 40, 20);
  }
  void TearDown() override {
    delete form;
    Application->ProcessMessages();
  }
  void Pump() {
    for (int i = 0; i < 5; ++i)
      Application->ProcessMessages();
  }

  TForm* form = nullptr;
  TCustomControl* panel = nullptr;
  TGraphicControl* child = nullptr;
};

TEST_F(NoticeTest, FontAndColourFlowToChildrenThatFollowTheirParent) {
  TNoticeLog log;
  log.Watch(child);
  panel->SetParentColor(false);
  child->SetParentColor(true);
  panel->SetColor(clTeal);
  EXPECT_EQ(child->Color(), clTeal);
  panel->Font()->SetName("Courier New");
  panel->Font()->SetColor(clRed);
  EXPECT_EQ(child->Font()->Name(), "Courier New");
  EXPECT_EQ(child->Font()->Color(), clRed);
  EXPECT_TRUE(child->ParentFont());
  EXPECT_EQ(log[CM_FONTCHANGED], 2);
  EXPECT_EQ(log[CM_COLORCHANGED], 2) << "once on ParentColor, once from the parent";

  // A font of its own ends the inheritance; asking for it again restores it.
  child->Font()->SetSize(14);
  EXPECT_FALSE(child->ParentFont());
  panel->Font()->SetName("Arial");
  EXPECT_EQ(child->Font()->Name(), "Courier New");
  child->SetParentFont(true);
  EXPECT_EQ(child->Font()->Name(), "Arial");
  EXPECT_EQ(child->Font()->Size(), panel->Font()->Size());
  child->SetColor(clYellow);
  EXPECT_FALSE(child->ParentColor());
  panel->SetColor(clNavy);
  EXPECT_EQ(child->Color(), clYellow);
}

TEST_F(NoticeTest, ChangesAreToldOnceAndOnlyWhenTheValueChanges) {
  TNoticeLog log;
  log.Watch(child);
  child->SetText("A");
  child->SetText("A");
  child->SetEnabled(false);
  child->SetEnabled(false);
  child->SetVisible(false);
  child->SetVisible(false);
  child->SetBounds(6, 5, 40, 20);
  child->SetBounds(6, 5, 41, 20);
  EXPECT_EQ(log[CM_TEXTCHANGED], 1);
  EXPECT_EQ(log[CM_ENABLEDCHANGED], 1);
  EXPECT_EQ(log[CM_VISIBLECHANGED], 1);
  EXPECT_EQ(log[WM_MOVE], 1);
  EXPECT_EQ(log[WM_SIZE], 1);
}

TEST_F(NoticeTest, ButtonPressedIsBroadcastToEverySibling) {
  auto* second = new TGraphicControl(panel);
  second->SetParent(panel);
  TNoticeLog a, b;
  a.Watch(child);
  b.Watch(second);
  TMessage m{CM_BUTTONPRESSED, 1, 0, 0};
  panel->Broadcast(m);
  EXPECT_EQ(a[CM_BUTTONPRESSED], 1);
  EXPECT_EQ(b[CM_BUTTONPRESSED], 1);
  EXPECT_EQ(m.Result, 0);
}

// A double click is one click and one double click; a control without
// csDoubleClicks sees two plain presses instead.
TEST_F(NoticeTest, DoubleClickReplacesTheSecondClick) {
  form->Show();
  Pump();
  std::vector<std::string> log;
  child->OnClick = [&](TObject*) { log.push_back("click"); };
  child->OnDblClick = [&](TObject*) { log.push_back("double"); };
  child->OnMouseDown = [&](TObject*, TMouseButton, TShiftState s, int, int) {
    log.push_back(s.Contains(ssDouble) ? "down double" : "down");
  };
  const TPoint p = child->ClientToScreen(Point(3, 3));
  SimulateDoubleClick(p);
  EXPECT_EQ(log, (std::vector<std::string>{"down", "click", "double", "down double"}));
  log.clear();
  child->ControlStyle >> csDoubleClicks;
  SimulateDoubleClick(p);
  EXPECT_EQ(log, (std::vector<std::string>{"down", "click", "down", "click"}));
}

// Every key that types something is told as a key first, shifted digits and
// punctuation included, so a handler that acts on the first key sees it.
TEST_F(NoticeTest, PunctuationAndShiftedDigitsAreKeysToo) {
  form->Show();
  panel->SetTabStop(true);
  panel->SetFocus();
  Pump();
  std::vector<uint16_t> keys;
  std::vector<char> chars;
  panel->OnKeyDown = [&](TObject*, uint16_t& k, TShiftState) { keys.push_back(k); };
  panel->OnKeyPress = [&](TObject*, char& c) { chars.push_back(c); };
  SimulateKey(VK_OEM_COMMA, {}, ',');
  SimulateKey('1', {ssShift}, '!');
  SimulateKey(VK_OEM_MINUS, {ssShift}, '_');
  SimulateKey('A', {}, 'a');
  EXPECT_EQ(keys, (std::vector<uint16_t>{VK_OEM_COMMA, '1', VK_OEM_MINUS, 'A'}));
  EXPECT_EQ(chars, (std::vector<char>{',', '!', '_', 'a'}));
}

// A window that answers HTTRANSPARENT lets the pointer through to what lies
// under it on its parent.
TEST_F(NoticeTest, TransparentHitTestPassesThePointerThrough) {
  auto* under = new TGraphicControl(form);
  under->SetParent(form);
  under->SetBounds(80, 40, 40, 40);
  under->SendToBack();
  std::vector<std::string> clicks;
  under->OnClick = [&](TObject*) { clicks.push_back("under"); };
  panel->OnClick = [&](TObject*) { clicks.push_back("panel"); };
  form->Show();
  Pump();
  const TPoint p = form->ClientToScreen(Point(100, 60));
  ASSERT_EQ(FindDragTarget(p, false), panel);
  SimulateMouseDown(p, mbLeft);
  SimulateMouseUp(p, mbLeft);
  EXPECT_EQ(clicks, std::vector<std::string>{"panel"});

  TWndMethod old = panel->WindowProc;
  panel->WindowProc = [old](TMessage& m) {
    if (m.Msg == WM_NCHITTEST) {
      m.Result = HTTRANSPARENT;
      return;
    }
    old(m);
  };
  EXPECT_EQ(FindDragTarget(p, false), under);
  SimulateMouseDown(p, mbLeft);
  SimulateMouseUp(p, mbLeft);
  EXPECT_EQ(clicks, (std::vector<std::string>{"panel", "under"}));
}

TEST_F(NoticeTest, WindowRegionSetBeforeTheWindowExistsShapesIt) {
  auto* shaped = new TCustomControl(form);
  shaped->SetBounds(140, 10, 40, 40);
  shaped->SetWindowRgn(CreateEllipticRgn(0, 0, 40, 40), false);
  EXPECT_FALSE(shaped->HandleAllocated());
  shaped->SetParent(form);
  form->Show();
  Pump();
  ASSERT_TRUE(shaped->HandleAllocated());
  auto* widget = static_cast<QWidget*>(shaped->Impl()->Native());
  EXPECT_TRUE(widget->mask().contains(QPoint(20, 20)));
  EXPECT_FALSE(widget->mask().contains(QPoint(1, 1)));
  shaped->SetWindowRgn(nullptr, true);
  EXPECT_EQ(shaped->WindowRgn(), nullptr);
  EXPECT_TRUE(widget->mask().isEmpty()) << "none: the whole rectangle again";
}

// Our text is Windows-1252, with the UTF-8 of what it lacks; the screen's is
// Unicode.
TEST_F(NoticeTest, TitlesAndTypedCharactersCrossAsWindows1252) {
  form->SetCaption("Caf\xE9 \x80 \x93quoted\x94 \xD0\x9D\xD0\xBE\xD0\xB2");
  form->Show();
  Pump();
  auto* widget = static_cast<QWidget*>(form->Impl()->Native());
  EXPECT_EQ(widget->windowTitle(), QString::fromUtf8("Café € “quoted” Нов"));

  panel->SetTabStop(true);
  std::vector<char> typed;
  panel->OnKeyPress = [&](TObject*, char& c) { typed.push_back(c); };
  panel->SetFocus();
  Pump();
  SimulateKey('E', {}, '\x80');
  SimulateKey('E', {}, '\xE9');
  EXPECT_EQ(typed, (std::vector<char>{'\x80', '\xE9'}));
}

} // namespace
