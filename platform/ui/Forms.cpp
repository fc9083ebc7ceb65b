#include "platform/ui/Forms.h"

#include "platform/gfx/Backend.h"
#include "platform/gfx/ScreenText.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/Kernel.h"
#include "platform/rtl/Messages.h"
#include "platform/ui/Layout.h"
#include "platform/ui/WindowImpl.h"

#include <QAbstractEventDispatcher>
#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <xcb/xproto.h>

TApplication* Application = new TApplication(nullptr);
TScreen* Screen = new TScreen(nullptr);

// ---------------------------------------------------------------- TSizeConstraints

void TSizeConstraints::Assign(const TPersistent* Source) {
  auto* other = dynamic_cast<const TSizeConstraints*>(Source);
  if (other == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  MinWidth = other->MinWidth;
  MinHeight = other->MinHeight;
  MaxWidth = other->MaxWidth;
  MaxHeight = other->MaxHeight;
}

void TSizeConstraints::Apply(int& Width, int& Height) const {
  if (MaxWidth > 0)
    Width = std::min(Width, MaxWidth);
  if (MaxHeight > 0)
    Height = std::min(Height, MaxHeight);
  Width = std::max(Width, MinWidth);
  Height = std::max(Height, MinHeight);
}

// ---------------------------------------------------------------- TCustomForm

TCustomForm::TCustomForm(TComponent* AOwner)
    : TWinControl(AOwner), canvas(std::make_unique<TCanvas>()) {
  InstallWindowDCProvider();
  SetVisibleFlag(false);
  SetColor(clBtnFace);
  SetParentFont(false);
  ControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  SetBounds(0, 0, 320, 240);
  Screen->forms.push_back(this);
}

TCustomForm::~TCustomForm() {
  Destroying();
  if (OnDestroy) {
    try {
      OnDestroy(this);
    } catch (...) {
      HandleEventException();
    }
  }
  std::erase(Screen->forms, this);
  if (Application->MainForm() == this)
    Application->SetMainForm(nullptr);
}

void TCustomForm::AfterConstruction() {
  if (OnCreate)
    OnCreate(this);
}

void TCustomForm::CreateParams(TCreateParams& P) {
  P.Style = WS_POPUP;
  if (borderStyle != bsNone)
    P.Style |= WS_CAPTION;
  if (formStyle == fsStayOnTop)
    P.ExStyle |= WS_EX_TOPMOST;
  if (borderStyle == bsToolWindow || borderStyle == bsSizeToolWin)
    P.ExStyle |= WS_EX_TOOLWINDOW;
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
  if (borderStyle == Value)
    return;
  borderStyle = Value;
  RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle Value) {
  if (formStyle == Value)
    return;
  formStyle = Value;
  RecreateWnd();
}

TWindowState TCustomForm::WindowState() const {
  return HandleAllocated() && Impl()->IsMinimized() ? wsMinimized : wsNormal;
}

void TCustomForm::SetWindowState(TWindowState Value) {
  if (Value == wsMinimized) {
    HandleNeeded();
    Impl()->Minimize();
    return;
  }
  if (HandleAllocated())
    Impl()->Restore();
}

void TCustomForm::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  constraints.Apply(AWidth, AHeight);
  TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
  if (activeControl == Control)
    return;
  TWinControl* old = activeControl;
  activeControl = Control;
  if (old != nullptr)
    old->Perform(CM_EXIT, 0, 0);
  if (Control != nullptr)
    Control->Perform(CM_ENTER, 0, 0);
  TMessage m{CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(Control), 0};
  Broadcast(m);
}

void TCustomForm::DefocusControl(TWinControl* Control) {
  for (TWinControl* c = activeControl; c != nullptr; c = c->Parent())
    if (c == Control) {
      activeControl = nullptr;
      return;
    }
}

