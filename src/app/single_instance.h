// One wizard per user. The first start holds a lock file and listens on a local socket, both
// named after the instance string in the user's runtime folder; a later start sends its
// command-line tail (with the terminating NUL) over the socket, which brings the running
// frame to the front and hands it the folder, and then ends.
#pragma once

#include <QByteArray>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <deque>
#include <memory>

class QLocalServer;

namespace urlsmith::app {

inline constexpr char kInstanceName[] = "1AAC4772-EE38-4d09-B1B7-12E9CA57C20C";

// $XDG_RUNTIME_DIR when it is set and ours; else /tmp/urlsmith-<uid>, made with mode 0700 and
// refused when another user owns it or others can enter it. Empty when no private folder exists.
QString InstanceFolder();

// The messages handed over by later starts, waiting to be read by the frame.
class HandoffInbox : public QObject {
  Q_OBJECT
 public:
  bool empty() const { return messages_.empty(); }
  // The oldest waiting message (the tail, without its NUL), left waiting.
  const QByteArray& front() const { return messages_.front(); }
  void pop() { messages_.pop_front(); }
  void push(QByteArray message);

 signals:
  // A later start asked for the front: with a tail (a message waits) or without one.
  void notice(bool withMessage);

 private:
  std::deque<QByteArray> messages_;
};

class SingleInstance {
 public:
  enum class Outcome {
    First,         // this process is the instance; the inbox receives the handoffs
    HandedOver,    // a running instance took the tail: end with status 0
    Unregistered,  // no private folder or no socket: run without being found by others
  };

  SingleInstance();
  ~SingleInstance();

  // Becomes the instance or hands `tail` to the running one.
  Outcome Start(const QByteArray& tail, HandoffInbox& inbox);

 private:
  bool Listen(HandoffInbox& inbox);
  bool HandOver(const QByteArray& tail);

  QString folder_;
  std::unique_ptr<QLockFile> lock_;
  QLocalServer* server_ = nullptr;
};

}  // namespace urlsmith::app
