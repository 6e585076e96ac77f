// A stream over an open file descriptor that it does not own.
#pragma once

#include <cstdint>

#include "codecs/io/ProgressHook.h"
#include "engine/streams/Stream.h"

namespace qel {

class THandleStream32 : public TStream64 {
 public:
  explicit THandleStream32(int handle) : handle_(handle) {}

  int Handle() const { return handle_; }

  // A failed read answers 0, like the end of the file: the rule that wanted the bytes fails.
  int64_t Read(void* buffer, int64_t count) override;
  // Writes all of `count` unless the system refuses; answers the bytes written.
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  // 0 when the descriptor cannot be examined.
  int64_t Size() override;
  bool SetSize(int64_t size) override;
  // From another file the kernel copies (sharing the blocks where the file system can).
  int64_t CopyFrom(TStream64& source, int64_t count) override;

  // Called after every read that delivered bytes (not for writes: a stream that is read
  // is the source of an operation, one that is written its product).
  TProgressHook Progress;

 protected:
  int handle_;
};

}  // namespace qel
