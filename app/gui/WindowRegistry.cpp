#include "app/gui/WindowRegistry.h"

#include <functional>
#include <iostream>
#include <map>

#include "app/gui/AddDialog.h"
#include "app/gui/AddFileNameDialog.h"
#include "app/gui/ArchiveFileDialogs.h"
#include "app/gui/CommentsWindow.h"
#include "app/gui/ConvertDialog.h"
#include "app/gui/ErrorList.h"
#include "app/gui/ExtractDialog.h"
#include "app/gui/ExtractOptionsDialog.h"
#include "app/gui/MainForm.h"
#include "app/gui/OptionsDialog.h"
#include "app/gui/ProgressWindow.h"
#include "app/gui/PropertiesDialog.h"
#include "app/gui/RepairDialog.h"
#include "app/gui/SfxDialogs.h"
#include "app/gui/SplitDialogs.h"
#include "app/gui/TestWindow.h"
#include "app/gui/ToolbarButtonsDialog.h"
#include "app/gui/UpdateDialog.h"
#include "app/gui/ViewDialog.h"
#include "app/prompts/EnginePrompts.h"
#include "app/prompts/TerminalPrompter.h"

namespace vk::gui {

namespace {

// The Tools dialogs ask their questions through prompts that live as long as the program.
app::TEnginePrompts& ToolPrompts() {
  static app::TTerminalPrompter prompter(app::TTerminalOptions{}, std::cin, std::cerr);
  static app::TEnginePrompts prompts(prompter);
  return prompts;
}

}  // namespace

std::unique_ptr<QWidget> CreateWindowByName(const QString& name) {
  static const std::map<QString, std::function<std::unique_ptr<QWidget>()>> kWindows = {
      {"MainForm", [] { return std::make_unique<TMainForm>(app::TStartCommand{}, false); }},
      // The add dialogs borrow their components; these live as long as the program.
      {"frmAdd",
       [] {
         static app::TArchiveComponents components;
         return std::make_unique<TfrmAdd>(components, qel::atNA, QString());
       }},
      {"frmAddFileName",
       [] {
         static app::TArchiveComponents components;
         return std::make_unique<TfrmAddFileName>(components);
       }},
      {"frmErrors", [] { return std::make_unique<TfrmErrors>(); }},
      {"frmExtract", [] { return std::make_unique<TfrmExtract>(QString(), false, true); }},
      {"frmExtractOptions", [] { return std::make_unique<TfrmExtractOptions>(); }},
      {"frmOptions", [] { return std::make_unique<TfrmOptions>(); }},
      {"FormView", [] { return std::make_unique<TFormView>(); }},
      {"FormToolbarButtonsDlg", [] { return std::make_unique<TFormToolbarButtonsDlg>(); }},
      {"frmProgress", [] { return std::make_unique<TfrmProgress>(); }},
      {"frmRepair", [] { return std::make_unique<TfrmRepair>(); }},
      {"frmConvert",
       [] {
         return std::make_unique<TfrmConvert>(QString(), QStringList(), ToolPrompts(), nullptr);
       }},
      {"frmSFX",
       [] { return std::make_unique<TfrmSFX>(QString(), qel::atZip, ToolPrompts(), nullptr); }},
      {"frmZipSFX", [] { return std::make_unique<TfrmZipSFX>(QString(), ToolPrompts(), nullptr); }},
      {"FormUnSFX", [] { return std::make_unique<TFormUnSFX>(QString(), ToolPrompts(), nullptr); }},
      {"FormSplit", [] { return std::make_unique<TFormSplit>(QString(), ToolPrompts(), nullptr); }},
      {"FormMerge", [] { return std::make_unique<TFormMerge>(QString(), ToolPrompts(), nullptr); }},
      {"frmTest", [] { return std::make_unique<TfrmTest>(QString(), qel::atNA); }},
      {"frmComments",
       [] { return std::make_unique<TfrmComments>(QString(), false, ToolPrompts(), nullptr); }},
      {"FormProperties", [] { return std::make_unique<TFormProperties>(); }},
      {"FormMove", [] { return std::make_unique<TFormMove>(); }},
      {"FormRename", [] { return std::make_unique<TFormRename>(); }},
      {"FormCheckOut", [] { return std::make_unique<TFormCheckOut>(); }},
      {"FormInstall", [] { return std::make_unique<TFormInstall>(); }},
      {"FormUpdate", [] { return std::make_unique<TFormUpdate>(); }},
  };
  const auto it = kWindows.find(name);
  return it == kWindows.end() ? nullptr : it->second();
}

}  // namespace vk::gui
