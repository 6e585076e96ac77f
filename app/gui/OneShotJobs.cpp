#include "app/gui/OneShotJobs.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <iostream>

#include "app/core/AppPaths.h"
#include "app/core/AppSettings.h"
#include "app/core/Translation.h"
#include "app/gui/LanguageChooser.h"
#include "app/gui/OptionsDialog.h"

namespace vk::gui {
namespace {

using app::TStartSwitch;

const char* JobName(TStartSwitch s) {
  switch (s) {
    case TStartSwitch::UnregisterAssociations:
      return "Removing file associations";
    case TStartSwitch::MakeSelfExtractor:
      return "Making self-extracting files";
    case TStartSwitch::ExtractWithDialog:
    case TStartSwitch::ExtractHere:
    case TStartSwitch::ExtractToFolders:
    case TStartSwitch::DoubleClickExtract:
      return "Extracting archives";
    case TStartSwitch::Test:
      return "Testing archives";
    case TStartSwitch::Convert:
      return "Converting archives";
    case TStartSwitch::AddFromListFile:
    case TStartSwitch::AddFromListFileDirectly:
    case TStartSwitch::Add:
    case TStartSwitch::AddDirectly:
      return "Adding files";
    default:
      return "This operation";
  }
}

// Until a job's part of the program exists, the start says so plainly instead of doing
// nothing or something else.
int NotAvailable(TStartSwitch s) {
  const QString text =
      QString("%1 is not available yet in this version of Vorelkit.").arg(JobName(s));
  std::cerr << "vorelkit: " << text.toStdString() << std::endl;
  QMessageBox::information(nullptr, "Vorelkit", text);
  return 1;
}

}  // namespace

int RunOneShotJob(const app::TStartCommand& command) {
  if (command.Switch == TStartSwitch::SelectLanguage) {
    if (std::optional<QString> path = ChooseLanguage()) {
      app::LoadLanguage(*path);
      app::AppSettings().AppLanguageFile = app::LanguageFileSetting(*path);
    }
    // Without a window, the dialog keeps the look it edits in the settings alone.
    TfrmOptions options(nullptr, TfrmOptions::pgFileAssociations);
    options.exec();
    return 0;
  }
  return NotAvailable(command.Switch);
}

}  // namespace vk::gui
