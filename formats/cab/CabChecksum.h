// The check value of a cabinet's data blocks: the 32-bit XOR of the bytes taken as little-endian
// words, with the one to three bytes left over folded in the format's own order (the first of them
// highest), seeded with the XOR so far.
#pragma once

#include <cstdint>
#include <span>

namespace qel::cab {

uint32_t CabChecksum(std::span<const uint8_t> data, uint32_t seed = 0);

// A CFDATA record's csum: the coded bytes, then the record's cbData and cbUncomp fields.
inline uint32_t DataBlockChecksum(std::span<const uint8_t> data, uint16_t cbUncomp) {
  return CabChecksum(data) ^ (uint32_t(uint16_t(data.size())) | (uint32_t(cbUncomp) << 16));
}

}  // namespace qel::cab
