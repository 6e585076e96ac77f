#include "codecs/checksum/Blake2sp.h"

#include <algorithm>
#include <cstring>

namespace qel {

namespace {

constexpr uint32_t kIv[8] = {0x6A09E667, 0xBB67AE85, 0x3C6EF372, 0xA54FF53A,
                             0x510E527F, 0x9B05688C, 0x1F83D9AB, 0x5BE0CD19};

constexpr uint8_t kSigma[10][16] = {
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
    {14, 10, 4, 8, 9, 15, 13, 6, 1, 12, 0, 2, 11, 7, 5, 3},
    {11, 8, 12, 0, 5, 2, 15, 13, 10, 14, 3, 6, 7, 1, 9, 4},
    {7, 9, 3, 1, 13, 12, 11, 14, 2, 6, 5, 10, 4, 0, 15, 8},
    {9, 0, 5, 7, 2, 4, 10, 15, 14, 1, 11, 12, 6, 8, 3, 13},
    {2, 12, 6, 10, 0, 11, 8, 3, 4, 13, 7, 5, 15, 14, 1, 9},
    {12, 5, 1, 15, 14, 13, 4, 10, 0, 7, 6, 3, 9, 2, 8, 11},
    {13, 11, 7, 14, 12, 1, 3, 9, 5, 0, 15, 4, 8, 6, 2, 10},
    {6, 15, 14, 9, 11, 3, 0, 8, 12, 2, 13, 7, 1, 4, 10, 5},
    {10, 2, 8, 4, 7, 6, 1, 5, 15, 11, 9, 14, 3, 12, 13, 0},
};

constexpr int kFanout = 8;
constexpr size_t kBlock = 64;

inline uint32_t Rotr(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

inline uint32_t Load32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

TBlake2s::TBlake2s(uint32_t offset, uint8_t depth, bool last) : last_(last) {
  // The parameter block: digest length 32, no key, fanout 8, depth 2, leaf length 0, the
  // node's offset, its depth, inner length 32; no salt, no personalisation.
  std::copy(std::begin(kIv), std::end(kIv), h_);
  h_[0] ^= 32u | uint32_t(kFanout) << 16 | 2u << 24;
  h_[2] ^= offset;
  h_[3] ^= uint32_t(depth) << 16 | 32u << 24;
}

void TBlake2s::Compress(const uint8_t* block, bool final) {
  uint32_t m[16], v[16];
  for (int i = 0; i < 16; ++i) m[i] = Load32(block + 4 * i);
  std::copy(h_, h_ + 8, v);
  std::copy(std::begin(kIv), std::end(kIv), v + 8);
  v[12] ^= uint32_t(counter_);
  v[13] ^= uint32_t(counter_ >> 32);
  if (final) {
    v[14] = ~v[14];
    if (last_) v[15] = ~v[15];
  }
  const auto g = [&](int a, int b, int c, int d, uint32_t x, uint32_t y) {
    v[a] += v[b] + x;
    v[d] = Rotr(v[d] ^ v[a], 16);
    v[c] += v[d];
    v[b] = Rotr(v[b] ^ v[c], 12);
    v[a] += v[b] + y;
    v[d] = Rotr(v[d] ^ v[a], 8);
    v[c] += v[d];
    v[b] = Rotr(v[b] ^ v[c], 7);
  };
  for (const auto& s : kSigma) {
    g(0, 4, 8, 12, m[s[0]], m[s[1]]);
    g(1, 5, 9, 13, m[s[2]], m[s[3]]);
    g(2, 6, 10, 14, m[s[4]], m[s[5]]);
    g(3, 7, 11, 15, m[s[6]], m[s[7]]);
    g(0, 5, 10, 15, m[s[8]], m[s[9]]);
    g(1, 6, 11, 12, m[s[10]], m[s[11]]);
    g(2, 7, 8, 13, m[s[12]], m[s[13]]);
    g(3, 4, 9, 14, m[s[14]], m[s[15]]);
  }
  for (int i = 0; i < 8; ++i) h_[i] ^= v[i] ^ v[i + 8];
}

void TBlake2s::Update(const uint8_t* data, size_t size) {
  // The last block is kept back: only Final knows it is the last.
  while (size > 0) {
    if (buffered_ == kBlock) {
      counter_ += kBlock;
      Compress(buffer_, false);
      buffered_ = 0;
    }
    const size_t n = std::min(size, kBlock - buffered_);
    std::memcpy(buffer_ + buffered_, data, n);
    buffered_ += n;
    data += n;
    size -= n;
  }
}

std::array<uint8_t, 32> TBlake2s::Final() {
  counter_ += buffered_;
  std::memset(buffer_ + buffered_, 0, kBlock - buffered_);
  Compress(buffer_, true);
  std::array<uint8_t, 32> out;
  for (int i = 0; i < 8; ++i)
    for (int b = 0; b < 4; ++b) out[size_t(4 * i + b)] = uint8_t(h_[i] >> (8 * b));
  return out;
}

TBlake2sp::TBlake2sp()
    : leaves_{TBlake2s(0, 0, false), TBlake2s(1, 0, false), TBlake2s(2, 0, false),
              TBlake2s(3, 0, false), TBlake2s(4, 0, false), TBlake2s(5, 0, false),
              TBlake2s(6, 0, false), TBlake2s(7, 0, true)} {}

void TBlake2sp::Update(const uint8_t* data, size_t size) {
  while (size > 0) {
    const size_t n = std::min(size, sizeof buffer_ - buffered_);
    std::memcpy(buffer_ + buffered_, data, n);
    buffered_ += n;
    data += n;
    size -= n;
    // A whole round goes out only once more data follows: the last blocks stay for Final.
    if (buffered_ == sizeof buffer_ && size > 0) {
      for (size_t i = 0; i < leaves_.size(); ++i) leaves_[i].Update(buffer_ + i * kBlock, kBlock);
      buffered_ = 0;
    }
  }
}

std::array<uint8_t, 32> TBlake2sp::Final() {
  TBlake2s root(0, 1, true);
  for (size_t i = 0; i < leaves_.size(); ++i) {
    if (buffered_ > i * kBlock)
      leaves_[i].Update(buffer_ + i * kBlock, std::min(kBlock, buffered_ - i * kBlock));
    const std::array<uint8_t, 32> leaf = leaves_[i].Final();
    root.Update(leaf.data(), leaf.size());
  }
  return root.Final();
}

}  // namespace qel
