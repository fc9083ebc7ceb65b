#pragma once
// Forms (top-level windows), the application object with its message loop and
// hint manager, the screen with its monitors, and the tooltip window.
//
// The loop serves the toolkit's events, window and component timers, and the
// calls workers queue with Synchronize; so does every nested loop (modal
// forms, message boxes, menus, dialogs), since they all run the same events.
//
// Closing the main form (by the window manager, Close, SIGINT, SIGTERM or a
// lost display) goes through its OnCloseQuery and OnClose, so that what the
// program saves there is saved.
#include "platform/ui/Controls.h"

#include <functional>
#include <memory>
#include <vector>

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TPosition {
  poDesigned,
  poDefault,
  poDefaultPosOnly,
  poDefaultSizeOnly,
  poScreenCenter,
  poDesktopCenter,
  poMainFormCenter,
  poOwnerFormCenter
};
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TModalResult = int;
enum : TModalResult {
  mrNone = 0,
  mrOk = 1,
  mrCancel = 2,
  mrAbort = 3,
  mrRetry = 4,
  mrIgnore = 5,
  mrYes = 6,
  mrNo = 7,
  mrAll = 8,
  mrNoToAll = 9,
  mrYesToAll = 10
};

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

// Limits of a form's size; 0 means no limit.
class TSizeConstraints : public TPersistent {
public:
  int MinWidth = 0;
  int MinHeight = 0;
  int MaxWidth = 0;
  int MaxHeight = 0;
  void Assign(const TPersistent* Source) override;
  // Clamps a proposed size.
  void Apply(int& Width, int& Height) const;
};

class TCustomForm : public TWinControl {
public:
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;

  TFormBorderStyle BorderStyle() const { return borderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  TFormStyle FormStyle() const { return formStyle; }
  void SetFormStyle(TFormStyle Value);
  TPosition Position() const { return position; }
  void SetPosition(TPosition Value) { position = Value; }
  TWindowState WindowState() const;
  void SetWindowState(TWindowState Value);
  bool Scaled = true; // no effect: there is no font scaling here
  bool KeyPreview = false;
  TModalResult ModalResult = mrNone;
  TSizeConstraints* Constraints() { return &constraints; }

  TWinControl* ActiveControl() const { return activeControl; }
  void SetActiveControl(TWinControl* Control);
  // Gives Control the focus (and makes it the active control).
  void FocusControl(TWinControl* Control);
  // Control leaves the form: it, or the control inside it, is no longer the
  // active control. No message goes to it, as it may be half destroyed.
  void DefocusControl(TWinControl* Control);
  bool Active() const { return active; }

  void Show();
  void Hide() { SetVisible(false); }
  // Shows the form and runs a loop until ModalResult is set; answers it.
  virtual TModalResult ShowModal();
  // OnCloseQuery, then OnClose; the main form's close ends the program.
  void Close();
  virtual bool CloseQuery();
  // Frees the form once the loop has finished what it is doing.
  void Release();
  bool Modal() const { return modal; }

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void SetVisible(bool Value) override;
  bool Showing() const override;

  TCanvas* Canvas() const { return canvas.get(); }

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnPaint;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

  // Called once the derived constructor has finished (CreateForm does it):
  // fires OnCreate.
  virtual void AfterConstruction();
  // Told by the window when it is pressed or activated.
  void Activated();

  // Our own WM_CLOSE handling without the toolkit: the path SIGINT, SIGTERM
  // and a lost display take.
  void CloseFromOutside();

protected:
  void CreateParams(TCreateParams& Params) override;
  bool IsTopLevelWindow() const override { return true; }
  void WndProc(TMessage& Message) override;
  void PaintWindow(HDC DC) override;
  virtual void Paint();
  virtual void DoClose(TCloseAction& Action);
  virtual void DoShow();
  virtual void DoHide();
  void CMDialogKey(TMessage& Message) override;
  void CMVisibleChanged(TMessage& Message) override;

private:
  void ApplyPosition();

  TFormBorderStyle borderStyle = bsSizeable;
  TFormStyle formStyle = fsNormal;
  TPosition position = poDesigned;
  TSizeConstraints constraints;
  TWinControl* activeControl = nullptr;
  std::unique_ptr<TCanvas> canvas;
  bool active = false;
  bool modal = false;
  bool shownOnce = false;
};

class TForm : public TCustomForm {
public:
  using TCustomForm::TCustomForm;
};

// ---------------------------------------------------------------- hints

class THintWindow : public TCustomControl {
public:
  explicit THintWindow(TComponent* AOwner);
  // Sizes the window to Rect, sets its caption and shows it top-most without
  // taking the focus.
  virtual void ActivateHint(const TRect& Rect, const AnsiString& AHint);
  // The rectangle a hint needs, from (0, 0).
  virtual TRect CalcHintRect(int MaxWidth, const AnsiString& AHint, void* AData);
  void ReleaseHandle();
  bool IsShown() const;

protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
};

// The hint text cut to what the screen can show in Canvas's font: a line
// wider than MaxWidth ends in an ellipsis where it reaches it, and the lines
// below MaxHeight are left out (the last one shown ends in the ellipsis). A
// text that fits is returned as it is.
AnsiString BoundHintText(TCanvas* Canvas, const AnsiString& Text, int MaxWidth, int MaxHeight);

using THintWindowClass = std::function<THintWindow*(TComponent* Owner)>;
template <class T> THintWindowClass HintWindowClassOf() {
  return [](TComponent* owner) -> THintWindow* { return new T(owner); };
}

struct THintInfo {
  TControl* HintControl = nullptr;
  TPoint HintPos; // where the hint window's top-left goes, on the screen
  int HintMaxWidth = 0;
  TColor HintColor{};
  // The hint holds while the pointer stays inside (control coordinates);
  // leaving it asks the control and OnShowHint again for the new place.
  TRect CursorRect;
  TPoint CursorPos; // in the control's coordinates
  // Above 0: asked again after this many milliseconds while the pointer stays.
  int ReshowTimeout = 0;
  int HideTimeout = 0;
  AnsiString HintStr;
  void* HintData = nullptr;
};
using TShowHintEvent = std::function<void(AnsiString& HintStr, bool& CanShow, THintInfo& HintInfo)>;
using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;
using TExceptionEvent = std::function<void(TObject* Sender, const std::exception& E)>;

class TApplication : public TComponent {
public:
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  // Starts the toolkit, the worker synchronisation, the message box and the
  // close signals.
  void Initialize();
  // Makes a form; the first form made this way is the main form. OnCreate
  // runs once its constructor has finished.
  template <class T> void CreateForm(T*& Reference) {
    T* form = new T(this);
    Reference = form;
    if (mainForm == nullptr)
      mainForm = form;
    form->AfterConstruction();
  }
  TCustomForm* MainForm() const { return mainForm; }
  void SetMainForm(TCustomForm* Form) { mainForm = Form; }

