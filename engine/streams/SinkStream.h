// The base of the write-only streams: what they take is passed on or digested, never
// kept, so the only position there is is the count of bytes written.
#pragma once

#include <cstdint>

#include "engine/streams/Stream.h"

namespace qel {

class TSinkStream : public TStream64 {
 public:
  int64_t Read(void*, int64_t) override { return 0; }
  // Only the current position can be sought.
  int64_t Seek(int64_t offset, TSeekOrigin origin) override {
    int64_t base = origin == TSeekOrigin::soBeginning ? 0 : written_;
    return offset == written_ - base ? written_ : -1;
  }
  int64_t Size() override { return written_; }
  bool SetSize(int64_t) override { return false; }

 protected:
  int64_t written_ = 0;
};

}  // namespace qel
