// Decoding the entries after the current one on the workers' threads while the reader
// writes each in order: the reader's own thread keeps every event, prompt and file in the
// order one thread gives them, and only takes decoded bytes instead of decoding them. Only
// small unenciphered stored or deflated entries of a single-file archive are taken ahead; a
// result that is not clean (damage, sizes that differ) is dropped, and the entry is decoded
// the usual way, which reports what is wrong.
#pragma once

#include <cstdint>
#include <vector>

#include "codecs/parallel/AheadWindow.h"

namespace qel {

struct TDecoded {
  bool Ok = false;
  int64_t DataStart = 0;  // where the data was found, after the local header
  uint32_t Crc = 0;       // of Data
  std::vector<uint8_t> Data;
};

// What the directory says of an entry to decode ahead.
struct TAheadEntry {
  int64_t LocalPos = 0;
  uint64_t Packed = 0;
  uint64_t Unpacked = 0;
};

// The largest entry, packed or unpacked, taken ahead.
inline constexpr uint64_t kMaxDecodedAhead = 4 << 20;

// Starts decoding entry `index` from the archive open as `handle`: reads with an offset
// of their own, so the reader's position is left alone.
void DecodeAhead(TAheadWindow<TDecoded>& window, size_t index, int handle,
                 const TAheadEntry& entry);

}  // namespace qel
