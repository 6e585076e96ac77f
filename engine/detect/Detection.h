// Archive-type detection: what kind of archive a stream holds and where its data begins,
// from signatures at fixed places, inside self-extracting executables, and by scanning.
#pragma once

#include <cstdint>
#include <string>

#include "engine/base/ArcType.h"
#include "engine/base/HeaderType.h"
#include "formats/zip/CentralDir.h"
#include "formats/zip/HeaderCipher.h"

namespace qel {

class TStream64;
namespace platform {
class IDriveProbe;
}

struct TDetectInput {
  // The archive's file name: its extension turns a ZIP into a Java archive, and its drive
  // tells a spanned set from a split one. May be empty for a bare stream.
  std::string FileName;
  platform::IDriveProbe* Drives = nullptr;
  THeaderDecipher Decipher;
};

struct TDetectResult {
  int64_t HeaderOffset = -1;  // where reading starts (ZIP: the first central header)
  int64_t OffsetAdjust = 0;   // ZIP: bytes in front of the archive
  THeaderTypeState HeadFlag;
  int64_t ArchiveSize = 0;
  zip::TCentralDirLocation Zip;  // what locating the ZIP central directory found
};

// Reads at most a few hundred KiB, never the whole file.
TArcType DetectArcType(TStream64& stream, const TDetectInput& input, TDetectResult& result);

}  // namespace qel
