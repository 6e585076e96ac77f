// A running CRC of either width, for the streams that check what passes through them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codecs/checksum/Crc.h"

namespace qel {

// ZIP, GZIP and most formats check with CRC-32; the ARC, LHA and ZOO families with CRC-16.
enum class TCrcWidth : uint8_t { crc16, crc32 };

class TCrcAccumulator {
 public:
  explicit TCrcAccumulator(TCrcWidth width) : width_(width) {}

  void Update(const void* data, size_t size) {
    value_ = width_ == TCrcWidth::crc32 ? Crc32(value_, data, size)
                                        : Crc16(static_cast<uint16_t>(value_), data, size);
  }
  uint32_t Value() const { return value_; }
  TCrcWidth Width() const { return width_; }

 private:
  TCrcWidth width_;
  uint32_t value_ = 0;
};

}  // namespace qel
