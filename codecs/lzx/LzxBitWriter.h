// The bit order of LZX: a run of 16-bit little-endian words, each filled from its most
// significant bit down.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace qel::lzx {

class TBitWriter {
 public:
  explicit TBitWriter(std::vector<uint8_t>& out) : out_(out) {}

  // The low `n` bits of `value` (at most 32; the bits above must be 0), first the highest.
  void Put(int n, uint32_t value) {
    bits_ = bits_ << n | value;
    count_ += n;
    while (count_ >= 16) {
      count_ -= 16;
      const uint32_t word = uint32_t(bits_ >> count_);
      out_.push_back(uint8_t(word));
      out_.push_back(uint8_t(word >> 8));
    }
  }
  bool Aligned() const { return count_ == 0; }
  // Zero bits up to the next word boundary.
  void Align() {
    if (count_) Put(16 - count_, 0);
  }
  // Bytes as they stand, on a word boundary.
  void PutBytes(std::span<const uint8_t> bytes) {
    out_.insert(out_.end(), bytes.begin(), bytes.end());
  }

  // A place to come back to when what was written since is not wanted after all.
  struct TMark {
    size_t Size;
    int Count;
    uint64_t Bits;
  };
  TMark Mark() const { return {out_.size(), count_, bits_}; }
  void Rewind(const TMark& mark) {
    out_.resize(mark.Size);
    count_ = mark.Count;
    bits_ = mark.Bits;
  }
  size_t BitsSince(const TMark& mark) const {
    return (out_.size() - mark.Size) * 8 + size_t(count_) - size_t(mark.Count);
  }

 private:
  std::vector<uint8_t>& out_;
  uint64_t bits_ = 0;  // the pending bits in the low `count_`
  int count_ = 0;
};

}  // namespace qel::lzx
