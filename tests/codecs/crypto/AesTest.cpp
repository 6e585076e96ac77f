#include "codecs/crypto/Aes.h"

#include <gtest/gtest.h>

#include "tests/codecs/crypto/Hex.h"

namespace qel::crypto {
namespace {

using test::FromHex;
using test::ToHex;

// FIPS-197 appendix C: one plaintext under a 128, 192 and 256-bit key.
TEST(AesVectors, Fips197AppendixC) {
  const struct {
    const char* key;
    const char* cipher;
  } cases[] = {
      {"000102030405060708090a0b0c0d0e0f", "69c4e0d86a7b0430d8cdb78070b4c55a"},
      {"000102030405060708090a0b0c0d0e0f1011121314151617", "dda97ca4864cdfe06eaf70a0ec0d7191"},
      {"000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f",
       "8ea2b7ca516745bfeafc49904b496089"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    const auto key = FromHex(c.key);
    TAesKey k;
    ASSERT_TRUE(AesSetKey(k, key.data(), key.size()));
    auto block = FromHex("00112233445566778899aabbccddeeff");
    AesEncryptBlock(k, block.data(), block.data());  // in place
    EXPECT_EQ(ToHex(block), c.cipher);
  }
}

TEST(AesKeys, OtherLengthsAreRefused) {
  const uint8_t key[33] = {};
  TAesKey k;
  for (size_t n : {0, 8, 15, 17, 31, 33}) EXPECT_FALSE(AesSetKey(k, key, n)) << n;
}

}  // namespace
}  // namespace qel::crypto
