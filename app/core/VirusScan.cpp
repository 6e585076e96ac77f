#include "app/core/VirusScan.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace vk::app {

QString FindVirusScanner(const QString& setting) {
  const QString name = setting.trimmed();
  if (name.isEmpty()) return {};
  if (QDir::isAbsolutePath(name)) {
    const QFileInfo file(name);
    return file.isFile() && file.isExecutable() ? file.absoluteFilePath() : QString();
  }
  // A relative path would depend on whatever the current folder happens to be.
  if (name.contains(u'/')) return {};
  return QStandardPaths::findExecutable(name);
}

QStringList VirusScanArguments(const QString& params, const QString& archive) {
  QStringList arguments = QProcess::splitCommand(params);
  for (QString& argument : arguments) argument.replace(QStringLiteral("%f"), archive);
  return arguments;
}

QString FindTerminal() {
  return QStandardPaths::findExecutable(QStringLiteral("x-terminal-emulator"));
}

TLaunch TerminalLaunch(const QString& terminal, const QString& archive, const QString& scanner,
                       const QStringList& arguments) {
  // "$0" and "$@" are the scanner and its arguments, as they stand.
  static const QString kScript =
      QStringLiteral("\"$0\" \"$@\"; printf '\\r\\nPress any key to continue...'; read -rsn1");
  return {archive, terminal,
          QStringList{QStringLiteral("-e"), QStringLiteral("bash"), QStringLiteral("-c"), kScript,
                      scanner} +
              arguments,
          true};
}

bool RunCaptured(const QString& program, const QStringList& arguments, QString& output,
                 QString& error) {
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.setWorkingDirectory(QFileInfo(program).absolutePath());
  QEventLoop loop;
  QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
  QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, &loop,
                   &QEventLoop::quit);
  process.start(program, arguments);
  if (!process.waitForStarted()) {
    error = process.errorString();
    return false;
  }
  if (process.state() != QProcess::NotRunning) loop.exec();
  output = QString::fromLocal8Bit(process.readAll());
  return true;
}

}  // namespace vk::app
