#include "app/key_poll.h"

#include <algorithm>

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace urlsmith::app {

namespace {
constexpr qint64 kEventIntervalMs = 15;
}

KeyPoll::KeyPoll(QWidget* frame) : QObject(frame), frame_(frame) {
  qApp->installEventFilter(this);
  sinceEvents_.start();
}

KeyPoll::~KeyPoll() {
  if (qApp != nullptr) qApp->removeEventFilter(this);
}

void KeyPoll::Begin() {
  running_ = true;
  pending_ = Poll::Go;
  sinceEvents_.restart();
}

void KeyPoll::End() {
  running_ = false;
  pending_ = Poll::Go;
}

Poll KeyPoll::Check() {
  if (sinceEvents_.elapsed() >= interval_) {
    QElapsedTimer took;
    took.start();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    // Drawing the window can cost more than the run does in the same time; the run keeps at
    // least four fifths of the time for itself, however slow the drawing is.
    interval_ = std::max(kEventIntervalMs, 4 * took.elapsed());
    sinceEvents_.restart();
  }
  if (quitRequested_) return Poll::Stop;
  const Poll key = pending_;
  pending_ = Poll::Go;
  return key;
}

bool KeyPoll::eventFilter(QObject* watched, QEvent* event) {
  if (running_ && event->type() == QEvent::KeyPress && QApplication::activeWindow() == frame_) {
    const auto* press = static_cast<QKeyEvent*>(event);
    const int key = press->key();
    if (key == Qt::Key_Escape || key == Qt::Key_F10) {
      if (press->isAutoRepeat()) return true;
      pending_ = key == Qt::Key_Escape ? Poll::Stop : Poll::Skip;
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace urlsmith::app
