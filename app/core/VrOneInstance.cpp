#include "app/core/VrOneInstance.h"

#include <QDir>

#include "app/core/StartCommand.h"

namespace vk::app {
namespace {

const QString kLockSuffix = QStringLiteral(".lock");
const QString kSocketSuffix = QStringLiteral(".sock");

}  // namespace

TVrOneInstance::TVrOneInstance(QObject* parent) : QObject(parent) {
  connect(&transport_, &TSingleInstance::Received, this, &TVrOneInstance::Store);
}

bool TVrOneInstance::CheckInstance(const QStringList& Arguments) {
  lastError_ = 0;
  if (!enabled_) return Fail(ErrorDisabled, {});
  if (isFirst_) return true;
  if (mapFileName_.isEmpty()) return Fail(ErrorEmptyName, OnMapFileFailure);
  if (mutexName_.isEmpty()) return Fail(ErrorEmptyName, OnMutexFailure);
  const QString socketPath = InstanceFilePath(mutexName_, kSocketSuffix);
  switch (transport_.Claim(InstanceFilePath(mapFileName_, kLockSuffix), socketPath)) {
    case TSingleInstance::TClaim::First:
      isFirst_ = true;
      return true;
    case TSingleInstance::TClaim::LockFailed:
      return Fail(ErrorLockFile, OnMapFileFailure);
    case TSingleInstance::TClaim::ListenFailed:
      return Fail(ErrorSocket, OnMutexFailure);
    case TSingleInstance::TClaim::Taken:
      break;
  }
  return HandOver(Arguments, socketPath);
}

bool TVrOneInstance::Fail(quint32 error, const TInstanceNotifyEvent& event) {
  lastError_ = error;
  if (event) event(*this);
  return false;
}

bool TVrOneInstance::HandOver(const QStringList& Arguments, const QString& socketPath) {
  THandOver handOver{Arguments, QDir::currentPath(), {}, restoreMaininstance_};
  if (OnwriteSharedData) {
    OnwriteSharedData(*this, handOver.UserData, MaxUserData);
    handOver.UserData.truncate(MaxUserData);
  }
  if (restoreMaininstance_ && OnRestoreApp) OnRestoreApp(*this);
  if (!TSingleInstance::Send(socketPath, handOver, mutexTimeOut_)) return Fail(ErrorTimeout, {});
  handedOver_ = true;
  return false;
}

void TVrOneInstance::Store(const THandOver& handOver) {
  pending_.push_back(handOver);
  // Whoever listens runs from the event loop, never from inside the socket's handling, and
  // takes the data with PollSharedData when it is not in the middle of something.
  QMetaObject::invokeMethod(
      this,
      [this, restore = handOver.Restore] {
        if (restore) emit RestoreRequested();
        emit SharedDataWaiting();
      },
      Qt::QueuedConnection);
}

bool TVrOneInstance::PollSharedData() {
  if (!enabled_ || !isFirst_ || pending_.empty()) return false;
  received_ = std::move(pending_.front());
  pending_.pop_front();
  if (OnreadSharedData) {
    QByteArray data = received_.UserData.left(MaxUserData);
    OnreadSharedData(*this, data, MaxUserData);
  }
  return true;
}

QString TVrOneInstance::ReceivedCommandLine() const {
  return HandOverCommandLine(received_.Arguments);
}

QString TVrOneInstance::ReceivedArchive() const {
  return ReceivedArchiveName(ReceivedCommandLine(), received_.CurrentDir);
}

}  // namespace vk::app
