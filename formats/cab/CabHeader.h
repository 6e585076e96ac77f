// The records at the head of a cabinet, as the lister and the set-following read them:
// CFHEADER with its optional reserve and set names, every CFFOLDER, and the CFFILEs from
// where the header says they start (folders may carry reserved bytes, so the files are
// not simply behind the first folder).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/base/Bytes.h"

namespace qel::cab {

// Record sizes, without the strings that follow some of them.
inline constexpr size_t kHeaderSize = 36;
inline constexpr size_t kFolderSize = 8;
inline constexpr size_t kFileSize = 16;
inline constexpr size_t kDataHeaderSize = 8;

// Header flags.
inline constexpr uint16_t kHasPrevious = 1;
inline constexpr uint16_t kHasNext = 2;
inline constexpr uint16_t kHasReserve = 4;

// A file's folder index may instead say that its data spans cabinets: it belongs to the
// first folder (continued from the previous cabinet) or to the last one.
inline constexpr uint16_t kFromPrevious = 0xFFFD;
inline constexpr uint16_t kToNext = 0xFFFE;
inline constexpr uint16_t kPreviousAndNext = 0xFFFF;

inline constexpr uint16_t kAttrFolder = 0x10;
// The name is UTF-8 rather than the system's code page.
inline constexpr uint16_t kAttrUtf8Name = 0x80;

struct TCabFolder {
  uint32_t DataOffset = 0;  // of its first CFDATA, from the cabinet's start
  uint16_t Blocks = 0;
  uint16_t Compression = 0;  // method in bits 0-3, its window or level above
};

struct TCabFileRecord {
  int64_t Position = 0;  // of the record in its file
  std::string Name;      // as stored: '\' separators, bytes of the code page or UTF-8
  uint32_t Size = 0;
  uint32_t FolderOffset = 0;  // where its data starts in the folder's uncompressed stream
  uint16_t Folder = 0;
  uint16_t Date = 0, Time = 0;  // DOS
  uint16_t Attributes = 0;

  bool FromPrevious() const { return Folder == kFromPrevious || Folder == kPreviousAndNext; }
  uint32_t DosDateTime() const { return (uint32_t(Date) << 16) | Time; }
  // The DOS attribute bits; the name and execute marks above them are the format's own.
  uint32_t DosAttributes() const { return Attributes & 0x3F; }
};

struct TCabHeader {
  uint32_t CabinetSize = 0;
  uint16_t Flags = 0;
  uint16_t SetId = 0;
  uint16_t Index = 0;  // the cabinet's number in its set, from 0
  std::string PreviousName, PreviousDisk, NextName, NextDisk;
  std::vector<TCabFolder> Folders;
  std::vector<TCabFileRecord> Files;

  // The compression word of the folder the file's data is in.
  uint16_t CompressionOf(const TCabFileRecord& f) const;
};

// The program's name for a stored name: UTF-8 when the attributes say so (or it looks like
// it), otherwise from the ANSI code page; "/" separators; a folder's name ends with "/".
std::string EntryName(std::string_view stored, uint16_t attributes);

// Reads the cabinet whose header starts at `base`; false when it is not a cabinet or its
// records do not fit in the file.
bool ReadCabHeader(const TReadAt& readAt, int64_t fileSize, int64_t base, TCabHeader& h);

}  // namespace qel::cab
