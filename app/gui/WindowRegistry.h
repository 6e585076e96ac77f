// The program's windows by their object names, made on request: the checks that the
// language files address real windows and controls build them from here. A window that a
// language file has a section for belongs in the table.
#pragma once

#include <QString>
#include <memory>

class QWidget;

namespace vk::gui {

// A new window of that name, not shown; null when no window has the name.
std::unique_ptr<QWidget> CreateWindowByName(const QString& name);

}  // namespace vk::gui
