// ZOO archives. The archive header (a 20-byte text, the tag FDC4A7DC, the offset of the first
// directory entry and that offset negated) leads to a chain of directory entries, each with
// the tag, its type, the method, the offset of the next entry and of its data, a DOS date
// then time, the CRC-16 of the data, the sizes, a deleted flag and a 13-byte short name.
// Entries of type 2 add a variable part: a long name and a folder name with their lengths,
// the system that made them and its attributes. The chain ends at an entry whose next offset
// is 0, a placeholder that holds no file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/base/Bytes.h"
#include "engine/base/HeaderRead.h"

namespace qel::zoo {

struct TZooEntry {
  int64_t Position = 0;
  int64_t Next = 0;
  int64_t DataStart = 0;
  uint8_t Method = 0;
  uint32_t DosTime = 0;  // date in the high half, as DOS keeps it
  uint16_t Crc = 0;
  uint32_t Unpacked = 0;
  uint32_t Packed = 0;
  bool Deleted = false;
  std::string Name;    // the long name where there is one, else the short one; as stored
  std::string Folder;  // as stored, "" when none
  std::optional<uint16_t> UnixMode;
};

// The offset of the first directory entry, from the archive header at `base`; none when the
// header is damaged.
std::optional<int64_t> ReadZooArchiveHeader(const TReadAt& readAt, int64_t fileSize, int64_t base);

// Reads the directory entry at `pos`: Ok, End (the chain's closing placeholder) or Bad (a
// damaged entry, data past the end of the file, or a next offset that does not move
// forward within the file, which would make the chain loop).
THeaderRead ReadZooEntry(const TReadAt& readAt, int64_t fileSize, int64_t pos, TZooEntry& e);

// The entry's name as the program keeps it: UTF-8, "/"-separated.
std::string EntryName(const TZooEntry& e);

}  // namespace qel::zoo
