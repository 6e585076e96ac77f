// HA archives: "HA" and a 16-bit entry count, then the entries. Each header holds a byte
// whose low four bits are the method (0 stored, 1 and 2 HA's own coders, 14 a folder), the
// packed and unpacked sizes, the CRC-32 of the data, a Unix time, the folder path and the
// name (both zero-terminated, folders in the path ended by FF), and a length byte with that
// many bytes of information for the system that made the entry. The data follows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/base/Bytes.h"
#include "engine/base/HeaderRead.h"

namespace qel::ha {

inline constexpr int64_t kArchiveHeader = 4;
inline constexpr uint8_t kStored = 0, kFolder = 14;

struct THaEntry {
  int64_t Position = 0;
  int64_t DataStart = 0;
  int64_t Next = 0;
  uint8_t Method = 0;
  uint32_t Packed = 0;
  uint32_t Unpacked = 0;
  uint32_t Crc = 0;
  uint32_t UnixTime = 0;
  std::string Path;  // as stored
  std::string Name;
};

// The number of entries the archive header at `base` announces; none when it is no header.
std::optional<uint16_t> HaEntryCount(const TReadAt& readAt, int64_t base);

// Reads the entry at `pos`: Ok, or Bad (damaged, or cut short).
THeaderRead ReadHaEntry(const TReadAt& readAt, int64_t fileSize, int64_t pos, THaEntry& e);

// The entry's name as the program keeps it: UTF-8, "/"-separated, a folder's ending in "/".
std::string EntryName(const THaEntry& e);

}  // namespace qel::ha
