// The blocks of a RAR volume, read one file header at a time: the RAR 1.5 to 4.x layout
// (7-byte block heads with 16-bit CRCs, fixed file-header fields, an optional Unicode name)
// and the RAR 5 layout (variable-length integers, CRC-32 over each header, extra records).
// Every size is checked against the header and the volume before it is used, so a damaged
// or hostile volume ends the walk with Bad, never with a read outside what it holds.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/base/Bytes.h"
#include "engine/base/HeaderRead.h"

namespace qel::rar {

// Host systems as both layouts are reported: RAR 5's Windows and Unix map onto RAR 4's.
enum : uint8_t { kHostMsDos = 0, kHostOs2 = 1, kHostWin32 = 2, kHostUnix = 3 };

// Link kinds (RAR 5 redirections; a RAR 4 Unix symbolic link is kLinkUnixSymlink).
enum : uint8_t { kLinkNone = 0, kLinkUnixSymlink = 1 };

// One file header: a whole file, or one part of a file split over volumes.
struct TRarPart {
  std::string Name;  // UTF-8, "/"-separated as stored
  bool SplitBefore = false;
  bool SplitAfter = false;
  bool Encrypted = false;
  bool Directory = false;
  bool Solid = false;  // decoding goes on from the file before
  uint64_t Packed = 0;
  uint64_t Unpacked = 0;
  bool HasCrc = true;  // RAR 5 may keep a BLAKE2sp hash instead, or a MAC of the CRC
  uint32_t Crc = 0;
  bool HasBlake2 = false;  // RAR 5's BLAKE2sp hash of the data
  std::array<uint8_t, 32> Blake2{};
  uint8_t HostOS = kHostMsDos;
  uint8_t UnpVer = 0;     // 15 to 29 for RAR 1.5 to 4.x data, 50 and 70 for RAR 5 and 7
  uint8_t Method = 0x30;  // 0x30 stored to 0x35 best
  uint32_t DictSizeKB = 0;
  uint32_t Attr = 0;      // DOS attribute bits, or the Unix mode from a Unix host
  uint32_t DosTime = 0;   // local time
  int64_t UnixTime = -1;  // the modification time to the second when stored that precisely
  uint8_t LinkType = kLinkNone;
  int64_t HeaderStart = 0;
  int64_t DataStart = 0;
};

// What the archive's main header says of the whole set.
struct TRarArchiveFlags {
  bool Rar5 = false;
  bool Volume = false;        // one volume of a set
  bool FirstVolume = false;   // known only from RAR 3 on
  bool NewNumbering = false;  // volumes named x.part1.rar, x.part2.rar...
  bool Solid = false;
  bool EncryptedHeaders = false;
  bool Locked = false;
  bool Commented = false;
};

class TRarBlockReader {
 public:
  // Reads the signature at `start` and the main header after it. Bad when the signature
  // is missing or the main header is damaged. With encrypted headers the walk can go no
  // further: Archive().EncryptedHeaders is set and Next answers End.
  THeaderRead Open(TReadAt read, int64_t volumeSize, int64_t start);

  // The next file header; End at the end-of-archive block or where the volume ends
  // between blocks (archives of RAR 1.5 and 2 have no end block).
  THeaderRead Next(TRarPart& part);

  const TRarArchiveFlags& Archive() const { return archive_; }
  // Another volume follows: the end-of-archive block says so, or (before RAR 3) the
  // volume's last file goes on.
  bool MoreVolumes() const { return moreVolumes_; }

 private:
  THeaderRead NextRar4(TRarPart& part);
  THeaderRead NextRar5(TRarPart& part);
  THeaderRead OpenRar4();
  THeaderRead OpenRar5();
  bool Read(int64_t pos, uint8_t* data, int64_t size) const;

  TReadAt read_;
  int64_t size_ = 0;
  int64_t pos_ = 0;  // the next block
  bool ended_ = false;
  bool moreVolumes_ = false;
  bool lastSplitAfter_ = false;
  TRarArchiveFlags archive_;
};

// The signature of either layout at `data` (at least 8 bytes): 4 for RAR 1.5 to 4.x, 5 for
// RAR 5, 0 for none.
int RarSignatureVersion(const uint8_t* data);

}  // namespace qel::rar
