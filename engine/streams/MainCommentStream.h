// The archive comment, as read from the archive's tail.
#pragma once

#include <cstdint>

#include "engine/streams/MemoryStream32.h"

namespace qel {

class TMainCommentStream : public TMemoryStream32 {
 public:
  // Where in the archive the comment began, -1 when unknown: a writer that replaces the
  // comment cuts the archive there and writes the new one.
  int64_t CommentPosition = -1;

  void Clear() override {
    TMemoryStream32::Clear();
    CommentPosition = -1;
  }
};

}  // namespace qel
