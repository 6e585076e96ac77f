// Dragging rows out of a list: the names handed to the drop target, which are filled by
// extracting into the temporary folder only when the drop happens, and the masks that
// extraction uses.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "app/core/ShellItem.h"

namespace vk::app {

struct TDragPlan {
  QStringList Placeholders;  // the dragged names: paths inside the temporary folder
  QStringList FileMasks;     // extracted without stored folders
  QStringList FolderMasks;   // extracted with stored folders, one extraction per mask
};

// The plan for `selected` rows. A file row gives tempFolder + its name, and its mask is
// Folder + Name (extracted without stored folders and without looking into subfolders); a
// folder row gives tempFolder + its path and the mask Folder + "*" (extracted with stored
// folders). Placeholders are cleaned as extraction cleans names, so they name what it writes;
// a row whose name names no file, or whose placeholder an earlier row already took, is left
// out of the drag. `tempFolder` ends with "/".
TDragPlan PlanDrag(const std::vector<const TShellItem*>& selected, const QString& tempFolder);
// Creates the missing parent folders of `placeholders`, so that a folder row's placeholder
// can appear there. False when one could not be created.
bool MakePlaceholderParents(const QStringList& placeholders);
// After the drag: removes the placeholders' parent folders below `tempFolder` that are
// empty, from the deepest up; the temporary folder itself stays.
void RemoveEmptyPlaceholderParents(const QStringList& placeholders, const QString& tempFolder);

}  // namespace vk::app
