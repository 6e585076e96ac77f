// Archive-type detection: what kind of archive a stream holds and where its data begins,
// from signatures at fixed places, inside self-extracting executables, and by scanning.
#pragma once

#include <cstdint>
#include <string>

#include "engine/base/ArcType.h"
#include "engine/base/ArchiveDetection.h"
#include "engine/base/HeaderType.h"
#include "engine/base/Types.h"

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
  // The seed records written with enciphered headers are read with; without one they are
  // unreadable.
  const TSeedKeyRecord* HeaderSeed = nullptr;
};

// Reads at most a few hundred KiB, never the whole file.
TArcType DetectArcType(TStream64& stream, const TDetectInput& input, TDetectResult& result);

}  // namespace qel
