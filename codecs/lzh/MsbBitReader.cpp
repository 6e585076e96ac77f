#include "codecs/lzh/MsbBitReader.h"

namespace qel {
namespace {

constexpr size_t kInput = 1 << 15;

}  // namespace

TMsbBitReader::TMsbBitReader(const TLzhSource& source)
    : source_(source), input_(std::make_unique<uint8_t[]>(kInput)) {}

void TMsbBitReader::Refill() {
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
