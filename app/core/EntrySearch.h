// Incremental search: typing in a list jumps to the next row whose name starts with the
// typed text.
#pragma once

#include <QString>
#include <vector>

#include "app/core/ShellItem.h"

namespace vk::app {

// The first row from `startRow` on whose shown name begins with `typed`, ignoring case;
// with `wrap` the search goes on from row 0 up to the row before `startRow`. -1 when no
// row matches.
int FindEntry(const std::vector<TShellItem*>& rows, const QString& typed, int startRow, bool wrap);

}  // namespace vk::app
