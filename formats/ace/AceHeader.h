// The headers of an ACE archive: the main header ("**ACE**" at offset 7), then a file
// header in front of each file's data. Each header starts with the low half of its CRC and
// the size of what follows; sizes are checked against the file before they are used.
#pragma once

#include <cstdint>
#include <string>

#include "engine/base/Bytes.h"
#include "engine/base/HeaderRead.h"

namespace qel::ace {

struct TAceFile {
  std::string Name;  // "/"-separated
  uint16_t Flags = 0;
  uint64_t Packed = 0;
  uint64_t Unpacked = 0;
  uint32_t DosTime = 0;
  uint32_t Attr = 0;
  uint32_t Crc = 0;
  uint8_t Type = 0;     // 0 stored, 1 LZ77, 2 blocked
  uint8_t Quality = 0;  // 0 fastest to 4 best
  int64_t Next = 0;     // the header after the data

  bool Directory() const { return Attr & 0x10; }
  bool Encrypted() const { return Flags & 0x4000; }
  bool SplitBefore() const { return Flags & 0x1000; }
};

// Where the first file header is, past the main header at `start`; -1 when there is no
// ACE main header there.
int64_t ReadAceMain(const TReadAt& read, int64_t fileSize, int64_t start);

// The file header at `pos` (32- or 64-bit sizes); End at the end of the file or at the
// recovery record, Bad at any other kind of header.
THeaderRead ReadAceFile(const TReadAt& read, int64_t fileSize, int64_t pos, TAceFile& file);

}  // namespace qel::ace
