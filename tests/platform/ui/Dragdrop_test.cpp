// Drag and drop between controls: the events in their order, the targets'
// answers, the cursor, the threshold of a drag that is not immediate, and
// Escape.
#include "tests/platform/ui/FormFixture.h"

#include <QApplication>
#include <QCursor>

#include <cstddef>
#include <string>
#include <vector>

namespace {

class DragTest : public FormTest {
protected:
  void SetUp() override {
    FormTest::SetUp();
    source = Make<TCustomControl>(10, 10, 40, 30);
    source->OnStartDrag = [this](TObject* s, TDragObject*&) { Log(s, "start"); };
    source->OnEndDrag = [this](TObject* s, TObject* target, int x, int y) {
      Log(s, "end " + Name(target) + " " + std::to_string(x) + "," + std::to_string(y));
    };
    source->OnMouseDown = [this](TObject* s, TMouseButton, TShiftState, int, int) {
      Log(s, "down");
    };
    accepting = Make<TCustomControl>(100, 10, 80, 60);
    refusing = Make<TCustomControl>(100, 100, 80, 60);
    for (TCustomControl* target : {accepting, refusing}) {
      target->OnDragOver = [this](TObject* s, TObject* src, int, int, TDragState state,
                                  bool& accept) {
        static const char* const states[] = {"enter", "leave", "move"};
        Log(s, std::string("over ") + states[state] + " from " + Name(src));
        accept = s == accepting;
      };
      target->OnDragDrop = [this](TObject* s, TObject* src, int x, int y) {
        Log(s, "drop " + Name(src) + " " + std::to_string(x) + "," + std::to_string(y));
      };
    }
    plain = Make<TCustomControl>(200, 10, 60, 60);
  }

  std::string Name(TObject* o) const {
    if (o == nullptr)
      return "none";
    if (o == source)
      return "source";
    if (o == accepting)
      return "accepting";
    if (o == refusing)
      return "refusing";
    return "other";
  }
  void Log(TObject* who, const std::string& what) { log.push_back(Name(who) + ": " + what); }

  // The cursor the toolkit shows; ArrowCursor when the windows' own.
  static Qt::CursorShape CursorShown() {
    const QCursor* c = QApplication::overrideCursor();
    return c != nullptr ? c->shape() : Qt::ArrowCursor;
  }

  TCustomControl* source = nullptr;
  TCustomControl* accepting = nullptr;
  TCustomControl* refusing = nullptr;
  TCustomControl* plain = nullptr;
  std::vector<std::string> log;
};

TEST_F(DragTest, AnAutomaticDragDropsOnATargetThatAccepts) {
  source->SetDragMode(dmAutomatic);
  source->SetDragCursor(crHandPoint);
  SimulateMouseMove(At(source, 5, 5));
  SimulateMouseDown(At(source, 5, 5), mbLeft);
  EXPECT_TRUE(source->Dragging()) << "at once, on the press";
  SimulateMouseMove(At(plain, 10, 10));
  EXPECT_EQ(CursorShown(), Qt::ForbiddenCursor) << "a control without OnDragOver refuses";
  SimulateMouseMove(At(accepting, 10, 10));
  EXPECT_EQ(CursorShown(), Qt::PointingHandCursor) << "the source's drag cursor over a taker";
  SimulateMouseMove(At(accepting, 20, 12));
  SimulateMouseUp(At(accepting, 20, 12), mbLeft);
  EXPECT_FALSE(source->Dragging());
  EXPECT_EQ(CursorShown(), Qt::ArrowCursor);
  EXPECT_EQ(log, (std::vector<std::string>{
                     "source: start", "accepting: over enter from source",
                     "accepting: over move from source", "accepting: over leave from source",
                     "accepting: drop source 20,12", "source: end accepting 20,12"}))
      << "no mouse-down of an automatic drag";
}

TEST_F(DragTest, ARefusalOrEscapeEndsWithNoTarget) {
  source->SetDragMode(dmAutomatic);
  SimulateMouseDown(At(source, 5, 5), mbLeft);
  SimulateMouseMove(At(refusing, 10, 10));
  EXPECT_EQ(CursorShown(), Qt::ForbiddenCursor);
  SimulateMouseUp(At(refusing, 10, 10), mbLeft);
  EXPECT_EQ(log,
            (std::vector<std::string>{"source: start", "refusing: over enter from source",
                                      "refusing: over leave from source", "source: end none 0,0"}));

  log.clear();
  SimulateMouseDown(At(source, 5, 5), mbLeft);
  SimulateMouseMove(At(accepting, 10, 10));
  SimulateKey(VK_ESCAPE, {}, '\x1b');
  EXPECT_FALSE(source->Dragging());
  EXPECT_EQ(CursorShown(), Qt::ArrowCursor);
  SimulateMouseUp(At(accepting, 10, 10), mbLeft);
  EXPECT_EQ(log,
            (std::vector<std::string>{"source: start", "accepting: over enter from source",
                                      "accepting: over leave from source", "source: end none 0,0"}))
      << "cancelled: no drop, and the release after it is no drop either";
}

// A drag begun by hand and not at once waits for the pointer to pass the
// threshold; released before that, it is no drag.
TEST_F(DragTest, AManualDragWaitsForItsThreshold) {
  source->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) {
    Log(source, "down");
    source->BeginDrag(false, 10);
  };
  SimulateMouseDown(At(source, 5, 5), mbLeft);
  SimulateMouseMove(At(source, 14, 5));
  EXPECT_TRUE(source->Dragging());
  EXPECT_EQ(log, (std::vector<std::string>{"source: down", "source: start"}))
      << "below the threshold";
  SimulateMouseUp(At(source, 14, 5), mbLeft);
  EXPECT_FALSE(source->Dragging());
  EXPECT_EQ(log.back(), "source: end none 0,0");

