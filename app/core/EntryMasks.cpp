#include "app/core/EntryMasks.h"

namespace vk::app {

TEntryMasks MasksOfRows(const std::vector<const TShellItem*>& rows) {
  TEntryMasks masks;
  for (const TShellItem* item : rows) {
    if (!item) continue;
    // "*" rather than "*.*": names without a dot would not match the latter.
    QStringList& into = item->IsFolder() ? masks.FolderMasks : masks.FileMasks;
    const QString mask = item->IsFolder() ? item->Folder + u'*' : item->Folder + item->Name;
    if (!into.contains(mask)) into << mask;
  }
  return masks;
}

}  // namespace vk::app
