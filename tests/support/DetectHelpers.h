// Running detection from tests: over bytes in memory, or over a file the way a reader
// does when its archive is assigned.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "engine/base/ArcType.h"

namespace qel {

namespace platform {
class IDriveProbe;
}

namespace test {

// Compare types by ArcTypeName: failures then show "atZip" rather than a byte.
struct TDetected {
  TArcType Type = atNA;
  int64_t HeaderOffset = -1;
  int64_t OffsetAdjust = 0;
  uint8_t HeadFlag = 0;
  int64_t ArchiveSize = 0;
};

// `fileName` stands for the file's name (its extension and drive); `drives` answers for
// the drive, and without one no spanned/split decision can be made.
TDetected DetectBytes(std::span<const uint8_t> bytes, const std::string& fileName = "",
                      platform::IDriveProbe* drives = nullptr);

// Assigns the file to a component; `drives` replaces the system's drive layer when given.
TDetected DetectFile(const std::string& path, platform::IDriveProbe* drives = nullptr);

}  // namespace test
}  // namespace qel
