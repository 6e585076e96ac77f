#include "app/core/TempFiles.h"

#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cerrno>
#include <utility>

#include "engine/streams/TempCommit.h"

namespace vk::app {
namespace {

QStringList& OwnFolders() {
  static QStringList folders;
  return folders;
}

bool ProcessRuns(qint64 pid) { return ::kill(pid_t(pid), 0) == 0 || errno == EPERM; }

// A folder made by a process of this program names it: stale once that process ended.
bool StaleFolder(const QFileInfo& info) {
  static const QRegularExpression kOwned(QStringLiteral("^\\$\\$_[a-z]+(\\d+)-"));
  const QRegularExpressionMatch owned = kOwned.match(info.fileName());
  return owned.hasMatch() && !ProcessRuns(owned.captured(1).toLongLong());
}

}  // namespace

QString MakeOwnTempFolder(const QString& folder, const QString& kind) {
  QTemporaryDir made(QDir(folder).filePath(
      QStringLiteral("$$_%1%2-XXXXXX").arg(kind).arg(QCoreApplication::applicationPid())));
  if (!made.isValid()) return {};
  made.setAutoRemove(false);
  OwnFolders() << made.path();
  return made.path() + u'/';
}

void CleanTempFolder(const QString& folder) {
  for (const QString& own : std::exchange(OwnFolders(), {})) QDir(own).removeRecursively();
  const QDir dir(folder);
  for (const QFileInfo& info : dir.entryInfoList(
           {QStringLiteral("$$_*")}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot)) {
    if (info.ownerId() == uint(getuid()) && !info.isSymLink() && StaleFolder(info))
      QDir(info.absoluteFilePath()).removeRecursively();
  }
  // Temporary archives are the engine's: it knows which ones a killed writer left.
  qel::RemoveStaleTempFiles(QFile::encodeName(folder).toStdString());
}

}  // namespace vk::app
