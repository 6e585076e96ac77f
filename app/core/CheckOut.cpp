#include "app/core/CheckOut.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <algorithm>
#include <map>
#include <memory>

namespace vk::app {
namespace {

bool Exists(const QString& path) {
  const QFileInfo info(path);
  return info.exists() || info.isSymLink();  // a dangling link is there too
}

// `path` lies below `root`, both clean and absolute.
bool Below(const QString& root, const QString& path) {
  return path.startsWith(root == u"/" ? root : root + u'/') && path != root;
}

// A value of a desktop entry: backslashes and control characters escaped, a leading space
// kept.
QString EntryValue(QString text) {
  text.replace(u'\\', QStringLiteral("\\\\"))
      .replace(u'\n', QStringLiteral("\\n"))
      .replace(u'\t', QStringLiteral("\\t"))
      .replace(u'\r', QStringLiteral("\\r"));
  if (text.startsWith(u' ')) text.replace(0, 1, QStringLiteral("\\s"));
  return text;
}

// One argument of an Exec line: always quoted, so that no character of a file name means
// anything to the desktop's launcher.
QString ExecArgument(QString arg) {
  arg.replace(u'\\', QStringLiteral("\\\\"))
      .replace(u'"', QStringLiteral("\\\""))
      .replace(u'`', QStringLiteral("\\`"))
      .replace(u'$', QStringLiteral("\\$"))
      .replace(u'%', QStringLiteral("%%"));
  return u'"' + arg + u'"';
}

}  // namespace

QString CheckOutGroupName(const QString& archive) {
  QString name = QFileInfo(archive).fileName();
  const qsizetype dot = name.lastIndexOf(u'.');
  if (dot > 0) name.truncate(dot);
  for (const QString& inner : {QStringLiteral(".tar"), QStringLiteral(".7z")})
    if (name.size() > inner.size() && name.endsWith(inner, Qt::CaseInsensitive))
      return name.chopped(inner.size());
  return name;
}

QString CheckOutDefaultFolder(const QString& archive, const QString& baseFolder) {
  const QString base = baseFolder.isEmpty() ? QFileInfo(archive).absolutePath() : baseFolder;
  return QDir::cleanPath(base + u'/' + CheckOutGroupName(archive));
}

QString ApplicationsFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
}

QString GroupFolder(const QString& group) {
  if (group.isEmpty() || group == u"." || group == u".." || group.contains(u'/') ||
      group.contains(QChar(0)))
    return {};
  return QDir::cleanPath(ApplicationsFolder() + u'/' + group);
}

TMadeTree PlanTree(const QString& root, const QStringList& relativeFiles) {
  TMadeTree tree;
  tree.Root = QDir::cleanPath(QDir(root).absolutePath());
  tree.RootExisted = Exists(tree.Root);
  // An archive may hold many thousands of entries: each path is looked at once.
  QSet<QString> seen;
  for (const QString& relative : relativeFiles) {
    const QString path = QDir::cleanPath(tree.Root + u'/' + relative);
    if (!Below(tree.Root, path) || seen.contains(path)) continue;
    seen.insert(path);
    if (Exists(path)) continue;
    tree.Files << path;
    QStringList parents;
    for (QString folder = QFileInfo(path).path();
         Below(tree.Root, folder) && !seen.contains(folder); folder = QFileInfo(folder).path()) {
      seen.insert(folder);
      if (!Exists(folder)) parents.prepend(folder);
    }
    tree.Folders << parents;
  }
  return tree;
}

void SettleTree(TMadeTree& tree) {
  if (!tree.RootExisted && !Exists(tree.Root)) {
    tree = {};
    return;
  }
  tree.Files.removeIf([](const QString& file) { return !Exists(file); });
  tree.Folders.removeIf([](const QString& folder) {
    const QFileInfo info(folder);
    return !info.isDir() || info.isSymLink();
  });
}

bool IsDeletableFolder(const QString& folder) {
  if (folder.isEmpty() || QDir::isRelativePath(folder)) return false;
  QStringList forms = {QDir::cleanPath(folder)};
  if (const QString real = QFileInfo(folder).canonicalFilePath(); !real.isEmpty()) forms << real;
  for (const QString& guarded : {QStringLiteral("/"), QDir::homePath(), ApplicationsFolder()}) {
    QStringList guards = {QDir::cleanPath(guarded)};
    if (const QString real = QFileInfo(guarded).canonicalFilePath(); !real.isEmpty())
      guards << real;
    for (const QString& form : forms)
      for (const QString& guard : guards)
        if (form == guard || Below(form, guard)) return false;
  }
  return true;
}

