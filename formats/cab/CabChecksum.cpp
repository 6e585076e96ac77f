#include "formats/cab/CabChecksum.h"

#include <bit>
#include <cstring>

#include "engine/base/Bytes.h"

namespace qel::cab {

uint32_t CabChecksum(std::span<const uint8_t> data, uint32_t seed) {
  const uint8_t* p = data.data();
  size_t n = data.size();
  uint32_t sum = seed;
  if constexpr (std::endian::native == std::endian::little) {
    // Two words at a time: their XOR folds into one at the end.
    uint64_t wide = 0;
    for (; n >= 8; p += 8, n -= 8) {
      uint64_t w;
      std::memcpy(&w, p, 8);
      wide ^= w;
    }
    sum ^= uint32_t(wide) ^ uint32_t(wide >> 32);
  }
  for (; n >= 4; p += 4, n -= 4) sum ^= GetU32(p);
  uint32_t tail = 0;
  for (size_t i = 0; i < n; ++i) tail = (tail << 8) | p[i];
  return sum ^ tail;
}

}  // namespace qel::cab
