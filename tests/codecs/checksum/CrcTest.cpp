#include "codecs/checksum/Crc.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace qel {
namespace {

// Bit-at-a-time forms of both checks, as the formats define them.
uint32_t BitwiseCrc32(const uint8_t* p, size_t n) {
  uint32_t c = 0xFFFFFFFF;
  for (size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
  }
  return ~c;
}

uint16_t BitwiseCrc16(uint16_t c, const uint8_t* p, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = uint16_t((c & 1) ? (c >> 1) ^ 0xA001 : c >> 1);
  }
  return c;
}

std::vector<uint8_t> Noise(size_t n) {
  std::vector<uint8_t> v(n);
  uint32_t x = 0x12345678;
  for (auto& b : v) {
    x = x * 1103515245u + 12345u;
    b = uint8_t(x >> 23);
  }
  return v;
}

TEST(CrcCheckValues, BothWidths) {
  EXPECT_EQ(Crc32(0, "abc", 3), 0x352441C2u);
  EXPECT_EQ(Crc32(0, "123456789", 9), 0xCBF43926u);
  EXPECT_EQ(Crc16(0, "abc", 3), 0x9738);
  EXPECT_EQ(Crc16(0, "123456789", 9), 0xBB3D);
  EXPECT_EQ(Crc32(0, "", 0), 0u);
  EXPECT_EQ(Crc16(0, "", 0), 0);
}

TEST(CrcIncremental, SplitBuffersEqualOneShot) {
  const std::vector<uint8_t> data = Noise(67);
  const uint32_t whole32 = Crc32(0, data.data(), data.size());
  const uint16_t whole16 = Crc16(0, data.data(), data.size());
  ASSERT_EQ(whole32, BitwiseCrc32(data.data(), data.size()));
  ASSERT_EQ(whole16, BitwiseCrc16(0, data.data(), data.size()));
  for (size_t a = 0; a <= data.size(); ++a) {
    for (size_t b = a; b <= data.size(); b += 7) {
      uint32_t c32 = Crc32(0, data.data(), a);
      c32 = Crc32(c32, data.data() + a, b - a);
      c32 = Crc32(c32, data.data() + b, data.size() - b);
      EXPECT_EQ(c32, whole32) << a << "," << b;
      uint16_t c16 = Crc16(0, data.data(), a);
      c16 = Crc16(c16, data.data() + a, b - a);
      c16 = Crc16(c16, data.data() + b, data.size() - b);
      EXPECT_EQ(c16, whole16) << a << "," << b;
    }
  }
}

TEST(CrcIncremental, Crc16OddLengthsAndAlignments) {
  // The CRC-16 loop takes two bytes at a time; a lone last byte and an odd start address
  // must give the byte-wise answer, from any starting register.
  const std::vector<uint8_t> data = Noise(41);
  for (size_t start = 0; start < 3; ++start) {
    for (size_t n = 0; start + n <= data.size(); ++n) {
      for (uint16_t init : {uint16_t(0), uint16_t(0xBEEF)}) {
        EXPECT_EQ(Crc16(init, data.data() + start, n), BitwiseCrc16(init, data.data() + start, n))
            << "start " << start << " length " << n << " init " << init;
      }
    }
  }
}

TEST(CrcTable, StepMatchesTheTableForm) {
  const uint32_t* table = Crc32Table();
  EXPECT_EQ(table[0], 0u);
  EXPECT_EQ(table[1], 0x77073096u);
  EXPECT_EQ(table[255], 0x2D02EF8Du);

  // Driving the raw register by hand gives the finished CRC-32.
  const std::vector<uint8_t> data = Noise(300);
  uint32_t reg = 0xFFFFFFFF;
  for (uint8_t b : data) reg = Crc32Step(reg, b);
  EXPECT_EQ(~reg, Crc32(0, data.data(), data.size()));

  // One step equals eight bit steps for every byte value.
  for (uint32_t reg0 : {0u, 0xFFFFFFFFu, 0x12345678u}) {
    for (unsigned b = 0; b < 256; ++b) {
      uint32_t c = reg0 ^ b;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
      EXPECT_EQ(Crc32Step(reg0, uint8_t(b)), c) << reg0 << " " << b;
    }
  }
}

}  // namespace
}  // namespace qel
