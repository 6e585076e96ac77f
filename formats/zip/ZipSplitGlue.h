// TZipSplitGlue: merges a split set (name.z01, name.z02, ..., name.zip) back into one ZIP.
// Every entry is copied as it stands, with its descriptor, from whichever volumes hold it;
// the new directory has every disk number 0 and the entries' new offsets.
#pragma once

#include <functional>

#include "engine/base/ZipCommon.h"

namespace qel {

class TZipSplitGlue : public TZipCommon {
 public:
  WideString OutArchiveFile;
  // The number of entries the set's directory holds, once it is read.
  std::function<void(TZipCommon& Sender, int Count)> OnGetFileCount;

  // The merged archive's name proposed for a set: "backup.zip" -> "backup_merged.zip", beside
  // it.
  static WideString MergedName(const WideString& lastPart);

  // Merges the set whose last part is ArchiveFile into OutArchiveFile; answers the number
  // of entries copied, 0 when nothing was written (reported through OnError). A missing
  // volume is asked for through OnNextVolume. An existing output is replaced only when
  // OnFileExists agrees; the output appears only once it is whole.
  int Merge();
  // Whether the last Merge wrote the output (a set of no entries answers 0 all the same).
  bool Merged() const { return FMerged; }

 private:
  bool FMerged = false;
};

}  // namespace qel
