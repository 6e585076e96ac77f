// What the bzip2 streams share: libbz2's stream state and the buffer of compressed bytes
// that moves between it and the outside in fixed pieces.
#pragma once

#include <bzlib.h>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace qel {

class Tbz2Stream {
 public:
  // Compressed bytes are written and read in pieces of this size.
  static constexpr size_t kBufferSize = 16384;

  Tbz2Stream(const Tbz2Stream&) = delete;
  Tbz2Stream& operator=(const Tbz2Stream&) = delete;

  // The bytes taken in so far: plain ones by a compressor, compressed ones by a decompressor.
  int64_t TotalIn() const { return totalIn_; }

 protected:
  Tbz2Stream() : buffer_(std::make_unique<char[]>(kBufferSize)) {}
  ~Tbz2Stream() = default;

  bz_stream bz_{};
  std::unique_ptr<char[]> buffer_;
  int64_t totalIn_ = 0;
};

}  // namespace qel
