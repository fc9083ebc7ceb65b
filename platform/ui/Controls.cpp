#include "platform/ui/Controls.h"

#include "platform/gfx/Backend.h"
#include "platform/gfx/Gdi.h"
#include "platform/ui/Actnlist.h"
#include "platform/ui/Forms.h"
#include "platform/ui/WindowImpl.h"

#include <algorithm>
#include <utility>

namespace {

TControl* captureControl = nullptr;
TPopupMenuHandler popupMenuHandler = nullptr;

TShiftState ShiftFromKeys(WPARAM keys) {
  TShiftState s;
  if (keys & MK_SHIFT)
    s << ssShift;
  if (keys & MK_CONTROL)
    s << ssCtrl;
  if (keys & MK_ALT)
    s << ssAlt;
  if (keys & MK_LBUTTON)
    s << ssLeft;
  if (keys & MK_RBUTTON)
    s << ssRight;
  if (keys & MK_MBUTTON)
    s << ssMiddle;
  return s;
}

void FillWithColor(HDC DC, const TRect& R, TColor Color) {
  HBRUSH brush = CreateSolidBrush(ColorToRGB(Color));
  RECT r{R.Left, R.Top, R.Right, R.Bottom};
  FillRect(DC, &r, brush);
  DeleteObject(brush);
}

} // namespace

TPopupMenuHandler SetPopupMenuHandler(TPopupMenuHandler Handler) {
  return std::exchange(popupMenuHandler, Handler);
}

TControl* GetCaptureControl() {
  return captureControl;
}

void SetCaptureControl(TControl* Control) {
  if (captureControl == Control)
    return;
  TControl* old = captureControl;
  captureControl = Control;
  if (old != nullptr)
    old->Perform(WM_CAPTURECHANGED, 0, 0);
}

// ---------------------------------------------------------------- TControl

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), color(clWindow) {
  GfxEnsureBackend();
  WindowProc = [this](TMessage& m) { WndProc(m); };
  font = std::make_unique<TFont>();
  font->OnChange = [this](TObject* sender) { FontChanged(sender); };
  ControlStyle = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
}

TControl::~TControl() {
  Destroying();
  if (captureControl == this)
    captureControl = nullptr;
  ForgetDragControl(this);
  ForgetControl(this);
  if (parent != nullptr)
    parent->RemoveControl(this);
}

TComponent* TControl::GetParentComponent() const {
  return parent;
}

void TControl::SetParentComponent(TComponent* Value) {
  if (auto* p = dynamic_cast<TWinControl*>(Value))
    SetParent(p);
}

void TControl::SetParent(TWinControl* AParent) {
  if (parent == AParent)
    return;
  if (AParent == this)
    throw EInvalidOperation("A control cannot have itself as its parent");
  if (parent != nullptr)
    parent->RemoveControl(this);
  if (AParent != nullptr)
    AParent->InsertControl(this);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (AWidth < 0)
    AWidth = 0;
  if (AHeight < 0)
    AHeight = 0;
  if (ALeft == left && ATop == top && AWidth == width && AHeight == height)
    return;
  InvalidateParentArea();
  const int oldWidth = width, oldHeight = height;
  const bool moved = ALeft != left || ATop != top;
  left = ALeft;
  top = ATop;
  width = AWidth;
  height = AHeight;
  BoundsChanged(oldWidth, oldHeight);
  InvalidateParentArea();
  if (moved)
    Perform(WM_MOVE, 0, MakeLParam(left, top));
  if (oldWidth != width || oldHeight != height) {
    Perform(WM_SIZE, SIZE_RESTORED, MakeLParam(width, height));
    if (!ComponentState().Contains(csLoading))
      Resize();
  }
}

void TControl::BoundsChanged(int, int) {
  if (parent != nullptr && align != alNone)
    parent->Realign();
}

void TControl::InvalidateParentArea() {
  if (parent != nullptr && visible)
    parent->Invalidate();
}

TRect TControl::ClientRect() const {
  return Rect(0, 0, width, height);
}
void TControl::SetClientWidth(int Value) {
  SetWidth(Value + width - ClientWidth());
}
void TControl::SetClientHeight(int Value) {
  SetHeight(Value + height - ClientHeight());
}

TPoint TControl::ClientOrigin() const {
  if (parent == nullptr)
    return Point(left, top);
  const TPoint p = parent->ClientOrigin();
  return Point(p.X + left, p.Y + top);
}

TPoint TControl::ClientToScreen(TPoint P) const {
  const TPoint o = ClientOrigin();
  return Point(P.X + o.X, P.Y + o.Y);
}

TPoint TControl::ScreenToClient(TPoint P) const {
  const TPoint o = ClientOrigin();
  return Point(P.X - o.X, P.Y - o.Y);
}

void TControl::SetAlign(TAlign Value) {
  if (align == Value)
    return;
  align = Value;
  if (parent != nullptr)
    parent->Realign();
}

bool TControl::Showing() const {
  return visible && parent != nullptr && parent->Showing();
}

void TControl::SetVisible(bool Value) {
  if (visible == Value)
    return;
  if (!Value)
    InvalidateParentArea();
  visible = Value;
  Perform(CM_VISIBLECHANGED, Value ? 1 : 0, 0);
  if (Value)
    InvalidateParentArea();
  if (parent != nullptr && align != alNone)
    parent->Realign();
}