void TCustomForm::FocusControl(TWinControl* Control) {
  if (Control != nullptr && !Control->CanFocus())
    throw EInvalidOperation("Cannot focus a disabled or invisible window");
  SetActiveControl(Control);
  if (Control != nullptr) {
    Control->HandleNeeded();
    Control->Impl()->SetFocus();
  }
}

void TCustomForm::Show() {
  SetVisible(true);
  if (HandleAllocated())
    Impl()->Activate();
}

void TCustomForm::SetVisible(bool Value) {
  if (Value == Visible())
    return;
  if (Value && !shownOnce) {
    shownOnce = true;
    ApplyPosition();
  }
  TWinControl::SetVisible(Value);
}

void TCustomForm::CMVisibleChanged(TMessage& m) {
  TWinControl::CMVisibleChanged(m);
  if (Visible())
    DoShow();
  else
    DoHide();
}

bool TCustomForm::Showing() const {
  return Visible() && HandleAllocated();
}

void TCustomForm::ApplyPosition() {
  if (position != poScreenCenter && position != poDesktopCenter && position != poMainFormCenter &&
      position != poOwnerFormCenter)
    return;
  TRect area = Rect(0, 0, Screen->Width(), Screen->Height());
  TCustomForm* main = Application->MainForm();
  if ((position == poMainFormCenter || position == poOwnerFormCenter) && main != nullptr &&
      main != this)
    area = main->BoundsRect();
  SetBounds(area.Left + (area.Width() - Width()) / 2, area.Top + (area.Height() - Height()) / 2,
            Width(), Height());
}

void TCustomForm::DoShow() {
  if (OnShow)
    OnShow(this);
}

void TCustomForm::DoHide() {
  if (OnHide)
    OnHide(this);
}

TModalResult TCustomForm::ShowModal() {
  if (Visible() || !Enabled() || modal)
    throw EInvalidOperation("Cannot make a visible window modal");
  SetCaptureControl(nullptr);
  Application->CancelHint();
  modal = true;
  ModalResult = mrNone;
  HandleNeeded();
  static_cast<QWidget*>(Impl()->Native())->setWindowModality(Qt::ApplicationModal);
  struct TRestore {
    TCustomForm* form;
    ~TRestore() {
      form->modal = false;
      if (form->HandleAllocated())
        static_cast<QWidget*>(form->Impl()->Native())->setWindowModality(Qt::NonModal);
    }
  } restore{this};
  Show();
  TCloseAction action = caNone;
  while (action == caNone) {
    Application->HandleMessage();
    if (Application->Terminated())
      ModalResult = mrCancel;
    if (ModalResult == mrNone)
      continue;
    // A close asked while modal: OnCloseQuery or OnClose may still refuse
    // it, unless the program is ending.
    action = CloseQuery() ? caHide : caNone;
    if (action != caNone)
      DoClose(action);
    if (action == caNone && Application->Terminated())
      action = caHide;
    if (action == caNone)
      ModalResult = mrNone;
  }
  const TModalResult result = ModalResult;
  if (action == caFree)
    Release();
  else
    Hide();
  return result;
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery)
    OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::DoClose(TCloseAction& Action) {
  if (OnClose)
    OnClose(this, Action);
}

void TCustomForm::Close() {
  if (modal) {
    ModalResult = mrCancel;
    return;
  }
  if (!CloseQuery())
    return;
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone)
    return;
  if (Application->MainForm() == this) {
    Application->Terminate();
    return;
  }
  switch (action) {
  case caHide:
    Hide();
    break;
  case caMinimize:
    SetWindowState(wsMinimized);
    break;
  case caFree:
    Release();
    break;
  case caNone:
    break;
  }
}

void TCustomForm::CloseFromOutside() {
  Close();
}

void TCustomForm::Release() {
  Hide();
  QTimer::singleShot(0, qApp, [this] {
    for (TCustomForm* f : Screen->forms)
      if (f == this) {
        delete this;
        return;
      }
  });
}

