// Bits read most-significant first, as the LZH family (LHA, ARJ, ZOO, BH) packs them. The
// reader keeps up to 64 bits in hand, so a peek of up to 32 bits never touches the input.
// Past the end of the input it reads zero bits and remembers that it did: whoever used them
// decoded from a truncated stream.
#pragma once

#include <cstdint>

#include "codecs/io/ByteFeed.h"

namespace qel {

class TMsbBitReader {
 public:
  explicit TMsbBitReader(const TCodecSource& source);

  // The next `n` bits (1 to 32) without using them.
  uint32_t Peek(int n) {
    if (count_ < n) Refill();
    return uint32_t(bits_ >> (64 - n));
  }
  void Skip(int n) {
    if (count_ < n) Refill();
    bits_ <<= n;
    count_ -= n;
    real_ -= n;
  }
  // The next `n` bits (0 to 32), used.
  uint32_t Get(int n) {
    if (n == 0) return 0;
    const uint32_t v = Peek(n);
    Skip(n);
    return v;
  }
  // Whether more bits were used than the input held.
  bool Overrun() const { return real_ < 0; }

 private:
  void Refill();

  TByteFeed input_;
  uint64_t bits_ = 0;  // the next bits, from the top
  int count_ = 0;      // bits held in bits_
  int64_t real_ = 0;   // bits taken from the input and not used yet (negative: overrun)
};

}  // namespace qel
