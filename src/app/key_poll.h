// The keyboard poll of long operations on screen. An event filter records ESC (stop) and F10
// (skip) while the frame is the active window; the poll lets the window repaint and move
// (processing pending events at most every 15 ms, and in no more than a fifth of the time when
// drawing is slow, so it stays cheap when called per file) and reports each press once.
#pragma once

#include <QElapsedTimer>
#include <QObject>

#include "engine/run_view.h"

class QWidget;

namespace urlsmith::app {

class KeyPoll : public QObject {
  Q_OBJECT
 public:
  explicit KeyPoll(QWidget* frame);
  ~KeyPoll() override;

  // A long operation starts or ends: keys pressed before it do not count.
  void Begin();
  void End();
  bool running() const { return running_; }

  Poll Check();

  // The frame is being closed: the running operation stops at its next poll, as after ESC
  // but without asking.
  void RequestQuit() { quitRequested_ = true; }
  bool quitRequested() const { return quitRequested_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* frame_;
  QElapsedTimer sinceEvents_;
  qint64 interval_ = 15;  // ms until events are processed again
  Poll pending_ = Poll::Go;
  bool running_ = false;
  bool quitRequested_ = false;
};

// A run view of the frame's own long operations (the file adds): it only polls the keys.
class PollingRunView : public NullRunView {
 public:
  explicit PollingRunView(KeyPoll& poll) : poll_(poll) {}
  Poll StopPoll() override { return poll_.Check(); }

 private:
  KeyPoll& poll_;
};

}  // namespace urlsmith::app
