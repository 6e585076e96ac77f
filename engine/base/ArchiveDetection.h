// What a component learns when it is given an archive file: its type, where reading starts,
// and what the format found of its own structures on the way (a ZIP's end records). The
// base only declares the detection; engine/detect defines it, so that the base needs
// nothing of detection, streams or formats.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/base/ArcType.h"
#include "engine/base/HeaderType.h"

namespace qel {

class TStream64;
class TZipCommon;

// A format's own findings, kept on the component so that the operation that follows need
// not search for them again. Each format derives its own and casts back to it.
class TFormatFindings {
 public:
  virtual ~TFormatFindings() = default;
};

struct TDetectResult {
  int64_t HeaderOffset = -1;  // where reading starts (ZIP: the first central header)
  int64_t OffsetAdjust = 0;   // ZIP: bytes in front of the archive
  THeaderTypeState HeadFlag;
  int64_t ArchiveSize = 0;
  std::shared_ptr<const TFormatFindings> Findings;  // what locating a ZIP directory found
};

struct TDetection {
  bool Opened = false;  // false: the file could not be opened, nothing else was filled
  TArcType Type = atNA;
  TDetectResult Result;
  int64_t CreationTime = -1;  // Unix time; -1 when unknown
};

// Detects the archive on `stream`, named and read as the component says (its file name,
// drive layer and header seed). Exceptions from reading the stream pass through.
TArcType DetectArchiveStream(const TZipCommon& component, TStream64& stream, TDetectResult& result);
// The same over the file the component names, opened for it.
TDetection DetectArchiveFile(const TZipCommon& component);
// The type of the archive at `path` as a component of no settings finds it; atNA when the
// file cannot be read or is no archive.
TArcType DetectedArcType(const std::string& path);

}  // namespace qel