void TControl::SetEnabled(bool Value) {
  if (enabled == Value)
    return;
  enabled = Value;
  Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetColor(TColor Value) {
  if (color == Value && !parentColor)
    return;
  color = Value;
  parentColor = false;
  Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool Value) {
  if (parentColor == Value)
    return;
  parentColor = Value;
  if (Value && parent != nullptr)
    Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::SetFont(const TFont* Value) {
  font->Assign(Value);
}

void TControl::FontChanged(TObject*) {
  parentFont = false;
  Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetParentFont(bool Value) {
  if (parentFont == Value)
    return;
  parentFont = Value;
  if (Value && parent != nullptr)
    Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::SetText(const AnsiString& Value) {
  if (text == Value)
    return;
  text = Value;
  Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::SetShowHint(bool Value) {
  showHint = Value;
  parentShowHint = false;
  Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetParentShowHint(bool Value) {
  if (parentShowHint == Value)
    return;
  parentShowHint = Value;
  if (Value && parent != nullptr)
    Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

void TControl::SetPopupMenu(TComponent* Value) {
  popupMenu = Value;
  if (Value != nullptr)
    Value->FreeNotification(this);
}

TBasicAction* TControl::Action() const {
  return actionLink ? actionLink->Action() : nullptr;
}

void TControl::SetAction(TBasicAction* Value) {
  if (Value == Action())
    return;
  if (actionLink)
    actionLink->Action()->RemoveFreeNotification(this);
  actionLink.reset();
  if (Value == nullptr)
    return;
  actionLink =
      std::make_unique<TActionLink>(Value, [this](TBasicAction* a) { ActionChange(a, false); });
  Value->FreeNotification(this);
  ActionChange(Value, true);
}

void TControl::InitiateAction() {
  if (actionLink)
    actionLink->Update();
}

void TControl::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* action = dynamic_cast<TCustomAction*>(Sender);
  if (action == nullptr)
    return;
  if (!CheckDefaults || Caption().empty() || Caption() == Name())
    SetCaption(action->Caption());
  if (!CheckDefaults || Enabled())
    SetEnabled(action->Enabled());
  if (!CheckDefaults || Hint().empty())
    SetHint(action->Hint());
  if (!CheckDefaults || Visible())
    SetVisible(action->Visible());
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && actionLink && AComponent == actionLink->Action())
    actionLink.reset();
}

void TControl::SetCursor(TCursor Value) {
  if (cursor == Value)
    return;
  cursor = Value;
  Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::Invalidate() {
  InvalidateParentArea();
}

void TControl::Repaint() {
  if (parent != nullptr && visible)
    parent->Repaint();
}

void TControl::Update() {
  if (parent != nullptr)
    parent->Update();
}

void TControl::BringToFront() {
  if (parent == nullptr)
    return;
  auto& list = parent->controls;
  std::erase(list, this);
  list.push_back(this);
  if (auto* w = dynamic_cast<TWinControl*>(this); w != nullptr && w->impl)
    w->impl->Raise();
  Invalidate();
}

void TControl::SendToBack() {
  if (parent == nullptr)
    return;
  auto& list = parent->controls;
  std::erase(list, this);
  list.insert(list.begin(), this);
  if (auto* w = dynamic_cast<TWinControl*>(this); w != nullptr && w->impl)
    w->impl->Lower();
  Invalidate();
}

LRESULT TControl::Perform(unsigned Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m{Msg, WParam, LParam, 0};
  // A copy: a handler may put the procedure it replaced back while it runs.
  const TWndMethod proc = WindowProc;
  if (proc)
    proc(m);
  else
    WndProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& m) {
  if (DragMessage(this, m))
    return;
  if (dragMode == dmAutomatic && (m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK) &&
      !ComponentState().Contains(csDesigning)) {
    BeginDrag(true);
    return;
  }
  switch (m.Msg) {
  case WM_LBUTTONDOWN:
  case WM_LBUTTONUP:
  case WM_LBUTTONDBLCLK:
  case WM_RBUTTONDOWN:
  case WM_RBUTTONUP:
  case WM_RBUTTONDBLCLK:
  case WM_MBUTTONDOWN:
  case WM_MBUTTONUP:
  case WM_MBUTTONDBLCLK:
  case WM_MOUSEMOVE:
    WMMouse(m);
    return;
  case WM_CONTEXTMENU:
    WMContextMenu(m);
    return;
  case CM_MOUSEENTER:
    CMMouseEnter(m);
    return;
  case CM_MOUSELEAVE:
    CMMouseLeave(m);
    return;
  case CM_TEXTCHANGED:
    CMTextChanged(m);
    return;
  case CM_FONTCHANGED:
    CMFontChanged(m);
    return;
  case CM_COLORCHANGED:
    CMColorChanged(m);
    return;
  case CM_ENABLEDCHANGED:
    CMEnabledChanged(m);
    return;
  case CM_VISIBLECHANGED:
    CMVisibleChanged(m);
    return;
  case CM_PARENTFONTCHANGED:
    CMParentFontChanged(m);
    return;
  case CM_PARENTCOLORCHANGED:
    CMParentColorChanged(m);
    return;
  case CM_PARENTSHOWHINTCHANGED:
    CMParentShowHintChanged(m);
    return;
  case CM_HITTEST:
    CMHitTest(m);
    return;
  case CM_BUTTONPRESSED:
    CMButtonPressed(m);
    return;
  case WM_MOVE:
    WMMove(m);
    return;
  case WM_SIZE:
    WMSize(m);
    return;
  case WM_PAINT:
    WMPaint(m);
    return;
  case WM_TIMER:
    WMTimer(m);
    return;
  case WM_NCHITTEST:
    WMNCHitTest(m);
    return;
  default:
    DefaultHandler(m);
  }
}

void TControl::DefaultHandler(TMessage&) {}

void TControl::CMMouseEnter(TMessage&) {}
void TControl::CMMouseLeave(TMessage&) {}
void TControl::CMTextChanged(TMessage&) {
  Invalidate();
}
void TControl::CMFontChanged(TMessage&) {
  Invalidate();
}
void TControl::CMColorChanged(TMessage&) {
  Invalidate();
}
void TControl::CMEnabledChanged(TMessage&) {
  Invalidate();
}
void TControl::CMVisibleChanged(TMessage&) {}
void TControl::CMParentFontChanged(TMessage&) {
  if (!parentFont || parent == nullptr)
    return;
  font->OnChange = nullptr;
  font->Assign(parent->Font());
  font->OnChange = [this](TObject* sender) { FontChanged(sender); };
  Perform(CM_FONTCHANGED, 0, 0);
}
void TControl::CMParentColorChanged(TMessage&) {
  if (!parentColor || parent == nullptr)
    return;
  color = parent->Color();
  Perform(CM_COLORCHANGED, 0, 0);
}
void TControl::CMParentShowHintChanged(TMessage&) {
  if (parentShowHint && parent != nullptr)
    showHint = parent->ShowHint();
}
void TControl::CMHitTest(TMessage& m) {
  m.Result = HTCLIENT;
}
void TControl::CMButtonPressed(TMessage&) {}
void TControl::WMMove(TMessage&) {}
void TControl::WMSize(TMessage&) {}
void TControl::WMPaint(TMessage&) {}
void TControl::WMTimer(TMessage&) {}
void TControl::WMNCHitTest(TMessage& m) {
  m.Result = HTCLIENT;
}

void TControl::WMMouse(TMessage& m) {
  const TShiftState shift = ShiftFromKeys(m.WParam);
  const int x = GetXLParam(m.LParam), y = GetYLParam(m.LParam);
  auto down = [&](TMouseButton button, bool dbl) {
    // Without csDoubleClicks the second press of a double click is a press
    // like any other; with it, the double click replaces the second click.
    dbl = dbl && ControlStyle.Contains(csDoubleClicks);
    TShiftState s = shift;
    if (dbl)
      s << ssDouble;
    if (button == mbLeft) {
      if (ControlStyle.Contains(csCaptureMouse))
        SetMouseCapture(true);
      if (ControlStyle.Contains(csClickEvents)) {
        if (dbl)
          DblClick();
        else
          ControlState << csClicked;
      }
      ControlState << csLButtonDown;
    }
    MouseDown(button, s, x, y);
  };
  auto up = [&](TMouseButton button) {
    if (button == mbLeft) {
      if (ControlStyle.Contains(csCaptureMouse))
        SetMouseCapture(false);
      ControlState >> csLButtonDown;
      if (ControlState.Contains(csClicked)) {
        ControlState >> csClicked;
        // A press released outside the control is no click.
        if (ClientRect().Contains(Point(x, y)))
          Click();
      }
    }
    MouseUp(button, shift, x, y);
    if (button == mbRight) {
      const TPoint p = ClientToScreen(Point(x, y));
      Perform(WM_CONTEXTMENU, 0, MakeLParam(p.X, p.Y));
    }
  };
  switch (m.Msg) {
  case WM_LBUTTONDOWN:
    return down(mbLeft, false);
  case WM_LBUTTONDBLCLK:
    return down(mbLeft, true);
  case WM_RBUTTONDOWN:
    return down(mbRight, false);
  case WM_RBUTTONDBLCLK:
    return down(mbRight, true);
  case WM_MBUTTONDOWN:
    return down(mbMiddle, false);
  case WM_MBUTTONDBLCLK:
    return down(mbMiddle, true);
  case WM_LBUTTONUP:
    return up(mbLeft);
  case WM_RBUTTONUP:
    return up(mbRight);
  case WM_MBUTTONUP:
    return up(mbMiddle);
  case WM_MOUSEMOVE:
    MouseMove(shift, x, y);
    return;
  }
}

// OnContextPopup first (with (-1, -1) for the keyboard, so that the handler
// places the menu itself), then the control's PopupMenu, then the parent.
void TControl::WMContextMenu(TMessage& m) {
  const TPoint screen = Point(GetXLParam(m.LParam), GetYLParam(m.LParam));
  const bool fromKeyboard = screen.X == -1 && screen.Y == -1;
  m.Result = 1;
  if (DoContextPopup(fromKeyboard ? screen : ScreenToClient(screen)))
    return;
  if (popupMenu != nullptr && popupMenuHandler != nullptr) {
    const TPoint at = fromKeyboard ? ClientToScreen(Point(0, 0)) : screen;
    popupMenuHandler(popupMenu, at.X, at.Y);
    return;
  }
  m.Result = parent != nullptr ? parent->Perform(WM_CONTEXTMENU, m.WParam, m.LParam) : 0;
}

bool TControl::MouseCapture() const {
  return captureControl == this;
}

void TControl::SetMouseCapture(bool Value) {
  if (Value)
    SetCaptureControl(this);
  else if (captureControl == this)
    SetCaptureControl(nullptr);
}

TCustomForm* TControl::GetParentForm() const {
  const TControl* c = this;
  while (c->parent != nullptr)
    c = c->parent;
  return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

void TControl::Click() {
  if (OnClick)
    OnClick(this);
  else if (actionLink)
    actionLink->Execute();
}

void TControl::DblClick() {
  if (OnDblClick)
    OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown)
    OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove)
    OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp)
    OnMouseUp(this, Button, Shift, X, Y);
}

bool TControl::DoContextPopup(TPoint MousePos) {
  bool handled = false;
  if (OnContextPopup)
    OnContextPopup(this, MousePos, handled);
  return handled;
}

void TControl::Resize() {
  if (OnResize)
    OnResize(this);
}

void TControl::Changed() {
  Invalidate();
}

void TControl::Loaded() {
  TComponent::Loaded();
  if (parent != nullptr) {
    if (parentColor)
      Perform(CM_PARENTCOLORCHANGED, 0, 0);
    if (parentFont)
      Perform(CM_PARENTFONTCHANGED, 0, 0);
    if (parentShowHint)
      Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
  }
}

// ---------------------------------------------------------------- TGraphicControl

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), canvas(std::make_unique<TCanvas>()) {}

TGraphicControl::~TGraphicControl() {
  Destroying();
}

TCanvasPaintScope::TCanvasPaintScope(TCanvas* ACanvas, HDC DC, const TFont* Font)
    : canvas(ACanvas) {
  canvas->Lock();
  canvas->SetHandle(DC);
  canvas->Font()->Assign(Font);
}

TCanvasPaintScope::~TCanvasPaintScope() {
  canvas->SetHandle(nullptr);
  canvas->Unlock();
}

void TGraphicControl::Paint() {}

void TGraphicControl::WMPaint(TMessage& m) {
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  if (dc == nullptr)
    return;
  const TCanvasPaintScope scope(canvas.get(), dc, Font());
  Paint();
}

// ---------------------------------------------------------------- TWinControl

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
  Destroying();
  // By the time the control part takes itself out of the parent, it is no
  // longer known as a window: the parent's window lists forget it now.
  if (Parent() != nullptr)
    Parent()->ForgetChildWindow(this);
  // The window goes before the children, as the platform's does: whoever
  // replaced WindowProc unhooks itself here.
  Perform(WM_DESTROY, 0, 0);
  KillWindowTimers(this);
  // Children go first: they take themselves out of this list.
  while (!controls.empty())
    delete controls.back();
  impl.reset();
  if (windowRgn != nullptr)
    DeleteObject(windowRgn);
}

void TWinControl::InsertControl(TControl* AControl) {
  AControl->parent = this;
  controls.push_back(AControl);
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    tabList.push_back(w);
    if (w->impl || impl)
      w->HandleNeeded();
  }
  if (!AControl->ComponentState().Contains(csLoading)) {
    AControl->Perform(CM_PARENTCOLORCHANGED, 0, 0);
    AControl->Perform(CM_PARENTFONTCHANGED, 0, 0);
    AControl->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
    AControl->Perform(CM_PARENTCTL3DCHANGED, 0, 0);
  }
  if (AControl->align != alNone)
    Realign();
  AControl->Invalidate();
}

void TWinControl::ForgetChildWindow(TWinControl* Child) {
  if (TCustomForm* form = GetParentForm())
    form->DefocusControl(Child);
  std::erase(tabList, Child);
}

void TWinControl::RemoveControl(TControl* AControl) {
  if (AControl->parent != this)
    return;
  AControl->InvalidateParentArea();
  std::erase(controls, AControl);
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    ForgetChildWindow(w);
    if (w->impl) {
      w->impl->SetShown(false);
      w->impl->SetParentWindow(nullptr);
    }
  }
  AControl->parent = nullptr;
  if (AControl->align != alNone)
    Realign();
}

