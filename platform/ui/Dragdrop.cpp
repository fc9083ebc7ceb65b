// Drag and drop between the program's controls. The toolkit's own drag and
// drop (mime data between applications) is not used: a drag is the source
// control holding the mouse capture, the loop's mouse moves and release
// going to it, and the target found under the pointer at each move.
#include "platform/rtl/Messages.h"
#include "platform/ui/Controls.h"
#include "platform/ui/WindowImpl.h"

#include <cstdlib>
#include <memory>

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
  if (target != session.Target) {
    if (session.Target != nullptr)
      AskTarget(session.Target, Screen, dsDragLeave);
    session.Target = target;
    session.Accepted = target != nullptr && AskTarget(target, Screen, dsDragEnter);
  } else if (target != nullptr) {
    session.Accepted = AskTarget(target, Screen, dsDragMove);
  }
  // A target may have ended the drag from its handler.
  if (session.Source != nullptr)
    ShowCursor(Screen);
}

// The target leaves, takes the drop when it accepted, and the source is
// told where it went (nowhere when refused or cancelled).
void DragDone(bool Drop) {
  if (session.Source == nullptr)
    return;
  TDragSession done = std::move(session);
  session = TDragSession{};
  if (GetCaptureControl() == done.Source)
    SetCaptureControl(nullptr);
  ShowDragCursor(crDefault);
  const TPoint screen = Mouse_CursorPos();
  TControl* target = done.Started ? done.Target : nullptr;
  const bool accepted = Drop && target != nullptr && done.Accepted;
  TPoint at{};
  if (target != nullptr) {
    at = target->ScreenToClient(screen);
    bool ignored = false;
    target->DragOver(SourceOf(done.Object), at.X, at.Y, dsDragLeave, ignored);
  }
  if (accepted)
    target->DragDrop(SourceOf(done.Object), at.X, at.Y);
  if (!accepted)
    at = TPoint{};
  done.Source->DoEndDrag(accepted ? target : nullptr, at.X, at.Y);
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
  if (session.Target == Control)
    session.Target = nullptr;
  if (session.Source != Control)
    return;
  // The source goes: the drag ends without a word to anyone.
  session = TDragSession{};
  ShowDragCursor(crDefault);
}
