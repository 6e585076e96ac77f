#include "codecs/crypto/Sha1.h"

#include <algorithm>
#include <cstring>

namespace qel::crypto {
namespace {

constexpr uint32_t Rotl(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

}  // namespace

void TSha1::Reset() {
  h_[0] = 0x67452301;
  h_[1] = 0xEFCDAB89;
  h_[2] = 0x98BADCFE;
  h_[3] = 0x10325476;
  h_[4] = 0xC3D2E1F0;
  length_ = 0;
  used_ = 0;
}

// One block: the message schedule is kept as a 16-word ring, each new word being
// rotl1(w[t-3] ^ w[t-8] ^ w[t-14] ^ w[t-16]); the 80 steps use the choice, parity,
// majority and parity functions in four groups of 20, one loop per group so that no step
// branches on its number.
void TSha1::Compress(const uint8_t* block) {
  uint32_t w[16];
  for (int t = 0; t < 16; ++t) {
    const uint8_t* p = block + 4 * t;
    w[t] = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
  }
  auto schedule = [&w](int t) {
    if (t >= 16)
      w[t & 15] = Rotl(w[(t - 3) & 15] ^ w[(t - 8) & 15] ^ w[(t - 14) & 15] ^ w[t & 15], 1);
    return w[t & 15];
  };
  uint32_t a = h_[0], b = h_[1], c = h_[2], d = h_[3], e = h_[4];
  auto step = [&](uint32_t f, uint32_t k, uint32_t word) {
    const uint32_t temp = Rotl(a, 5) + f + e + k + word;
    e = d;
    d = c;
    c = Rotl(b, 30);
    b = a;
    a = temp;
  };
  int t = 0;
  for (; t < 20; ++t) step(d ^ (b & (c ^ d)), 0x5A827999, schedule(t));
  for (; t < 40; ++t) step(b ^ c ^ d, 0x6ED9EBA1, schedule(t));
  for (; t < 60; ++t) step((b & c) | (d & (b | c)), 0x8F1BBCDC, schedule(t));
  for (; t < 80; ++t) step(b ^ c ^ d, 0xCA62C1D6, schedule(t));
  h_[0] += a;
  h_[1] += b;
  h_[2] += c;
  h_[3] += d;
  h_[4] += e;
}

void TSha1::Update(const void* data, size_t size) {
  auto* p = static_cast<const uint8_t*>(data);
  length_ += size;
  if (used_ > 0) {
    const size_t n = std::min(size, kSha1BlockSize - used_);
    std::memcpy(buffer_ + used_, p, n);
    used_ += n;
    p += n;
    size -= n;
    if (used_ < kSha1BlockSize) return;
    Compress(buffer_);
    used_ = 0;
  }
  for (; size >= kSha1BlockSize; p += kSha1BlockSize, size -= kSha1BlockSize) Compress(p);
  if (size > 0) std::memcpy(buffer_, p, size);
  used_ = size;
}

// Padding: a 1 bit, zeros up to 8 bytes short of a block boundary, then the message
// length in bits as a big-endian 64-bit number.
TSha1Digest TSha1::Final() {
  const uint64_t bits = length_ * 8;
  buffer_[used_++] = 0x80;
  if (used_ > kSha1BlockSize - 8) {
    std::memset(buffer_ + used_, 0, kSha1BlockSize - used_);
    Compress(buffer_);
    used_ = 0;
  }
  std::memset(buffer_ + used_, 0, kSha1BlockSize - 8 - used_);
  for (int i = 0; i < 8; ++i) buffer_[kSha1BlockSize - 1 - i] = uint8_t(bits >> (8 * i));
  Compress(buffer_);
  used_ = 0;
  TSha1Digest digest;
  for (int i = 0; i < 5; ++i) {
    for (int j = 0; j < 4; ++j) digest[4 * i + j] = uint8_t(h_[i] >> (24 - 8 * j));
  }
  return digest;
}

TSha1Digest Sha1(const void* data, size_t size) {
  TSha1 h;
  h.Update(data, size);
  return h.Final();
}

}  // namespace qel::crypto
