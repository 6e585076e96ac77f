#include "app/core/ArchiveFileCommands.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vk::app {
namespace {

QString SystemError(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// 0 or the errno of the rename. Without `replace` an existing target stays: the kernel's
// no-replace rename, and on file systems without it a look just before.
int RenamePath(const QString& from, const QString& to, bool replace) {
  const QByteArray f = QFile::encodeName(from);
  const QByteArray t = QFile::encodeName(to);
  if (replace) return ::rename(f.constData(), t.constData()) == 0 ? 0 : errno;
  if (::renameat2(AT_FDCWD, f.constData(), AT_FDCWD, t.constData(), RENAME_NOREPLACE) == 0)
    return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  struct stat st;
  if (::lstat(t.constData(), &st) == 0) return EEXIST;
  return ::rename(f.constData(), t.constData()) == 0 ? 0 : errno;
}

TFileCommandResult Failed(const QString& why) { return {false, why}; }

}  // namespace

QString TargetInFolder(const QString& archive, const QString& folder) {
  return QDir(folder).absoluteFilePath(QFileInfo(archive).fileName());
}

QString NameWithoutExtension(const QString& archive) {
  return QFileInfo(archive).completeBaseName();
}

QString ExtensionOf(const QString& archive) {
  const QString suffix = QFileInfo(archive).suffix();
  return suffix.isEmpty() ? QString() : u'.' + suffix;
}

QString RenamedTarget(const QString& archive, const QString& newName) {
  if (newName.isEmpty() || newName == u"." || newName == u".." || newName.contains(u'/') ||
      newName.contains(QChar(0)))
    return {};
  return QFileInfo(archive).absoluteDir().filePath(newName + ExtensionOf(archive));
}

QString TargetProblem(const QString& archive, const QString& target) {
  const QFileInfo to(target);
  if (to.isDir()) return SystemError(EISDIR);
  if (to.exists() && to.canonicalFilePath() == QFileInfo(archive).canonicalFilePath())
    return QStringLiteral("The destination is the archive itself.");
  return {};
}

TFileCommandResult CopyArchiveFile(const QString& archive, const QString& target, bool replace) {
  if (const QString problem = TargetProblem(archive, target); !problem.isEmpty())
    return Failed(problem);
  QFile in(archive);
  if (!in.open(QIODevice::ReadOnly)) return Failed(in.errorString());
  QTemporaryFile out(QFileInfo(target).absolutePath() + QStringLiteral("/.vorelkit-copy-XXXXXX"));
  if (!out.open()) return Failed(out.errorString());
  QByteArray buffer(1 << 20, Qt::Uninitialized);
  for (;;) {
    const qint64 got = in.read(buffer.data(), buffer.size());
    if (got < 0) return Failed(in.errorString());
    if (got == 0) break;
    if (out.write(buffer.constData(), got) != got) return Failed(out.errorString());
  }
  out.setPermissions(in.permissions());
  out.setFileTime(QFileInfo(in).lastModified(), QFileDevice::FileModificationTime);
  if (!out.flush()) return Failed(out.errorString());
  out.close();
  if (const int error = RenamePath(out.fileName(), target, replace))
    return Failed(SystemError(error));
  out.setAutoRemove(false);
  return {true, {}};
}

TFileCommandResult MoveArchiveFile(const QString& archive, const QString& target, bool replace) {
  if (const QString problem = TargetProblem(archive, target); !problem.isEmpty())
    return Failed(problem);
  const int error = RenamePath(archive, target, replace);
  if (error == 0) return {true, {}};
  if (error != EXDEV) return Failed(SystemError(error));
  TFileCommandResult copied = CopyArchiveFile(archive, target, replace);
  if (copied.Ok && !QFile::remove(archive))
    return Failed(
        QStringLiteral("The archive was copied to \"%1\", but the original could not be removed.")
            .arg(target));
  return copied;
}

}  // namespace vk::app
