#include "app/gui/WindowRegistry.h"

#include <functional>
#include <map>

#include "app/gui/AddDialog.h"
#include "app/gui/AddFileNameDialog.h"
#include "app/gui/ErrorList.h"
#include "app/gui/ExtractDialog.h"
#include "app/gui/ExtractOptionsDialog.h"
#include "app/gui/MainForm.h"
#include "app/gui/OptionsDialog.h"
#include "app/gui/ProgressWindow.h"
#include "app/gui/RepairDialog.h"
#include "app/gui/TestWindow.h"
#include "app/gui/ToolbarButtonsDialog.h"
#include "app/gui/ViewDialog.h"

namespace vk::gui {

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
      {"frmTest", [] { return std::make_unique<TfrmTest>(QString(), qel::atNA); }},
  };
  const auto it = kWindows.find(name);
  return it == kWindows.end() ? nullptr : it->second();
}

}  // namespace vk::gui
