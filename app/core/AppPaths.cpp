#include "app/core/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "engine/base/FileSystem.h"

namespace vk::app {
namespace {

QString& Override() {
  static QString folder;
  return folder;
}

QString WithSlash(QString folder) { return folder.endsWith('/') ? folder : folder + '/'; }

}  // namespace

void SetProgramFolderForTests(const QString& folder) { Override() = WithSlash(folder); }

QString ProgramFolder() {
  if (!Override().isEmpty()) return Override();
  return WithSlash(QCoreApplication::applicationDirPath());
}

QString SettingsFilePath() {
  const QString beside = ProgramFolder();
  // Installed, the folder is the package's, whoever runs the program: even root's settings
  // go to the configuration folder, or removing the package would leave them behind.
  const bool installed = beside.endsWith(QStringLiteral("/lib/vorelkit/"));
  if (!installed && qel::CanCreateFilesIn(beside.toStdString())) return beside + "Settings.ini";
  QString config = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"));
  if (config.isEmpty()) config = QDir::homePath() + "/.config";
  const QString folder = WithSlash(config) + "vorelkit/";
  QDir().mkpath(folder);
  return folder + "Settings.ini";
}

QString LanguagesFolder() { return ProgramFolder() + "Languages/"; }

}  // namespace vk::app
