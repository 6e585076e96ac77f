// The data descriptor behind an entry written with flag bit 3: its CRC-32 and sizes, which
// the local header could not hold when it was written.
#pragma once

#include <cstdint>
#include <optional>

#include "formats/zip/ExtraFields.h"
#include "formats/zip/RecordReader.h"

namespace qel::zip {

inline constexpr uint64_t kDescriptorSize = 16;    // signature, CRC-32, two 32-bit sizes
inline constexpr uint64_t kDescriptor64Size = 24;  // with 64-bit sizes, after a Zip64 header

struct TDescriptor {
  uint32_t Crc = 0;
  uint64_t Packed = 0;
  uint64_t Unpacked = 0;
  uint64_t End = 0;  // just after it
};

// The descriptor whose signature is at `p`, found at file position `at`; `wide`: with
// 64-bit sizes, as after a header with a Zip64 field.
TDescriptor ReadDescriptor(const uint8_t* p, uint64_t at, bool wide);

// The descriptor closing the data that starts at `dataStart` in a file of `fileSize`
// bytes: the first one whose compressed size is its distance from that start (earlier
// signatures are bytes of the data). Nothing when the file holds none.
std::optional<TDescriptor> FindClosingDescriptor(const TReadAt& readAt, int64_t fileSize,
                                                 int64_t dataStart, bool wide);

// The CRC-32 and sizes of the entry whose local header, read as `r` and unpacked as `h`,
// starts at `pos`, with End where the entry ends. With flag bit 3 they come from the
// descriptor closing its data (some writers give the sizes in the header as well); no
// value when that leaves them unknown. End may lie beyond the file.
std::optional<TDescriptor> LocalEntryFigures(const TReadAt& readAt, int64_t fileSize, int64_t pos,
                                             const TRecordBytes& r, const LocalHeader& h,
                                             const TZipExtra& extra);

}  // namespace qel::zip
