#include "app/single_instance.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

namespace urlsmith::app {

namespace {

constexpr char kAck = 0x06;
constexpr int kTimeoutMs = 5000;
constexpr int kConnectRetryMs = 2000;

bool PrivateFolder(const QByteArray& path) {
  struct stat st {};
  if (::lstat(path.constData(), &st) != 0) return false;
  return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

QString SocketPath(const QString& folder) {
  return folder + u'/' + QLatin1String(kInstanceName);
}

// Appends a line with the hex bytes of a received message to the trace file named by
// URLSMITH_HANDOFF_TRACE (a diagnostic for tests and bug reports).
void Trace(const QByteArray& message) {
  const QString path = qEnvironmentVariable("URLSMITH_HANDOFF_TRACE");
  if (path.isEmpty()) return;
  QFile file(path);
  if (file.open(QIODevice::Append)) file.write(message.toHex() + '\n');
}

}  // namespace

void HandoffInbox::push(QByteArray message) {
  const bool withMessage = !message.isEmpty();
  if (withMessage) messages_.push_back(std::move(message));
  emit notice(withMessage);
}

QString InstanceFolder() {
  const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && runtime.startsWith('/') && PrivateFolder(runtime)) {
    return QString::fromLocal8Bit(runtime);
  }
  const QByteArray own = "/tmp/urlsmith-" + QByteArray::number(::getuid());
  if (::mkdir(own.constData(), 0700) != 0 && errno != EEXIST) return {};
  if (!PrivateFolder(own)) return {};
  return QString::fromLocal8Bit(own);
}

SingleInstance::SingleInstance() = default;

SingleInstance::~SingleInstance() {
  if (server_ != nullptr) {
    server_->close();
    delete server_;
  }
  if (lock_) lock_->unlock();
}

SingleInstance::Outcome SingleInstance::Start(const QByteArray& tail, HandoffInbox& inbox) {
  folder_ = InstanceFolder();
  if (folder_.isEmpty()) return Outcome::Unregistered;
  lock_ = std::make_unique<QLockFile>(SocketPath(folder_) + QStringLiteral(".lock"));
  // Only a lock whose process has gone is stale; a running instance may be idle for days.
  lock_->setStaleLockTime(0);
  const QDeadlineTimer deadline(kConnectRetryMs);
  while (true) {
    if (lock_->tryLock(0)) return Listen(inbox) ? Outcome::First : Outcome::Unregistered;
    // The lock holder runs: it listens, or is about to.
    if (HandOver(tail)) return Outcome::HandedOver;
    if (deadline.hasExpired()) return Outcome::Unregistered;
    QThread::msleep(50);
  }
}

bool SingleInstance::Listen(HandoffInbox& inbox) {
  const QString path = SocketPath(folder_);
  // We hold the lock, so a socket file left here belongs to a process that is gone.
  QLocalServer::removeServer(path);
  server_ = new QLocalServer;
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(path)) return false;
  QObject::connect(server_, &QLocalServer::newConnection, server_, [this, &inbox] {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
      auto buffer = std::make_shared<QByteArray>();
      QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, buffer, &inbox] {
        buffer->append(socket->readAll());
        const auto end = buffer->indexOf('\0');
        if (end < 0) {
          // A sender that never ends its message is cut off at a path's length.
          if (buffer->size() > 8192) socket->abort();
          return;
        }
        const QByteArray message = buffer->left(end);
        Trace(buffer->left(end + 1));
        socket->write(&kAck, 1);
        socket->flush();
        socket->disconnectFromServer();
        inbox.push(message);
      });
    }
  });
  return true;
}

bool SingleInstance::HandOver(const QByteArray& tail) {
  QLocalSocket socket;
  socket.connectToServer(SocketPath(folder_));
  if (!socket.waitForConnected(kTimeoutMs)) return false;
  QByteArray message = tail;
  message.append('\0');
  socket.write(message);
  while (socket.bytesToWrite() > 0) {
    if (!socket.waitForBytesWritten(kTimeoutMs)) return false;
  }
  // The message is on its way: wait for the receiver's acknowledgement, but never send twice.
  const QDeadlineTimer deadline(kTimeoutMs);
  while (socket.bytesAvailable() < 1 && !deadline.hasExpired()) {
    if (!socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) break;
  }
  return true;
}

}  // namespace urlsmith::app
