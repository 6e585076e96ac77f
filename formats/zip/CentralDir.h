// Locating the central directory of a ZIP archive from its end records.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/base/HeaderType.h"
#include "formats/zip/HeaderCipher.h"
#include "formats/zip/Records.h"

namespace qel {
class TStream64;
}

namespace qel::zip {

// The tail searched for the end record: room for the longest legal archive comment
// (65535 bytes) behind the end record.
inline constexpr int64_t kTailSize = 65535 + kEndRecordSize;

struct TCentralDirLocation {
  THeaderTypeState HeadFlag;
  int64_t OffsetAdjust = 0;  // bytes in front of the archive (actual minus recorded position)
  int64_t EndPosition = -1;  // where the end record starts; -1 when none was found
  bool EndEnciphered = false;
  bool Extended = false;  // the engine's 64-bit end record rather than the standard one
  EndRecord End;          // the standard end record (when !Extended)
  ExtendedEndRecord ExtendedEnd;
  std::optional<Zip64Locator> Locator;
  std::optional<Zip64EndRecord> End64;
  std::string Comment;  // the archive comment that follows the end record
  int64_t CommentPosition = -1;

  // The figures of whichever end record is in force, widened to 64 bits.
  uint64_t CentralSize() const;
  uint64_t CentralOffset() const;
  uint64_t TotalEntries() const;
  uint32_t ThisDisk() const;
  uint32_t CentralDisk() const;
  // Split and spanned sets may start the directory on an earlier disk than the one that
  // holds the end record; it then runs on across the disks in between.
  bool DirectoryOnEarlierDisk() const { return EndPosition >= 0 && CentralDisk() < ThisDisk(); }
};

// Searches `stream` up to `end` (normally its size). Answers the position of the first
// central header; 0 when no end record was found (the caller's earlier finding decides);
// -1 when the archive is unusable; or, when the central directory cannot be found, the
// position of the first local header found by scanning from the start. A directory that
// starts on an earlier disk is taken on trust (htCentral, 0: the part of it on this disk
// starts there); its start is the tail's CentralOffset on its CentralDisk. An archive
// without entries has an empty directory (htCentral) where its end records start, 0 when
// nothing comes before them. Never reads past `end`, whatever the records claim.
int64_t FindCentralDir(TStream64& stream, int64_t end, TCentralDirLocation& out,
                       const THeaderDecipher& decipher);

}  // namespace qel::zip
