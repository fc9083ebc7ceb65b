#pragma once
// Controls: things with a place on a parent. TGraphicControl has no window of
// its own and is painted by its parent; TWinControl has a window, holds child
// controls and can take the focus; TCustomControl is a windowed control that
// paints itself on its canvas.
//
// Each TWinControl owns one toolkit window (a child window inside its
// parent's, or a top-level window for forms and popups). Painting goes
// through platform/gfx: the window's pixels live in a 32-bit surface bitmap;
// WM_ERASEBKGND and WM_PAINT get a device context on it, windowless children
// are painted into it in z-order, and the finished surface is shown.
#include "platform/gfx/Graphics.h"
#include "platform/rtl/Sets.h"
#include "platform/rtl/Types.h"
#include "platform/ui/Classes.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Typinfo.h"

#include <memory>
#include <vector>

class TWinControl;
class TCustomForm;

using HWND = TWinControl*;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;

enum TControlStyleItem {
  csAcceptsControls,
  csCaptureMouse,
  csDesignInteractive,
  csClickEvents,
  csFramed,
  csSetCaption,
  csOpaque,
  csDoubleClicks,
  csFixedWidth,
  csFixedHeight,
  csNoDesignVisible,
  csReplicatable,
  csNoStdEvents,
  csDisplayDragImage,
  csReflector,
  csActionClient,
  csMenuEvents
};
using TControlStyle = TSet<TControlStyleItem>;

enum TControlStateItem {
  csLButtonDown,
  csClicked,
  csPalette,
  csReadingState,
  csAlignmentNeeded,
  csFocusing,
  csCreating,
  csPaintCopy,
  csCustomPaint,
  csDestroyingHandle,
  csDocking
};
using TControlState = TSet<TControlStateItem>;

using TCursor = int;
enum : TCursor {
  crDefault = 0,
  crNone = -1,
  crArrow = -2,
  crCross = -3,
  crIBeam = -4,
  crSizeNESW = -6,
  crSizeNS = -7,
  crSizeNWSE = -8,
  crSizeWE = -9,
  crUpArrow = -10,
  crHourGlass = -11,
  crDrag = -12,
  crNoDrop = -13,
  crHSplit = -14,
  crVSplit = -15,
  crMultiDrag = -16,
  crSQLWait = -17,
  crNo = -18,
  crAppStart = -19,
  crHelp = -20,
  crHandPoint = -21,
  crSizeAll = -22
};

using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
// A right click asks first; Handled = true keeps the PopupMenu from showing.
// MousePos is in client coordinates.
using TContextPopupEvent = std::function<void(TObject* Sender, TPoint MousePos, bool& Handled)>;

// Drag and drop between the controls of the program.
enum TDragMode { dmManual, dmAutomatic };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };

class TControl;

// What is dragged; OnStartDrag may give its own, else the source control is.
class TDragObject : public TObject {
public:
  // The cursor over a target that accepts or refuses.
  virtual TCursor GetDragCursor(bool Accepted, int X, int Y);
  // What the targets' events get as the source.
  virtual TObject* Source() { return this; }
};

class TDragControlObject : public TDragObject {
public:
  explicit TDragControlObject(TControl* AControl) : Control(AControl) {}
  TCursor GetDragCursor(bool Accepted, int X, int Y) override;
  TObject* Source() override;
  TControl* Control;
};

using TStartDragEvent = std::function<void(TObject* Sender, TDragObject*& DragObject)>;
using TDragOverEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y,
                                          TDragState State, bool& Accept)>;
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y)>;
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, int X, int Y)>;

// Which scroll bars a scrolling control may show.
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// Shows a control's PopupMenu at a screen point; the menus install it.
// Answers the handler it replaces, for whoever puts it back.
using TPopupMenuHandler = void (*)(TComponent* Menu, int X, int Y);
TPopupMenuHandler SetPopupMenuHandler(TPopupMenuHandler Handler);

class TActionLink;
class TBasicAction;

class TControl : public TComponent {
public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  TWinControl* Parent() const { return parent; }
  virtual void SetParent(TWinControl* AParent);
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;

