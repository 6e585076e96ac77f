#include "app/gui/WindowRegistry.h"

#include <functional>
#include <map>

#include "app/gui/MainForm.h"

namespace vk::gui {

std::unique_ptr<QWidget> CreateWindowByName(const QString& name) {
  static const std::map<QString, std::function<std::unique_ptr<QWidget>()>> kWindows = {
      {"MainForm", [] { return std::make_unique<TMainForm>(app::TStartCommand{}, false); }},
  };
  const auto it = kWindows.find(name);
  return it == kWindows.end() ? nullptr : it->second();
}

}  // namespace vk::gui
