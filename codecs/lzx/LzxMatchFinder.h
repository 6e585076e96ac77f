// The history an LZX stream's matches reach into, and hash chains over it: each place is
// chained to the earlier places whose first four bytes hash alike, and the newest place whose
// first three bytes hash alike is kept as well. A match of three bytes pays only when near,
// so the newest place serves it, and the chains, free of places that share just three bytes,
// stay short: on source text they find as good matches in about a third less time.
//
// The history is a buffer that takes frame after frame and drops its oldest bytes, all but a
// window's worth, when the next frame does not fit; the chains hold places in the buffer
// (+ 1, 0 ending a chain) and move down with it. Each place's link to the one before sits in
// a ring as large as the window, which a place reuses only once its former owner is out of
// reach.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>

#include "codecs/lzh/MatchLength.h"

namespace qel::lzx {

class TMatchFinder {
 public:
  explicit TMatchFinder(int windowBits);
  TMatchFinder(const TMatchFinder&) = delete;
  TMatchFinder& operator=(const TMatchFinder&) = delete;

  // Adds a frame (at most the frame size of 32 KiB) after the history; answers where it
  // starts in Data().
  size_t Append(std::span<const uint8_t> frame);
  const uint8_t* Data() const { return text_.get(); }
  // The stream offset of a place in Data().
  uint64_t StreamOffset(size_t at) const { return base_ + at; }

  // Chains every place before `at` that is not chained yet and has its four bytes in hand.
  void ChainUpTo(size_t at);

  // Offers consider(length, distance) the earlier places of `at` (not chained yet), nearest
  // first, whose match of at most `limit` bytes is longer than `longest` (which grows as they
  // come): the newest with the same three bytes, then those on the chain. Compares `depth`
  // places of the chain at most (fewer far back), and stops at a match of `nice`.
  template <typename TConsider>
  void Search(size_t at, int limit, int longest, int depth, int nice, TConsider consider) const {
    if (limit < 3) return;
    const uint8_t* here = text_.get() + at;
    if (const uint32_t newest = newest_[Hash3(here)]; newest != 0 && longest < 3) {
      const size_t distance = at - (newest - 1);
      if (distance - 1 < maxDistance_) {
        const int length = MatchLength(text_.get() + newest - 1, here, limit);
        if (length > longest) {
          longest = length;
          consider(length, uint32_t(distance));
        }
      }
    }
    if (limit < 4) return;
    uint32_t next = head_[Hash4(here)];
    for (; next != 0 && depth > 0 && longest < limit; --depth) {
      const size_t from = next - 1;
      // A stale link (a place not before `at`) shows up as a distance out of reach.
      const size_t distance = at - from;
      if (distance - 1 >= maxDistance_) break;
      if (distance > kNear) depth = std::min(depth, kFarDepth);
      const uint8_t* there = text_.get() + from;
      if (there[longest] == here[longest] && there[0] == here[0] && there[1] == here[1]) {
        const int length = MatchLength(there, here, limit);
        if (length > longest) {
          longest = length;
          consider(length, uint32_t(distance));
          if (length >= nice) break;
        }
      }
      next = prev_[(base_ + from) & mask_];
    }
  }

 private:
  static uint32_t Hash3(const uint8_t* p) {
    const uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
    return (v * 2654435761u) >> (32 - kHash3Bits);
  }
  uint32_t Hash4(const uint8_t* p) const {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return (v * 2654435761u) >> (32 - hashBits_);
  }
  // Drops the oldest bytes, keeping a window's worth, and moves the chains down with them.
  void Slide();

  static constexpr int kHash3Bits = 16;
  // Places farther back than kNear are out of the caches' reach, each a wait for memory:
  // only kFarDepth of them are compared, which keeps a 2 MiB window near the speed of a
  // 256 KiB one for a loss of 1 % in size.
  static constexpr size_t kNear = 256 * 1024;
  static constexpr int kFarDepth = 8;
  const size_t window_;
  const uint32_t maxDistance_;
  const uint64_t mask_;
  const int hashBits_;
  const size_t size_;  // of text_
  std::unique_ptr<uint8_t[]> text_;
  size_t end_ = 0;      // bytes held in text_
  size_t chained_ = 0;  // places below this are chained
  uint64_t base_ = 0;   // the stream offset of text_[0]
  std::unique_ptr<uint32_t[]> head_;
  std::unique_ptr<uint32_t[]> prev_;
  std::unique_ptr<uint32_t[]> newest_;
};

}  // namespace qel::lzx
