#include "codecs/lzh/MsbBitReader.h"

#include <bit>
#include <cstring>

namespace qel {

TMsbBitReader::TMsbBitReader(const TCodecSource& source) : input_(source) {}

void TMsbBitReader::Refill() {
  if (input_.Ready() >= 8) {
    // Whole bytes into the free part of the buffer in one load, most significant first.
    const int take = (64 - count_) >> 3;
    uint64_t v;
    std::memcpy(&v, input_.Here(), 8);
    if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
    if (take < 8) v &= ~uint64_t(0) << (64 - 8 * take);
    bits_ |= v >> count_;
    input_.Take(size_t(take));
    count_ += 8 * take;
    real_ += 8 * take;
    return;
  }
  while (count_ <= 56) {
    // Past the end the zero bits already in place stand in for the missing bytes.
    if (const int byte = input_.Next(); byte >= 0) {
      bits_ |= uint64_t(byte) << (56 - count_);
      real_ += 8;
    }
    count_ += 8;
  }
}

}  // namespace qel
