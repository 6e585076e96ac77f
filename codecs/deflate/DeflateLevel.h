// The zlib level behind each DeflateType, shared by every writer that deflates.
#pragma once

#include "engine/base/Types.h"

namespace qel {

// The fastest type leaves the data in stored blocks inside the Deflate stream (level 0); a
// value outside the four types gets zlib's default, as the normal type does.
constexpr int DeflateLevel(TDeflateType type) {
  switch (type) {
    case TDeflateType::dtDeflateS:
      return 0;
    case TDeflateType::dtDeflateF:
      return 1;
    case TDeflateType::dtDeflateX:
      return 9;
    default:
      return -1;  // zlib's default level (6)
  }
}

}  // namespace qel
