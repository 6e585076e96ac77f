#include "codecs/crypto/Pbkdf2.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/codecs/crypto/Hex.h"

namespace qel::crypto {
namespace {

using test::AsBytes;
using test::ToHex;

std::string Derive(std::string_view password, std::string_view salt, uint32_t c, size_t n) {
  std::vector<uint8_t> out(n);
  Pbkdf2HmacSha1(AsBytes(password), AsBytes(salt), c, out);
  return ToHex(out);
}

// RFC 6070. The 25-byte case takes two blocks, the last one cut short.
TEST(Pbkdf2Vectors, Rfc6070) {
  EXPECT_EQ(Derive("password", "salt", 1, 20), "0c60c80f961f0e71f3a9b524af6012062fe037a6");
  EXPECT_EQ(Derive("password", "salt", 2, 20), "ea6c014dc72d6f8ccd1ed92ace1d41f0d8de8957");
  EXPECT_EQ(Derive("password", "salt", 4096, 20), "4b007901b765489abead49d926f721d065a429c1");
  EXPECT_EQ(Derive("passwordPASSWORDpassword", "saltSALTsaltSALTsaltSALTsaltSALTsalt", 4096, 25),
            "3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038");
  EXPECT_EQ(Derive(std::string_view("pass\0word", 9), std::string_view("sa\0lt", 5), 4096, 16),
            "56fa6aa75548099dcc37d7f03425e0c3");
}

// Half a minute of work under the sanitizers: run with --gtest_also_run_disabled_tests.
TEST(Pbkdf2Vectors, DISABLED_Rfc6070SixteenMillionIterations) {
  EXPECT_EQ(Derive("password", "salt", 16777216, 20), "eefe3d61cd4da4e4e9945b3d6ba2158c2634e984");
}

}  // namespace
}  // namespace qel::crypto
