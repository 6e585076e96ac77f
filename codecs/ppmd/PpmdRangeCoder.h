// The carry-less range coder PPMd variant I codes with (Subbotin's): 32-bit low and range,
// bytes leave from the top of `low` whenever its top byte is settled, and where a carry
// could still reach a settled byte the range is cut short instead, so no carry is ever
// propagated. The decoder tracks `low` too, to cut the range at the same places.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codecs/io/ByteFeed.h"

namespace qel::ppmd {

constexpr uint32_t kRangeTop = 1u << 24;
constexpr uint32_t kRangeBottom = 1u << 15;
// Binary contexts code with probabilities out of 2^14.
constexpr unsigned kBinBits = 14;

// Writes into a buffer the owner empties: at most kMaxSymbolBytes per coded symbol.
class TRangeEncoder {
 public:
  // An escape chain of up to 17 contexts, each coding at most 4 bytes.
  static constexpr size_t kMaxSymbolBytes = 80;

  explicit TRangeEncoder(uint8_t* out) : out_(out) {}

  void Encode(uint32_t start, uint32_t size, uint32_t total) {
    low_ += start * (range_ /= total);
    range_ *= size;
    Normalize();
  }
  void EncodeBit0(uint32_t size0) {
    range_ = (range_ >> kBinBits) * size0;
    Normalize();
  }
  void EncodeBit1(uint32_t size0) {
    low_ += size0 * (range_ >>= kBinBits);
    range_ *= (1u << kBinBits) - size0;
    Normalize();
  }
  void Flush() {
    for (int i = 0; i < 4; ++i, low_ <<= 8) *out_++ = uint8_t(low_ >> 24);
  }

  uint8_t* Out() const { return out_; }
  void SetOut(uint8_t* out) { out_ = out; }

 private:
  void Normalize() {
    while ((low_ ^ (low_ + range_)) < kRangeTop ||
           (range_ < kRangeBottom && ((range_ = (0 - low_) & (kRangeBottom - 1)), true))) {
      *out_++ = uint8_t(low_ >> 24);
      range_ <<= 8;
      low_ <<= 8;
    }
  }

  uint8_t* out_;
  uint32_t low_ = 0;
  uint32_t range_ = 0xFFFFFFFF;
};

// Reads its input through a feed; zeros stand in for bytes past its end (see RanOut).
class TRangeDecoder {
 public:
  explicit TRangeDecoder(TByteFeed& in) : in_(in) {}

  // False when the first four bytes cannot start a stream.
  bool Init() {
    for (int i = 0; i < 4; ++i) code_ = (code_ << 8) | NextByte();
    return code_ < 0xFFFFFFFF;
  }
  // Where the code lies in [0, total); total itself or more for a corrupt stream.
  uint32_t Threshold(uint32_t total) {
    if (range_ < total) return total;
    return code_ / (range_ /= total);
  }
  uint32_t BitThreshold() { return code_ / (range_ >>= kBinBits); }
  void Decode(uint32_t start, uint32_t size) {
    start *= range_;
    low_ += start;
    code_ -= start;
    range_ *= size;
    while ((low_ ^ (low_ + range_)) < kRangeTop ||
           (range_ < kRangeBottom && ((range_ = (0 - low_) & (kRangeBottom - 1)), true))) {
      code_ = (code_ << 8) | NextByte();
      range_ <<= 8;
      low_ <<= 8;
    }
  }

  // A byte was asked for after the input's last: the stream was cut short.
  bool RanOut() const { return ranOut_; }

 private:
  uint32_t NextByte() {
    const int b = in_.Next();
    ranOut_ |= b < 0;
    return b < 0 ? 0 : uint32_t(b);
  }

  TByteFeed& in_;
  bool ranOut_ = false;
  uint32_t low_ = 0;
  uint32_t range_ = 0xFFFFFFFF;
  uint32_t code_ = 0;
};

}  // namespace qel::ppmd
