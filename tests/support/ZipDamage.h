// Damaging archives the way disks and transfers do, for the repair tests: cut short, the
// central directory wiped, one entry's header spoilt.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/base/Bytes.h"
#include "formats/zip/Records.h"

namespace qel::test {

// Where the central directory starts, by the end record (an archive without a comment).
inline size_t CentralOffset(const std::vector<uint8_t>& zip) {
  EXPECT_GE(zip.size(), zip::kEndRecordSize);
  const zip::EndRecord end = zip::UnpackEnd(zip.data() + zip.size() - zip::kEndRecordSize);
  EXPECT_EQ(end.Signature, zip::kSigEnd);
  return end.CentralOffset;
}

// The offset of the local header of the entry `name`, or the archive's size when none.
inline size_t LocalHeaderOf(const std::vector<uint8_t>& zip, const std::string& name) {
  for (size_t at = 0; at + zip::kLocalHeaderSize + name.size() <= zip.size(); ++at) {
    if (GetU32(zip.data() + at) == zip::kSigLocal && GetU16(zip.data() + at + 26) == name.size() &&
        std::equal(name.begin(), name.end(), zip.begin() + long(at + zip::kLocalHeaderSize))) {
      return at;
    }
  }
  ADD_FAILURE() << "no local header for " << name;
  return zip.size();
}

inline void ZeroCentralDirectory(std::vector<uint8_t>& zip) {
  std::fill(zip.begin() + long(CentralOffset(zip)), zip.end(), 0);
}

// Cuts the archive inside the last entry's data (or its data descriptor).
inline void TruncateInLastEntry(std::vector<uint8_t>& zip) { zip.resize(CentralOffset(zip) - 10); }

// Zeroes the name and extra lengths of the entry `name`: its header no longer holds together.
inline void SpoilHeader(std::vector<uint8_t>& zip, const std::string& name) {
  const size_t at = LocalHeaderOf(zip, name);
  if (at + zip::kLocalHeaderSize <= zip.size()) std::fill_n(zip.begin() + long(at + 26), 4, 0);
}

}  // namespace qel::test
