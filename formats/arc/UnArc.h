// TUnArc: extracts or tests the entries of an ARC or PAK archive. The walk over the records
// follows subdirectory records and collects the selected entries with their full names.
#pragma once

#include <string>
#include <vector>

#include "engine/extract/UnCollected.h"
#include "formats/arc/ArcHeader.h"

namespace qel {

struct TArcEntry {
  arc::TArcRecord Record;
  std::string Name;
};

class TUnArc : public TUnCollected<TArcEntry> {
 protected:
  int64_t Collect(std::vector<TArcEntry>& entries) override;
  void Decode(const TArcEntry& e) override;
};

}  // namespace qel