void TCustomForm::Activated() {
  if (!active) {
    active = true;
    if (OnActivate)
      OnActivate(this);
  }
}

void TCustomForm::WndProc(TMessage& m) {
  switch (m.Msg) {
  case WM_CLOSE:
    Close();
    return;
  case WM_ACTIVATE:
    TWinControl::WndProc(m);
    if (m.WParam != WA_INACTIVE) {
      Activated();
    } else if (active) {
      active = false;
      if (OnDeactivate)
        OnDeactivate(this);
    }
    return;
  default:
    TWinControl::WndProc(m);
  }
}

void TCustomForm::PaintWindow(HDC DC) {
  const TCanvasPaintScope scope(canvas.get(), DC, Font());
  Paint();
}

void TCustomForm::Paint() {
  if (OnPaint)
    OnPaint(this);
}

void TCustomForm::CMDialogKey(TMessage& m) {
  if (m.WParam == VK_TAB) {
    SelectNext(activeControl, m.LParam == 0, true);
    m.Result = 1;
    return;
  }
  TWinControl::CMDialogKey(m);
}

// ---------------------------------------------------------------- THintWindow

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  SetVisibleFlag(false);
  SetColor(clInfoBk);
  Canvas()->Font()->SetColor(clInfoText);
}

void THintWindow::CreateParams(TCreateParams& P) {
  P.Style = WS_POPUP | WS_BORDER;
  P.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
}

namespace {

constexpr char HintEllipsis[] = "\x85";

// The longest start of Line that fits MaxWidth with the ellipsis after it.
AnsiString CutHintLine(TCanvas* Canvas, const AnsiString& Line, int MaxWidth) {
  // No character is narrower than a pixel: what lies beyond MaxWidth
  // characters cannot show and is never measured.
  size_t low = 0, high = std::min(Line.size(), static_cast<size_t>(std::max(0, MaxWidth)));
  while (low < high) {
    const size_t mid = (low + high + 1) / 2;
    if (Canvas->TextWidth(Line.substr(0, mid) + HintEllipsis) <= MaxWidth)
      low = mid;
    else
      high = mid - 1;
  }
  return Line.substr(0, low) + HintEllipsis;
}

} // namespace

AnsiString BoundHintText(TCanvas* Canvas, const AnsiString& Text, int MaxWidth, int MaxHeight) {
  const int lineHeight = std::max(1, Canvas->TextHeight("Wg"));
  AnsiString bounded;
  int height = 0;
  for (size_t start = 0; start <= Text.size();) {
    size_t end = Text.find('\n', start);
    const bool last = end == AnsiString::npos;
    if (last)
      end = Text.size();
    AnsiString line = Text.substr(start, end - start);
    const bool cr = !line.empty() && line.back() == '\r';
    if (cr)
      line.pop_back();
    height += lineHeight;
    const bool room = last || height + lineHeight <= MaxHeight;
    if (!room || Canvas->TextWidth(line.substr(0, static_cast<size_t>(std::max(0, MaxWidth)) + 1)) >
                     MaxWidth)
      line = CutHintLine(Canvas, line, MaxWidth);
    bounded += line;
    if (!room || last)
      break;
    bounded += cr ? "\r\n" : "\n";
    start = end + 1;
  }
  return bounded;
}

namespace {

// The hint as the plain window shows it, its margins inside the screen.
AnsiString ScreenBoundHint(TFont* Font, const AnsiString& AHint) {
  TBitmap measure;
  measure.SetSize(1, 1);
  measure.Canvas()->Font()->Assign(Font);
  return BoundHintText(measure.Canvas(), AHint, Screen->Width() - 6, Screen->Height() - 2);
}

} // namespace

