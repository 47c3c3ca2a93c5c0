#pragma once
// The operator's hands for front-end tests: mouse clicks and typing sent
// through Qt's event delivery, as a window system would.
#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

namespace guitest {

// Each synthetic event gets a time stamp of its own, as real ones have.
inline quint64 nextStamp() {
  static quint64 stamp = 1000;
  return stamp += 10;
}

inline void mouse(QWidget* w, QEvent::Type type, Qt::MouseButton button, QPoint at,
                  Qt::KeyboardModifiers keys = Qt::NoModifier) {
  QPointF local(at);
  QPointF global = w->mapToGlobal(local);
  Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
  QMouseEvent ev(type, local, local, global, button, held, keys);
  ev.setTimestamp(nextStamp());
  QApplication::sendEvent(w, &ev);
}

// A drag with the left button from one point to another, in steps.
inline void drag(QWidget* w, QPoint from, QPoint to, Qt::KeyboardModifiers keys = Qt::NoModifier) {
  mouse(w, QEvent::MouseButtonPress, Qt::LeftButton, from, keys);
  for (int i = 1; i <= 4; ++i) mouse(w, QEvent::MouseMove, Qt::LeftButton, from + (to - from) * i / 4, keys);
  mouse(w, QEvent::MouseButtonRelease, Qt::LeftButton, to, keys);
}

// Turns of the mouse wheel (positive: away from the operator) at a point.
inline void wheel(QWidget* w, QPoint at, int notches) {
  const QPointF local(at);
  QWheelEvent ev(local, w->mapToGlobal(local), QPoint(), QPoint(0, 120 * notches), Qt::NoButton, Qt::NoModifier,
                 Qt::NoScrollPhase, false);
  ev.setTimestamp(nextStamp());
  QApplication::sendEvent(w, &ev);
}

inline QPoint centre(QWidget* w) { return w->rect().center(); }

inline void click(QWidget* w, Qt::MouseButton button = Qt::LeftButton) {
  mouse(w, QEvent::MouseButtonPress, button, centre(w));
  mouse(w, QEvent::MouseButtonRelease, button, centre(w));
}

inline void doubleClick(QWidget* w, Qt::MouseButton button) {
  click(w, button);
  mouse(w, QEvent::MouseButtonDblClick, button, centre(w));
  mouse(w, QEvent::MouseButtonRelease, button, centre(w));
}

// Lets the double-click interval pass, with events served: a single right
// click acts only then.
inline void waitDoubleClickInterval() {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < QApplication::doubleClickInterval() + 50) {
    QApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(5);
  }
}

// A single right click, and the wait until it counts as one.
inline void rightClick(QWidget* w) {
  click(w, Qt::RightButton);
  waitDoubleClickInterval();
}

inline void key(QWidget* w, int k, const QString& text = QString()) {
  QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, text);
  QApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier, text);
  QApplication::sendEvent(w, &release);
}

// Types printable ASCII text, then Enter when asked.
inline void type(QWidget* w, const QString& text, bool enter = true) {
  for (QChar ch : text) key(w, ch.toUpper().unicode(), QString(ch));
  if (enter) key(w, Qt::Key_Return);
}

}  // namespace guitest
