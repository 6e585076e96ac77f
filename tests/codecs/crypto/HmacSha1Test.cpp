#include "codecs/crypto/HmacSha1.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/codecs/crypto/Hex.h"

namespace qel::crypto {
namespace {

using test::AsBytes;
using test::FromHex;
using test::ToHex;

std::string Hmac(std::span<const uint8_t> key, std::span<const uint8_t> data) {
  THmacSha1 mac(key);
  mac.Update(data.data(), data.size());
  return ToHex(mac.Final());
}

// RFC 2202, section 3: short, long and block-size-exceeding keys and data.
TEST(HmacSha1Vectors, Rfc2202) {
  const std::vector<uint8_t> k20(20, 0x0B), kAa20(20, 0xAA), kAa80(80, 0xAA), k0c(20, 0x0C);
  const std::vector<uint8_t> dd(50, 0xDD), cd(50, 0xCD);
  const auto k25 = FromHex("0102030405060708090a0b0c0d0e0f10111213141516171819");
  EXPECT_EQ(Hmac(k20, AsBytes("Hi There")), "b617318655057264e28bc0b6fb378c8ef146be00");
  EXPECT_EQ(Hmac(AsBytes("Jefe"), AsBytes("what do ya want for nothing?")),
            "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79");
  EXPECT_EQ(Hmac(kAa20, dd), "125d7342b9ac11cd91a39af48aa17b4f63f175d3");
  EXPECT_EQ(Hmac(k25, cd), "4c9007f4026250c6bc8414f9bf50c86c2d7235da");
  EXPECT_EQ(Hmac(k0c, AsBytes("Test With Truncation")), "4c1a03424b55e07fe7f27be1d58bb9324a9a5a04");
  EXPECT_EQ(Hmac(kAa80, AsBytes("Test Using Larger Than Block-Size Key - Hash Key First")),
            "aa4ae5e15272d00e95705637ce8a3b55ed402112");
  EXPECT_EQ(Hmac(kAa80, AsBytes("Test Using Larger Than Block-Size Key and Larger Than One "
                                "Block-Size Data")),
            "e8e99d0f45237d786d6bbaa7965c7808bbff1a91");
}

}  // namespace
}  // namespace qel::crypto