  int Left() const { return left; }
  int Top() const { return top; }
  int Width() const { return width; }
  int Height() const { return height; }
  void SetLeft(int Value) { SetBounds(Value, top, width, height); }
  void SetTop(int Value) { SetBounds(left, Value, width, height); }
  void SetWidth(int Value) { SetBounds(left, top, Value, height); }
  void SetHeight(int Value) { SetBounds(left, top, width, Value); }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  TRect BoundsRect() const { return Bounds(left, top, width, height); }
  void SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Width(), R.Height()); }

  // The client area in the control's own coordinates; forms and panels may
  // keep borders outside it.
  virtual TRect ClientRect() const;
  int ClientWidth() const { return ClientRect().Width(); }
  int ClientHeight() const { return ClientRect().Height(); }
  virtual void SetClientWidth(int Value);
  virtual void SetClientHeight(int Value);
  // Where the client area's (0, 0) lies on the screen.
  virtual TPoint ClientOrigin() const;
  TPoint ClientToScreen(TPoint P) const;
  TPoint ScreenToClient(TPoint P) const;

  TAlign Align() const { return align; }
  void SetAlign(TAlign Value);

  bool Visible() const { return visible; }
  virtual void SetVisible(bool Value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible and every parent up to a shown window visible.
  virtual bool Showing() const;

  bool Enabled() const { return enabled; }
  virtual void SetEnabled(bool Value);

  TColor Color() const { return color; }
  void SetColor(TColor Value);
  bool ParentColor() const { return parentColor; }
  void SetParentColor(bool Value);

  TFont* Font() const { return font.get(); }
  void SetFont(const TFont* Value);
  bool ParentFont() const { return parentFont; }
  void SetParentFont(bool Value);

  const AnsiString& Caption() const { return text; }
  void SetCaption(const AnsiString& Value) { SetText(Value); }
  const AnsiString& Text() const { return text; }
  void SetText(const AnsiString& Value);

  const AnsiString& Hint() const { return hint; }
  void SetHint(const AnsiString& Value) { hint = Value; }
  bool ShowHint() const { return showHint; }
  void SetShowHint(bool Value);
  bool ParentShowHint() const { return parentShowHint; }
  void SetParentShowHint(bool Value);

  TComponent* PopupMenu() const { return popupMenu; }
  void SetPopupMenu(TComponent* Value);

  TCursor Cursor() const { return cursor; }
  void SetCursor(TCursor Value);

  // The action the control follows (caption, enabled state, hint,
  // visibility) and that a click without OnClick executes. Not owned.
  TBasicAction* Action() const;
  void SetAction(TBasicAction* Value);
  // The action's OnUpdate, asked when the loop is idle.
  virtual void InitiateAction();

  // Drag and drop. Automatic: a left press starts the drag at once. A
  // drag that is not immediate starts once the pointer moved Threshold
  // pixels (-1: the system's 5); a release before that is no drag.
  TDragMode DragMode() const { return dragMode; }
  void SetDragMode(TDragMode Value) { dragMode = Value; }
  TCursor DragCursor() const { return dragCursor; }
  void SetDragCursor(TCursor Value) { dragCursor = Value; }
  void BeginDrag(bool Immediate, int Threshold = -1);
  // Drops on the target under the pointer when Drop and it accepts; else
  // cancels.
  void EndDrag(bool Drop);
  bool Dragging() const;
  // A target's side: the answer is OnDragOver's (refused without one).
  virtual void DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept);
  virtual void DragDrop(TObject* Source, int X, int Y);
  // The source's side: OnStartDrag and OnEndDrag.
  virtual void DoStartDrag(TDragObject*& DragObject);
  virtual void DoEndDrag(TObject* Target, int X, int Y);
  TStartDragEvent OnStartDrag;
  TDragOverEvent OnDragOver;
  TDragDropEvent OnDragDrop;
  TEndDragEvent OnEndDrag;

  TControlStyle ControlStyle;
  TControlState ControlState;

  // Repaints later, when the loop is idle.
  virtual void Invalidate();
  // Repaints now.
  virtual void Repaint();
  void Refresh() { Repaint(); }
  virtual void Update();
  void BringToFront();
  void SendToBack();

  // Sends a message to this control's WindowProc and answers its result.
  LRESULT Perform(unsigned Msg, WPARAM WParam = 0, LPARAM LParam = 0);
  // What messages go through; a component may put its own function here and
  // pass what it does not handle to the one it replaced.
  TWndMethod WindowProc;
  virtual void WndProc(TMessage& Message);
  // What no handler took.
  virtual void DefaultHandler(TMessage& Message);

  bool MouseCapture() const;
  void SetMouseCapture(bool Value);

  // The form this control lies on (null when none).
  TCustomForm* GetParentForm() const;

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TNotifyEvent OnResize;
  TContextPopupEvent OnContextPopup;

  virtual void Click();
  virtual void DblClick();