TControl* TWinControl::ControlAtPos(TPoint P, bool AllowDisabled, bool AllowWinControls) const {
  for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
    TControl* c = *it;
    if (!AllowWinControls && dynamic_cast<TWinControl*>(c) != nullptr)
      continue;
    if (!c->visible || (!c->enabled && !AllowDisabled))
      continue;
    if (!c->BoundsRect().Contains(P))
      continue;
    const TPoint local = Point(P.X - c->left, P.Y - c->top);
    if (c->Perform(CM_HITTEST, 0, MakeLParam(local.X, local.Y)) != 0)
      return c;
  }
  return nullptr;
}

bool TWinControl::ContainsControl(const TControl* Control) const {
  for (const TControl* c = Control; c != nullptr; c = c->parent)
    if (c == this)
      return true;
  return false;
}

void TWinControl::Broadcast(TMessage& Message) {
  const std::vector<TControl*> list = controls;
  for (TControl* c : list) {
    const TWndMethod proc = c->WindowProc;
    if (proc)
      proc(Message);
    if (Message.Result != 0)
      return;
  }
}

void TWinControl::GetChildren(const std::function<void(TComponent*)>& Proc,
                              TComponent* Root) const {
  for (TControl* c : controls)
    if (c->Owner() == Root)
      Proc(c);
  TControl::GetChildren(Proc, Root);
}

