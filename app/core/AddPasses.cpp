#include "app/core/AddPasses.h"

#include "engine/compress/CompBase.h"

namespace vk::app {

int RunAddPasses(qel::TCompBase& writer, const QStringList& folderMasks, bool folderNames,
                 const std::function<void(bool secondPass)>& beforePass) {
  int count = 0;
  const bool files = !writer.FileSpec.empty();
  if (files) {
    if (beforePass) beforePass(false);
    count += writer.Compress();
  }
  // A cancel in the first pass is the whole add's: naming the archive again would clear it.
  if (folderMasks.isEmpty() || (files && writer.Cancel())) return count;
  // The first pass may have made the archive: naming it again lets the writer see it.
  writer.SetArchiveFile(writer.ArchiveFile());
  writer.FileSpec.clear();
  for (const QString& mask : folderMasks) writer.FileSpec.push_back(mask.toStdString());
  writer.RecurseDirs = true;
  writer.StoreEmptySubDirs = true;
  if (folderNames) writer.StoredDirNames = qel::TStoredDirNames::sdRelativeStoreStart;
  if (beforePass) beforePass(files);
  count += writer.Compress();
  writer.StoredDirNames = qel::TStoredDirNames::sdRelative;
  return count;
}

}  // namespace vk::app
