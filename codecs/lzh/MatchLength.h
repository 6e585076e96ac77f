// How far two places of a text agree: the inner loop of the LZ encoders' match searches.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace qel {

// How many bytes from `a` and `b` agree, up to `limit`; eight compared at a time. Both have
// `limit` bytes in hand.
inline int MatchLength(const uint8_t* a, const uint8_t* b, int limit) {
  int n = 0;
  for (; n + 8 <= limit; n += 8) {
    uint64_t x, y;
    std::memcpy(&x, a + n, 8);
    std::memcpy(&y, b + n, 8);
    if (x != y) {
      const uint64_t d = x ^ y;
      return n + (std::endian::native == std::endian::little ? std::countr_zero(d)
                                                             : std::countl_zero(d)) /
                     8;
    }
  }
  while (n < limit && a[n] == b[n]) ++n;
  return n;
}

}  // namespace qel
