// Little-endian field access for on-disk records, and how record readers reach the bytes.
#pragma once

#include <cstdint>
#include <functional>

namespace qel {

// Reads `size` bytes at `pos`; false when they cannot all be read.
using TReadAt = std::function<bool(int64_t pos, uint8_t* data, int64_t size)>;

inline uint16_t GetU16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t GetU32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline uint64_t GetU64(const uint8_t* p) { return GetU32(p) | (uint64_t(GetU32(p + 4)) << 32); }

inline void PutU16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
inline void PutU32(uint8_t* p, uint32_t v) {
  PutU16(p, uint16_t(v));
  PutU16(p + 2, uint16_t(v >> 16));
}
inline void PutU64(uint8_t* p, uint64_t v) {
  PutU32(p, uint32_t(v));
  PutU32(p + 4, uint32_t(v >> 32));
}

}  // namespace qel
