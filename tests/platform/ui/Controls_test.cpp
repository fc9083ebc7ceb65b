#include "platform/gfx/Graphics.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/Messages.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Synthetic.h"
#include "platform/ui/Timers.h"
#include "tests/platform/ui/FormFixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <functional>
#include <string>
#include <vector>

namespace {

// Records what reaches a windowless control, as a skinned button sees it.
class TProbe : public TGraphicControl {
public:
  explicit TProbe(TComponent* AOwner) : TGraphicControl(AOwner) {
    OnClick = [this](TObject*) { Log.push_back("click"); };
  }
  std::vector<std::string> Log;

protected:
  void CMMouseEnter(TMessage& m) override {
    TGraphicControl::CMMouseEnter(m);
    Log.push_back("enter");
  }
  void CMMouseLeave(TMessage& m) override {
    TGraphicControl::CMMouseLeave(m);
    Log.push_back("leave");
  }
  void MouseDown(TMouseButton b, TShiftState s, int x, int y) override {
    TGraphicControl::MouseDown(b, s, x, y);
    Log.push_back("down " + std::to_string(x) + "," + std::to_string(y));
  }
  void MouseMove(TShiftState s, int x, int y) override {
    TGraphicControl::MouseMove(s, x, y);
    if (s.Contains(ssLeft))
      Log.push_back("drag " + std::to_string(x) + "," + std::to_string(y));
  }
  void MouseUp(TMouseButton b, TShiftState s, int x, int y) override {
    TGraphicControl::MouseUp(b, s, x, y);
    Log.push_back("up " + std::to_string(x) + "," + std::to_string(y));
  }
};

class UiTest : public testing::Test {
protected:
  void SetUp() override {
    Application->Initialize();
    form = new TForm(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(100, 100, 200, 120);
    probe = new TProbe(form);
    probe->SetParent(form);
    probe->SetBounds(20, 30, 50, 40);
    form->Show();
    Pump();
  }
  void TearDown() override {
    delete form;
    Pump();
  }

  TPoint At(int x, int y) const { return form->ClientToScreen(Point(x, y)); }

  TForm* form = nullptr;
  TProbe* probe = nullptr;
};

TEST_F(UiTest, GraphicControlGetsEnterDownUpClickAndLeave) {
  SimulateMouseMove(At(5, 5));
  SimulateMouseMove(At(30, 40));
  SimulateMouseDown(At(30, 40), mbLeft);
  SimulateMouseUp(At(31, 41), mbLeft);
  SimulateMouseMove(At(150, 100));
  // The click comes before OnMouseUp, as the class library orders them.
  EXPECT_EQ(probe->Log,
            (std::vector<std::string>{"enter", "down 10,10", "click", "up 11,11", "leave"}));
}

TEST_F(UiTest, ReleaseOutsideIsNoClickAndCaptureHolds) {
  SimulateMouseMove(At(30, 40));
  SimulateMouseDown(At(30, 40), mbLeft);
  EXPECT_TRUE(probe->MouseCapture());
  SimulateMouseMove(At(150, 100)); // leaves, yet the moves still come here
  SimulateMouseUp(At(150, 100), mbLeft);
  EXPECT_FALSE(probe->MouseCapture());
  EXPECT_EQ(probe->Log,
            (std::vector<std::string>{"enter", "down 10,10", "leave", "drag 130,70", "up 130,70"}));
}

TEST_F(UiTest, RightButtonIsNoClick) {
  SimulateMouseDown(At(30, 40), mbRight);
  SimulateMouseUp(At(30, 40), mbRight);
  EXPECT_EQ(std::count(probe->Log.begin(), probe->Log.end(), "click"), 0);
}

// A click that switches pages leaves the pointer still over a control it has
// never moved on; the next press must reach that control as a pointer over
// it, once.
TEST_F(UiTest, AControlShownUnderAStillPointerHasAMoveBeforeItsPress) {
  auto* next = new TProbe(form);
  next->SetParent(form);
  next->SetBounds(20, 30, 50, 40);
  next->SetVisible(false);
  next->OnMouseMove = [next](TObject*, TShiftState s, int x, int y) {
    next->Log.push_back((s.Contains(ssLeft) ? "held move " : "move ") + std::to_string(x) + "," +
                        std::to_string(y));
  };
  probe->OnClick = [&](TObject*) {
    probe->SetVisible(false);
    next->SetVisible(true);
  };
  SimulateMouseMove(At(30, 40));
  SimulateMouseDown(At(30, 40), mbLeft);
  SimulateMouseUp(At(30, 40), mbLeft);
  ASSERT_TRUE(next->Visible());
  for (int i = 0; i < 2; ++i) {
    SimulateMouseDown(At(30, 40), mbLeft);
    SimulateMouseUp(At(30, 40), mbLeft);
  }
  EXPECT_EQ(next->Log, (std::vector<std::string>{"enter", "move 10,10", "down 10,10", "click",
                                                 "up 10,10", "down 10,10", "click", "up 10,10"}));
}

TEST_F(UiTest, TheControlUnderAScreenPoint) {
  EXPECT_EQ(FindDragTarget(At(30, 40), false), probe);
  EXPECT_EQ(FindDragTarget(At(5, 5), false), form);
  probe->SetEnabled(false);
  EXPECT_EQ(FindDragTarget(At(30, 40), false), form);
  EXPECT_EQ(FindDragTarget(At(30, 40), true), probe);
  EXPECT_EQ(probe->ScreenToClient(At(30, 40)), Point(10, 10));
}

TEST_F(UiTest, TimerMayBeFreedInItsOwnTick) {
  auto* timer = new TTimer(form);
  timer->SetInterval(5);
  int ticks = 0;
  timer->SetOnTimer([&](TObject* sender) {
    ++ticks;
    delete sender;
  });
  EXPECT_TRUE(PumpUntil([&] { return ticks > 0; }));
  Pump(20);
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(form->FindComponent(""), nullptr);
}

TEST_F(UiTest, TimerHandlerSwappedAtRunTime) {
  TTimer timer(nullptr);
  timer.SetInterval(5);
  std::vector<int> seen;
  timer.SetOnTimer([&](TObject*) {
    seen.push_back(1);
    timer.SetOnTimer([&](TObject*) {
      seen.push_back(2);
      timer.SetEnabled(false);
    });
  });
  EXPECT_TRUE(PumpUntil([&] { return seen.size() >= 2; }));
  Pump(10);
  EXPECT_EQ(seen, (std::vector<int>{1, 2}));
}

TEST_F(UiTest, WindowTimersTickWithTheirId) {
  std::vector<WPARAM> ids;
  form->WindowProc = [&, old = form->WindowProc](TMessage& m) {
    if (m.Msg == WM_TIMER) {
      ids.push_back(m.WParam);
      KillTimer(form, m.WParam);
      return;
    }
    old(m);
  };
  SetTimer(form, 7, 5);
  EXPECT_TRUE(PumpUntil([&] { return !ids.empty(); }));
  Pump(10);
  EXPECT_EQ(ids, std::vector<WPARAM>{7});
}

// A worker that asks the main thread for a call while a nested loop runs.
class TAsker : public TThread {
public:
  explicit TAsker(std::function<void()> AFn) : fn(std::move(AFn)) {}
  std::atomic<bool> Served{false};

protected:
  void Execute() override {
    Synchronize([this] {
      fn();
      Served = true;
    });
  }

private:
  std::function<void()> fn;
};

TEST_F(UiTest, SynchronizeIsServedInsideShowModal) {
  TForm dialog(nullptr);
  dialog.SetBounds(150, 150, 100, 80);
  TAsker asker([&] { dialog.ModalResult = mrOk; });
  dialog.OnShow = [&](TObject*) { asker.Start(); };
  EXPECT_EQ(dialog.ShowModal(), mrOk);
  asker.WaitFor();
  EXPECT_TRUE(asker.Served);
  EXPECT_FALSE(dialog.Visible());
}

TEST_F(UiTest, SynchronizeIsServedInsideAMessageBox) {
  // The worker's call closes the box by pressing its button.
  TAsker asker([] { SimulateKey(VK_RETURN, {}, '\r'); });
  TTimer starter(nullptr);
  starter.SetInterval(20);
  starter.SetOnTimer([&](TObject*) {
    starter.SetEnabled(false);
    asker.Start();
  });
  EXPECT_EQ(Application->MessageBox("Working", "Test"), IDOK);
  asker.WaitFor();
  EXPECT_TRUE(asker.Served);
}

struct TCloseLog {
  std::vector<std::string> Steps;
  void Attach(TForm* f) {
    f->OnCloseQuery = [this](TObject*, bool& can) {
      Steps.push_back("query");
      can = true;
    };
    f->OnClose = [this](TObject*, TCloseAction&) { Steps.push_back("close"); };
  }
};

TEST_F(UiTest, WindowManagerCloseGoesThroughTheMainFormsClosePath) {
  TCloseLog log;
  log.Attach(form);
  Application->SetMainForm(form);
  SimulateWindowClose(form);
  EXPECT_EQ(log.Steps, (std::vector<std::string>{"query", "close"}));
  EXPECT_TRUE(Application->Terminated());
}

TEST_F(UiTest, SignalsGoThroughTheMainFormsClosePath) {
  for (int signal : {SIGTERM, SIGINT}) {
    TCloseLog log;
    log.Attach(form);
    Application->SetMainForm(form);
    std::raise(signal);
    EXPECT_TRUE(PumpUntil([&] { return !log.Steps.empty(); })) << signal;
    EXPECT_EQ(log.Steps, (std::vector<std::string>{"query", "close"})) << signal;
  }
}

TEST_F(UiTest, CloseQueryMayRefuse) {
  form->OnCloseQuery = [](TObject*, bool& can) { can = false; };
  bool closed = false;
  form->OnClose = [&](TObject*, TCloseAction&) { closed = true; };
  form->Close();
  EXPECT_FALSE(closed);
  EXPECT_TRUE(form->Visible());
}

TEST_F(UiTest, KeyPreviewGivesTheFormTheKeyFirst) {
  auto* edit = new TCustomControl(form);
  edit->SetParent(form);
  edit->SetBounds(100, 10, 50, 20);
  edit->SetTabStop(true);
  std::vector<std::string> seen;
  form->KeyPreview = true;
  form->OnKeyDown = [&](TObject*, uint16_t& key, TShiftState) {
    seen.push_back("form " + std::to_string(key));
    if (key == VK_F5)
      key = 0;
  };
  edit->OnKeyDown = [&](TObject*, uint16_t& key, TShiftState) {
    seen.push_back("edit " + std::to_string(key));
  };
  edit->SetFocus();
  Pump();
  SimulateKey(VK_F5);
  SimulateKey('A', {}, 'a');
  EXPECT_EQ(seen, (std::vector<std::string>{"form 116", "form 65", "edit 65"}));
}

} // namespace

namespace {

// A focused window that is freed is forgotten by its form and its parent:
// the next focus change and Tab reach only the living.
TEST_F(UiTest, AFreedFocusedWindowIsForgotten) {
  auto* panel = new TCustomControl(form);
  panel->SetParent(form);
  panel->SetBounds(100, 10, 100, 60);
  auto* inner = new TCustomControl(form);
  inner->SetParent(panel);
  inner->SetBounds(5, 5, 40, 20);
  inner->SetTabStop(true);
  auto* other = new TCustomControl(form);
  other->SetParent(form);
  other->SetBounds(100, 80, 60, 20);
  other->SetTabStop(true);
  for (TCustomControl* freed : {inner, other}) {
    form->FocusControl(freed);
    Pump();
    delete freed;
    EXPECT_EQ(form->ActiveControl(), nullptr);
  }
  form->FocusControl(panel);
  SimulateKey(VK_TAB);
  EXPECT_EQ(form->ActiveControl(), panel);
}

// A control that paints once normally, once with a failure.
template <class T> class TFailingPaint : public T {
public:
  using T::T;
  bool Fail = false;
  int Paints = 0;
  TCanvas* During = nullptr; // the canvas as Paint found it

protected:
  void Paint() override {
    ++Paints;
    During = this->Canvas();
    EXPECT_TRUE(During->HandleAllocated());
    EXPECT_EQ(During->LockCount(), 1);
    EXPECT_EQ(During->Font()->Size(), 17) << "the control's font";
    if (Fail)
      throw Exception("Paint failed");
  }
};

// Whether Paint ends or fails, the canvas is handed back: no device
// context left on it, no lock held, and the failure goes on to the caller.
TEST_F(UiTest, APaintLeavesTheCanvasFreeHoweverItEnds) {
  auto check = [](TControl* c, auto* probe) {
    c->Font()->SetSize(17);
    TBitmap target;
    target.SetSize(20, 20);
    for (bool fail : {false, true}) {
      probe->Fail = fail;
      bool thrown = false;
      try {
        c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(target.Canvas()->Handle()), 0);
      } catch (const Exception&) {
        thrown = true;
      }
      EXPECT_EQ(thrown, fail);
      ASSERT_NE(probe->During, nullptr);
      EXPECT_FALSE(probe->During->HandleAllocated())
          << (fail ? "after a failure" : "after a paint");
      EXPECT_EQ(probe->During->LockCount(), 0) << (fail ? "after a failure" : "after a paint");
    }
    EXPECT_EQ(probe->Paints, 2);
  };
  auto* graphic = new TFailingPaint<TGraphicControl>(form);
  graphic->SetParent(form);
  check(graphic, graphic);
  auto* custom = new TFailingPaint<TCustomControl>(form);
  custom->SetParent(form);
  check(custom, custom);
  TFailingPaint<TForm> other(nullptr);
  check(&other, &other);
}

TEST_F(UiTest, TabMovesTheFocusInTabOrder) {
  std::vector<TCustomControl*> stops;
  for (int i = 0; i < 3; ++i) {
    auto* c = new TCustomControl(form);
    c->SetParent(form);
    c->SetBounds(100, 5 + i * 30, 60, 20);
    c->SetTabStop(i != 1); // the middle one is skipped
    stops.push_back(c);
  }
  stops[2]->SetTabOrder(0);
  stops[0]->SetFocus();
  Pump();
  SimulateKey(VK_TAB);
  EXPECT_EQ(form->ActiveControl(), stops[2]) << "wraps round to the first in tab order";
  SimulateKey(VK_TAB);
  EXPECT_EQ(form->ActiveControl(), stops[0]);
  SimulateKey(VK_TAB, {ssShift});
  EXPECT_EQ(form->ActiveControl(), stops[2]);
}

TEST_F(UiTest, MinimumSizeHolds) {
  form->Constraints()->MinWidth = 150;
  form->Constraints()->MinHeight = 90;
  form->SetBounds(100, 100, 40, 30);
  EXPECT_EQ(form->Width(), 150);
  EXPECT_EQ(form->Height(), 90);
}

TEST_F(UiTest, AlignedChildrenShareTheClientArea) {
  auto* top = new TProbe(form);
  top->SetParent(form);
  top->SetHeight(20);
  top->SetAlign(alTop);
  probe->SetAlign(alClient);
  EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 200, 20));
  EXPECT_EQ(probe->BoundsRect(), Rect(0, 20, 200, 120));
  form->SetBounds(100, 100, 300, 200);
  EXPECT_EQ(probe->BoundsRect(), Rect(0, 20, 300, 200));
}

} // namespace

