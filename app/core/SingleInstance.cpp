#include "app/core/SingleInstance.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <QtEndian>
#include <optional>

namespace vk::app {
namespace {

// A frame is a 4-byte big-endian payload length and the payload; the payload starts with
// this tag, which names the frame's kind and version.
constexpr quint32 kFrameTag = 0x564B4931;  // "VKI1"
constexpr int kLengthSize = 4;
// Command lines are bounded by the system's argument limit (a few MiB); anything larger is
// not a hand-over.
constexpr quint32 kMaxPayload = 16 * 1024 * 1024;
constexpr char kAck = 0x06;

QByteArray EncodeFrame(const THandOver& handOver) {
  QByteArray payload;
  QDataStream out(&payload, QIODevice::WriteOnly);
  out.setVersion(QDataStream::Qt_6_0);
  out << kFrameTag << handOver.Restore << handOver.Arguments << handOver.CurrentDir
      << handOver.UserData;
  QByteArray frame(kLengthSize, '\0');
  qToBigEndian<quint32>(payload.size(), frame.data());
  return frame + payload;
}

std::optional<THandOver> DecodePayload(const QByteArray& payload) {
  QDataStream in(payload);
  in.setVersion(QDataStream::Qt_6_0);
  quint32 tag = 0;
  THandOver handOver;
  in >> tag >> handOver.Restore >> handOver.Arguments >> handOver.CurrentDir >> handOver.UserData;
  if (in.status() != QDataStream::Ok || tag != kFrameTag || !in.atEnd()) return std::nullopt;
  return handOver;
}

// Names are set by the caller and may hold anything; a file name gets them as they are only
// when they are short and plain, otherwise a digest of them.
QString FileStem(const QString& name) {
  static const QRegularExpression plain("^[A-Za-z0-9{}._-]{1,40}$");
  if (plain.match(name).hasMatch()) return name;
  return QString::fromLatin1(
      QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Sha256).toHex().left(32));
}

int RemainingMs(const QDeadlineTimer& deadline) { return int(deadline.remainingTime()); }

}  // namespace

QString InstanceFilePath(const QString& name, const QString& suffix) {
  // The runtime folder belongs to the user alone (Qt checks its owner and mode); the user id
  // in the name keeps starts of different users apart should it ever be shared.
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (folder.isEmpty()) return {};
  return folder + '/' + FileStem(name) + '-' + QString::number(::getuid()) + suffix;
}

TSingleInstance::TSingleInstance(QObject* parent) : QObject(parent) {
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  connect(&server_, &QLocalServer::newConnection, this, &TSingleInstance::Accept);
}

TSingleInstance::TClaim TSingleInstance::Claim(const QString& lockPath, const QString& socketPath) {
  if (lockPath.isEmpty()) return TClaim::LockFailed;
  lock_ = std::make_unique<QLockFile>(lockPath);
  if (!lock_->tryLock(0)) {
    const bool taken = lock_->error() == QLockFile::LockFailedError;
    lock_.reset();
    return taken ? TClaim::Taken : TClaim::LockFailed;
  }
  // Holding the lock proves that a socket file left behind belongs to no running instance.
  QLocalServer::removeServer(socketPath);
  if (socketPath.isEmpty() || !server_.listen(socketPath)) {
    lock_.reset();
    return TClaim::ListenFailed;
  }
  return TClaim::First;
}

void TSingleInstance::Accept() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    auto buffer = std::make_shared<QByteArray>();
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, buffer] {
      buffer->append(socket->readAll());
      if (buffer->size() < kLengthSize) return;
      const quint32 size = qFromBigEndian<quint32>(buffer->constData());
      std::optional<THandOver> handOver;
      if (size <= kMaxPayload) {
        if (quint32(buffer->size() - kLengthSize) < size) return;
        handOver = DecodePayload(buffer->mid(kLengthSize, size));
      }
      // One frame per connection: whatever else the peer sends is not read.
      disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
      if (!handOver) {
        socket->abort();
        socket->deleteLater();
        return;
      }
      socket->write(&kAck, 1);
      socket->disconnectFromServer();
      emit Received(*handOver);
    });
  }
}

bool TSingleInstance::Send(const QString& socketPath, const THandOver& handOver, int timeoutMs) {
  const QDeadlineTimer deadline(qMax(0, timeoutMs));
  QLocalSocket socket;
  for (;;) {
    socket.connectToServer(socketPath);
    if (socket.waitForConnected(RemainingMs(deadline))) break;
    socket.abort();
    if (deadline.hasExpired()) return false;
    QThread::msleep(10);
  }
  socket.write(EncodeFrame(handOver));
  while (socket.bytesToWrite() > 0)
    if (!socket.waitForBytesWritten(RemainingMs(deadline))) return false;
  while (socket.bytesAvailable() < 1)
    if (!socket.waitForReadyRead(RemainingMs(deadline))) return false;
  char answer = 0;
  return socket.getChar(&answer) && answer == kAck;
}

}  // namespace vk::app