protected:
  void Loaded() override;
  // The initial visibility of forms and popups, without notifications.
  void SetVisibleFlag(bool Value) { visible = Value; }

  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void Resize();
  virtual void Changed();
  // Sender changed: the control follows it. CheckDefaults (on linking) keeps
  // what the control set itself: a caption or hint, a disabled or hidden
  // state.
  virtual void ActionChange(TObject* Sender, bool CheckDefaults);
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Answers true when OnContextPopup handled the right click.
  virtual bool DoContextPopup(TPoint MousePos);

  // Message handlers; overrides call the inherited one unless they mean to
  // swallow the message.
  virtual void CMMouseEnter(TMessage& Message);
  virtual void CMMouseLeave(TMessage& Message);
  virtual void CMTextChanged(TMessage& Message);
  virtual void CMFontChanged(TMessage& Message);
  virtual void CMColorChanged(TMessage& Message);
  virtual void CMEnabledChanged(TMessage& Message);
  virtual void CMVisibleChanged(TMessage& Message);
  virtual void CMParentFontChanged(TMessage& Message);
  virtual void CMParentColorChanged(TMessage& Message);
  virtual void CMParentShowHintChanged(TMessage& Message);
  virtual void CMHitTest(TMessage& Message);
  virtual void CMButtonPressed(TMessage& Message);
  virtual void WMMove(TMessage& Message);
  virtual void WMSize(TMessage& Message);
  virtual void WMPaint(TMessage& Message);
  virtual void WMTimer(TMessage& Message);
  virtual void WMNCHitTest(TMessage& Message);
  void WMMouse(TMessage& Message);
  void WMContextMenu(TMessage& Message);

  // Bounds changed: tells the parent to realign and repaint.
  virtual void BoundsChanged(int OldWidth, int OldHeight);
  void InvalidateParentArea();
  // Called on a change of Visible, Enabled or a parent.
  virtual void VisibleChanging() {}

private:
  friend class TWinControl;
  friend class TWindowImpl;
  void FontChanged(TObject* Sender);

  TWinControl* parent = nullptr;
  int left = 0, top = 0, width = 0, height = 0;
  TAlign align = alNone;
  bool visible = true;
  bool enabled = true;
  TColor color;
  bool parentColor = false;
  std::unique_ptr<TFont> font;
  bool parentFont = true;
  AnsiString text;
  AnsiString hint;
  bool showHint = false;
  bool parentShowHint = true;
  TComponent* popupMenu = nullptr;
  TCursor cursor = crDefault;
  std::unique_ptr<TActionLink> actionLink;
  TDragMode dragMode = dmManual;
  TCursor dragCursor = crDrag;
};

// Lends a control's canvas the device context of one paint: locked, on DC,
// with the control's font, and given back (no handle, unlocked) however the
// paint ends.
class TCanvasPaintScope {
public:
  TCanvasPaintScope(TCanvas* ACanvas, HDC DC, const TFont* Font);
  ~TCanvasPaintScope();
  TCanvasPaintScope(const TCanvasPaintScope&) = delete;
  TCanvasPaintScope& operator=(const TCanvasPaintScope&) = delete;

private:
  TCanvas* canvas;
};

