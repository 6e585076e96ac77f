// ARJ headers. Each opens with the id 60 EA and the 16-bit size of its basic header (0 marks
// the archive's end). The basic header starts with a block of fixed fields whose size it
// records in its first byte, then holds the name and the comment, both zero-terminated; a
// CRC-32 of the basic header follows it, then a chain of extended headers (a 16-bit size, the
// data and its CRC-32; size 0 ends the chain), then the entry's data.
//
// The first header of every volume is the main header: it names the archive and says whether
// the archive continues in the next volume. A file split over volumes appears once per
// volume, each piece with its own sizes, its own CRC and its place in the whole file.
#pragma once

#include <cstdint>
#include <string>

#include "engine/base/Bytes.h"
#include "engine/base/HeaderRead.h"

namespace qel::arj {

// Flag bits.
inline constexpr uint8_t kGarbled = 0x01;    // the data is garbled with a password
inline constexpr uint8_t kVolume = 0x04;     // goes on in the next volume
inline constexpr uint8_t kContinued = 0x08;  // a piece of a file begun in the volume before

enum TArjFileType : uint8_t {
  ftBinary,
  ftText,
  ftComment,  // the main header's
  ftDirectory,
  ftVolumeLabel,
  ftChapterLabel,  // marks where a chapter of a backup archive begins
};

struct TArjHeader {
  int64_t Position = 0;   // where the header starts
  int64_t DataStart = 0;  // where the entry's data starts
  int64_t Next = 0;       // where the next header starts
  uint8_t ArchiverVersion = 0;
  uint8_t MinVersion = 0;
  uint8_t HostOs = 0;
  uint8_t Flags = 0;
  uint8_t Method = 0;
  uint8_t FileType = 0;
  uint8_t GarbleModifier = 0;  // added to every password byte
  uint32_t Stamp = 0;          // DOS date-time, or Unix seconds from Unix hosts
  uint32_t Packed = 0;
  uint32_t Unpacked = 0;
  uint32_t Crc = 0;
  uint16_t AccessMode = 0;     // DOS attributes, or the Unix mode from Unix hosts
  uint32_t PiecePosition = 0;  // a continued piece's place in the whole file
  std::string Name;            // as stored

  bool FromUnix() const;
  uint32_t DosTime() const;
  int64_t UnixTime() const;  // -1 unless the header holds Unix seconds
};

// Reads the header at `pos` of a file of `fileSize` bytes. `main`: the volume's main header,
// which has no data of its own.
THeaderRead ReadArjHeader(const TReadAt& readAt, int64_t fileSize, int64_t pos, bool main,
                          TArjHeader& h);

// The entry's name as the program keeps it: UTF-8, "/"-separated, a folder's ending in "/".
std::string EntryName(const TArjHeader& h);

}  // namespace qel::arj
