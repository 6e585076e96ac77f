// Copying a ZIP's entries to new places without recompressing them: the tools that split a
// set, merge one and put a stub in front of an archive read the central directory, move each
// entry's bytes as they stand and write the records again with the new offsets and disks.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "engine/base/Types.h"
#include "formats/zip/ExtraFields.h"
#include "formats/zip/RecordReader.h"

namespace qel::zip {

// One central record as read (deciphered), with the figures the copy needs.
struct TDirEntry {
  TRecordBytes Record;
  CentralHeader Header;  // the fixed part, Zip64 values applied
  TZipExtra Extra;
  uint64_t Packed = 0;
  uint64_t Unpacked = 0;
  uint64_t LocalOffset = 0;
  uint32_t Disk = 0;
};

// The `count` records of the directory at `start`, `size` bytes long; nothing when a record
// is damaged or lies beyond the directory. `count` only bounds what is reserved ahead.
std::optional<std::vector<TDirEntry>> ReadDirectory(const TReadAt& readAt, int64_t fileSize,
                                                    int64_t start, uint64_t size, uint64_t count,
                                                    const THeaderDecipher& decipher);

// The record's bytes with its local header at `offset` on `disk`, enciphered again with
// `seed` when it was read enciphered. Everything else stays as it was read; only a value
// that no longer fits its field makes the record carry a Zip64 field it did not have.
std::vector<uint8_t> RecordAt(const TDirEntry& entry, uint64_t offset, uint32_t disk,
                              const TSeedKeyRecord& seed);

// The bytes from the entry's local header at `localPos` to the end of its data, with the
// data descriptor behind it when flag bit 3 says there is one; `headerSize` is set to the
// local header's length with its name and extra field. Nothing when the local header is not
// there or the entry runs past `fileSize`.
std::optional<uint64_t> EntrySpan(const TReadAt& readAt, int64_t fileSize, int64_t localPos,
                                  const TDirEntry& entry, const THeaderDecipher& decipher,
                                  uint64_t& headerSize);

}  // namespace qel::zip
