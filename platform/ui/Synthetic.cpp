#include "platform/ui/Synthetic.h"

#include "platform/gfx/ScreenText.h"
#include "platform/ui/Forms.h"
#include "platform/ui/WindowImpl.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QWheelEvent>
#include <QWidget>

#include <cctype>

namespace {

QPointer<QWidget> grabbed;

Qt::MouseButton QtButton(TMouseButton b) {
  switch (b) {
  case mbRight:
    return Qt::RightButton;
  case mbMiddle:
    return Qt::MiddleButton;
  default:
    return Qt::LeftButton;
  }
}

Qt::KeyboardModifiers QtModifiers(TShiftState s) {
  Qt::KeyboardModifiers m;
  if (s.Contains(ssShift))
    m |= Qt::ShiftModifier;
  if (s.Contains(ssCtrl))
    m |= Qt::ControlModifier;
  if (s.Contains(ssAlt))
    m |= Qt::AltModifier;
  return m;
}

Qt::MouseButtons held;

void Send(QEvent::Type type, TPoint screen, Qt::MouseButton button, TShiftState shift) {
  const QPoint global(screen.X, screen.Y);
  QCursor::setPos(global);
  QWidget* target = grabbed ? grabbed.data() : QApplication::widgetAt(global);
  if (target == nullptr)
    return;
  if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
    grabbed = target;
    held |= button;
  }
  if (type == QEvent::MouseButtonRelease)
    held &= ~Qt::MouseButtons(button);
  const QPointF local = target->mapFromGlobal(QPointF(global));
  const QPointF window = target->window()->mapFromGlobal(QPointF(global));
  QMouseEvent event(type, local, window, QPointF(global), button, held, QtModifiers(shift));
  QApplication::sendEvent(target, &event);
  if (type == QEvent::MouseButtonRelease && held == Qt::NoButton)
    grabbed = nullptr;
}

int QtKey(uint16_t vk) {
  if (vk >= 'A' && vk <= 'Z')
    return Qt::Key_A + (vk - 'A');
  if (vk >= '0' && vk <= '9')
    return Qt::Key_0 + (vk - '0');
  if (vk >= VK_F1 && vk <= VK_F12)
    return Qt::Key_F1 + (vk - VK_F1);
  switch (vk) {
  case VK_BACK:
    return Qt::Key_Backspace;
  case VK_TAB:
    return Qt::Key_Tab;
  case VK_RETURN:
    return Qt::Key_Return;
  case VK_ESCAPE:
    return Qt::Key_Escape;
  case VK_SPACE:
    return Qt::Key_Space;
  case VK_LEFT:
    return Qt::Key_Left;
  case VK_UP:
    return Qt::Key_Up;
  case VK_RIGHT:
    return Qt::Key_Right;
  case VK_DOWN:
    return Qt::Key_Down;
  case VK_DELETE:
    return Qt::Key_Delete;
  case VK_HOME:
    return Qt::Key_Home;
  case VK_END:
    return Qt::Key_End;
  case VK_PRIOR:
    return Qt::Key_PageUp;
  case VK_NEXT:
    return Qt::Key_PageDown;
  case VK_APPS:
    return Qt::Key_Menu;
  default:
    return 0;
  }
}

} // namespace

void SimulateMouseMove(TPoint ScreenPos) {
  Send(QEvent::MouseMove, ScreenPos, Qt::NoButton, {});
}

void SimulateMouseDown(TPoint ScreenPos, TMouseButton Button, TShiftState Shift) {
  Send(QEvent::MouseButtonPress, ScreenPos, QtButton(Button), Shift);
}

void SimulateMouseUp(TPoint ScreenPos, TMouseButton Button, TShiftState Shift) {
  Send(QEvent::MouseButtonRelease, ScreenPos, QtButton(Button), Shift);
}

void SimulateMouseWheel(TPoint ScreenPos, int Delta) {
  const QPoint global(ScreenPos.X, ScreenPos.Y);
  QCursor::setPos(global);
  QWidget* target = QApplication::widgetAt(global);
  if (target == nullptr)
    return;
  QWheelEvent event(target->mapFromGlobal(QPointF(global)), QPointF(global), QPoint(),
                    QPoint(0, Delta), held, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(target, &event);
}

void SimulateDoubleClick(TPoint ScreenPos) {
  Send(QEvent::MouseButtonPress, ScreenPos, Qt::LeftButton, {});
  Send(QEvent::MouseButtonRelease, ScreenPos, Qt::LeftButton, {});
  Send(QEvent::MouseButtonDblClick, ScreenPos, Qt::LeftButton, {});
  Send(QEvent::MouseButtonRelease, ScreenPos, Qt::LeftButton, {});
}

void SimulateKey(uint16_t VirtualKey, TShiftState Shift, char Char) {
  QWidget* target = QApplication::activePopupWidget();
  if (target == nullptr)
    target = QApplication::activeModalWidget();
  if (target == nullptr)
    target = QApplication::focusWidget();
  if (target == nullptr)
    target = QApplication::activeWindow();
  if (target == nullptr)
    return;
  if (QWidget* focus = target->focusWidget())
    target = focus;
  const QString text = Char != 0 ? AnsiToQString(std::string_view(&Char, 1)) : QString();
  // As the toolkit does, a key that gives a printable character is named by
  // that character ('!' for Shift+1).
  const int key = Char > ' ' && Char < 0x7F ? std::toupper(Char) : QtKey(VirtualKey);
  QKeyEvent press(QEvent::KeyPress, key, QtModifiers(Shift), text);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, QtModifiers(Shift), text);
  QApplication::sendEvent(target, &release);
}

void SimulateWindowClose(TCustomForm* Form) {
  Form->HandleNeeded();
  QCloseEvent event;
  QApplication::sendEvent(static_cast<QWidget*>(Form->Impl()->Native()), &event);
}
