#include "codecs/lzx/LzxMatchFinder.h"

#include <algorithm>
#include <bit>

namespace qel::lzx {
namespace {

// Room beyond the window, so that the history slides once per window (or per 256 KiB of
// input for small windows) rather than once per frame.
constexpr size_t kMinRoom = 256 * 1024;

}  // namespace

TMatchFinder::TMatchFinder(int windowBits)
    : window_(size_t(1) << windowBits),
      // A decoder's window also holds the bytes of the match being copied.
      maxDistance_(uint32_t(window_) - 3),
      mask_(window_ - 1),
      // A chain per place a window holds, up to 2^18: more gain hardly anything.
      hashBits_(std::min(windowBits, 18)),
      size_(window_ + std::max(window_, kMinRoom)),
      // Only the bytes appended are ever read.
      text_(std::make_unique_for_overwrite<uint8_t[]>(size_)),
      head_(std::make_unique<uint32_t[]>(size_t(1) << hashBits_)),
      prev_(std::make_unique<uint32_t[]>(window_)),
      newest_(std::make_unique<uint32_t[]>(size_t(1) << kHash3Bits)) {}

size_t TMatchFinder::Append(std::span<const uint8_t> frame) {
  if (end_ + frame.size() > size_) Slide();
  std::memcpy(text_.get() + end_, frame.data(), frame.size());
  const size_t at = end_;
  end_ += frame.size();
  return at;
}

void TMatchFinder::Slide() {
  const size_t keep = std::min(end_, window_);
  const size_t drop = end_ - keep;
  std::memmove(text_.get(), text_.get() + drop, keep);
  base_ += drop;
  end_ = keep;
  chained_ = std::max(chained_, drop) - drop;
  const auto down = [drop](uint32_t& link) { link = link > drop ? uint32_t(link - drop) : 0; };
  std::for_each_n(head_.get(), size_t(1) << hashBits_, down);
  std::for_each_n(prev_.get(), window_, down);
  std::for_each_n(newest_.get(), size_t(1) << kHash3Bits, down);
}

void TMatchFinder::ChainUpTo(size_t at) {
  const size_t last = std::min(at, end_ >= 3 ? end_ - 3 : 0);
  for (; chained_ < last; ++chained_) {
    const uint8_t* p = text_.get() + chained_;
    newest_[Hash3(p)] = uint32_t(chained_ + 1);
    uint32_t& head = head_[Hash4(p)];
    prev_[(base_ + chained_) & mask_] = head;
    head = uint32_t(chained_ + 1);
  }
}

}  // namespace qel::lzx
