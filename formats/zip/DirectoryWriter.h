// Writing the end of a ZIP archive: the central directory and the end records. The standard
// end record holds 16- and 32-bit figures; when the entry count, the directory's size or its
// offset does not fit, the Zip64 end record and its locator go in front of it (the standard
// record then carries 0xFFFF and 0xFFFFFFFF), as every other tool expects.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/base/Types.h"
#include "formats/zip/Records.h"

namespace qel {
class TStream64;
}

namespace qel::zip {

// One entry's central record as it is to be written.
struct TCentralRecord {
  CentralHeader Header;        // sizes and offset: set from the fields below when written
  std::string Name;            // the stored bytes
  std::vector<uint8_t> Extra;  // without a Zip64 field: the writer adds one when needed
  std::string Comment;
  uint64_t Packed = 0;
  uint64_t Unpacked = 0;
  uint64_t Offset = 0;
};

// Writes the records and the end records at the stream's position, the headers enciphered
// with `headerSeed` when it is given. The archive comment is cut to 65535 bytes. `disk` is
// the disk (from 0) of a multi-volume set that holds the whole directory and the end records,
// its last one; the records' own disks and offsets are taken as given. False when a write
// failed.
bool WriteCentralDirectory(TStream64& out, const std::vector<TCentralRecord>& records,
                           const std::string& comment, const TSeedKeyRecord* headerSeed,
                           uint32_t disk = 0);

// Where a directory lies in a set of volumes (a single archive is one volume, disk 0).
struct TDirectoryPlace {
  uint64_t Entries = 0;      // records in the whole directory
  uint64_t EntriesHere = 0;  // records that start on the disk of the end records
  uint64_t Size = 0;         // the directory's bytes
  uint64_t Offset = 0;       // where it starts on its first disk
  uint32_t StartDisk = 0;    // its first disk
  uint32_t EndDisk = 0;      // the disk of the end records, the set's last
  uint64_t EndOffset = 0;    // where the end records start on that disk
};
// The end records for a directory at `place`: the Zip64 end record and locator in front of
// the standard one when a figure needs them. The standard record is enciphered with
// `headerSeed` when it is given; the comment is cut to 65535 bytes.
std::vector<uint8_t> EndRecords(const TDirectoryPlace& place, const std::string& comment,
                                const TSeedKeyRecord* headerSeed);
// Removes every field `id` from an extra area.
void RemoveExtraField(std::vector<uint8_t>& extra, uint16_t id);
// Whether an extra area holds a field `id`.
bool HasExtraField(std::span<const uint8_t> extra, uint16_t id);

}  // namespace qel::zip
