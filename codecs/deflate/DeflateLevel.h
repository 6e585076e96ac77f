// The zlib level behind each of the writers' Deflate types, shared by every writer that
// deflates.
#pragma once

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

}  // namespace qel
