// BH archives: a run of entries, each a 37-byte header ("BH" 05 07, the header's length,
// the fixed part's length 37, the writer's version, flags, method, DOS time and date,
// compressed and uncompressed sizes, CRC-32, DOS attributes, four zero bytes, the name's and
// the extra area's lengths), then the name, the extra area and the data. The archive ends
// with the file, or at a header whose length is 0.
//
// An encrypted entry (flag bit 0) opens its data with the 12-byte ZipCrypto header, which
// the compressed size counts. The other flag bits are ZIP's: bits 1-2 record the level.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/base/Bytes.h"
#include "engine/base/HeaderRead.h"

namespace qel::bh {

inline constexpr int64_t kFixedHeader = 37;
inline constexpr uint8_t kFlagEncrypted = 0x01;
// The version the writer records: 2.18.4. Before major version 3 a writer keyed the cipher
// differently, and left stored data unenciphered (see TUnBh).
inline constexpr uint8_t kWriterMajor = 218;
inline constexpr uint8_t kWriterMinor = 4;

enum TBhMethod : uint8_t {
  bmStored = 0,
  bmLzh = 1,  // LZH with 13 dictionary bits
  bmDeflateOld = 2,
  bmFuse = 3,  // LZH with 15 dictionary bits
  bmDeflate = 8,
  bmBzip2 = 12,
};

struct TBhHeader {
  int64_t Position = 0;
  int64_t DataStart = 0;
  int64_t Next = 0;
  uint8_t Major = kWriterMajor;
  uint8_t Minor = kWriterMinor;
  uint8_t Flags = 0;
  uint8_t Method = bmStored;
  uint32_t DosTime = 0;  // date in the high half, as DOS keeps it
  uint32_t Packed = 0;   // the 12-byte cipher header included
  uint32_t Unpacked = 0;
  uint32_t Crc = 0;
  uint16_t Attr = 0;
  std::string Name;  // as stored, "\"-separated

  bool Encrypted() const { return Flags & kFlagEncrypted; }
  // Data packed by a writer before major version 3 (see TUnBh).
  bool OldWriter() const { return Major < 3; }
  // The data without the cipher header.
  uint32_t DataSize() const;
};

// Reads the entry at `pos`: Ok, End (the end of the file, or a header length of 0) or Bad
// (no header there, a header cut short or at odds with its own lengths, or data past the
// end of the file).
THeaderRead ReadBhHeader(const TReadAt& readAt, int64_t fileSize, int64_t pos, TBhHeader& h);

// The header's bytes with its name, for writing; the extra area is left empty.
std::vector<uint8_t> BhHeaderBytes(const TBhHeader& h);

// The entry's name as the program keeps it: UTF-8, "/"-separated; a folder's ends with "/".
std::string EntryName(const TBhHeader& h);

}  // namespace qel::bh
