// Finding the intact entries of a damaged ZIP file without its directory: local header
// signatures are searched in the raw bytes, and an entry is kept when its header, name and
// sizes hold together and its bytes lie inside the file.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "formats/zip/Records.h"

namespace qel::zip {

// Longest stored name a candidate may have; longer ones are taken for garbage.
inline constexpr size_t kRepairMaxNameLength = 1024;

// An intact entry: where its bytes lie in the damaged file and what its central record needs.
struct TFoundEntry {
  uint64_t Offset = 0;  // of the local header
  // Header, name, extra field, data and, for flag bit 3, the data descriptor: the bytes to copy.
  uint64_t Length = 0;
  LocalHeader Header;  // as stored; CRC-32 taken from the descriptor for flag bit 3
  uint64_t Packed = 0;
  uint64_t Unpacked = 0;
  std::string StoredName;
  std::vector<uint8_t> Extra;  // the local extra field
};

// One place where a local header signature was found.
struct TCandidate {
  // The decoded name, empty when no plausible name could be read.
  std::string Name;
  // Set when the entry holds together.
  std::optional<TFoundEntry> Entry;
};

// Calls `found` for every candidate in file order. An intact entry's bytes are skipped; after
// a rejected candidate the search goes on four bytes after its signature.
void ScanLocalHeaders(std::span<const uint8_t> file,
                      const std::function<void(const TCandidate&)>& found);

}  // namespace qel::zip
