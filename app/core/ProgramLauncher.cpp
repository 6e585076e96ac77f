#include "app/core/ProgramLauncher.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace vk::app {
namespace {

// Desktop-entry quoting: arguments in double quotes may hold spaces, and a backslash escapes
// the next character inside them.
QStringList SplitExec(const QString& exec) {
  QStringList parts;
  QString part;
  bool quoted = false;
  bool started = false;
  for (qsizetype i = 0; i < exec.size(); ++i) {
    const QChar c = exec[i];
    if (quoted && c == u'\\' && i + 1 < exec.size()) {
      part += exec[++i];
    } else if (c == u'"') {
      quoted = !quoted;
      started = true;
    } else if (c.isSpace() && !quoted) {
      if (started) parts << part;
      part.clear();
      started = false;
    } else {
      part += c;
      started = true;
    }
  }
  if (started) parts << part;
  return parts;
}

// The text of the desktop entry of the program the desktop opens `mimeType` with; empty
// when it names none, or one that runs in a terminal (there is none to run it in here).
QString DesktopEntryFor(const QString& mimeType) {
  QProcess query;
  query.start(QStringLiteral("xdg-mime"), {"query", "default", mimeType});
  if (!query.waitForFinished(5000) || query.exitCode() != 0) return {};
  const QString id = QString::fromUtf8(query.readAllStandardOutput()).trimmed();
  if (id.isEmpty()) return {};
  QFile file(QStandardPaths::locate(QStandardPaths::ApplicationsLocation, id));
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QString entry = QString::fromUtf8(file.readAll());
  static const QRegularExpression kTerminal(QStringLiteral("^\\s*Terminal\\s*=\\s*true\\s*$"),
                                            QRegularExpression::MultilineOption);
  return kTerminal.match(entry).hasMatch() ? QString() : entry;
}

// The command of the desktop's program for `file`: the one for its type, else for the
// nearest more general type it is a kind of (a C source is plain text).
QStringList DesktopCommandFor(const QString& file) {
  const QMimeType type = QMimeDatabase().mimeTypeForFile(file);
  for (const QString& name : QStringList{type.name()} + type.allAncestors())
    if (const QStringList command =
            DesktopExecCommand(DesktopEntryExec(DesktopEntryFor(name)), file);
        !command.isEmpty())
      return command;
  return {};
}

bool StartAndWait(const TLaunch& launch, QString& error) {
  // On the heap: when the application quits before the program ends, the program is left
  // running rather than killed with the user's unsaved work.
  auto* process = new QProcess;
  QEventLoop loop;
  QObject::connect(process, &QProcess::finished, &loop, &QEventLoop::quit);
  QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
  QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, &loop,
                   &QEventLoop::quit);
  process->start(launch.Program, launch.Arguments);
  if (!process->waitForStarted()) {
    error = process->errorString();
    delete process;
    return false;
  }
  if (process->state() != QProcess::NotRunning) loop.exec();
  return true;
}

}  // namespace

bool LaunchProgram(const TLaunch& launch, QString& error) {
  // Window states (normal, minimised, hidden) cannot be imposed on another program's
  // windows here; the program shows itself as it likes.
  if (launch.Program.isEmpty()) {
    // The desktop's program is run directly when its entry names it, so that it can be
    // waited for; otherwise the desktop's launcher hands the file over and returns.
    if (const QStringList command = DesktopCommandFor(launch.File); !command.isEmpty())
      return LaunchProgram({launch.File, command.first(), command.mid(1), launch.Wait}, error);
    QProcess open;
    open.setProgram(QStringLiteral("xdg-open"));
    open.setArguments({launch.File});
    if (open.startDetached()) return true;
    error = open.errorString();
    return false;
  }
  if (launch.Wait) return StartAndWait(launch, error);
  QProcess run;
  run.setProgram(launch.Program);
  run.setArguments(launch.Arguments);
  if (run.startDetached()) return true;
  error = run.errorString();
  return false;
}

bool IsTextEditorStandIn(const QString& viewer) {
  static const QRegularExpression kStandIn(QStringLiteral("^notepad(\\.exe)?$"),
                                           QRegularExpression::CaseInsensitiveOption);
  return kStandIn.match(viewer.trimmed()).hasMatch();
}

QString DesktopEntryExec(const QString& desktopFile) {
  bool inEntry = false;
  for (const QString& raw : desktopFile.split(u'\n')) {
    const QString line = raw.trimmed();
    if (line.startsWith(u'[')) {
      inEntry = line == QStringLiteral("[Desktop Entry]");
    } else if (inEntry && line.startsWith(QStringLiteral("Exec"))) {
      const qsizetype equals = line.indexOf(u'=');
      if (equals > 0 && line.left(equals).trimmed() == QStringLiteral("Exec"))
        return line.mid(equals + 1).trimmed();
    }
  }
  return {};
}

QStringList DesktopExecCommand(const QString& exec, const QString& file) {
  QStringList command;
  bool fileGiven = false;
  for (const QString& part : SplitExec(exec)) {
    if (part == QStringLiteral("%f") || part == QStringLiteral("%F") ||
        part == QStringLiteral("%u") || part == QStringLiteral("%U")) {
      command << file;
      fileGiven = true;
      continue;
    }
    QString arg;
    for (qsizetype i = 0; i < part.size(); ++i) {
      if (part[i] != u'%' || i + 1 == part.size()) {
        arg += part[i];
      } else if (part[++i] == u'%') {
        arg += u'%';
      }  // any other code inside an argument (%i, %c, %k...) goes
    }
    if (!arg.isEmpty()) command << arg;
  }
  if (!command.isEmpty() && !fileGiven) command << file;
  return command;
}

QStringList ViewerCommand(const QString& viewer, const QString& file) {
  if (IsTextEditorStandIn(viewer))
    return DesktopExecCommand(DesktopEntryExec(DesktopEntryFor(QStringLiteral("text/plain"))),
                              file);
  return {viewer, file};
}

}  // namespace vk::app
