// Bits read least-significant first, as the old ZIP methods (Shrink, Reduce, Implode) and the
// LZW formats pack them. Up to 64 bits are kept in hand. Past the end of the input it reads
// zero bits and remembers that it did: whoever used them decoded from a truncated stream.
#pragma once

#include <cstdint>

#include "codecs/io/ByteFeed.h"

namespace qel {

class TLsbBitReader {
 public:
  explicit TLsbBitReader(const TCodecSource& source);

  // The next `n` bits (0 to 32), used.
  uint32_t Get(int n) {
    if (count_ < n) Refill();
    const uint32_t v = uint32_t(bits_ & ((uint64_t(1) << n) - 1));
    bits_ >>= n;
    count_ -= n;
    real_ -= n;
    return v;
  }
  // Whether more bits were used than the input held.
  bool Overrun() const { return real_ < 0; }

 private:
  void Refill();

  TByteFeed input_;
  uint64_t bits_ = 0;  // the next bits, from the bottom
  int count_ = 0;
  int64_t real_ = 0;  // bits taken from the input and not used yet (negative: overrun)
};

}  // namespace qel
