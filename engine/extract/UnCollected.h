// TUnCollected: the frame of the readers that walk an archive's headers first, collecting
// the entries the file filters select, and decode them afterwards in archive order.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/extract/UnBase.h"

namespace qel {

template <class TEntry>
class TUnCollected : public TUnBase {
 protected:
  void ExtractEntries() final {
    std::vector<TEntry> entries;
    Timer.Pause();  // the walk is no entry's time
    FArchiveTotal = ArchiveBytesLeft = Collect(entries);
    Timer.Resume();
    for (const TEntry& e : entries) {
      if (Cancel()) break;
      Decode(e);
    }
  }
  // Adds the selected entries to `entries`, each date noted (NoteEntryDate), and answers
  // the sum of their packed sizes.
  virtual int64_t Collect(std::vector<TEntry>& entries) = 0;
  virtual void Decode(const TEntry& e) = 0;
};

}  // namespace qel