const TCreateParams& TWinControl::Params() const {
  if (!params) {
    params = std::make_unique<TCreateParams>();
    const_cast<TWinControl*>(this)->CreateParams(*params);
  }
  return *params;
}

void TWinControl::CreateParams(TCreateParams& P) {
  P.Style = WS_CHILD;
}

void TWinControl::HandleNeeded() {
  if (impl)
    return;
  if (parent != nullptr)
    parent->HandleNeeded();
  impl = std::make_unique<TWindowImpl>(this);
  const TCreateParams& p = Params();
  if (parent != nullptr) {
    impl->SetParentWindow(parent->impl.get());
  } else {
    impl->SetTopLevelFlags((p.Style & WS_CAPTION) != WS_CAPTION, (p.ExStyle & WS_EX_TOPMOST) != 0,
                           (p.ExStyle & WS_EX_TOOLWINDOW) != 0,
                           (p.ExStyle & WS_EX_NOACTIVATE) != 0);
    impl->SetTitle(Text());
  }
  impl->SetGeometry(Left(), Top(), Width(), Height());
  impl->SetEnabled(Enabled());
  impl->SetCursor(Cursor());
  ApplyWindowRgn();
  for (TWinControl* w : tabList)
    if (w->impl)
      w->impl->SetParentWindow(impl.get());
    else
      w->HandleNeeded();
  Perform(WM_CREATE, 0, 0);
  UpdateWindowShown();
}

