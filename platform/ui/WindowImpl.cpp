#include "platform/ui/WindowImpl.h"

#include "platform/gfx/Backend.h"
#include "platform/gfx/ScreenText.h"
#include "platform/rtl/Classes.h"
#include "platform/ui/Forms.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QTimer>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>

#include <map>
#include <set>
#include <utility>

namespace {

TControl* mouseControl = nullptr;
// The control that last had a move, and where: compared, never followed.
const TControl* lastMoved = nullptr;
TPoint lastMovePoint{-1, -1};
void (*mouseMoveObserver)(TControl*, TPoint) = nullptr;

WPARAM KeysOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
  WPARAM k = 0;
  if (buttons & Qt::LeftButton)
    k |= MK_LBUTTON;
  if (buttons & Qt::RightButton)
    k |= MK_RBUTTON;
  if (buttons & Qt::MiddleButton)
    k |= MK_MBUTTON;
  if (mods & Qt::ShiftModifier)
    k |= MK_SHIFT;
  if (mods & Qt::ControlModifier)
    k |= MK_CONTROL;
  if (mods & Qt::AltModifier)
    k |= MK_ALT;
  return k;
}

TShiftState ShiftOf(Qt::KeyboardModifiers mods) {
  TShiftState s;
  if (mods & Qt::ShiftModifier)
    s << ssShift;
  if (mods & Qt::ControlModifier)
    s << ssCtrl;
  if (mods & Qt::AltModifier)
    s << ssAlt;
  return s;
}

uint16_t VirtualKeyOfQtKey(int key) {
  if (key >= Qt::Key_A && key <= Qt::Key_Z)
    return static_cast<uint16_t>('A' + (key - Qt::Key_A));
  if (key >= Qt::Key_0 && key <= Qt::Key_9)
    return static_cast<uint16_t>('0' + (key - Qt::Key_0));
  if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
    return static_cast<uint16_t>(VK_F1 + (key - Qt::Key_F1));
  static const std::pair<int, uint16_t> table[] = {
      {Qt::Key_Backspace, VK_BACK},
      {Qt::Key_Tab, VK_TAB},
      {Qt::Key_Backtab, VK_TAB},
      {Qt::Key_Return, VK_RETURN},
      {Qt::Key_Enter, VK_RETURN},
      {Qt::Key_Shift, VK_SHIFT},
      {Qt::Key_Control, VK_CONTROL},
      {Qt::Key_Alt, VK_MENU},
      {Qt::Key_Menu, VK_APPS},
      {Qt::Key_Pause, VK_PAUSE},
      {Qt::Key_CapsLock, VK_CAPITAL},
      {Qt::Key_Escape, VK_ESCAPE},
      {Qt::Key_Space, VK_SPACE},
      {Qt::Key_PageUp, VK_PRIOR},
      {Qt::Key_PageDown, VK_NEXT},
      {Qt::Key_End, VK_END},
      {Qt::Key_Home, VK_HOME},
      {Qt::Key_Left, VK_LEFT},
      {Qt::Key_Up, VK_UP},
      {Qt::Key_Right, VK_RIGHT},
      {Qt::Key_Down, VK_DOWN},
      {Qt::Key_Insert, VK_INSERT},
      {Qt::Key_Delete, VK_DELETE},
      // The toolkit names the character a key gives, the platform the key
      // itself: shifted digits and punctuation are told as their key.
      {Qt::Key_Exclam, '1'},
      {Qt::Key_At, '2'},
      {Qt::Key_NumberSign, '3'},
      {Qt::Key_Dollar, '4'},
      {Qt::Key_Percent, '5'},
      {Qt::Key_AsciiCircum, '6'},
      {Qt::Key_Ampersand, '7'},
      {Qt::Key_Asterisk, '8'},
      {Qt::Key_ParenLeft, '9'},
      {Qt::Key_ParenRight, '0'},
      {Qt::Key_Semicolon, VK_OEM_1},
      {Qt::Key_Colon, VK_OEM_1},
      {Qt::Key_Equal, VK_OEM_PLUS},
      {Qt::Key_Plus, VK_OEM_PLUS},
      {Qt::Key_Comma, VK_OEM_COMMA},
      {Qt::Key_Less, VK_OEM_COMMA},
      {Qt::Key_Minus, VK_OEM_MINUS},
      {Qt::Key_Underscore, VK_OEM_MINUS},
      {Qt::Key_Period, VK_OEM_PERIOD},
      {Qt::Key_Greater, VK_OEM_PERIOD},
      {Qt::Key_Slash, VK_OEM_2},
      {Qt::Key_Question, VK_OEM_2},
      {Qt::Key_QuoteLeft, VK_OEM_3},
      {Qt::Key_AsciiTilde, VK_OEM_3},
      {Qt::Key_BracketLeft, VK_OEM_4},
      {Qt::Key_BraceLeft, VK_OEM_4},
      {Qt::Key_Backslash, VK_OEM_5},
      {Qt::Key_Bar, VK_OEM_5},
      {Qt::Key_BracketRight, VK_OEM_6},
      {Qt::Key_BraceRight, VK_OEM_6},
      {Qt::Key_Apostrophe, VK_OEM_7},
      {Qt::Key_QuoteDbl, VK_OEM_7},
  };
  for (auto& [qt, vk] : table)
    if (qt == key)
      return vk;
  return 0;
}