TRect THintWindow::CalcHintRect(int MaxWidth, const AnsiString& AHint, void*) {
  TBitmap measure;
  measure.SetSize(1, 1);
  measure.Canvas()->Font()->Assign(Font());
  TRect r = Rect(0, 0, MaxWidth, 0);
  measure.Canvas()->DrawText(ScreenBoundHint(Font(), AHint), r,
                             DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  r.Right += 6;
  r.Bottom += 2;
  return r;
}

void THintWindow::ActivateHint(const TRect& Rect, const AnsiString& AHint) {
  SetCaption(ScreenBoundHint(Font(), AHint));
  SetBounds(Rect.Left, Rect.Top, Rect.Width(), Rect.Height());
  SetVisible(true);
  HandleNeeded();
  Impl()->Raise();
  Invalidate();
}

void THintWindow::ReleaseHandle() {
  SetVisible(false);
}

bool THintWindow::IsShown() const {
  return Visible() && HandleAllocated() && Impl()->IsShown();
}

void THintWindow::Paint() {
  TRect r = ClientRect();
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(r);
  r.Left += 2;
  r.Top += 1;
  Canvas()->Brush()->SetStyle(bsClear);
  Canvas()->DrawText(Caption(), r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

// ---------------------------------------------------------------- TApplication

struct TApplication::TTimers {
  QTimer pause;
  QTimer hide;
};

namespace {

// A hint gives way to what the user does next: a key, a mouse button, or a
// menu that opens over it.
class THintCancelFilter : public QObject {
public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* e) override {
    switch (e->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
      Application->CancelHint();
      break;
    case QEvent::Show:
      if (qobject_cast<QMenu*>(watched) != nullptr)
        Application->CancelHint();
      break;
    default:
      break;
    }
    return false;
  }
};

int signalPipe[2] = {-1, -1};
bool closingFromOutside = false;

void OnSignal(int) {
  const char byte = 1;
  if (signalPipe[1] >= 0) [[maybe_unused]]
    auto n = ::write(signalPipe[1], &byte, 1);
}

bool IsForm(const TCustomForm* form) {
  for (int i = 0; i < Screen->FormCount(); ++i)
    if (Screen->Forms(i) == form)
      return true;
  return false;
}

// A form's window destroyed by another client (a window manager's or a
// tool's close that destroys instead of asking) goes through the form's close
// path, as the close button does. Only the window a form has now counts: the
// toolkit destroys windows of its own when it makes them anew.
class TDestroyedWindowFilter : public QAbstractNativeEventFilter {
public:
  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type != "xcb_generic_event_t")
      return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != XCB_DESTROY_NOTIFY)
      return false;
    const xcb_window_t window = static_cast<const xcb_destroy_notify_event_t*>(message)->window;
    for (int i = 0; i < Screen->FormCount(); ++i) {
      TCustomForm* form = Screen->Forms(i);
      if (!form->HandleAllocated() || !form->Visible() ||
          static_cast<QWidget*>(form->Impl()->Native())->winId() != window)
        continue;
      QTimer::singleShot(0, qApp, [form] {
        if (!IsForm(form))
          return;
        try {
          if (form == Application->MainForm())
            Application->CloseMainFormFromOutside();
          else
            form->Close();
        } catch (...) {
          HandleEventException();
        }
      });
    }
    return false;
  }
};

// At the end of the process. The toolkit ends it from inside the loop when
// its display goes away: what the main form saves on close is saved on the
// way out. After a normal end of the loop the forms are freed, as the class
// library does when the program finishes.
void FinishApplication() {
  if (Application == nullptr)
    return;
  if (Application->Running()) {
    if (!Application->Terminated())
      Application->CloseMainFormFromOutside();
    return;
  }
  Application->DestroyComponents();
}

int HookedMessageBox(const char* text, const char* caption, int flags) {
  return ShowMessageBox(text, caption, flags);
}

} // namespace

void HandleEventException() {
  if (Application != nullptr)
    Application->HandleException(nullptr);
}

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner), HintColor(clInfoBk) {
  HintWindowClass = HintWindowClassOf<THintWindow>();
}

TApplication::~TApplication() {
  Destroying();
  DestroyComponents();
}