void TWinControl::RecreateWnd() {
  params.reset();
  if (!impl)
    return;
  const TCreateParams& p = Params();
  if (parent == nullptr)
    impl->SetTopLevelFlags((p.Style & WS_CAPTION) != WS_CAPTION, (p.ExStyle & WS_EX_TOPMOST) != 0,
                           (p.ExStyle & WS_EX_TOOLWINDOW) != 0,
                           (p.ExStyle & WS_EX_NOACTIVATE) != 0);
  impl->SetGeometry(Left(), Top(), Width(), Height());
  ApplyWindowRgn();
  UpdateWindowShown();
}

void TWinControl::UpdateWindowShown() {
  if (!impl)
    return;
  const bool shown = Visible() && (parent != nullptr || IsTopLevelWindow());
  impl->SetShown(shown);
}

void TWinControl::SetWindowRgn(HRGN Region, bool Redraw) {
  if (windowRgn != nullptr && windowRgn != Region)
    DeleteObject(windowRgn);
  windowRgn = Region;
  ApplyWindowRgn();
  if (Redraw)
    Invalidate();
}

void TWinControl::ApplyWindowRgn() {
  if (impl)
    impl->SetShape(windowRgn);
}

int TWinControl::TabOrder() const {
  if (Parent() == nullptr)
    return -1;
  auto& list = Parent()->tabList;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int Value) {
  if (Parent() == nullptr)
    return;
  auto& list = Parent()->tabList;
  std::erase(list, this);
  Value = std::clamp(Value, 0, static_cast<int>(list.size()));
  list.insert(list.begin() + Value, this);
}

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c != nullptr; c = c->Parent())
    if (!c->Visible() || !c->Enabled())
      return false;
  return GetParentForm() != nullptr;
}

void TWinControl::SetFocus() {
  if (TCustomForm* form = GetParentForm()) {
    form->FocusControl(this);
    return;
  }
  HandleNeeded();
  impl->SetFocus();
}