// A windowless control painted by its parent; Canvas is bound to the
// parent's surface, clipped to the control, only while Paint runs.
class TGraphicControl : public TControl {
public:
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;
  TCanvas* Canvas() const { return canvas.get(); }

protected:
  virtual void Paint();
  void WMPaint(TMessage& Message) override;

private:
  std::unique_ptr<TCanvas> canvas;
};

class TWindowImpl;

// What a windowed control asks for when its window is made.
struct TCreateParams {
  uint32_t Style = 0;
  uint32_t ExStyle = 0;
};
constexpr uint32_t WS_POPUP = 0x80000000;
constexpr uint32_t WS_CHILD = 0x40000000;
constexpr uint32_t WS_BORDER = 0x00800000;
constexpr uint32_t WS_DLGFRAME = 0x00400000;
// A title bar: top-level windows without it are frameless.
constexpr uint32_t WS_CAPTION = WS_BORDER | WS_DLGFRAME;
constexpr uint32_t WS_EX_TOPMOST = 0x00000008;
constexpr uint32_t WS_EX_TOOLWINDOW = 0x00000080;
constexpr uint32_t WS_EX_NOACTIVATE = 0x08000000;

class TWinControl : public TControl {
public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;

  int ControlCount() const { return static_cast<int>(controls.size()); }
  TControl* Controls(int Index) const { return controls.at(Index); }
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  // The visible child whose bounds hold P (client coordinates), the topmost
  // first; disabled ones only with AllowDisabled; windowed ones only with
  // AllowWinControls.
  TControl* ControlAtPos(TPoint P, bool AllowDisabled, bool AllowWinControls = false) const;
  bool ContainsControl(const TControl* Control) const;
  void Broadcast(TMessage& Message);
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) const override;

  HWND Handle() { return this; }
  bool HandleAllocated() const { return impl != nullptr; }
  // The toolkit window, made on first need.
  void HandleNeeded();

  // The window's shape; the control owns Region from here on (0: none). Kept
  // and applied whenever the window is made or resized.
  void SetWindowRgn(HRGN Region, bool Redraw);
  HRGN WindowRgn() const { return windowRgn; }

  // The sunken 3-D look; a window with ParentCtl3D takes its parent's, and
  // setting Ctl3D stops that.
  bool Ctl3D() const { return ctl3D; }
  void SetCtl3D(bool Value);
  bool ParentCtl3D() const { return parentCtl3D; }
  void SetParentCtl3D(bool Value);

  bool TabStop() const { return tabStop; }
  void SetTabStop(bool Value) { tabStop = Value; }
  int TabOrder() const;
  void SetTabOrder(int Value);
  virtual bool CanFocus() const;
  virtual void SetFocus();
  bool Focused() const;
  // The tab stops below this control in tab order (not descending into
  // children that are tab stops themselves).
  void GetTabOrderList(std::vector<TWinControl*>& List) const;
  TWinControl* FindNextControl(TWinControl* Current, bool GoForward, bool CheckTabStop,
                               bool CheckParent) const;
  void SelectNext(TWinControl* Current, bool GoForward, bool CheckTabStop);

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void SetVisible(bool Value) override;
  void SetEnabled(bool Value) override;
  bool Showing() const override;
  TPoint ClientOrigin() const override;
  void Invalidate() override;
  void Repaint() override;
  void Update() override;
  // Lays the aligned children out in the client area.
  void Realign();
  virtual void AlignControls(TControl* AControl, TRect& Rect);
  void DisableAlign() { ++alignLevel; }
  void EnableAlign();

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;

  // Answers true when the key was taken (by this control or its form).
  bool DoKeyDown(uint16_t& Key, TShiftState Shift);
  bool DoKeyPress(char& Key);
  bool DoKeyUp(uint16_t& Key, TShiftState Shift);

  // Paints the windowless children into DC, in z-order.
  void PaintControls(HDC DC, TControl* First);

  TWindowImpl* Impl() const { return impl.get(); }