void TApplication::Initialize() {
  if (initialized)
    return;
  initialized = true;
  GfxEnsureBackend();
  InstallSynchronizeHook();
  InstallWindowDCProvider();
  SetMessageBoxHook(&HookedMessageBox);
  timers = std::make_unique<TTimers>();
  timers->pause.setSingleShot(true);
  timers->hide.setSingleShot(true);
  QObject::connect(&timers->pause, &QTimer::timeout, [this] {
    try {
      HintTimerExpired();
    } catch (...) {
      HandleEventException();
    }
  });
  QObject::connect(&timers->hide, &QTimer::timeout, [this] { HideHint(); });
  SetMouseMoveObserver([](TControl* c, TPoint p) { Application->HintMouseMessage(c, p); });
  qApp->installEventFilter(new THintCancelFilter(qApp));
  QApplication::setQuitOnLastWindowClosed(false);
  if (QGuiApplication::platformName() == "xcb")
    qApp->installNativeEventFilter(new TDestroyedWindowFilter);
  if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
      char buffer[16];
      [[maybe_unused]] auto n = ::read(signalPipe[0], buffer, sizeof buffer);
      try {
        Application->CloseMainFormFromOutside();
      } catch (...) {
        HandleEventException();
      }
    });
    // A closed terminal (SIGHUP) ends the program as a close does.
    for (int number : {SIGINT, SIGTERM, SIGHUP})
      std::signal(number, &OnSignal);
  }
  std::atexit(&FinishApplication);
}

void TApplication::Run() {
  Initialize();
  running = true;
  if (mainForm != nullptr && !terminated)
    mainForm->Show();
  while (!terminated) {
    try {
      HandleMessage();
    } catch (...) {
      HandleException(this);
    }
  }
  running = false;
}

void TApplication::Terminate() {
  terminated = true;
}

void TApplication::ProcessMessages() {
  Initialize();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  CheckSynchronize();
}

void TApplication::HideAllForms() {
  for (int i = 0; i < Screen->FormCount(); ++i)
    Screen->Forms(i)->Hide();
  if (qApp != nullptr)
    QGuiApplication::sync();
}

void TApplication::HandleMessage() {
  Initialize();
  QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
  const bool busy = dispatcher->processEvents(QEventLoop::AllEvents);
  const bool synced = CheckSynchronize();
  if (busy || synced || terminated)
    return;
  Idle();
}

namespace {

void UpdateActions(TControl* Control) {
  Control->InitiateAction();
  if (auto* w = dynamic_cast<TWinControl*>(Control))
    for (int i = 0; i < w->ControlCount(); ++i)
      if (w->Controls(i)->Visible())
        UpdateActions(w->Controls(i));
}

} // namespace

// The shown forms' actions update first, so what the user sees next is
// in their state.
void TApplication::Idle() {
  for (TCustomForm* f : Screen->forms)
    if (f->Visible())
      UpdateActions(f);
  bool done = true;
  if (OnIdle)
    OnIdle(this, done);
  if (done && !terminated)
    QAbstractEventDispatcher::instance()->processEvents(QEventLoop::WaitForMoreEvents |
                                                        QEventLoop::AllEvents);
}

void TApplication::Minimize() {
  for (TCustomForm* f : Screen->forms)
    if (f->Visible())
      f->SetWindowState(wsMinimized);
}

void TApplication::Restore() {
  for (TCustomForm* f : Screen->forms)
    if (f->Visible())
      f->SetWindowState(wsNormal);
}

bool TApplication::Active() const {
  return QGuiApplication::applicationState() == Qt::ApplicationActive;
}

void TApplication::HandleException(TObject* Sender) {
  try {
    throw;
  } catch (const std::exception& e) {
    if (OnException) {
      OnException(Sender, e);
      return;
    }
    ShowException(e);
  } catch (...) {
    ShowMessageBox("Unknown exception", Title.c_str(), MB_OK | MB_ICONERROR);
  }
}

