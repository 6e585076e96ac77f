// The transport between the starts of the program by one user: a lock file decides which
// start is the first one, and a local socket carries what a later start hands over to it.
// A lock whose process is gone is taken over, so a crashed first instance never makes every
// later start a second instance that talks to nobody.
#pragma once

#include <QByteArray>
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

namespace vk::app {

// What a later start hands to the first one.
struct THandOver {
  QStringList Arguments;  // its command-line parameters, without the program
  QString CurrentDir;     // its current folder, for resolving relative names
  QByteArray UserData;    // free data of the caller's own
  bool Restore = false;   // bring the first instance's window back
};

// The per-user file that stands for `name` (a lock file or a socket, told apart by `suffix`):
// in the user's runtime folder, named after `name` and the user id. Empty when the user has
// no usable runtime folder.
QString InstanceFilePath(const QString& name, const QString& suffix);

class TSingleInstance : public QObject {
  Q_OBJECT

 public:
  enum class TClaim {
    First,        // the lock is ours and the socket listens
    Taken,        // another running start holds the lock
    LockFailed,   // the lock file could not be made
    ListenFailed  // the lock was ours but the socket could not listen; the lock is given back
  };

  explicit TSingleInstance(QObject* parent = nullptr);

  // Takes the lock file (one left by a crashed first instance is taken over) and, when it is
  // ours, listens on `socketPath` for hand-overs.
  TClaim Claim(const QString& lockPath, const QString& socketPath);

  // A later start: connects, sends, and waits for the first one's acknowledgement. The first
  // one may hold the lock but not listen yet, so connecting is retried. False when the
  // hand-over was not acknowledged within `timeoutMs`.
  static bool Send(const QString& socketPath, const THandOver& handOver, int timeoutMs);

 signals:
  // A complete hand-over arrived and was acknowledged.
  void Received(const vk::app::THandOver& handOver);

 private:
  void Accept();

  // Declared in this order so that the socket closes (and its file goes) before the lock is
  // given back.
  std::unique_ptr<QLockFile> lock_;
  QLocalServer server_;
};

}  // namespace vk::app