// The platform names a key by its place on the keyboard, the toolkit by the
// character it types: a Cyrillic or accented letter is told as the key at its
// place on the standard keyboard (the X key codes of the letter and digit
// rows), and any other typing key as one code of its own, so every key
// stroke has a key down.
uint16_t VirtualKeyOfPlace(const QKeyEvent* e) {
  static const std::pair<quint32, const char*> rows[] = {
      {10, "1234567890"}, {24, "QWERTYUIOP"}, {38, "ASDFGHJKL"}, {52, "ZXCVBNM"}};
  const quint32 code = e->nativeScanCode();
  for (const auto& [first, keys] : rows)
    if (code >= first && code < first + std::strlen(keys))
      return static_cast<uint8_t>(keys[code - first]);
  return VK_OEM_8;
}

uint16_t VirtualKeyOf(const QKeyEvent* e) {
  const uint16_t key = VirtualKeyOfQtKey(e->key());
  if (key != 0 || e->text().isEmpty() || !e->text().at(0).isPrint())
    return key;
  return VirtualKeyOfPlace(e);
}

Qt::CursorShape ShapeOf(TCursor c) {
  switch (c) {
  case crCross:
    return Qt::CrossCursor;
  case crIBeam:
    return Qt::IBeamCursor;
  case crSizeNESW:
    return Qt::SizeBDiagCursor;
  case crSizeNS:
  case crVSplit:
    return Qt::SizeVerCursor;
  case crSizeNWSE:
    return Qt::SizeFDiagCursor;
  case crSizeWE:
  case crHSplit:
    return Qt::SizeHorCursor;
  case crUpArrow:
    return Qt::UpArrowCursor;
  case crHourGlass:
  case crSQLWait:
    return Qt::WaitCursor;
  case crNo:
  case crNoDrop:
    return Qt::ForbiddenCursor;
  case crDrag:
    return Qt::DragMoveCursor;
  case crAppStart:
    return Qt::BusyCursor;
  case crHelp:
    return Qt::WhatsThisCursor;
  case crHandPoint:
    return Qt::PointingHandCursor;
  case crSizeAll:
    return Qt::SizeAllCursor;
  case crNone:
    return Qt::BlankCursor;
  default:
    return Qt::ArrowCursor;
  }
}

} // namespace

namespace {

// The control's key-down handlers, then the form's dialog keys (Tab, Return,
// Escape) unless the control wants the key itself; true when one took it.
bool KeyDownTaken(TWinControl* c, QKeyEvent* e) {
  uint16_t key = VirtualKeyOf(e);
  const TShiftState shift = ShiftOf(e->modifiers());
  if (key == 0)
    return false;
  if (c->DoKeyDown(key, shift) || key == 0)
    return true;
  if (key == VK_APPS || (key == VK_F10 && shift == TShiftState{ssShift})) {
    c->Perform(WM_CONTEXTMENU, 0, MakeLParam(-1, -1));
    return true;
  }
  TCustomForm* form = c->GetParentForm();
  if (form == nullptr)
    return false;
  const LRESULT code = c->Perform(WM_GETDLGCODE, 0, 0);
  const bool wanted = (code & DLGC_WANTALLKEYS) != 0 ||
                      (key == VK_TAB && (code & DLGC_WANTTAB) != 0) ||
                      (key >= VK_LEFT && key <= VK_DOWN && (code & DLGC_WANTARROWS) != 0);
  return !wanted && form->Perform(CM_DIALOGKEY, key, shift.Contains(ssShift) ? 1 : 0) != 0;
}

// The one character a key types, in the system's code page; 0 when none.
char TypedChar(QKeyEvent* e) {
  const std::string text = QStringToAnsi(e->text());
  return text.size() == 1 ? text[0] : 0;
}

// A toolkit widget that does a control's editing (a line or a text editor):
// its keys go through the control's handlers first, its focus and presses
// are the control's.
class TNativeFilter : public QObject {
public:
  TNativeFilter(TWinControl* AControl, QObject* AParent) : QObject(AParent), control(AControl) {}

