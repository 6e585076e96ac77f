#include "app/core/AboutText.h"

#include <QStringList>

#include "app/core/Translation.h"
#include "engine/base/Version.h"

namespace vk::app {

QString ProgramVersion() { return QString::fromStdString(qel::ProgramVersion()); }

QString AboutText() {
  QStringList libraries{QStringLiteral("Qt ") + qVersion()};
  for (const auto& [name, version] : qel::EngineLibraries())
    libraries << QString::fromStdString(name + ' ' + version);
  QString text = QStringLiteral("Vorelkit ") + ProgramVersion() + QStringLiteral("\nLibraries: ") +
                 libraries.join(QStringLiteral(", "));
  if (const std::optional<QString> translation = AboutTranslationText())
    text += QStringLiteral("\n\n") + *translation;
  return text;
}

}  // namespace vk::app
