#include "codecs/lzh/MsbBitReader.h"

#include <bit>
#include <cstring>

namespace qel {
namespace {

constexpr size_t kInput = 1 << 15;

}  // namespace

TMsbBitReader::TMsbBitReader(const TLzhSource& source)
    : source_(source), input_(std::make_unique<uint8_t[]>(kInput)) {}

void TMsbBitReader::Refill() {
  if (end_ - at_ >= 8) {
    // Whole bytes into the free part of the buffer in one load, most significant first.
    const int take = (64 - count_) >> 3;
    uint64_t v;
    std::memcpy(&v, input_.get() + at_, 8);
    if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
    if (take < 8) v &= ~uint64_t(0) << (64 - 8 * take);
    bits_ |= v >> count_;
    at_ += size_t(take);
    count_ += 8 * take;
    real_ += 8 * take;
    return;
  }
  while (count_ <= 56) {
    if (at_ == end_ && !ended_) {
      at_ = 0;
      end_ = source_(input_.get(), kInput);
      ended_ = end_ == 0;
    }
    if (at_ < end_) {
      bits_ |= uint64_t(input_[at_++]) << (56 - count_);
      real_ += 8;
    }
    // Past the end the zero bits already in place stand in for the missing bytes.
    count_ += 8;
  }
}

}  // namespace qel
