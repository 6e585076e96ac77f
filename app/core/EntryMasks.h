// The masks a command hands a component for the rows the user selected. A file row names
// one entry (its folder and name); an explorer folder row names everything below it
// (folder + "*"). The two go to separate runs: a file's mask must not reach into
// subfolders, where entries of the same name would be taken too, and a folder's must.
#pragma once

#include <QStringList>
#include <functional>
#include <vector>

#include "app/core/ShellItem.h"
#include "engine/base/Types.h"

namespace vk::app {

struct TEntryMasks {
  QStringList FileMasks;    // run without recursion
  QStringList FolderMasks;  // run with recursion
  bool Empty() const { return FileMasks.isEmpty() && FolderMasks.isEmpty(); }
};

// Null rows are skipped; a mask already taken is not repeated.
TEntryMasks MasksOfRows(const std::vector<const TShellItem*>& rows);

// Runs `pass` over the file masks without recursion, then over the folder masks with it; an
// empty list is skipped. Answers the sum of what the passes answered.
int RunMaskPasses(const TEntryMasks& masks,
                  const std::function<int(const qel::TStrings& names, bool recurse)>& pass);

}  // namespace vk::app