namespace {

// Replaces its form's window procedure and gives it back on WM_DESTROY, as
// a shaped skin does.
class TSubclasser : public TGraphicControl {
public:
  TSubclasser(TComponent* AOwner, TWinControl* Form, std::vector<unsigned>& ASeen)
      : TGraphicControl(AOwner), form(Form), seen(ASeen) {
    previous = form->WindowProc;
    form->WindowProc = [this](TMessage& m) {
      if (m.Msg == WM_DESTROY || m.Msg == WM_ERASEBKGND)
        seen.push_back(m.Msg);
      if (m.Msg == WM_DESTROY)
        form->WindowProc = previous;
      if (m.Msg == WM_ERASEBKGND) {
        m.Result = 0; // the skin paints everything
        return;
      }
      previous(m);
    };
  }

private:
  TWinControl* form;
  std::vector<unsigned>& seen;
  TWndMethod previous;
};

TEST(WindowProc, ReplacedAndGivenBackWhenTheWindowGoes) {
  Application->Initialize();
  std::vector<unsigned> seen;
  auto* form = new TForm(nullptr);
  auto* skin = new TSubclasser(form, form, seen);
  skin->SetParent(form);
  form->Perform(WM_ERASEBKGND, 0, 0);
  delete form; // the subclasser is freed after WM_DESTROY reached it
  EXPECT_EQ(seen, (std::vector<unsigned>{WM_ERASEBKGND, WM_DESTROY}));
}

} // namespace