  bool eventFilter(QObject* watched, QEvent* e) override {
    try {
      switch (e->type()) {
      case QEvent::KeyPress:
        return !replaying && KeyPress(watched, static_cast<QKeyEvent*>(e));
      case QEvent::KeyRelease: {
        uint16_t key = VirtualKeyOf(static_cast<QKeyEvent*>(e));
        return key != 0 && control->DoKeyUp(key, ShiftOf(static_cast<QKeyEvent*>(e)->modifiers()));
      }
      case QEvent::FocusIn:
        control->Perform(WM_SETFOCUS, 0, 0);
        break;
      case QEvent::FocusOut:
        control->Perform(WM_KILLFOCUS, 0, 0);
        break;
      case QEvent::MouseButtonPress:
        if (TCustomForm* form = control->GetParentForm())
          form->Activated();
        break;
      case QEvent::MouseMove:
      case QEvent::Enter:
      case QEvent::Leave: {
        // The pointer over the editor is over the control: enter, leave
        // and hints follow it.
        const QPoint p = QCursor::pos();
        const TPoint screen = Point(p.x(), p.y());
        UpdateMouseControl(screen);
        if (e->type() == QEvent::MouseMove && mouseMoveObserver != nullptr)
          mouseMoveObserver(MouseControl(), screen);
        break;
      }
      default:
        break;
      }
    } catch (...) {
      HandleEventException();
      return true;
    }
    return false;
  }

private:
  // True when the handlers swallowed the key; a character that OnKeyPress
  // changed is typed in its place.
  bool KeyPress(QObject* watched, QKeyEvent* e) {
    if (KeyDownTaken(control, e))
      return true;
    const char typed = TypedChar(e);
    if (typed == 0)
      return false;
    char ch = typed;
    if (control->DoKeyPress(ch) || ch == 0)
      return true;
    if (ch == typed)
      return false;
    QKeyEvent replaced(QEvent::KeyPress, 0, e->modifiers(),
                       AnsiToQString(std::string_view(&ch, 1)));
    replaying = true;
    QCoreApplication::sendEvent(watched, &replaced);
    replaying = false;
    return true;
  }

  TWinControl* control;
  bool replaying = false;
};

} // namespace