QStringList RemoveMadeTree(const TMadeTree& tree) {
  if (tree.Empty()) return {};
  if (QDir::isRelativePath(tree.Root)) return {tree.Root};
  QStringList stayed;
  const QFileInfo root(tree.Root);
  if (!tree.RootExisted) {
    if (!IsDeletableFolder(tree.Root)) return {tree.Root};
    const bool gone = root.isSymLink() ? QFile::remove(tree.Root)
                      : root.exists()  ? QDir(tree.Root).removeRecursively()
                                       : true;
    if (!gone) stayed << tree.Root;
    return stayed;
  }
  for (const QString& file : tree.Files) {
    const QFileInfo info(file);
    if (!Below(tree.Root, file) || (info.isDir() && !info.isSymLink()) ||
        (Exists(file) && !QFile::remove(file)))
      stayed << file;
  }
  for (auto folder = tree.Folders.crbegin(); folder != tree.Folders.crend(); ++folder)
    if (Below(tree.Root, *folder) && Exists(*folder) && !QDir().rmdir(*folder)) stayed << *folder;
  return stayed;
}

TFileTest DesktopProgramTest() {
  auto known = std::make_shared<std::map<QString, bool>>();
  return [known](const QString& file) {
    const QFileInfo info(file);
    if (info.isFile() && info.isExecutable()) return true;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(info);
    auto [it, fresh] = known->try_emplace(type.name(), false);
    if (!fresh) return it->second;
    // The type itself or a more general one (a C source is plain text); every file is a
    // byte stream, and a program for those says nothing about this one.
    for (const QString& name : QStringList{type.name()} + type.allAncestors()) {
      if (name == u"application/octet-stream") continue;
      QProcess query;
      query.start(QStringLiteral("xdg-mime"),
                  {QStringLiteral("query"), QStringLiteral("default"), name});
      if (query.waitForFinished(5000) && query.exitCode() == 0 &&
          !query.readAllStandardOutput().trimmed().isEmpty())
        return it->second = true;
    }
    return false;
  };
}

QString LauncherText(const QString& file, bool program) {
  const QFileInfo info(file);
  const QString name =
      info.completeBaseName().isEmpty() ? info.fileName() : info.completeBaseName();
  QString text =
      QStringLiteral("[Desktop Entry]\nType=Application\nName=") + EntryValue(name) + u'\n';
  if (program) {
    text += QStringLiteral("Exec=") + EntryValue(ExecArgument(info.absoluteFilePath())) +
            QStringLiteral("\nPath=") + EntryValue(info.absolutePath()) +
            QStringLiteral("\nIcon=application-x-executable\n");
  } else {
    text += QStringLiteral("Exec=xdg-open ") + EntryValue(ExecArgument(info.absoluteFilePath())) +
            QStringLiteral("\nIcon=") + QMimeDatabase().mimeTypeForFile(info).iconName() + u'\n';
  }
  return text + QStringLiteral("Terminal=false\n");
}

TMadeTree MakeLaunchers(const QString& groupFolder, const QString& root,
                        const QStringList& relativeFiles, int limit, bool programsOnly,
                        const TFileTest& qualifies) {
  if (groupFolder.isEmpty()) return {};
  QStringList launchers;
  QStringList files;
  const qsizetype examined = std::min<qsizetype>(std::max(limit, 0), relativeFiles.size());
  for (qsizetype i = 0; i < examined; ++i) {
    const QString file = QDir::cleanPath(root + u'/' + relativeFiles[i]);
    if (!QFileInfo(file).isFile() || (programsOnly && !qualifies(file))) continue;
    launchers << relativeFiles[i] + QStringLiteral(".desktop");
    files << file;
  }
  TMadeTree made = PlanTree(groupFolder, launchers);
  for (qsizetype i = 0; i < launchers.size(); ++i) {
    const QString path = QDir::cleanPath(made.Root + u'/' + launchers[i]);
    if (!made.Files.contains(path) || !QDir().mkpath(QFileInfo(path).path())) continue;
    QFile out(path);
    // NewOnly: a launcher that appeared meanwhile is not overwritten either.
    if (out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
      out.write(LauncherText(files[i], QFileInfo(files[i]).isExecutable()).toUtf8());
  }
  SettleTree(made);
  return made;
}

}  // namespace vk::app