bool TWinControl::Focused() const {
  return impl && impl->HasFocus();
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) const {
  for (TWinControl* w : tabList) {
    if (w->tabStop)
      List.push_back(w);
    w->GetTabOrderList(List);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* Current, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) const {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty())
    return nullptr;
  const int n = static_cast<int>(list.size());
  auto it = std::find(list.begin(), list.end(), Current);
  int start = it == list.end() ? (GoForward ? n - 1 : 0) : static_cast<int>(it - list.begin());
  int i = start;
  for (int step = 0; step < n; ++step) {
    i = GoForward ? (i + 1) % n : (i - 1 + n) % n;
    TWinControl* w = list[i];
    if ((!CheckTabStop || w->tabStop) && (!CheckParent || w->Parent() == this) && w->CanFocus())
      return w;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* Current, bool GoForward, bool CheckTabStop) {
  if (TWinControl* next = FindNextControl(Current, GoForward, CheckTabStop, false))
    next->SetFocus();
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TWinControl::BoundsChanged(int OldWidth, int OldHeight) {
  if (impl)
    impl->SetGeometry(Left(), Top(), Width(), Height());
  TControl::BoundsChanged(OldWidth, OldHeight);
  if (OldWidth != Width() || OldHeight != Height())
    Realign();
}

void TWinControl::SetVisible(bool Value) {
  if (Visible() == Value)
    return;
  TControl::SetVisible(Value);
}

void TWinControl::CMVisibleChanged(TMessage& m) {
  TControl::CMVisibleChanged(m);
  if (Visible())
    HandleNeeded();
  UpdateWindowShown();
}

void TWinControl::SetEnabled(bool Value) {
  TControl::SetEnabled(Value);
}

void TWinControl::CMEnabledChanged(TMessage& m) {
  if (impl)
    impl->SetEnabled(Enabled());
  TControl::CMEnabledChanged(m);
}

void TWinControl::SetCtl3D(bool Value) {
  parentCtl3D = false;
  if (ctl3D == Value)
    return;
  ctl3D = Value;
  Perform(CM_CTL3DCHANGED, 0, 0);
}

void TWinControl::SetParentCtl3D(bool Value) {
  if (parentCtl3D == Value)
    return;
  parentCtl3D = Value;
  if (Value)
    Perform(CM_PARENTCTL3DCHANGED, 0, 0);
}

void TWinControl::CMCtl3DChanged(TMessage&) {
  Invalidate();
  TMessage notice{CM_PARENTCTL3DCHANGED, 0, 0, 0};
  Broadcast(notice);
}

void TWinControl::CMParentCtl3DChanged(TMessage&) {
  if (!parentCtl3D || Parent() == nullptr || ctl3D == Parent()->Ctl3D())
    return;
  ctl3D = Parent()->Ctl3D();
  Perform(CM_CTL3DCHANGED, 0, 0);
}

void TWinControl::Loaded() {
  TControl::Loaded();
  if (parentCtl3D)
    Perform(CM_PARENTCTL3DCHANGED, 0, 0);
}

void TWinControl::CMColorChanged(TMessage& m) {
  TControl::CMColorChanged(m);
  TMessage notice{CM_PARENTCOLORCHANGED, 0, 0, 0};
  Broadcast(notice);
}

// A top-level window shows its caption in its title bar and task entry.
void TWinControl::CMTextChanged(TMessage& m) {
  TControl::CMTextChanged(m);
  if (impl && parent == nullptr)
    impl->SetTitle(Text());
}

void TWinControl::CMFontChanged(TMessage& m) {
  TControl::CMFontChanged(m);
  TMessage notice{CM_PARENTFONTCHANGED, 0, 0, 0};
  Broadcast(notice);
}

bool TWinControl::Showing() const {
  if (!Visible())
    return false;
  if (parent == nullptr)
    return impl && impl->IsShown();
  return parent->Showing();
}

TPoint TWinControl::ClientOrigin() const {
  if (parent == nullptr && impl)
    return impl->ScreenOrigin();
  return TControl::ClientOrigin();
}

void TWinControl::Invalidate() {
  if (impl)
    impl->Invalidate();
}

void TWinControl::Repaint() {
  if (impl)
    impl->PaintNow();
}

void TWinControl::Update() {
  if (impl)
    impl->PaintNow();
}

void TWinControl::EnableAlign() {
  if (--alignLevel == 0)
    Realign();
}

void TWinControl::Realign() {
  if (alignLevel > 0 || ComponentState().Contains(csLoading) ||
      ComponentState().Contains(csDestroying))
    return;
  TRect r = ClientRect();
  AlignControls(nullptr, r);
}

void TWinControl::AlignControls(TControl*, TRect& R) {
  ++alignLevel;
  auto place = [&](TAlign which) {
    for (TControl* c : controls) {
      if (c->align != which || !c->Visible())
        continue;
      switch (which) {
      case alTop:
        c->SetBounds(R.Left, R.Top, R.Width(), c->Height());
        R.Top += c->Height();
        break;
      case alBottom:
        c->SetBounds(R.Left, R.Bottom - c->Height(), R.Width(), c->Height());
        R.Bottom -= c->Height();
        break;
      case alLeft:
        c->SetBounds(R.Left, R.Top, c->Width(), R.Height());
        R.Left += c->Width();
        break;
      case alRight:
        c->SetBounds(R.Right - c->Width(), R.Top, c->Width(), R.Height());
        R.Right -= c->Width();
        break;
      case alClient:
        c->SetBounds(R.Left, R.Top, R.Width(), R.Height());
        break;
      case alNone:
        break;
      }
    }
  };
  for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient})
    place(a);
  --alignLevel;
}

bool TWinControl::DoKeyDown(uint16_t& Key, TShiftState Shift) {
  if (DragKey(Key))
    return true;
  TCustomForm* form = GetParentForm();
  if (form != nullptr && form != static_cast<TControl*>(this) && form->KeyPreview &&
      form->DoKeyDown(Key, Shift))
    return true;
  KeyDown(Key, Shift);
  return Key == 0;
}

bool TWinControl::DoKeyPress(char& Key) {
  TCustomForm* form = GetParentForm();
  if (form != nullptr && form != static_cast<TControl*>(this) && form->KeyPreview &&
      form->DoKeyPress(Key))
    return true;
  KeyPress(Key);
  return Key == 0;
}

bool TWinControl::DoKeyUp(uint16_t& Key, TShiftState Shift) {
  TCustomForm* form = GetParentForm();
  if (form != nullptr && form != static_cast<TControl*>(this) && form->KeyPreview &&
      form->DoKeyUp(Key, Shift))
    return true;
  KeyUp(Key, Shift);
  return Key == 0;
}

void TWinControl::KeyDown(uint16_t& Key, TShiftState Shift) {
  if (OnKeyDown)
    OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key) {
  if (OnKeyPress)
    OnKeyPress(this, Key);
}

void TWinControl::KeyUp(uint16_t& Key, TShiftState Shift) {
  if (OnKeyUp)
    OnKeyUp(this, Key, Shift);
}

void TWinControl::DoEnter() {
  if (OnEnter)
    OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit)
    OnExit(this);
}