  // Shows the main form and runs the loop until Terminate.
  void Run();
  void Terminate();
  bool Terminated() const { return terminated; }
  bool Running() const { return running; }
  // Serves what is waiting, without sleeping.
  void ProcessMessages();
  // Takes every form's window off the screen at once, without serving
  // anything, so that the windows of an ending program go before its last
  // work does.
  void HideAllForms();
  // Serves what is waiting; with nothing waiting, runs OnIdle and sleeps until
  // something comes.
  void HandleMessage();
  void Minimize();
  void Restore();
  bool Active() const;

  // Shows the exception being handled in the standard box (or hands it to
  // OnException); call it inside a catch block.
  void HandleException(TObject* Sender);
  void ShowException(const std::exception& E);
  // An OK-style box with text and title; answers the button pressed.
  int MessageBox(const char* Text, const char* Caption, int Flags = 0);

  AnsiString Title;
  TIdleEvent OnIdle;
  TExceptionEvent OnException;

  // Hints.
  bool ShowHint() const { return showHint; }
  void SetShowHint(bool Value);
  int HintPause = 500;
  int HintShortPause = 50;
  int HintHidePause = 2500;
  TColor HintColor;
  TShowHintEvent OnShowHint;
  THintWindowClass HintWindowClass;
  THintWindow* HintWindow() const { return hintWindow; }
  void CancelHint();
  // Shows the hint of the control under the pointer now, without the pause.
  void ActivateHint(TPoint CursorPos);
  // Told of every mouse move (by the windows).
  void HintMouseMessage(TControl* Control, TPoint ScreenPos);

  // Called by the loop when it lost its display, or by the signal handlers:
  // closes the main form through its close path.
  void CloseMainFormFromOutside();

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void Idle();
  void StartHintTimer(int Delay);
  void HintTimerExpired();
  void HideHint();

  TCustomForm* mainForm = nullptr;
  bool terminated = false;
  bool running = false;
  bool initialized = false;
  bool showHint = true;
  THintWindow* hintWindow = nullptr;
  TControl* hintControl = nullptr;
  TRect hintCursorRect; // of hintControl's client area, where the hint holds
  bool hintActive = false;
  uint32_t lastHintHidden = 0;
  struct TTimers;
  std::unique_ptr<TTimers> timers;
};

struct TMonitor {
  int MonitorNum = 0;
  bool Primary = false;
  TRect BoundsRect;
  TRect WorkareaRect;
  int Left() const { return BoundsRect.Left; }
  int Top() const { return BoundsRect.Top; }
  int Width() const { return BoundsRect.Width(); }
  int Height() const { return BoundsRect.Height(); }
};

class TScreen : public TComponent {
public:
  explicit TScreen(TComponent* AOwner);
  int Width() const;
  int Height() const;
  int MonitorCount() const;
  TMonitor Monitors(int Index) const;
  // The monitor holding P; null-like (MonitorNum -1) when none does.
  TMonitor MonitorFromPoint(TPoint P) const;
  int FormCount() const { return static_cast<int>(forms.size()); }
  TCustomForm* Forms(int Index) const { return forms.at(Index); }
  TCustomForm* ActiveForm() const;
  // A cursor over every window (crDefault: each control's own).
  TCursor Cursor() const { return cursor; }
  void SetCursor(TCursor Value);

private:
  friend class TCustomForm;
  friend class TApplication;
  std::vector<TCustomForm*> forms;
  TCursor cursor = crDefault;
};

extern TApplication* Application;
extern TScreen* Screen;

// Shows a box through the application; the platform's MessageBox hook lands here.
int ShowMessageBox(const char* Text, const char* Caption, int Flags);

WT_DECLARE_META(TSizeConstraints)
WT_DECLARE_META(TCustomForm)
WT_DECLARE_META(TForm)
WT_DECLARE_META(THintWindow)
