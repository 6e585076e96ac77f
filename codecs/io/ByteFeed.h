// The input of a bit reader: compressed bytes fetched through a source routine in pieces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "codecs/io/CodecIo.h"

namespace qel {

class TByteFeed {
 public:
  explicit TByteFeed(const TCodecSource& source);

  // The next byte, or -1 once the input has ended.
  int Next() {
    if (at_ == end_ && !Fill()) return -1;
    return input_[at_++];
  }
  // The bytes in hand, which can be taken without a fill.
  size_t Ready() const { return end_ - at_; }
  const uint8_t* Here() const { return input_.get() + at_; }
  void Take(size_t n) { at_ += n; }

 private:
  bool Fill();

  const TCodecSource& source_;
  std::unique_ptr<uint8_t[]> input_;
  size_t at_ = 0, end_ = 0;
  bool ended_ = false;
};

}  // namespace qel