void TApplication::ShowException(const std::exception& E) {
  AnsiString message = E.what();
  if (!message.empty() && message.back() != '.')
    message += '.';
  ShowMessageBox(message.c_str(), Title.empty() ? "Error" : Title.c_str(), MB_OK | MB_ICONERROR);
}

int TApplication::MessageBox(const char* Text, const char* Caption, int Flags) {
  return ShowMessageBox(Text, Caption, Flags);
}

void TApplication::CloseMainFormFromOutside() {
  if (closingFromOutside)
    return;
  closingFromOutside = true;
  if (mainForm != nullptr)
    mainForm->CloseFromOutside();
  else
    Terminate();
  closingFromOutside = false;
}

// Hints: a pause over a control with a hint shows it; moving to another
// control with a hint soon after shows its hint after the short pause.
void TApplication::SetShowHint(bool Value) {
  if (showHint == Value)
    return;
  showHint = Value;
  // The window is made anew, of the class in force, for the next hint.
  CancelHint();
  delete hintWindow;
  hintWindow = nullptr;
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  if (AComponent == hintWindow)
    hintWindow = nullptr;
  if (AComponent == mainForm)
    mainForm = nullptr;
  if (AComponent == hintControl)
    hintControl = nullptr;
}

void TApplication::CancelHint() {
  if (timers)
    timers->pause.stop();
  HideHint();
  hintControl = nullptr;
}

void TApplication::HideHint() {
  if (timers)
    timers->hide.stop();
  if (hintActive && hintWindow != nullptr)
    hintWindow->ReleaseHandle();
  if (hintActive)
    lastHintHidden = GetTickCount();
  hintActive = false;
}

namespace {

// The hint text may come from OnShowHint alone, so a control with ShowHint
// and an empty Hint is a target of its own, as in the class library.
TControl* HintTarget(TControl* c) {
  for (; c != nullptr; c = c->Parent())
    if (c->ShowHint())
      return c;
  return nullptr;
}

} // namespace

void TApplication::StartHintTimer(int Delay) {
  if (!timers)
    return;
  timers->pause.start(std::max(1, Delay));
}

void TApplication::HintMouseMessage(TControl* Control, TPoint ScreenPos) {
  if (!showHint || !timers)
    return;
  TControl* target = HintTarget(Control);
  if (target != nullptr && target == hintControl &&
      hintCursorRect.Contains(target->ScreenToClient(ScreenPos)))
    return;
  const bool recently = hintActive || GetTickCount() - lastHintHidden < 500;
  HideHint();
  timers->pause.stop();
  if (target != hintControl) {
    if (hintControl != nullptr)
      hintControl->RemoveFreeNotification(this);
    hintControl = target;
    if (target != nullptr)
      target->FreeNotification(this);
  }
  if (target == nullptr)
    return;
  // Until the control answers, the hint holds over the whole control.
  hintCursorRect = target->ClientRect();
  StartHintTimer(recently ? HintShortPause : HintPause);
}

void TApplication::ActivateHint(TPoint CursorPos) {
  hintControl = HintTarget(FindDragTarget(CursorPos, false));
  if (hintControl != nullptr)
    HintTimerExpired();
}