  log.clear();
  SimulateMouseDown(At(source, 5, 5), mbLeft);
  SimulateMouseMove(At(source, 5, 16));
  SimulateMouseMove(At(accepting, 3, 4));
  source->EndDrag(true);
  EXPECT_EQ(log, (std::vector<std::string>{
                     "source: down", "source: start", "accepting: over enter from source",
                     "accepting: over leave from source", "accepting: drop source 3,4",
                     "source: end accepting 3,4"}));
  SimulateMouseUp(At(accepting, 3, 4), mbLeft);
}

// OnStartDrag may hand its own drag object; the targets see it as the
// source, and its cursor shows.
TEST_F(DragTest, TheDragObjectOfOnStartDragIsTheSource) {
  struct TCardObject : public TDragObject {
    TCursor GetDragCursor(bool Accepted, int, int) override { return Accepted ? crCross : crNo; }
  } card;
  source->OnStartDrag = [&](TObject*, TDragObject*& object) { object = &card; };
  TObject* seen = nullptr;
  accepting->OnDragDrop = [&](TObject*, TObject* src, int, int) { seen = src; };
  source->SetDragMode(dmAutomatic);
  SimulateMouseDown(At(source, 5, 5), mbLeft);
  SimulateMouseMove(At(accepting, 10, 10));
  EXPECT_EQ(CursorShown(), Qt::CrossCursor);
  SimulateMouseUp(At(accepting, 10, 10), mbLeft);
  EXPECT_EQ(seen, &card);
}

// A target or a source freed during the drag is forgotten.
TEST_F(DragTest, AControlFreedMidDragIsForgotten) {
  source->SetDragMode(dmAutomatic);
  SimulateMouseDown(At(source, 5, 5), mbLeft);
  SimulateMouseMove(At(refusing, 10, 10));
  delete refusing;
  refusing = nullptr;
  SimulateMouseMove(At(accepting, 10, 10));
  delete source;
  source = nullptr;
  EXPECT_EQ(CursorShown(), Qt::ArrowCursor);
  SimulateMouseUp(At(accepting, 10, 10), mbLeft);
  EXPECT_EQ(log.back(), "accepting: over enter from source");
}

// A handler that frees a control of the drag, its own or another: the freed
// control is neither asked nor told anything more, the drag ends where it
// stands, and the next drag starts clean. A target that goes while the drop
// is still to be told leaves the source with no target to hear of.
enum TRole { Source, Accepting, Refusing };

struct TFreeCase {
  const char* Name;
  TRole Handler;    // whose handler frees
  const char* When; // "enter", "leave", "move", "drop" or "end"
  TRole Victim;
  size_t Heard; // how much of the whole drag's log still happens
  bool EndsWithNoTarget;
};

class DragFreeTest : public DragTest, public testing::WithParamInterface<TFreeCase> {
protected:
  TCustomControl*& Control(TRole Role) {
    switch (Role) {
    case Source:
      return source;
    case Accepting:
      return accepting;
    default:
      return refusing;
    }
  }

