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
    TAesEncryptor aes;
    ASSERT_TRUE(aes.SetKey(key.data(), key.size()));
    // The same block twice, in place: each block is enciphered on its own.
    auto blocks = FromHex("00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff");
    aes.EncryptBlocks(blocks.data(), blocks.data(), 2);
    EXPECT_EQ(ToHex(blocks), std::string(c.cipher) + c.cipher);
  }
}

TEST(AesKeys, OtherLengthsAreRefused) {
  const uint8_t key[33] = {};
  TAesEncryptor aes;
  for (size_t n : {0, 8, 15, 17, 31, 33}) EXPECT_FALSE(aes.SetKey(key, n)) << n;
}

}  // namespace
}  // namespace qel::crypto
