#pragma once
// The toolkit window behind a TWinControl; for platform/ui's own units only.
// The toolkit stays inside WindowImpl.cpp.
#include "platform/gfx/Gdi.h"
#include "platform/rtl/Types.h"
#include "platform/ui/Controls.h"

#include <cstdint>
#include <memory>

class TWindowImpl {
public:
  explicit TWindowImpl(TWinControl* AControl);
  ~TWindowImpl();
  TWindowImpl(const TWindowImpl&) = delete;
  TWindowImpl& operator=(const TWindowImpl&) = delete;

  TWinControl* Control() const { return control; }

  // Null: a top-level window.
  void SetParentWindow(TWindowImpl* Parent);
  // Child windows: in the parent's client coordinates; top-level windows: on
  // the screen.
  void SetGeometry(int Left, int Top, int Width, int Height);
  void SetShown(bool Shown);
  bool IsShown() const;
  void SetEnabled(bool Enabled);
  void Invalidate();
  void PaintNow();
  // The rectangles of the region, in the window's coordinates; none: no shape.
  void SetShape(HRGN Region);
  void SetCursor(TCursor Cursor);
  void SetFocus();
  bool HasFocus() const;
  void Raise();
  void Lower();
  void StackUnder(TWindowImpl* Other);
  // Top-level window flags.
  void SetTopLevelFlags(bool Frameless, bool StayOnTop, bool Tool, bool NoActivate);
  void SetTitle(const AnsiString& Title);
  void Activate();
  bool IsActiveWindow() const;
  void Minimize();
  void Restore();
  bool IsMinimized() const;
  // The screen position of the window's (0, 0).
  TPoint ScreenOrigin() const;
  // The surface: the window's pixels as last painted (32-bit bitmap).
  HBITMAP Surface() const;
  // A device context on the surface, for drawing outside of a paint.
  HDC GetDC();
  int ReleaseDC(HDC DC);

  // The toolkit object (a QWidget), for platform/ui's units.
  void* Native() const;
  // Makes a toolkit widget (a QWidget*) that does the control's editing fill
  // the window; its keys go through the control's handlers first, and its
  // focus is the control's.
  void AdoptNative(void* Child);

  struct TWidget;

private:
  TWinControl* control;
  TWidget* widget;
};

// The loop's hooks into input routing, used by the forms and the application.
// Updates the control under the pointer, sending CM_MOUSELEAVE and
// CM_MOUSEENTER when it changes.
void UpdateMouseControl(TPoint ScreenPos);
// Forgets a control that goes away.
void ForgetControl(TControl* Control);
TControl* MouseControl();
// The hook the hint manager installs: told of every mouse move over a control.
void SetMouseMoveObserver(void (*Observer)(TControl* Control, TPoint ScreenPos));

// The cursor a drag shows wherever the pointer is; crDefault: the windows'
// own again.
void ShowDragCursor(TCursor Cursor);
// The drag hooks into the loop's mouse and key routing: true when the drag
// took the message (the capture control's moves and release, Escape).
bool DragMessage(TControl* Control, TMessage& Message);
bool DragKey(uint16_t Key);
// Forgets a control that goes away mid-drag.
void ForgetDragControl(TControl* Control);

// Stops every window timer of a window that goes away.
void KillWindowTimers(HWND Window);
// Shows what an event handler raised, through the application; nothing may
// escape into the toolkit's loop.
void HandleEventException();
// The loop serves worker synchronisation; installs the wake-up hook.
void InstallSynchronizeHook();

// Gfx's DC provider for GetDC(window).
void InstallWindowDCProvider();