void TWinControl::WndProc(TMessage& m) {
  switch (m.Msg) {
  case WM_ERASEBKGND:
    WMEraseBkgnd(m);
    return;
  case WM_GETDLGCODE:
    WMGetDlgCode(m);
    return;
  case WM_SETFOCUS:
    WMSetFocus(m);
    return;
  case WM_KILLFOCUS:
    WMKillFocus(m);
    return;
  case CM_FOCUSCHANGED:
    CMFocusChanged(m);
    return;
  case CM_DIALOGKEY:
    CMDialogKey(m);
    return;
  case CM_DIALOGCHAR:
    CMDialogChar(m);
    return;
  case CM_ENTER:
    DoEnter();
    return;
  case CM_EXIT:
    DoExit();
    return;
  case CM_CTL3DCHANGED:
    CMCtl3DChanged(m);
    return;
  case CM_PARENTCTL3DCHANGED:
    CMParentCtl3DChanged(m);
    return;
  default:
    TControl::WndProc(m);
  }
}

void TWinControl::WMPaint(TMessage& m) {
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  if (dc == nullptr)
    return;
  PaintWindow(dc);
  PaintControls(dc, nullptr);
}

void TWinControl::PaintWindow(HDC) {}

void TWinControl::PaintControls(HDC DC, TControl* First) {
  auto it = controls.begin();
  if (First != nullptr)
    it = std::find(controls.begin(), controls.end(), First);
  for (; it != controls.end(); ++it) {
    TControl* c = *it;
    if (!c->Visible() || dynamic_cast<TWinControl*>(c) != nullptr)
      continue;
    const TRect b = c->BoundsRect();
    if (b.Width() <= 0 || b.Height() <= 0)
      continue;
    const int saved = SaveDC(DC);
    POINT old;
    OffsetViewportOrgEx(DC, b.Left, b.Top, &old);
    IntersectClipRect(DC, 0, 0, b.Width(), b.Height());
    c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
    RestoreDC(DC, saved);
  }
}

void TWinControl::WMEraseBkgnd(TMessage& m) {
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  if (dc != nullptr)
    FillWithColor(dc, ClientRect(), Color());
  m.Result = 1;
}

void TWinControl::WMGetDlgCode(TMessage& m) {
  m.Result = 0;
}

void TWinControl::WMSetFocus(TMessage&) {
  Perform(CM_ENTER, 0, 0);
}
void TWinControl::WMKillFocus(TMessage&) {
  Perform(CM_EXIT, 0, 0);
}
void TWinControl::CMFocusChanged(TMessage& m) {
  Broadcast(m);
}

void TWinControl::CMDialogKey(TMessage& m) {
  Broadcast(m);
}
void TWinControl::CMDialogChar(TMessage& m) {
  Broadcast(m);
}

// ---------------------------------------------------------------- TCustomControl

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), canvas(std::make_unique<TCanvas>()) {}

TCustomControl::~TCustomControl() {
  Destroying();
}

void TCustomControl::Paint() {}

void TCustomControl::PaintWindow(HDC DC) {
  const TCanvasPaintScope scope(canvas.get(), DC, Font());
  Paint();
}

// ---------------------------------------------------------------- free functions

TWinControl* FindVCLWindow(TPoint Pos);

TWinControl* PointerWindow(TWinControl* Window, TPoint ScreenPos) {
  const LPARAM at = MakeLParam(ScreenPos.X, ScreenPos.Y);
  while (Window->Parent() != nullptr && Window->Perform(WM_NCHITTEST, 0, at) == HTTRANSPARENT)
    Window = Window->Parent();
  return Window;
}

TControl* FindDragTarget(TPoint Pos, bool AllowDisabled) {
  TWinControl* window = FindVCLWindow(Pos);
  if (window == nullptr)
    return nullptr;
  window = PointerWindow(window, Pos);
  TControl* c = window->ControlAtPos(window->ScreenToClient(Pos), AllowDisabled);
  return c != nullptr ? c : window;
}

LRESULT SendMessage(HWND Window, unsigned Msg, WPARAM WParam, LPARAM LParam) {
  return Window != nullptr ? Window->Perform(Msg, WParam, LParam) : 0;
}

int SetWindowRgn(HWND Window, HRGN Region, bool Redraw) {
  if (Window == nullptr)
    return 0;
  Window->SetWindowRgn(Region, Redraw);
  return 1;
}

bool GetCursorPos(TPoint* P) {
  *P = Mouse_CursorPos();
  return true;
}

// ---------------------------------------------------------------- published

