// The header of one LHA entry, of any of the four levels:
//
// - level 0: a one-byte header size counted from offset 2, a checksum, the method id
//   ("-lh5-"), the sizes, a DOS date-time, the attribute, the level, the name with its
//   length byte and the data's CRC-16; LHA for Unix adds its own fields behind the CRC;
// - level 1: level 0 with an OS id behind the CRC and a chain of extended headers between
//   the base header and the data, counted in the packed size;
// - level 2: a 16-bit size of the whole header, a Unix time in place of the DOS one, and
//   extended headers inside the header;
// - level 3: level 2 with 32-bit header and extended-header sizes.
//
// Every extended header holds a type byte, its data, and the size of the next one; the chain
// ends at size 0. The types read here: 1 the file name, 2 the folder name, 0x40 the DOS
// attributes, 0x41 Windows times, 0x50 the Unix mode, 0x54 the Unix time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/base/Bytes.h"
#include "engine/base/HeaderRead.h"

namespace qel::lha {

// What the method id asks of the reader.
enum class TLhaMethod : uint8_t {
  Stored,  // -lh0-, and -lz4-, LArc's stored method
  Lh1,     // adaptive Huffman
  Lh4,     // -lh4- to -lh7-: static Huffman, 4 KB to 64 KB windows
  Lh5,
  Lh6,
  Lh7,
  Lzs,  // LArc's LZSS methods
  Lz5,
  Folder,  // -lhd-: a folder (or, from Unix, a link), no data
  Unsupported,
};

TLhaMethod MethodOf(const char id[5]);

struct TLhaHeader {
  int64_t Position = 0;   // where the header starts
  int64_t DataStart = 0;  // where the entry's data starts
  int64_t Next = 0;       // where the next header starts
  int Level = 0;
  char Method[5] = {};
  uint64_t Packed = 0;  // the data alone, without level-1 extended headers
  uint64_t Unpacked = 0;
  uint32_t DosTime = 0;   // levels 0 and 1
  int64_t UnixTime = -1;  // levels 2 and 3, or from an extended header; -1 when absent
  uint8_t Attr = 0;       // DOS attribute bits
  uint16_t Crc = 0;
  uint8_t Os = 0;         // 'M' MS-DOS, 'U' Unix, 'J' Java... 0 when the header has none
  std::string Name;       // the bytes as stored, separators and all
  std::string Directory;  // the folder name of an extended header, likewise
  std::optional<uint16_t> UnixMode;

  TLhaMethod Kind() const { return MethodOf(Method); }
  // The Unix mode says a symbolic link (stored as "name|target").
  bool IsLink() const { return UnixMode && (*UnixMode & 0xF000) == 0xA000; }
};

// Reads the header at `pos` of a file of `fileSize` bytes: Ok, End (the end mark, or the end
// of the file), or Bad when the header is damaged or its data would pass the end of the file.
THeaderRead ReadLhaHeader(const TReadAt& readAt, int64_t fileSize, int64_t pos, TLhaHeader& h);

// The entry's name as the program keeps it: UTF-8, "/"-separated, a folder's ending in "/".
// Names that are valid UTF-8 are taken so; others are in Shift-JIS when the header comes
// from a Japanese system, else in the ANSI code page.
std::string EntryName(const TLhaHeader& h);

}  // namespace qel::lha
