// The signature table: what the four bytes at a position say about the archive there.
#pragma once

#include <cstdint>

#include "engine/base/ArcType.h"

namespace qel::detect {

// Plain mode looks at the start of a file, exe mode at data found inside an executable.
enum class ClassifyMode { Plain, Exe };

// ZIP records that do not start an ordinary archive need more than the signature.
enum class ClassifyFollowUp : uint8_t {
  None,
  SpanSplitThenFind,  // a central header first: spanned/split decision, then locate the directory
  SpanSplit,          // the span marker of a multi-volume set: spanned/split decision
};

struct TClassification {
  TArcType Type = atNA;  // atNA: nothing recognised
  ClassifyFollowUp FollowUp = ClassifyFollowUp::None;
  // Self-extractors of one ARC maker put the archive at this fixed place.
  bool ArchiveAt7716 = false;
};

TClassification Classify(const uint8_t bytes[4], ClassifyMode mode);

}  // namespace qel::detect
