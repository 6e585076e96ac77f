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

// CRC-16 by slicing two tables: the second maps a byte to its effect one byte later,
// so the loop consumes two bytes per table pair.
constexpr auto kCrc16 = ReflectedTable<uint16_t>(0xA001u);
constexpr std::array<uint16_t, 256> Crc16Shifted() {
  std::array<uint16_t, 256> t{};
  for (unsigned n = 0; n < 256; ++n) t[n] = uint16_t(kCrc16[kCrc16[n] & 0xFF] ^ (kCrc16[n] >> 8));
  return t;
}
constexpr auto kCrc16Shifted = Crc16Shifted();

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
  for (; size >= 2; size -= 2, p += 2) {
    uint16_t x = uint16_t(crc ^ (p[0] | (p[1] << 8)));
    crc = uint16_t(kCrc16Shifted[x & 0xFF] ^ kCrc16[x >> 8]);
  }
  if (size) crc = uint16_t(kCrc16[(crc ^ *p) & 0xFF] ^ (crc >> 8));
  return crc;
}

}  // namespace qel