protected:
  virtual void CreateParams(TCreateParams& Params);
  // Windows without a parent: forms and popups show as top-level windows.
  virtual bool IsTopLevelWindow() const { return (Params().Style & WS_POPUP) != 0; }
  const TCreateParams& Params() const;
  void RecreateWnd();

  virtual void KeyDown(uint16_t& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);
  virtual void KeyUp(uint16_t& Key, TShiftState Shift);
  virtual void DoEnter();
  virtual void DoExit();

  void WndProc(TMessage& Message) override;
  void WMPaint(TMessage& Message) override;
  virtual void PaintWindow(HDC DC);
  virtual void WMEraseBkgnd(TMessage& Message);
  virtual void WMGetDlgCode(TMessage& Message);
  virtual void WMSetFocus(TMessage& Message);
  virtual void WMKillFocus(TMessage& Message);
  virtual void CMFocusChanged(TMessage& Message);
  virtual void CMDialogKey(TMessage& Message);
  virtual void CMDialogChar(TMessage& Message);
  void CMEnabledChanged(TMessage& Message) override;
  void CMVisibleChanged(TMessage& Message) override;
  void CMColorChanged(TMessage& Message) override;
  virtual void CMCtl3DChanged(TMessage& Message);
  virtual void CMParentCtl3DChanged(TMessage& Message);
  void Loaded() override;
  void CMFontChanged(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;
  void BoundsChanged(int OldWidth, int OldHeight) override;

private:
  friend class TControl;
  friend class TWindowImpl;
  void UpdateWindowShown();
  void ApplyWindowRgn();

  std::vector<TControl*> controls; // z-order: last is on top
  std::vector<TWinControl*> tabList;
  // A child window leaves: out of the tab order, and no longer the form's
  // active control.
  void ForgetChildWindow(TWinControl* Child);
  std::unique_ptr<TWindowImpl> impl;
  mutable std::unique_ptr<TCreateParams> params;
  HRGN windowRgn = nullptr;
  bool tabStop = false;
  bool ctl3D = true;
  bool parentCtl3D = true;
  int alignLevel = 0;
};

// A windowed control that paints itself on Canvas in Paint.
class TCustomControl : public TWinControl {
public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;
  TCanvas* Canvas() const { return canvas.get(); }

protected:
  virtual void Paint();
  void PaintWindow(HDC DC) override;

private:
  std::unique_ptr<TCanvas> canvas;
};

// The control that has the mouse captured (null when none).
TControl* GetCaptureControl();
void SetCaptureControl(TControl* Control);
// The control under a screen point (windowless ones included); null when the
// point is over no window of this program.
TControl* FindDragTarget(TPoint Pos, bool AllowDisabled);
TWinControl* FindVCLWindow(TPoint Pos);
// The window that takes the pointer at a screen point over Window: a child
// window whose hit test answers HTTRANSPARENT lets it through to its parent.
TWinControl* PointerWindow(TWinControl* Window, TPoint ScreenPos);
// The drag in progress, if any, ends as EndDrag(false) would.
void CancelDrag();
// The pointer's position on the screen.
TPoint Mouse_CursorPos();
bool GetCursorPos(TPoint* Point);
LRESULT SendMessage(HWND Window, unsigned Msg, WPARAM WParam, LPARAM LParam);
// Queued: delivered by the loop, after what is already waiting.
bool PostMessage(HWND Window, unsigned Msg, WPARAM WParam, LPARAM LParam);
int SetWindowRgn(HWND Window, HRGN Region, bool Redraw);
// Window timers: WM_TIMER with the id in WParam, every Elapse ms, on the
// main thread. Setting an id again restarts it.
uintptr_t SetTimer(HWND Window, uintptr_t Id, unsigned Elapse);
bool KillTimer(HWND Window, uintptr_t Id);

WT_DECLARE_META(TControl)
WT_DECLARE_META(TGraphicControl)
WT_DECLARE_META(TWinControl)
WT_DECLARE_META(TCustomControl)
