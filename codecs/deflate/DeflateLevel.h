// The zlib level behind each of the writers' Deflate types, and what else the type decides
// (the flag bits that record it, the bzip2 block size), shared by every writer.
#pragma once

#include <cstdint>

namespace qel {

// The Deflate types by the index the writers pass (their TDeflateType, in this order).
enum DeflateTypeIndex : int { kDeflateSuperFast, kDeflateFast, kDeflateNormal, kDeflateMaximum };

// The fastest type leaves the data in stored blocks inside the Deflate stream (level 0); a
// value outside the four types gets zlib's default, as the normal type does.
constexpr int DeflateLevel(int typeIndex) {
  switch (typeIndex) {
    case kDeflateSuperFast:
      return 0;
    case kDeflateFast:
      return 1;
    case kDeflateMaximum:
      return 9;
    default:
      return -1;  // zlib's default level (6)
  }
}

// The option bits 1-2 of the general-purpose flags that ZIP and BH entries record for the
// type: normal 00, maximum 01, fast 10.
constexpr uint16_t DeflateOptionFlags(int typeIndex) {
  if (typeIndex == kDeflateMaximum) return 0x0002;
  if (typeIndex == kDeflateFast) return 0x0004;
  return 0;
}

// The bzip2 block size (in 100,000 bytes) the writers use for the type.
constexpr int Bz2BlockSize(int typeIndex) {
  switch (typeIndex) {
    case kDeflateFast:
      return 2;
    case kDeflateNormal:
      return 6;
    default:
      return 9;
  }
}

}  // namespace qel
