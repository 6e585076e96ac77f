// The search for a directory kept at the end of the file, which detection runs wherever a ZIP
// may be. Detection decides from the figures here; the ZIP format defines the search
// (formats/zip/ZipTail.cpp) and keeps the whole of what it found in the findings.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/base/ArchiveDetection.h"
#include "engine/base/HeaderType.h"

namespace qel {

class TStream64;
struct TDetectInput;

struct TTailSearch {
  // As the ZIP search answers: where reading starts (the first central header, or a local
  // header found by scanning), 0 when no end record was found (the caller's earlier finding
  // decides), -1 when the archive cannot be used.
  int64_t FirstHeader = 0;
  int64_t OffsetAdjust = 0;  // bytes in front of the archive
  THeaderTypeState HeadFlag;
  // The directory starts on an earlier disk of a set than the end record's.
  bool DirectoryOnEarlierDisk = false;
  bool SingleDisk = true;
  std::shared_ptr<const TFormatFindings> Findings;
};

// Searches `stream` up to `end`.
TTailSearch SearchZipTail(TStream64& stream, int64_t end, const TDetectInput& input);

}  // namespace qel