struct TWindowImpl::TWidget : public QWidget {
  explicit TWidget(TWindowImpl* AOwner) : owner(AOwner) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
  }
  ~TWidget() override {
    if (surface != nullptr)
      DeleteObject(surface);
  }

  TWinControl* Control() const { return owner->control; }

  void EnsureSurface() {
    const int w = std::max(1, width()), h = std::max(1, height());
    if (surface != nullptr && surfaceWidth == w && surfaceHeight == h)
      return;
    if (surface != nullptr)
      DeleteObject(surface);
    surface = CreateBitmap(w, h, 1, 32, nullptr);
    surfaceWidth = w;
    surfaceHeight = h;
  }

  // The control draws its whole window into the surface: background, its
  // own face, then its windowless children.
  void PaintSurface() {
    EnsureSurface();
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, surface);
    try {
      TWinControl* c = Control();
      c->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
      c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    } catch (...) {
      HandleEventException();
    }
    SelectObject(dc, old);
    DeleteDC(dc);
  }

  void paintEvent(QPaintEvent*) override {
    PaintSurface();
    const TGfxPixels px = GfxBitmapPixels(surface);
    if (px.Bits == nullptr)
      return;
    const QImage image(px.Bits, px.Width, px.Height, px.Stride,
                       px.BitCount == 24 ? QImage::Format_BGR888 : QImage::Format_RGB32);
    QPainter painter(this);
    painter.drawImage(0, 0, image);
  }

  static TPoint ScreenOf(const QPointF& p) {
    return Point(static_cast<int>(p.x()), static_cast<int>(p.y()));
  }

  // Sends a mouse message to the captured control, else to the control
  // under the point (a windowless child or this window's control).
  void Route(unsigned msg, QMouseEvent* e) {
    try {
      const TPoint screen = ScreenOf(e->globalPosition());
      UpdateMouseControl(screen);
      TWinControl* w = PointerWindow(Control(), screen);
      TControl* target = GetCaptureControl();
      if (target == nullptr) {
        const TPoint local = w->ScreenToClient(screen);
        target = w->ControlAtPos(local, false);
        if (target == nullptr)
          target = w;
      }
      const TPoint p = target->ScreenToClient(screen);
      // Controls know the pointer from its moves. One that appeared under a
      // still pointer (a page switched by the click before) has seen none,
      // so a press there brings its own move first.
      const bool press =
          msg != WM_MOUSEMOVE && msg != WM_LBUTTONUP && msg != WM_RBUTTONUP && msg != WM_MBUTTONUP;
      if (press && (target != lastMoved || screen != lastMovePoint))
        target->Perform(WM_MOUSEMOVE, KeysOf(e->buttons() & ~e->button(), e->modifiers()),
                        MakeLParam(p.X, p.Y));
      if (press || msg == WM_MOUSEMOVE) {
        lastMoved = target;
        lastMovePoint = screen;
      }
      target->Perform(msg, KeysOf(e->buttons(), e->modifiers()), MakeLParam(p.X, p.Y));
      if (msg == WM_MOUSEMOVE && mouseMoveObserver != nullptr)
        mouseMoveObserver(MouseControl(), screen);
    } catch (...) {
      HandleEventException();
    }
  }

  static unsigned DownMessage(Qt::MouseButton b, bool dbl) {
    switch (b) {
    case Qt::RightButton:
      return dbl ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN;
    case Qt::MiddleButton:
      return dbl ? WM_MBUTTONDBLCLK : WM_MBUTTONDOWN;
    default:
      return dbl ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN;
    }
  }

  void mousePressEvent(QMouseEvent* e) override {
    if (TCustomForm* form = Control()->GetParentForm())
      form->Activated();
    Route(DownMessage(e->button(), false), e);
  }
  void mouseDoubleClickEvent(QMouseEvent* e) override { Route(DownMessage(e->button(), true), e); }
  void mouseMoveEvent(QMouseEvent* e) override { Route(WM_MOUSEMOVE, e); }
  void mouseReleaseEvent(QMouseEvent* e) override {
    switch (e->button()) {
    case Qt::RightButton:
      return Route(WM_RBUTTONUP, e);
    case Qt::MiddleButton:
      return Route(WM_MBUTTONUP, e);
    default:
      return Route(WM_LBUTTONUP, e);
    }
  }
  // The wheel goes to the window under the pointer and on to its parents
  // until one takes it (answers non-zero): delta in the high word of WParam
  // (120 a notch, positive away from the user), the screen point in LParam.
  void wheelEvent(QWheelEvent* e) override {
    try {
      const int delta = e->angleDelta().y();
      if (delta == 0)
        return;
      const TPoint screen = ScreenOf(e->globalPosition());
      const WPARAM w = (static_cast<WPARAM>(static_cast<uint16_t>(delta)) << 16) |
                       KeysOf(e->buttons(), e->modifiers());
      for (TWinControl* c = Control(); c != nullptr; c = c->Parent())
        if (c->Perform(WM_MOUSEWHEEL, w, MakeLParam(screen.X, screen.Y)) != 0)
          return;
    } catch (...) {
      HandleEventException();
    }
  }
  void enterEvent(QEnterEvent* e) override {
    try {
      UpdateMouseControl(ScreenOf(e->globalPosition()));
    } catch (...) {
      HandleEventException();
    }
  }
  void leaveEvent(QEvent*) override {
    try {
      UpdateMouseControl(ScreenOf(QCursor::pos()));
    } catch (...) {
      HandleEventException();
    }
  }

  // With an editor in the window, every key went to the editor and through
  // its filter to the control's handlers already; one the editor leaves
  // (Return, Escape) comes up here and must not be handled a second time.
  void keyPressEvent(QKeyEvent* e) override {
    if (native != nullptr)
      return;
    try {
      HandleKeyDown(e);
    } catch (...) {
      HandleEventException();
    }
  }

  void HandleKeyDown(QKeyEvent* e) {
    TWinControl* c = Control();
    if (KeyDownTaken(c, e))
      return;
    char ch = TypedChar(e);
    if (ch != 0 && !c->DoKeyPress(ch))
      c->Perform(WM_CHAR, static_cast<unsigned char>(ch), 0);
  }

  void keyReleaseEvent(QKeyEvent* e) override {
    if (native != nullptr)
      return;
    try {
      uint16_t key = VirtualKeyOf(e);
      if (key != 0)
        Control()->DoKeyUp(key, ShiftOf(e->modifiers()));
    } catch (...) {
      HandleEventException();
    }
  }

  // Tab and Shift+Tab are the forms' business (CM_DIALOGKEY), not the
  // toolkit's focus chain.
  bool focusNextPrevChild(bool) override { return false; }

  void focusInEvent(QFocusEvent*) override { Send(WM_SETFOCUS); }
  void focusOutEvent(QFocusEvent*) override { Send(WM_KILLFOCUS); }

  void Send(unsigned msg, WPARAM w = 0, LPARAM l = 0) {
    try {
      Control()->Perform(msg, w, l);
    } catch (...) {
      HandleEventException();
    }
  }

  void closeEvent(QCloseEvent* e) override {
    // The window manager's close goes through the form's own close path.
    e->ignore();
    Send(WM_CLOSE);
  }

  void moveEvent(QMoveEvent*) override { SyncBounds(); }
  void resizeEvent(QResizeEvent*) override {
    if (native != nullptr)
      native->setGeometry(0, 0, width(), height());
    SyncBounds();
  }

  // A top-level window moved or sized from outside: the control follows.
  void SyncBounds() {
    if (syncing || !isWindow())
      return;
    TWinControl* c = Control();
    const QRect g = geometry();
    const QPoint framePos = pos();
    if (framePos.x() == c->Left() && framePos.y() == c->Top() && g.width() == c->Width() &&
        g.height() == c->Height())
      return;
    syncing = true;
    try {
      c->SetBounds(framePos.x(), framePos.y(), g.width(), g.height());
    } catch (...) {
      HandleEventException();
    }
    syncing = false;
  }

  void changeEvent(QEvent* e) override {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isWindow())
      Send(WM_ACTIVATE, isActiveWindow() ? WA_ACTIVE : WA_INACTIVE);
  }

  TWindowImpl* owner;
  QWidget* native = nullptr;
  HBITMAP surface = nullptr;
  int surfaceWidth = 0, surfaceHeight = 0;
  bool syncing = false;
};

