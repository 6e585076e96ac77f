#include "app/core/AboutText.h"

#include "app/core/Translation.h"
#include "engine/base/Version.h"

namespace vk::app {

QString ProgramVersion() { return QString::fromStdString(qel::ProgramVersion()); }

QString AboutText() {
  QString text = QStringLiteral("Vorelkit ") + ProgramVersion() +
                 QStringLiteral("\nLibraries: Qt ") + qVersion() + QStringLiteral(", ") +
                 QString::fromStdString(qel::EngineLibraries());
  if (const std::optional<QString> translation = AboutTranslationText())
    text += QStringLiteral("\n\n") + *translation;
  return text;
}

}  // namespace vk::app
