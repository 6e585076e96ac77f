#include "app/gui/WindowRegistry.h"

#include <functional>
#include <map>

#include "app/gui/ErrorList.h"
#include "app/gui/MainForm.h"
#include "app/gui/ProgressWindow.h"
#include "app/gui/RepairDialog.h"
#include "app/gui/TestWindow.h"

namespace vk::gui {

std::unique_ptr<QWidget> CreateWindowByName(const QString& name) {
  static const std::map<QString, std::function<std::unique_ptr<QWidget>()>> kWindows = {
      {"MainForm", [] { return std::make_unique<TMainForm>(app::TStartCommand{}, false); }},
      {"frmErrors", [] { return std::make_unique<TfrmErrors>(); }},
      {"frmProgress", [] { return std::make_unique<TfrmProgress>(); }},
      {"frmRepair", [] { return std::make_unique<TfrmRepair>(); }},
      {"frmTest", [] { return std::make_unique<TfrmTest>(QString(), qel::atNA); }},
  };
  const auto it = kWindows.find(name);
  return it == kWindows.end() ? nullptr : it->second();
}

}  // namespace vk::gui
