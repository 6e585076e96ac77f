#include "codecs/io/ByteFeed.h"

namespace qel {
namespace {

constexpr size_t kPiece = size_t(1) << 15;

}  // namespace

TByteFeed::TByteFeed(const TCodecSource& source)
    : source_(source), input_(std::make_unique<uint8_t[]>(kPiece)) {}

bool TByteFeed::Fill() {
  if (ended_) return false;
  at_ = 0;
  end_ = source_(input_.get(), kPiece);
  ended_ = end_ == 0;
  return !ended_;
}

}  // namespace qel
