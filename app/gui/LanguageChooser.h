// The language chooser of the /sa start: a small window listing the language files.
#pragma once

#include <QString>
#include <optional>

namespace vk::gui {

// Shows the chooser; the language file of the selected item, or nothing when none was
// selected.
std::optional<QString> ChooseLanguage();

}  // namespace vk::gui
