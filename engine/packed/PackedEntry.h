// What a single-file compression says of its one entry without decoding it: the lister
// shows it and the reader extracts under it.
#pragma once

#include <cstdint>
#include <string>

#include "engine/packed/PackedStream.h"

namespace qel {

struct TPackedEntry {
  TPackedKind Kind = TPackedKind::None;
  uint8_t Magic = 0;  // the GZIP family's second byte
  uint8_t Flags = 0;  // GZIP's FLG
  // GZIP's CM, BZIP2's block-size digit, the third byte of the rest (`compress`'s flags).
  uint16_t Method = 0;
  std::string Name;      // what the data comes out as (PackedNames)
  int64_t UnixTime = 0;  // MTIME, else the file's own time
  bool HasTrailer = false;
  uint32_t Crc = 0;     // the last GZIP member's trailer, when HasTrailer
  uint32_t Length = 0;  // its length modulo 2^32: the whole data's for a single member
};

// Describes the file `file` named `fileName`; false when a GZIP-family header cannot be
// read (the entry then has the file's own name and time).
bool DescribePacked(TStream64& file, const std::string& fileName, TPackedEntry& e);

}  // namespace qel
