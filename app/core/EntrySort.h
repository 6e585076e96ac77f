// The order of the entry list: one comparison per column, either direction, with the
// explorer style's folder rows kept in front.
#pragma once

#include <vector>

#include "app/core/ShellItem.h"

namespace vk::app {

// Sorts `rows` by `column` (a TColumn). Rows with equal keys keep their order, in either
// direction, so the same list always sorts the same way. With `foldersFirst` the folder rows
// are moved to the front afterwards, keeping their order among themselves.
void SortShellItems(std::vector<TShellItem*>& rows, int column, bool ascending, bool foldersFirst);

}  // namespace vk::app
