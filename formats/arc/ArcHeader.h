// ARC records, which PAK shares. Each opens with the marker 1A and a method byte: 0 ends the
// archive; 31 closes the innermost subdirectory and is two bytes long; every other record has
// a 13-byte zero-terminated name, the packed size, the DOS date then time, the CRC-16 of the
// data and the unpacked size (missing from the oldest records, method 1, whose data is
// stored), followed by the data. Method 30 opens a subdirectory whose records follow it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/base/Bytes.h"
#include "engine/base/HeaderRead.h"

namespace qel::arc {

inline constexpr uint8_t kOpenFolder = 30, kCloseFolder = 31;

struct TArcRecord {
  int64_t Position = 0;
  int64_t DataStart = 0;
  int64_t Next = 0;
  uint8_t Method = 0;
  std::string Name;  // as stored
  uint32_t Packed = 0;
  uint32_t Unpacked = 0;
  uint32_t DosTime = 0;  // date in the high half, as DOS keeps it
  uint16_t Crc = 0;
};

// Reads the record at `pos` of a file of `fileSize` bytes. A file that ends without the end
// record ends the archive all the same.
THeaderRead ReadArcRecord(const TReadAt& readAt, int64_t fileSize, int64_t pos, TArcRecord& r);

// What a record did to the subdirectory prefix.
enum class TFolderStep {
  None,     // the record is an entry
  Applied,  // it opened or closed a subdirectory
  TooDeep,  // it opened one whose path would pass the longest path DOS and Windows know
};

// The subdirectories the records open and close, as a prefix for the names inside them.
class TArcFolders {
 public:
  TFolderStep Apply(const TArcRecord& r);
  // The name of a record within the current subdirectory: UTF-8, "/"-separated.
  std::string NameOf(const TArcRecord& r) const;

 private:
  std::string prefix_;          // ends with "/" unless empty
  std::vector<size_t> opened_;  // the prefix's length before each open subdirectory
};

}  // namespace qel::arc