void TApplication::HintTimerExpired() {
  HideHint();
  if (hintControl == nullptr || !showHint)
    return;
  if (hintWindow == nullptr && HintWindowClass)
    hintWindow = HintWindowClass(this);
  if (hintWindow == nullptr)
    return;
  const TPoint cursor = Mouse_CursorPos();
  THintInfo info;
  info.HintControl = hintControl;
  info.HintPos = Point(cursor.X, cursor.Y + 20);
  info.HintMaxWidth = Screen->Width();
  info.HintColor = HintColor;
  info.CursorRect = hintControl->ClientRect();
  info.CursorPos = hintControl->ScreenToClient(cursor);
  info.HideTimeout = HintHidePause;
  info.HintStr = hintControl->Hint();
  bool canShow = hintControl->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) == 0;
  if (canShow && OnShowHint)
    OnShowHint(info.HintStr, canShow, info);
  // A refusal holds only inside the rectangle too: a grid may refuse its
  // header and show its rows.
  hintCursorRect = info.CursorRect;
  if (!canShow || info.HintStr.empty() || hintControl == nullptr)
    return;
  hintWindow->SetColor(info.HintColor);
  TRect r = hintWindow->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
  r = Bounds(info.HintPos.X, info.HintPos.Y, r.Width(), r.Height());
  hintWindow->ActivateHint(r, info.HintStr);
  hintActive = true;
  if (info.ReshowTimeout > 0)
    StartHintTimer(info.ReshowTimeout);
  else if (info.HideTimeout > 0)
    timers->hide.start(info.HideTimeout);
}

// ---------------------------------------------------------------- TScreen

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {}

int TScreen::Width() const {
  GfxEnsureBackend();
  return GfxScreenWidth();
}

int TScreen::Height() const {
  GfxEnsureBackend();
  return GfxScreenHeight();
}

int TScreen::MonitorCount() const {
  GfxEnsureBackend();
  return std::max<int>(1, static_cast<int>(QGuiApplication::screens().size()));
}

TMonitor TScreen::Monitors(int Index) const {
  if (Index < 0 || Index >= MonitorCount())
    throw EInvalidOperation("Monitor index out of bounds (" + std::to_string(Index) + ")");
  const auto screens = QGuiApplication::screens();
  TMonitor m;
  m.MonitorNum = Index;
  if (screens.isEmpty()) {
    m.Primary = true;
    m.BoundsRect = m.WorkareaRect = Rect(0, 0, Width(), Height());
    return m;
  }
  QScreen* s = screens.at(Index);
  const QRect g = s->geometry(), a = s->availableGeometry();
  m.Primary = s == QGuiApplication::primaryScreen();
  m.BoundsRect = Bounds(g.x(), g.y(), g.width(), g.height());
  m.WorkareaRect = Bounds(a.x(), a.y(), a.width(), a.height());
  return m;
}

TMonitor TScreen::MonitorFromPoint(TPoint P) const {
  for (int i = 0; i < MonitorCount(); ++i) {
    TMonitor m = Monitors(i);
    if (m.BoundsRect.Contains(P))
      return m;
  }
  TMonitor none;
  none.MonitorNum = -1;
  return none;
}

TCustomForm* TScreen::ActiveForm() const {
  for (TCustomForm* f : forms)
    if (f->Active())
      return f;
  return nullptr;
}

void TScreen::SetCursor(TCursor Value) {
  if (cursor == Value)
    return;
  cursor = Value;
  GfxEnsureBackend();
  if (Value == crDefault)
    QApplication::restoreOverrideCursor();
  else
    QApplication::setOverrideCursor(
        QCursor(Value == crHourGlass ? Qt::WaitCursor : Qt::ArrowCursor));
}

// ---------------------------------------------------------------- message boxes

int ShowMessageBox(const char* Text, const char* Caption, int Flags) {
  GfxEnsureBackend();
  Application->CancelHint();
  QMessageBox box;
  box.setWindowTitle(AnsiToQString(Caption != nullptr ? Caption : ""));
  box.setTextFormat(Qt::PlainText);
  box.setText(AnsiToQString(Text != nullptr ? Text : ""));
  switch (Flags & 0xF0) {
  case MB_ICONERROR:
    box.setIcon(QMessageBox::Critical);
    break;
  case MB_ICONQUESTION:
    box.setIcon(QMessageBox::Question);
    break;
  case MB_ICONWARNING:
    box.setIcon(QMessageBox::Warning);
    break;
  case MB_ICONINFORMATION:
    box.setIcon(QMessageBox::Information);
    break;
  default:
    break;
  }
  switch (Flags & 0x0F) {
  case MB_OKCANCEL:
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    break;
  case MB_YESNO:
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    break;
  default:
    box.setStandardButtons(QMessageBox::Ok);
  }
  SetCaptureControl(nullptr);
  switch (box.exec()) {
  case QMessageBox::Cancel:
    return IDCANCEL;
  case QMessageBox::Yes:
    return IDYES;
  case QMessageBox::No:
    return IDNO;
  default:
    return IDOK;
  }
}

