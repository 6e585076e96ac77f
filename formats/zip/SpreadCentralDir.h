// The central directory of a split or spanned set that starts on an earlier disk than the
// one holding its end record: it runs on from its recorded offset across the following
// disks, so it is gathered into memory before it is walked.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "formats/zip/CentralDir.h"

namespace qel {
class TFileStream32;
}

namespace qel::zip {

// Opens disk `disk` (counted from 0) of the set; the stream answered stays valid until the
// next call. Null when the disk cannot be had (already reported by the caller's means).
using TOpenDisk = std::function<TFileStream32*(uint32_t disk)>;

// The directory's bytes, read from disk `tail.CentralDisk()` onwards up to the disk of the
// end record. Empty when a disk is missing or the disks hold less than the end record
// claims, or when a file comes back as another disk (a damaged count of disks would
// otherwise read one file again and again); never more is read than the disks hold.
std::optional<std::vector<uint8_t>> GatherCentralDir(const TCentralDirLocation& tail,
                                                     const TOpenDisk& openDisk);

}  // namespace qel::zip
