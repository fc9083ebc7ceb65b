// Drag and drop between the program's controls. The toolkit's own drag and
// drop (mime data between applications) is not used: a drag is the source
// control holding the mouse capture, the loop's mouse moves and release
// going to it, and the target found under the pointer at each move.
#include "platform/rtl/Messages.h"
#include "platform/ui/Controls.h"
#include "platform/ui/WindowImpl.h"

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr int DragThreshold = 5;

struct TDragSession {
  TControl* Source = nullptr;
  TDragObject* Object = nullptr;
  std::unique_ptr<TDragObject> Own; // when OnStartDrag gave none
  bool Started = false;             // the pointer passed the threshold
  TPoint Start;
  int Threshold = DragThreshold;
  TControl* Target = nullptr;
  bool Accepted = false;
};

TDragSession session;
// The sessions DragDone has taken out of the way while it tells the target
// and the source (a handler may run a drag of its own to its end); a control
// freed by their handlers is forgotten there too.
std::vector<TDragSession*> ending;

class TEndingScope {
public:
  explicit TEndingScope(TDragSession& Session) { ending.push_back(&Session); }
  ~TEndingScope() { ending.pop_back(); }
  TEndingScope(const TEndingScope&) = delete;
  TEndingScope& operator=(const TEndingScope&) = delete;
};

void Forget(TDragSession& Session, TControl* Control) {
  if (Session.Target == Control)
    Session.Target = nullptr;
  if (Session.Source == Control)
    Session.Source = nullptr;
}

TObject* SourceOf(TDragObject* Object) {
  return Object != nullptr ? Object->Source() : nullptr;
}

// Asks a target, in its client coordinates.
bool AskTarget(TControl* Target, TPoint Screen, TDragState State) {
  const TPoint p = Target->ScreenToClient(Screen);
  bool accept = false;
  Target->DragOver(SourceOf(session.Object), p.X, p.Y, State, accept);
  return accept;
}

void ShowCursor(TPoint Screen) {
  const TPoint p = session.Target != nullptr ? session.Target->ScreenToClient(Screen) : Screen;
  ShowDragCursor(session.Object->GetDragCursor(session.Accepted, p.X, p.Y));
}

// The pointer moved to Screen: the target left, entered or moved over.
void DragTo(TPoint Screen) {
  TControl* target = FindDragTarget(Screen, false);
  TDragState state = dsDragMove;
  if (target != session.Target) {
    if (session.Target != nullptr)
      AskTarget(session.Target, Screen, dsDragLeave);
    // The handler may have ended the drag or freed the source.
    if (session.Source == nullptr)
      return;
    session.Target = target;
    state = dsDragEnter;
  }
  const bool accepted = target != nullptr && AskTarget(target, Screen, state);
  if (session.Source == nullptr)
    return;
  session.Accepted = accepted;
  ShowCursor(Screen);
}

// The target leaves, takes the drop when it accepted, and the source is
// told where it went (nowhere when refused or cancelled). A control freed
// by one of these handlers hears nothing more: a target gone takes no drop
// and is no target to tell of, a source gone ends the drag at once.
void DragDone(bool Drop) {
  if (session.Source == nullptr)
    return;
  TDragSession done = std::move(session);
  session = TDragSession{};
  const TEndingScope scope(done);
  if (GetCaptureControl() == done.Source)
    SetCaptureControl(nullptr);
  ShowDragCursor(crDefault);
  if (!done.Started)
    done.Target = nullptr;
  TPoint at{};
  if (done.Target != nullptr) {
    at = done.Target->ScreenToClient(Mouse_CursorPos());
    bool ignored = false;
    done.Target->DragOver(SourceOf(done.Object), at.X, at.Y, dsDragLeave, ignored);
  }
  const bool accepted = Drop && done.Target != nullptr && done.Accepted;
  if (accepted && done.Source != nullptr)
    done.Target->DragDrop(SourceOf(done.Object), at.X, at.Y);
  if (done.Source == nullptr)
    return;
  TControl* const target = accepted ? done.Target : nullptr; // none when the drop freed it
  if (target == nullptr)
    at = TPoint{};
  done.Source->DoEndDrag(target, at.X, at.Y);
}

} // namespace

TCursor TDragObject::GetDragCursor(bool Accepted, int, int) {
  return Accepted ? crDrag : crNoDrop;
}

TCursor TDragControlObject::GetDragCursor(bool Accepted, int, int) {
  return Accepted ? Control->DragCursor() : crNoDrop;
}

TObject* TDragControlObject::Source() {
  return Control;
}

void TControl::BeginDrag(bool Immediate, int Threshold) {
  if (session.Source != nullptr)
    return;
  session.Source = this;
  session.Start = Mouse_CursorPos();
  session.Threshold = Threshold < 0 ? DragThreshold : Threshold;
  TDragObject* object = nullptr;
  DoStartDrag(object);
  if (session.Source != this) // ended from OnStartDrag
    return;
  if (object == nullptr) {
    session.Own = std::make_unique<TDragControlObject>(this);
    object = session.Own.get();
  }
  session.Object = object;
  SetCaptureControl(this);
  if (!Immediate)
    return;
  session.Started = true;
  DragTo(session.Start);
}

void TControl::EndDrag(bool Drop) {
  if (Dragging())
    DragDone(Drop);
}

bool TControl::Dragging() const {
  return session.Source == this;
}

void TControl::DoStartDrag(TDragObject*& DragObject) {
  if (OnStartDrag)
    OnStartDrag(this, DragObject);
}

void TControl::DoEndDrag(TObject* Target, int X, int Y) {
  if (OnEndDrag)
    OnEndDrag(this, Target, X, Y);
}

void TControl::DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) {
  Accept = false;
  if (!OnDragOver)
    return;
  Accept = true;
  OnDragOver(this, Source, X, Y, State, Accept);
}

void TControl::DragDrop(TObject* Source, int X, int Y) {
  if (OnDragDrop)
    OnDragDrop(this, Source, X, Y);
}

void CancelDrag() {
  DragDone(false);
}

bool DragMessage(TControl* Control, TMessage& Message) {
  if (session.Source == nullptr || Control != session.Source)
    return false;
  switch (Message.Msg) {
  case WM_MOUSEMOVE: {
    const TPoint screen =
        Control->ClientToScreen(Point(GetXLParam(Message.LParam), GetYLParam(Message.LParam)));
    if (!session.Started) {
      if (std::abs(screen.X - session.Start.X) < session.Threshold &&
          std::abs(screen.Y - session.Start.Y) < session.Threshold)
        return true;
      session.Started = true;
    }
    DragTo(screen);
    return true;
  }
  case WM_LBUTTONUP:
    DragDone(true);
    return true;
  case WM_RBUTTONDOWN:
    DragDone(false);
    return true;
  default:
    return false;
  }
}

bool DragKey(uint16_t Key) {
  if (session.Source == nullptr || Key != VK_ESCAPE)
    return false;
  DragDone(false);
  return true;
}

void ForgetDragControl(TControl* Control) {
  for (TDragSession* s : ending)
    Forget(*s, Control);
  if (session.Source == nullptr)
    return;
  Forget(session, Control);
  if (session.Source != nullptr)
    return;
  // The source goes: the drag ends without a word to anyone.
  session = TDragSession{};
  ShowDragCursor(crDefault);
}