TWindowImpl::TWindowImpl(TWinControl* AControl) : control(AControl), widget(new TWidget(this)) {}

TWindowImpl::~TWindowImpl() {
  // Child windows are freed by their own controls first.
  for (QObject* child : widget->children())
    if (auto* w = dynamic_cast<TWidget*>(child))
      w->setParent(nullptr);
  delete widget;
}

void* TWindowImpl::Native() const {
  return widget;
}

void TWindowImpl::AdoptNative(void* Child) {
  auto* child = static_cast<QWidget*>(Child);
  child->setParent(widget);
  child->setGeometry(0, 0, widget->width(), widget->height());
  child->installEventFilter(new TNativeFilter(control, child));
  child->setFocusPolicy(Qt::StrongFocus);
  widget->setFocusProxy(child);
  widget->native = child;
  child->show();
}

void TWindowImpl::SetParentWindow(TWindowImpl* Parent) {
  const bool shown = !widget->isHidden();
  widget->setParent(Parent != nullptr ? Parent->widget : nullptr);
  if (shown)
    widget->show();
}

void TWindowImpl::SetGeometry(int Left, int Top, int Width, int Height) {
  widget->syncing = true;
  if (widget->isWindow()) {
    widget->move(Left, Top);
    widget->resize(std::max(1, Width), std::max(1, Height));
  } else {
    widget->setGeometry(Left, Top, std::max(0, Width), std::max(0, Height));
  }
  widget->syncing = false;
}

void TWindowImpl::SetShown(bool Shown) {
  if (Shown == !widget->isHidden())
    return;
  widget->setVisible(Shown);
}

