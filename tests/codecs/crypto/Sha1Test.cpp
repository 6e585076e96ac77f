#include "codecs/crypto/Sha1.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/codecs/crypto/Hex.h"

namespace qel::crypto {
namespace {

using test::ToHex;

std::string Sha1Hex(const std::string& s) { return ToHex(Sha1(s.data(), s.size())); }

TEST(Sha1Vectors, StandardMessages) {
  EXPECT_EQ(Sha1Hex("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
  EXPECT_EQ(Sha1Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
  EXPECT_EQ(Sha1Hex(std::string(1000000, 'a')), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
}

// Lengths around the padding boundaries: the length field just fits (55), needs a second
// block (56, 63), or the message fills whole blocks (0, 64).
TEST(Sha1Vectors, PaddingBoundaries) {
  const struct {
    size_t n;
    const char* digest;
  } cases[] = {
      {0, "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
      {55, "c1c8bbdc22796e28c0e15163d20899b65621d65a"},
      {56, "c2db330f6083854c99d4b5bfb6e8f29f201be699"},
      {63, "03f09f5b158a7a8cdad920bddc29b81c18a551f5"},
      {64, "0098ba824b5c16427bd7a1122a5a442a25ec644d"},
      {119, "ee971065aaa017e0632a8ca6c77bb3bf8b1dfc56"},
  };
  for (const auto& c : cases) EXPECT_EQ(Sha1Hex(std::string(c.n, 'a')), c.digest) << c.n;
}

TEST(Sha1Streaming, OddChunksEqualOneShot) {
  std::vector<uint8_t> data(5000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i * 131 + (i >> 7));
  const TSha1Digest whole = Sha1(data.data(), data.size());
  for (size_t chunk : {1, 3, 7, 63, 64, 65, 1000}) {
    TSha1 h;
    for (size_t at = 0; at < data.size(); at += chunk)
      h.Update(data.data() + at, std::min(chunk, data.size() - at));
    EXPECT_EQ(h.Final(), whole) << chunk;
  }
  TSha1 h;
  h.Update("x", 1);
  h.Final();
  h.Reset();
  h.Update(data.data(), data.size());
  EXPECT_EQ(h.Final(), whole);
}

}  // namespace
}  // namespace qel::crypto
