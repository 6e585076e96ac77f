#include "app/gui/OneShotJobs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QRegularExpression>
#include <exception>
#include <iostream>
#include <memory>

#include "app/core/AppPaths.h"
#include "app/core/AppSettings.h"
#include "app/core/ArchiveComponents.h"
#include "app/core/ArchiveTest.h"
#include "app/core/HeadlessOperationUi.h"
#include "app/core/HeadlessTest.h"
#include "app/core/ProgressReport.h"
#include "app/core/ShellOperations.h"
#include "app/core/Translation.h"
#include "app/gui/ConvertDialog.h"
#include "app/gui/DialogPrompter.h"
#include "app/gui/ErrorList.h"
#include "app/gui/LanguageChooser.h"
#include "app/gui/MessageBox.h"
#include "app/gui/OperationWindows.h"
#include "app/gui/OptionsDialog.h"
#include "app/gui/SfxDialogs.h"
#include "app/gui/TestWindow.h"
#include "app/prompts/EnginePrompts.h"
#include "app/prompts/TerminalPrompter.h"

namespace vk::gui {
namespace {

using app::TStartSwitch;

// The offscreen and minimal platforms show nothing: a dialog there would wait forever.
bool HasDisplay() {
  const QString platform = QGuiApplication::platformName();
  return platform != "offscreen" && platform != "minimal";
}

bool NeedsDialog(TStartSwitch s) {
  return s == TStartSwitch::SelectLanguage || s == TStartSwitch::ExtractWithDialog ||
         s == TStartSwitch::Add || s == TStartSwitch::AddFromListFile ||
         s == TStartSwitch::Convert || s == TStartSwitch::MakeSelfExtractor;
}

// Until a job's part of the program exists, the start says so plainly instead of doing
// nothing or something else.
int NotAvailable(const char* job, bool display) {
  const QString text = QString("%1 is not available yet in this version of Vorelkit.").arg(job);
  std::cerr << "vorelkit: " << text.toStdString() << std::endl;
  if (display) QMessageBox::information(nullptr, "Vorelkit", text);
  return 1;
}

// Without a display the terminal asks, as vorelkit-cli does, when there is one to read
// from; otherwise every question gets the answer that changes nothing.
app::TTerminalPrompter TerminalPrompter() {
  app::TTerminalOptions options;
  options.Interactive = app::StdinIsTerminal();
  return app::TTerminalPrompter(options, std::cin, std::cerr);
}

int NeedsDisplay() {
  std::cerr << "vorelkit: " << app::Message(1400).toStdString() << std::endl;
  return 2;
}

int ChooseLanguageAndOptions() {
  if (std::optional<QString> path = ChooseLanguage()) {
    app::LoadLanguage(*path);
    app::AppSettings().AppLanguageFile = app::LanguageFileSetting(*path);
  }
  // Without a window, the dialog keeps the look it edits in the settings alone.
  TfrmOptions options(nullptr, TfrmOptions::pgFileAssociations);
  options.exec();
  return 0;
}

// The list the shell integration leaves in the temporary folder, one path a line: the
// program's own when the user chose one, else the system's, which is the one the shell
// integration knows. It is removed once read: no window of this start cleans the folder at
// its end, and a list left there would be taken again by a later start that found no new one.
std::optional<QStringList> ReadListFile(app::IOperationUi& ui) {
  QFile file(QDir(app::AppSettings().AppTempFolder).filePath(app::kListFileName));
  if (!file.exists()) file.setFileName(QDir(QDir::tempPath()).filePath(app::kListFileName));
  if (!file.open(QIODevice::ReadOnly)) {
    ui.ShowMessage(app::FormatMessage(app::Message(1410), {file.fileName()}));
    return std::nullopt;
  }
  const QStringList list = QString::fromUtf8(file.readAll()).split(QRegularExpression("\r?\n"));
  file.remove();
  return list;
}

// Runs an add or extract job through `ui`; answers whether it went without a fault.
bool RunOperation(const app::TStartCommand& c, app::IOperationUi& ui, app::IPrompter& prompter) {
  app::TEnginePrompts prompts(prompter);
  app::TArchiveComponents components;
  app::TShellOperations operations(components, prompts, ui);
  const app::TAppSettings& s = app::AppSettings();
  std::optional<QStringList> list = c.CommandFileList;
  switch (c.Switch) {
    case TStartSwitch::AddFromListFile:
    case TStartSwitch::AddFromListFileDirectly:
      list = ReadListFile(ui);
      if (!list) return false;
      break;
    default:
      break;
  }
  switch (c.Switch) {
    case TStartSwitch::Add:
    case TStartSwitch::AddFromListFile:
      operations.AddToArchive(*list);
      break;
    case TStartSwitch::AddDirectly:
    case TStartSwitch::AddFromListFileDirectly:
      operations.AddToDefaultArchive(*list);
      break;
    case TStartSwitch::ExtractWithDialog:
      operations.ExtractWithDialog(*list, c.ExtractTarget);
      break;
    case TStartSwitch::ExtractHere:
      operations.ExtractDirect(*list, c.ExtractTarget, 0);
      break;
    case TStartSwitch::ExtractToFolders:
      operations.ExtractDirect(*list, c.ExtractTarget, 2);
      break;
    default: {  // the double-click extraction
      const QString folder =
          operations.ExtractDirect(*list, c.ExtractTarget, s.DCExtractFolderType);
      if (s.DCOpenAfterExtract && !folder.isEmpty()) ui.OpenFolder(folder);
    }
  }
  return !operations.Failed();
}

int RunOperation(const app::TStartCommand& c, bool display) {
  if (!display) {
    app::THeadlessOperationUi ui(std::cerr);
    app::TTerminalPrompter prompter = TerminalPrompter();
    return RunOperation(c, ui, prompter) ? 0 : 1;
  }
  TfrmErrors errors;
  TOperationWindows ui(nullptr, errors);
  TDialogPrompter prompter(nullptr);
  const bool ok = RunOperation(c, ui, prompter);
  errors.WaitUntilClosed();  // the job's last word
  return ok ? 0 : 1;
}

int RunTest(const QString& given, bool display) {
  const QString archive = QFileInfo(given).absoluteFilePath();
  if (!display) {
    app::TTerminalPrompter prompter = TerminalPrompter();
    app::TEnginePrompts prompts(prompter);
    return app::PrintArchiveTest(archive, prompts, std::cout, std::cerr) ? 0 : 1;
  }
  const qel::TArcType type = app::ListedType(archive);
  if (!app::CanTestArchive(type)) {
    MessageBox(app::Message(960), mtCustom, {mbOK});
    return 1;
  }
  TDialogPrompter prompter(nullptr);
  app::TEnginePrompts prompts(prompter);
  TfrmErrors errors;
  app::TErrorLog log;
  TfrmTest test(
      archive, type,
      app::TesterSetup(prompts, app::ReportingErrors(log, prompts, {},
                                                     [&errors](const std::optional<QString>& line) {
                                                       if (line) errors.ReportError(*line);
                                                     })));
  test.exec();
  errors.WaitUntilClosed();  // the job's last word
  return test.FailedCount() == 0 && errors.Count() == 0 ? 0 : 1;
}

// The Tools dialogs of /cv and /s, with the boxes' questions and an error list of their own.
int RunToolDialog(const app::TStartCommand& c) {
  TDialogPrompter prompter(nullptr);
  app::TEnginePrompts prompts(prompter);
  TfrmErrors errors;
  app::TErrorLog log;
  const qel::TErrorEvent onError =
      app::ReportingErrors(log, prompts, {}, [&errors](const std::optional<QString>& line) {
        if (line) errors.ReportError(*line);
      });
  bool done = false;
  if (c.Switch == TStartSwitch::Convert) {
    QStringList list;
    for (const QString& item : c.CommandFileList)
      if (!item.isEmpty()) list << QFileInfo(item).absoluteFilePath();
    TfrmConvert convert(list.size() == 1 ? list.front() : QString(),
                        list.size() > 1 ? list : QStringList(), prompts, onError);
    done = convert.exec() == QDialog::Accepted;
  } else {
    const QString archive = QFileInfo(c.Archive).absoluteFilePath();
    done = !MakeSfxWithDialog(archive, app::ListedType(archive), prompts, onError).isEmpty();
  }
  errors.WaitUntilClosed();  // the job's last word
  return done && errors.Count() == 0 ? 0 : 1;
}

}  // namespace

int RunOneShotJob(const app::TStartCommand& command) {
  const bool display = HasDisplay();
  app::TAppSettings& settings = app::AppSettings();
  app::LoadLanguage(app::StartLanguagePath(settings.AppLanguageFile));
  if (!display && NeedsDialog(command.Switch)) return NeedsDisplay();
  if (command.Switch == TStartSwitch::SelectLanguage) return ChooseLanguageAndOptions();
  settings.NormaliseTempFolder();
  try {
    switch (command.Switch) {
      case TStartSwitch::UnregisterAssociations:
        return NotAvailable("Removing file associations", display);
      case TStartSwitch::MakeSelfExtractor:
      case TStartSwitch::Convert:
        return RunToolDialog(command);
      case TStartSwitch::Test:
        return RunTest(command.Archive, display);
      default:
        return RunOperation(command, display);
    }
  } catch (const std::exception& e) {
    std::cerr << "vorelkit: " << e.what() << std::endl;
    return 1;
  }
}

}  // namespace vk::gui