// ---------------------------------------------------------------- published

namespace {

[[maybe_unused]] const bool formIdents =
    RegisterEnum<TFormBorderStyle>({{"bsNone", bsNone},
                                    {"bsSingle", bsSingle},
                                    {"bsSizeable", bsSizeable},
                                    {"bsDialog", bsDialog},
                                    {"bsToolWindow", bsToolWindow},
                                    {"bsSizeToolWin", bsSizeToolWin}}) &&
    RegisterEnum<TFormStyle>({{"fsNormal", fsNormal},
                              {"fsMDIChild", fsMDIChild},
                              {"fsMDIForm", fsMDIForm},
                              {"fsStayOnTop", fsStayOnTop}}) &&
    RegisterEnum<TPosition>({{"poDesigned", poDesigned},
                             {"poDefault", poDefault},
                             {"poDefaultPosOnly", poDefaultPosOnly},
                             {"poDefaultSizeOnly", poDefaultSizeOnly},
                             {"poScreenCenter", poScreenCenter},
                             {"poDesktopCenter", poDesktopCenter},
                             {"poMainFormCenter", poMainFormCenter},
                             {"poOwnerFormCenter", poOwnerFormCenter}}) &&
    RegisterEnum<TWindowState>(
        {{"wsNormal", wsNormal}, {"wsMinimized", wsMinimized}, {"wsMaximized", wsMaximized}});

} // namespace

WT_PUBLISH(TSizeConstraints, TPersistent) {
  p.Property("MinWidth", &TSizeConstraints::MinWidth, &TSizeConstraints::MinWidth).Default(0);
  p.Property("MinHeight", &TSizeConstraints::MinHeight, &TSizeConstraints::MinHeight).Default(0);
  p.Property("MaxWidth", &TSizeConstraints::MaxWidth, &TSizeConstraints::MaxWidth).Default(0);
  p.Property("MaxHeight", &TSizeConstraints::MaxHeight, &TSizeConstraints::MaxHeight).Default(0);
}

WT_PUBLISH(TCustomForm, TWinControl) {
  p.Property("BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle)
      .Default(bsSizeable);
  p.Property("FormStyle", &TCustomForm::FormStyle, &TCustomForm::SetFormStyle).Default(fsNormal);
  p.Property("Position", &TCustomForm::Position, &TCustomForm::SetPosition).Default(poDesigned);
  p.Property("WindowState", &TCustomForm::WindowState, &TCustomForm::SetWindowState)
      .Default(wsNormal);
  p.Property("Scaled", &TCustomForm::Scaled, &TCustomForm::Scaled).Default(true);
  p.Property("KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::KeyPreview).Default(false);
  p.Object("Constraints", &TCustomForm::Constraints);
  p.Event("OnCreate", &TCustomForm::OnCreate);
  p.Event("OnDestroy", &TCustomForm::OnDestroy);
  p.Event("OnShow", &TCustomForm::OnShow);
  p.Event("OnHide", &TCustomForm::OnHide);
  p.Event("OnActivate", &TCustomForm::OnActivate);
  p.Event("OnDeactivate", &TCustomForm::OnDeactivate);
  p.Event("OnPaint", &TCustomForm::OnPaint);
  p.Event("OnClose", &TCustomForm::OnClose);
  p.Event("OnCloseQuery", &TCustomForm::OnCloseQuery);
}

WT_PUBLISH(TForm, TCustomForm) {}

WT_PUBLISH(THintWindow, TCustomControl) {}
