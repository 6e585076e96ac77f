// Windows that keep their place in Settings.ini, in a section named after the window.
#pragma once

#include <QSize>

class QWidget;

namespace vk::gui {

// Puts `window` where its section says, or centres it at `designed` size.
void RestorePlace(QWidget* window, QSize designed);
// Writes the window's place into its section at once.
void StorePlace(const QWidget* window);

}  // namespace vk::gui