  // Frees the victim as the last thing its caller does: the handler being
  // run may be the victim's own.
  void Free(TRole Victim) {
    TCustomControl* doomed = Control(Victim);
    Control(Victim) = nullptr;
    delete doomed;
  }

  void Arm(const TFreeCase& c) {
    TCustomControl* handler = Control(c.Handler);
    const std::string when = c.When;
    const TRole victim = c.Victim;
    if (when == "drop") {
      handler->OnDragDrop = [this, old = handler->OnDragDrop, victim](TObject* s, TObject* src,
                                                                      int x, int y) {
        old(s, src, x, y);
        Free(victim);
      };
    } else if (when == "end") {
      handler->OnEndDrag = [this, old = handler->OnEndDrag, victim](TObject* s, TObject* t, int x,
                                                                    int y) {
        old(s, t, x, y);
        Free(victim);
      };
    } else {
      static const char* const states[] = {"enter", "leave", "move"};
      handler->OnDragOver = [this, old = handler->OnDragOver, victim,
                             when](TObject* s, TObject* src, int x, int y, TDragState state,
                                   bool& accept) {
        old(s, src, x, y, state, accept);
        if (when == states[state])
          Free(victim);
      };
    }
  }
};

TEST_P(DragFreeTest, AControlFreedInAHandlerIsForgottenAtOnce) {
  const TFreeCase& c = GetParam();
  Arm(c);
  source->SetDragMode(dmAutomatic);
  SimulateMouseDown(At(source, 5, 5), mbLeft);
  SimulateMouseMove(At(refusing, 10, 10));
  const TPoint drop = At(accepting, 20, 12);
  SimulateMouseMove(At(accepting, 10, 10));
  SimulateMouseMove(drop);
  SimulateMouseUp(drop, mbLeft);

  const std::vector<std::string> whole = {"source: start",
                                          "refusing: over enter from source",
                                          "refusing: over leave from source",
                                          "accepting: over enter from source",
                                          "accepting: over move from source",
                                          "accepting: over leave from source",
                                          "accepting: drop source 20,12",
                                          "source: end accepting 20,12"};
  std::vector<std::string> heard(whole.begin(), whole.begin() + static_cast<long>(c.Heard));
  if (c.EndsWithNoTarget)
    heard.push_back("source: end none 0,0");
  EXPECT_EQ(log, heard);
  EXPECT_EQ(Control(c.Victim), nullptr);
  EXPECT_TRUE(source == nullptr || !source->Dragging());
  EXPECT_EQ(CursorShown(), Qt::ArrowCursor);

  // Nothing of the ended drag is left over to the next: no stale target is
  // told it was left, and the new one is asked about the new source.
  log.clear();
  auto* other = Make<TCustomControl>(200, 100, 40, 30);
  other->SetDragMode(dmAutomatic);
  other->OnEndDrag = [this](TObject* s, TObject* target, int x, int y) {
    Log(s, "end " + Name(target) + " " + std::to_string(x) + "," + std::to_string(y));
  };
  SimulateMouseDown(At(other, 5, 5), mbLeft);
  SimulateMouseMove(At(refusing, 10, 10));
  SimulateMouseUp(At(refusing, 10, 10), mbLeft);
  EXPECT_EQ(log,
            (std::vector<std::string>{"refusing: over enter from other",
                                      "refusing: over leave from other", "other: end none 0,0"}));
}

INSTANTIATE_TEST_SUITE_P(
    Handlers, DragFreeTest,
    testing::Values(TFreeCase{"DropBinsTheSource", Accepting, "drop", Source, 7, false},
                    TFreeCase{"DropFreesTheTarget", Accepting, "drop", Accepting, 7, true},
                    TFreeCase{"LeaveOfTheDropFreesTheTarget", Accepting, "leave", Accepting, 6,
                              true},
                    TFreeCase{"LeaveOfTheDropFreesTheSource", Accepting, "leave", Source, 6, false},
                    TFreeCase{"LeaveOfAMoveFreesTheSource", Refusing, "leave", Source, 3, false},
                    TFreeCase{"EnterFreesTheSource", Accepting, "enter", Source, 4, false},
                    TFreeCase{"EnterFreesTheTarget", Accepting, "enter", Accepting, 4, true},
                    TFreeCase{"MoveFreesTheTarget", Accepting, "move", Accepting, 5, true},
                    TFreeCase{"EndFreesTheSource", Source, "end", Source, 8, false}),
    [](const testing::TestParamInfo<TFreeCase>& info) { return std::string(info.param.Name); });

} // namespace
