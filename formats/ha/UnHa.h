// TUnHa: extracts or tests the entries of an HA archive. Stored entries and folders are
// extracted; HA's own coders are not decoded, and their entries are reported as such.
#pragma once

#include <vector>

#include "engine/extract/UnCollected.h"
#include "formats/ha/HaHeader.h"

namespace qel {

class TUnHa : public TUnCollected<ha::THaEntry> {
 protected:
  int64_t Collect(std::vector<ha::THaEntry>& entries) override;
  void Decode(const ha::THaEntry& e) override;
};

}  // namespace qel
