#include "app/core/TempFiles.h"

#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cerrno>
#include <utility>

namespace vk::app {
namespace {

constexpr int kStaleSeconds = 5 * 60;

QStringList& OwnFolders() {
  static QStringList folders;
  return folders;
}

bool ProcessRuns(qint64 pid) { return ::kill(pid_t(pid), 0) == 0 || errno == EPERM; }

// Whether a process has `path` (or, for a folder, something inside it) open or as its
// current folder. Only this user's processes can be seen, and only they can reach the
// folder.
bool HeldOpen(const QString& path) {
  const QString inside = path + u'/';
  const QStringList processes = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
  for (const QString& pid : processes) {
    bool number = false;
    pid.toLongLong(&number);
    if (!number) continue;
    const QString base = QStringLiteral("/proc/") + pid;
    QStringList targets{QFileInfo(base + QStringLiteral("/cwd")).symLinkTarget()};
    const QDir fds(base + QStringLiteral("/fd"));
    for (const QFileInfo& fd : fds.entryInfoList(QDir::AllEntries | QDir::System))
      targets << fd.symLinkTarget();
    for (const QString& target : targets)
      if (target == path || target.startsWith(inside)) return true;
  }
  return false;
}

bool Stale(const QFileInfo& info) {
  // A folder made by a process of this program names it: stale once that process ended.
  static const QRegularExpression kOwned(QStringLiteral("^\\$\\$_[a-z]+(\\d+)-"));
  if (const QRegularExpressionMatch owned = kOwned.match(info.fileName()); owned.hasMatch())
    return !ProcessRuns(owned.captured(1).toLongLong());
  return info.lastModified().secsTo(QDateTime::currentDateTime()) > kStaleSeconds &&
         !HeldOpen(info.absoluteFilePath());
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
  for (const QFileInfo& info :
       dir.entryInfoList({QStringLiteral("$$_*")},
                         QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot)) {
    if (info.ownerId() != uint(getuid()) || !Stale(info)) continue;
    if (info.isDir() && !info.isSymLink())
      QDir(info.absoluteFilePath()).removeRecursively();
    else
      QFile::remove(info.absoluteFilePath());
  }
}

}  // namespace vk::app