namespace {

[[maybe_unused]] const bool dragModeIdents =
    RegisterEnum<TDragMode>({{"dmManual", dmManual}, {"dmAutomatic", dmAutomatic}});

[[maybe_unused]] const bool alignIdents = RegisterEnum<TAlign>({{"alNone", alNone},
                                                                {"alTop", alTop},
                                                                {"alBottom", alBottom},
                                                                {"alLeft", alLeft},
                                                                {"alRight", alRight},
                                                                {"alClient", alClient}});

[[maybe_unused]] const bool scrollStyleIdents =
    RegisterEnum<TScrollStyle>({{"ssNone", ssNone},
                                {"ssHorizontal", ssHorizontal},
                                {"ssVertical", ssVertical},
                                {"ssBoth", ssBoth}});

const std::pair<const char*, TCursor> cursorIdents[] = {
    {"crDefault", crDefault},     {"crNone", crNone},           {"crArrow", crArrow},
    {"crCross", crCross},         {"crIBeam", crIBeam},         {"crSizeNESW", crSizeNESW},
    {"crSizeNS", crSizeNS},       {"crSizeNWSE", crSizeNWSE},   {"crSizeWE", crSizeWE},
    {"crUpArrow", crUpArrow},     {"crHourGlass", crHourGlass}, {"crDrag", crDrag},
    {"crNoDrop", crNoDrop},       {"crHSplit", crHSplit},       {"crVSplit", crVSplit},
    {"crMultiDrag", crMultiDrag}, {"crSQLWait", crSQLWait},     {"crNo", crNo},
    {"crAppStart", crAppStart},   {"crHelp", crHelp},           {"crHandPoint", crHandPoint},
    {"crSizeAll", crSizeAll},
};

// A cursor property, stored by its name where it has one.
TPropInfo CursorProperty(const char* Name, TCursor (TControl::*Get)() const,
                         void (TControl::*Set)(TCursor), const char* Default) {
  TPropInfo info;
  info.Name = Name;
  info.Kind = pkInteger;
  info.Set = [Set](TObject& o, const TLayoutValue& v, TLoadContext&) {
    auto& c = static_cast<TControl&>(o);
    if (v.Kind == TLayoutValue::vkInteger) {
      (c.*Set)(typinfo_detail::FromLayout<TCursor>(v));
      return;
    }
    if (v.Kind == TLayoutValue::vkIdent)
      for (auto& [name, value] : cursorIdents)
        if (AnsiSameText(name, v.Text)) {
          (c.*Set)(value);
          return;
        }
    throw EPropertyError(v.Describe() + " is not a cursor");
  };
  info.Get = [Get](const TObject& o) -> std::optional<TLayoutValue> {
    const TCursor value = (static_cast<const TControl&>(o).*Get)();
    for (auto& [name, v] : cursorIdents)
      if (v == value)
        return TLayoutValue::Ident(name);
    return TLayoutValue::Int(value);
  };
  info.DefaultValue = [Default] { return TLayoutValue::Ident(Default); };
  return info;
}

} // namespace

WT_PUBLISH(TControl, TComponent) {
  p.Property("Left", &TControl::Left, &TControl::SetLeft);
  p.Property("Top", &TControl::Top, &TControl::SetTop);
  p.Property("Width", &TControl::Width, &TControl::SetWidth);
  p.Property("Height", &TControl::Height, &TControl::SetHeight);
  p.Property("ClientWidth", &TControl::ClientWidth, &TControl::SetClientWidth);
  p.Property("ClientHeight", &TControl::ClientHeight, &TControl::SetClientHeight);
  p.Property("Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
  p.Property("Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
  p.Property("Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
  p.Color("Color", &TControl::Color, &TControl::SetColor);
  p.Property("ParentColor", &TControl::ParentColor, &TControl::SetParentColor);
  p.Object("Font", &TControl::Font);
  p.Property("ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);
  p.Property("Caption", &TControl::Caption, &TControl::SetCaption);
  p.Property("Text", &TControl::Text, &TControl::SetText);
  p.Property("Hint", &TControl::Hint, &TControl::SetHint);
  p.Property("ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Default(false);
  p.Property("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint)
      .Default(true);
  p.Property("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu);
  p.Property("Action", &TControl::Action, &TControl::SetAction);
  p.Custom(CursorProperty("Cursor", &TControl::Cursor, &TControl::SetCursor, "crDefault"));
  p.Custom(CursorProperty("DragCursor", &TControl::DragCursor, &TControl::SetDragCursor, "crDrag"));
  p.Property("DragMode", &TControl::DragMode, &TControl::SetDragMode).Default(dmManual);
  p.Event("OnClick", &TControl::OnClick);
  p.Event("OnDblClick", &TControl::OnDblClick);
  p.Event("OnMouseDown", &TControl::OnMouseDown);
  p.Event("OnMouseMove", &TControl::OnMouseMove);
  p.Event("OnMouseUp", &TControl::OnMouseUp);
  p.Event("OnResize", &TControl::OnResize);
  p.Event("OnContextPopup", &TControl::OnContextPopup);
  p.Event("OnStartDrag", &TControl::OnStartDrag);
  p.Event("OnDragOver", &TControl::OnDragOver);
  p.Event("OnDragDrop", &TControl::OnDragDrop);
  p.Event("OnEndDrag", &TControl::OnEndDrag);
}

WT_PUBLISH(TGraphicControl, TControl) {}

WT_PUBLISH(TWinControl, TControl) {
  p.Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(false);
  p.Property("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder);
  p.Property("Ctl3D", &TWinControl::Ctl3D, &TWinControl::SetCtl3D).Default(true);
  p.Property("ParentCtl3D", &TWinControl::ParentCtl3D, &TWinControl::SetParentCtl3D).Default(true);
  p.Event("OnEnter", &TWinControl::OnEnter);
  p.Event("OnExit", &TWinControl::OnExit);
  p.Event("OnKeyDown", &TWinControl::OnKeyDown);
  p.Event("OnKeyPress", &TWinControl::OnKeyPress);
  p.Event("OnKeyUp", &TWinControl::OnKeyUp);
}

WT_PUBLISH(TCustomControl, TWinControl) {}
