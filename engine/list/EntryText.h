// How the lister presents one entry's figures: the compression ratio and the attribute text.
#pragma once

#include <cstdint>
#include <string>

#include "engine/base/ArcType.h"

namespace qel {

// The space saved in whole percent, 0 when nothing was saved; halves round to even.
int CalcRatio(uint64_t unpacked, uint64_t packed);

// "a-rsh" style text of DOS attribute bits (five characters), or "drwxr-xr-x" style text of
// Unix mode bits for the formats that keep them for entries made on Unix; empty for a type
// that is not an archive. Positions without their bit show `fill`.
std::string GetAttrText(TArcType type, uint32_t attr, char fill, bool unixHost = false);

// The system an entry was made on ("Unix", "FAT", "Win32"...), from the high byte of its
// version made by, which ZIP and RAR keep (each numbering its own way); "" for the formats
// that record none.
std::string HostName(TArcType type, uint16_t versionMadeBy);

}  // namespace qel
