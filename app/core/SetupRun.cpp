#include "app/core/SetupRun.h"

#include <QFileInfo>
#include <QStandardPaths>

#include "app/core/MarkedNames.h"

namespace vk::app {

QString SetupEntry(const TShellItemStore& files) {
  for (size_t i = 0; i < files.size(); ++i)
    if (const TShellItem& item = files.At(i); NameKind(item.Name) == TNameKind::Setup)
      return item.Folder + item.Name;
  return {};
}

TSetupRun SetupLaunch(const QString& file) {
  const QFileInfo info(file);
  // "env -C" starts it in its own folder, where setup programs look for their other files.
  const auto fromItsFolder = [&](const QString& program, const QStringList& arguments) {
    return TSetupRun{
        {file, QStringLiteral("env"),
         QStringList{QStringLiteral("-C"), info.absolutePath(), program} + arguments, true},
        true};
  };
  if (info.isFile() && info.isExecutable()) return fromItsFolder(info.absoluteFilePath(), {});
  if (const QString wine = QStandardPaths::findExecutable(QStringLiteral("wine"));
      !wine.isEmpty()) {
    if (info.suffix().compare(u"msi", Qt::CaseInsensitive) == 0)
      return fromItsFolder(
          wine, {QStringLiteral("msiexec"), QStringLiteral("/i"), info.absoluteFilePath()});
    if (info.suffix().compare(u"exe", Qt::CaseInsensitive) == 0)
      return fromItsFolder(wine, {info.absoluteFilePath()});
  }
  return {{file, {}, {}, true}, false};
}

}  // namespace vk::app