bool TWindowImpl::IsShown() const {
  return widget->isVisible();
}
void TWindowImpl::SetEnabled(bool Enabled) {
  widget->setEnabled(Enabled);
}
void TWindowImpl::Invalidate() {
  widget->update();
}
void TWindowImpl::PaintNow() {
  widget->repaint();
}

void TWindowImpl::SetShape(HRGN Region) {
  if (Region == nullptr) {
    widget->clearMask();
    return;
  }
  QRegion shape;
  for (const RECT& r : GfxRegionRects(Region))
    shape += QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
  widget->setMask(shape);
}

void TWindowImpl::SetCursor(TCursor Cursor) {
  widget->setCursor(QCursor(ShapeOf(Cursor)));
}
void TWindowImpl::SetFocus() {
  widget->setFocus(Qt::OtherFocusReason);
}
bool TWindowImpl::HasFocus() const {
  return widget->hasFocus();
}
void TWindowImpl::Raise() {
  widget->raise();
}
void TWindowImpl::Lower() {
  widget->lower();
}
void TWindowImpl::StackUnder(TWindowImpl* Other) {
  widget->stackUnder(Other->widget);
}

void TWindowImpl::SetTopLevelFlags(bool Frameless, bool StayOnTop, bool Tool, bool NoActivate) {
  if (!widget->isWindow())
    return;
  Qt::WindowFlags flags = Tool ? Qt::Tool : Qt::Window;
  if (Frameless)
    flags |= Qt::FramelessWindowHint;
  if (StayOnTop)
    flags |= Qt::WindowStaysOnTopHint;
  if (NoActivate)
    flags |= Qt::WindowDoesNotAcceptFocus | Qt::ToolTip;
  if (widget->windowFlags() == flags)
    return;
  const bool shown = !widget->isHidden();
  widget->setWindowFlags(flags);
  widget->setAttribute(Qt::WA_ShowWithoutActivating, NoActivate);
  if (shown)
    widget->show();
}

void TWindowImpl::SetTitle(const AnsiString& Title) {
  widget->setWindowTitle(AnsiToQString(Title));
}

void TWindowImpl::Activate() {
  widget->raise();
  widget->activateWindow();
}

bool TWindowImpl::IsActiveWindow() const {
  return widget->isActiveWindow();
}
void TWindowImpl::Minimize() {
  widget->showMinimized();
}
void TWindowImpl::Restore() {
  if (widget->isMinimized())
    widget->showNormal();
}
bool TWindowImpl::IsMinimized() const {
  return widget->isMinimized();
}

TPoint TWindowImpl::ScreenOrigin() const {
  const QPoint p = widget->mapToGlobal(QPoint(0, 0));
  return Point(p.x(), p.y());
}

HBITMAP TWindowImpl::Surface() const {
  widget->EnsureSurface();
  return widget->surface;
}

HDC TWindowImpl::GetDC() {
  widget->EnsureSurface();
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, widget->surface);
  return dc;
}

int TWindowImpl::ReleaseDC(HDC DC) {
  DeleteDC(DC);
  // What was drawn shows at once; the next paint redraws it all anyway.
  widget->update();
  return 1;
}

// ---------------------------------------------------------------- pointer

TControl* MouseControl() {
  return mouseControl;
}

void ForgetControl(TControl* Control) {
  if (mouseControl == Control)
    mouseControl = nullptr;
  if (lastMoved == Control)
    lastMoved = nullptr;
}

void UpdateMouseControl(TPoint ScreenPos) {
  TControl* now = FindDragTarget(ScreenPos, false);
  if (now == mouseControl)
    return;
  TControl* old = mouseControl;
  mouseControl = now;
  if (old != nullptr)
    old->Perform(CM_MOUSELEAVE, 0, 0);
  if (now != nullptr && mouseControl == now)
    now->Perform(CM_MOUSEENTER, 0, 0);
}

void SetMouseMoveObserver(void (*Observer)(TControl*, TPoint)) {
  mouseMoveObserver = Observer;
}

TWinControl* FindVCLWindow(TPoint Pos) {
  for (QWidget* w = QApplication::widgetAt(QPoint(Pos.X, Pos.Y)); w != nullptr;
       w = w->parentWidget())
    if (auto* ours = dynamic_cast<TWindowImpl::TWidget*>(w))
      return ours->Control();
  return nullptr;
}

