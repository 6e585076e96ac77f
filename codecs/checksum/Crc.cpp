#include "codecs/checksum/Crc.h"

#include <libdeflate.h>
#include <zlib.h>

#include <array>

namespace qel {
namespace {

template <typename T>
constexpr std::array<T, 256> ReflectedTable(T poly) {
  std::array<T, 256> table{};
  for (unsigned n = 0; n < 256; ++n) {
    T c = T(n);
    for (int k = 0; k < 8; ++k) c = (c & 1) ? T((c >> 1) ^ poly) : T(c >> 1);
    table[n] = c;
  }
  return table;
}

constexpr auto kCrc32 = ReflectedTable<uint32_t>(0xEDB88320u);

// CRC-16 by slicing eight tables: table k maps a byte to its effect k bytes later, so the
// loop consumes eight bytes per round with no dependence between their lookups.
constexpr auto kCrc16 = ReflectedTable<uint16_t>(0xA001u);
constexpr std::array<std::array<uint16_t, 256>, 8> Crc16Slices() {
  std::array<std::array<uint16_t, 256>, 8> t{};
  t[0] = kCrc16;
  for (size_t k = 1; k < 8; ++k)
    for (unsigned n = 0; n < 256; ++n)
      t[k][n] = uint16_t((t[k - 1][n] >> 8) ^ kCrc16[t[k - 1][n] & 0xFF]);
  return t;
}
constexpr auto kCrc16Slices = Crc16Slices();

}  // namespace

const uint32_t* Crc32Table() { return kCrc32.data(); }

uint32_t Crc32(uint32_t crc, const void* data, size_t size) {
  // libdeflate's is the same function, with the processor's carry-less multiply where it
  // has one: several times zlib's speed.
  return libdeflate_crc32(crc, data, size);
}

uint32_t Crc32Combine(uint32_t first, uint32_t second, uint64_t secondSize) {
  return uint32_t(crc32_combine64(first, second, z_off64_t(secondSize)));
}

uint16_t Crc16(uint16_t crc, const void* data, size_t size) {
  auto* p = static_cast<const uint8_t*>(data);
  const auto& t = kCrc16Slices;
  for (; size >= 8; size -= 8, p += 8) {
    const unsigned x = crc ^ (p[0] | p[1] << 8);
    crc = uint16_t(t[7][x & 0xFF] ^ t[6][x >> 8] ^ t[5][p[2]] ^ t[4][p[3]] ^ t[3][p[4]] ^
                   t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]]);
  }
  for (; size; --size) crc = uint16_t(kCrc16[(crc ^ *p++) & 0xFF] ^ (crc >> 8));
  return crc;
}

}  // namespace qel
