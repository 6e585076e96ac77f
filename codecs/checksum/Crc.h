// CRC-32 (reflected, polynomial 0xEDB88320) and CRC-16 (reflected, polynomial 0xA001,
// initial value 0, no final inversion: the check of the ARC, LHA and ZOO families).
#pragma once

#include <cstddef>
#include <cstdint>

namespace qel {

// The 256-entry CRC-32 table; ZipCrypto's key update steps through it one byte at a time.
const uint32_t* Crc32Table();

// One step of the raw CRC-32 register: table[(reg ^ b) & 0xFF] ^ (reg >> 8).
inline uint32_t Crc32Step(uint32_t reg, uint8_t b) {
  return Crc32Table()[(reg ^ b) & 0xFF] ^ (reg >> 8);
}

// Continues a finished CRC-32 value over more data (start with 0): the register is set to
// 0xFFFFFFFF before the first byte and inverted after the last, as ZIP and GZIP store it.
uint32_t Crc32(uint32_t crc, const void* data, size_t size);
// The CRC-32 of two pieces one after the other, from the CRC of each and the second's size:
// pieces checked on different threads are joined without reading them again.
uint32_t Crc32Combine(uint32_t first, uint32_t second, uint64_t secondSize);

// Continues a CRC-16 over more data (start with 0).
uint16_t Crc16(uint16_t crc, const void* data, size_t size);

}  // namespace qel
