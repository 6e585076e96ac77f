#include "formats/zip/EncryptionMethod.h"

#include <gtest/gtest.h>

namespace qel::zip {
namespace {

using enum TEncryptionMethod;

TZipExtra WithAes(uint16_t version, uint8_t strength, uint16_t vendor = kAesVendorId) {
  TZipExtra x;
  x.Aes = TAesExtra{version, vendor, strength, 8};
  return x;
}

TEST(ZipEncryptionMethod, FromFlagsAndFields) {
  TZipExtra strong;
  strong.StrongEncryption = {0x17, 0, 0, 0};
  EXPECT_EQ(GetEncryptionMethod(0x0000, WithAes(2, 3)), emNone);  // bit 0 decides
  EXPECT_EQ(GetEncryptionMethod(0x0001, {}), emZip_V2);
  EXPECT_EQ(GetEncryptionMethod(0x0009, {}), emZip_V2);
  EXPECT_EQ(GetEncryptionMethod(0x0041, {}), emUnsupported);
  EXPECT_EQ(GetEncryptionMethod(0x0001, strong), emUnsupported);
  EXPECT_EQ(GetEncryptionMethod(0x0001, WithAes(1, 1)), emAes1_128);
  EXPECT_EQ(GetEncryptionMethod(0x0001, WithAes(1, 2)), emAes1_192);
  EXPECT_EQ(GetEncryptionMethod(0x0001, WithAes(1, 3)), emAes1_256);
  EXPECT_EQ(GetEncryptionMethod(0x0001, WithAes(2, 1)), emAes2_128);
  EXPECT_EQ(GetEncryptionMethod(0x0001, WithAes(2, 2)), emAes2_192);
  EXPECT_EQ(GetEncryptionMethod(0x0001, WithAes(2, 3)), emAes2_256);
  EXPECT_EQ(GetEncryptionMethod(0x0001, WithAes(2, 4)), emUnsupported);
  EXPECT_EQ(GetEncryptionMethod(0x0001, WithAes(2, 0)), emUnsupported);
  EXPECT_EQ(GetEncryptionMethod(0x0001, WithAes(3, 3)), emUnsupported);
  EXPECT_EQ(GetEncryptionMethod(0x0001, WithAes(2, 3, 0x5858)), emUnsupported);
}

}  // namespace
}  // namespace qel::zip
