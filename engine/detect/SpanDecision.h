// Telling a ZIP spanned over removable disks from one split into volume files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/base/ArcType.h"

namespace qel {
namespace platform {
class IDriveProbe;
}

namespace detect {

// The label prefix of every disk of a spanned set ("PKBACK# 001", "PKBACK# 002"...).
inline constexpr std::string_view kSpannedLabel = "PKBACK#";
// Removable media larger than the largest floppy are treated as fixed disks.
inline constexpr int64_t kLargestFloppy = 2915328;

// True when `fileName` lives on a removable disk of floppy size, the only media spanned
// sets are written to; nothing when its drive cannot be examined.
std::optional<bool> OnSpanningMedium(platform::IDriveProbe& drives, const std::string& fileName);

// atZipDS on a removable disk labelled as a spanned set's disk, atZipMV on any other
// medium, atNA when the drive of `fileName` cannot be examined.
TArcType SpanOrSplit(platform::IDriveProbe& drives, const std::string& fileName);

}  // namespace detect
}  // namespace qel
