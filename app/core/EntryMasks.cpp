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

int RunMaskPasses(const TEntryMasks& masks,
                  const std::function<int(const qel::TStrings& names, bool recurse)>& pass) {
  int count = 0;
  for (const auto& [list, recurse] :
       {std::pair{&masks.FileMasks, false}, std::pair{&masks.FolderMasks, true}}) {
    if (list->isEmpty()) continue;
    qel::TStrings names;
    for (const QString& mask : *list) names.push_back(mask.toStdString());
    count += pass(names, recurse);
  }
  return count;
}

}  // namespace vk::app