TPoint Mouse_CursorPos() {
  const QPoint p = QCursor::pos();
  return Point(p.x(), p.y());
}

// ---------------------------------------------------------------- timers

namespace {

std::map<std::pair<HWND, uintptr_t>, QTimer*>& WindowTimers() {
  static std::map<std::pair<HWND, uintptr_t>, QTimer*> timers;
  return timers;
}

std::set<HWND>& PostTargets() {
  static std::set<HWND> targets;
  return targets;
}

} // namespace

uintptr_t SetTimer(HWND Window, uintptr_t Id, unsigned Elapse) {
  if (Window == nullptr)
    return 0;
  GfxEnsureBackend();
  auto& timers = WindowTimers();
  QTimer*& timer = timers[{Window, Id}];
  if (timer == nullptr) {
    timer = new QTimer();
    QObject::connect(timer, &QTimer::timeout, [Window, Id] {
      try {
        Window->Perform(WM_TIMER, Id, 0);
      } catch (...) {
        HandleEventException();
      }
    });
  }
  timer->start(static_cast<int>(std::max(1u, Elapse)));
  return Id;
}

bool KillTimer(HWND Window, uintptr_t Id) {
  auto& timers = WindowTimers();
  auto it = timers.find({Window, Id});
  if (it == timers.end())
    return false;
  it->second->stop();
  // It may be its own tick that asks: the timer goes once the tick is over.
  it->second->deleteLater();
  timers.erase(it);
  return true;
}

void KillWindowTimers(HWND Window) {
  auto& timers = WindowTimers();
  for (auto it = timers.begin(); it != timers.end();) {
    if (it->first.first != Window) {
      ++it;
      continue;
    }
    it->second->stop();
    it->second->deleteLater();
    it = timers.erase(it);
  }
  PostTargets().erase(Window);
}

bool PostMessage(HWND Window, unsigned Msg, WPARAM WParam, LPARAM LParam) {
  if (Window == nullptr)
    return false;
  GfxEnsureBackend();
  PostTargets().insert(Window);
  QTimer::singleShot(0, qApp, [Window, Msg, WParam, LParam] {
    if (PostTargets().count(Window) == 0)
      return;
    try {
      Window->Perform(Msg, WParam, LParam);
    } catch (...) {
      HandleEventException();
    }
  });
  return true;
}

// ---------------------------------------------------------------- synchronisation

namespace {

// Runs CheckSynchronize on the main thread whenever a worker queued a call;
// posted events are served by every loop, nested ones included.
class TSyncWaker : public QObject {
public:
  bool event(QEvent* e) override {
    if (e->type() != QEvent::User)
      return QObject::event(e);
    try {
      CheckSynchronize();
    } catch (...) {
      HandleEventException();
    }
    return true;
  }
};

TSyncWaker* waker = nullptr;

void WakeMainThread() {
  if (waker != nullptr)
    QCoreApplication::postEvent(waker, new QEvent(QEvent::User));
}

HDC WindowDC(void* Window) {
  auto* w = static_cast<TWinControl*>(Window);
  if (w == nullptr)
    return nullptr;
  w->HandleNeeded();
  return w->Impl()->GetDC();
}

int ReleaseWindowDC(void* Window, HDC DC) {
  auto* w = static_cast<TWinControl*>(Window);
  if (w == nullptr || !w->HandleAllocated())
    return DeleteDC(DC);
  return w->Impl()->ReleaseDC(DC);
}

} // namespace

void InstallSynchronizeHook() {
  if (waker != nullptr)
    return;
  GfxEnsureBackend();
  waker = new TSyncWaker();
  SetWakeMainThreadHook(&WakeMainThread);
  // Calls queued before the hook existed are served at the next turn.
  WakeMainThread();
}

void InstallWindowDCProvider() {
  GfxSetWindowDCProvider(&WindowDC, &ReleaseWindowDC);
}

void ShowDragCursor(TCursor Cursor) {
  static bool shown = false;
  if (Cursor == crDefault) {
    if (shown)
      QApplication::restoreOverrideCursor();
    shown = false;
    return;
  }
  const QCursor cursor(ShapeOf(Cursor));
  if (shown)
    QApplication::changeOverrideCursor(cursor);
  else
    QApplication::setOverrideCursor(cursor);
  shown = true;
}
