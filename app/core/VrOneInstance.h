// The single-instance component of the main window: the first interactive start of a user
// keeps running, and a later one hands its command line and current folder over to it and
// ends. The caller decides which starts take part: a run that only does one job and ends
// (a command switch) simply never calls CheckInstance, so it neither registers nor hands over.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

#include "app/core/SingleInstance.h"

namespace vk::app {

class TVrOneInstance;

using TInstanceNotifyEvent = std::function<void(TVrOneInstance& Sender)>;
// Data of the caller's own that travels with a hand-over. The sender fills `Data` (cut to
// `MaxDataSize` bytes); the receiver gets what arrived.
using TSharedDataEvent =
    std::function<void(TVrOneInstance& Sender, QByteArray& Data, quint32 MaxDataSize)>;

class TVrOneInstance : public QObject {
  Q_OBJECT

 public:
  // LastError codes.
  static constexpr quint32 ErrorTimeout = 0x20000001;    // the first instance did not answer
  static constexpr quint32 ErrorEmptyName = 0x20000004;  // MapFileName or MutexName is empty
  static constexpr quint32 ErrorDisabled = 0x20000005;
  static constexpr quint32 ErrorLockFile = 0x20000006;  // the lock file could not be made
  static constexpr quint32 ErrorSocket = 0x20000007;    // the socket could not listen
  // The most user data a hand-over carries.
  static constexpr quint32 MaxUserData = 2040;

  explicit TVrOneInstance(QObject* parent = nullptr);

  // Published properties. MapFileName names the lock file that decides the first instance,
  // MutexName the socket that carries the hand-over; the owner sets both.
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value) { enabled_ = value; }
  const QString& MapFileName() const { return mapFileName_; }
  void SetMapFileName(const QString& value) { mapFileName_ = value; }
  const QString& MutexName() const { return mutexName_; }
  void SetMutexName(const QString& value) { mutexName_ = value; }
  bool RestoreMaininstance() const { return restoreMaininstance_; }
  void SetRestoreMaininstance(bool value) { restoreMaininstance_ = value; }
  // How long a later start waits for the first one to take its hand-over.
  int MutexTimeOut() const { return mutexTimeOut_; }
  void SetMutexTimeOut(int value) { mutexTimeOut_ = value; }

  // The lock file cannot be made, or MapFileName is empty.
  TInstanceNotifyEvent OnMapFileFailure;
  // The socket cannot listen, or MutexName is empty.
  TInstanceNotifyEvent OnMutexFailure;
  // A later start, before it hands over.
  TSharedDataEvent OnwriteSharedData;
  // The first instance, when PollSharedData takes a hand-over.
  TSharedDataEvent OnreadSharedData;
  // A later start, before it asks the first one to bring its window back.
  TInstanceNotifyEvent OnRestoreApp;

  // The start-up check with the program's parameters. True: go on as the first instance.
  // False: HandedOver() tells a later start whose parameters reached the first instance (it
  // should end now) from a failed check (LastError says why).
  bool CheckInstance(const QStringList& Arguments);
  // The first instance takes the oldest hand-over that has not been taken; false when there
  // is none. Hand-overs wait here until the caller is ready for them.
  bool PollSharedData();

  bool IsFirstInstance() const { return isFirst_; }
  bool HandedOver() const { return handedOver_; }
  quint32 LastError() const { return lastError_; }

  // The hand-over PollSharedData took last: its parameters, each parameter with a space in
  // double quotes, joined by spaces; its parameters one by one; and the sender's folder.
  QString ReceivedCommandLine() const;
  const QStringList& ReceivedArguments() const { return received_.Arguments; }
  const QString& ReceivedDirectory() const { return received_.CurrentDir; }
  // The archive the hand-over names: the command line, trimmed and without one pair of
  // surrounding double quotes; a relative name is taken from the sender's folder. Empty when
  // the later start had no parameters.
  QString ReceivedArchive() const;

 signals:
  // Queued on the event loop after a hand-over arrived: call PollSharedData when not busy.
  void SharedDataWaiting();
  // Queued before SharedDataWaiting when the later start asks for the window to come back.
  void RestoreRequested();

 private:
  bool Fail(quint32 error, const TInstanceNotifyEvent& event);
  bool HandOver(const QStringList& Arguments, const QString& socketPath);
  void Store(const THandOver& handOver);

  bool enabled_ = true;
  QString mapFileName_;
  QString mutexName_;
  bool restoreMaininstance_ = true;
  int mutexTimeOut_ = 250;

  TSingleInstance transport_;
  bool isFirst_ = false;
  bool handedOver_ = false;
  quint32 lastError_ = 0;
  std::deque<THandOver> pending_;
  THandOver received_;
};

}  // namespace vk::app
