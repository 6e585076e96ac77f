#include <gtest/gtest.h>

#include <vector>

#include "formats/zip/ExtraFields.h"

namespace qel::zip {
namespace {

using Bytes = std::vector<uint8_t>;

CentralHeader Central(uint32_t compressed, uint32_t uncompressed, uint32_t offset) {
  CentralHeader h;
  h.CompressedSize = compressed;
  h.UncompressedSize = uncompressed;
  h.LocalOffset = offset;
  return h;
}

TEST(ExtraFields, Zip64CentralTakesOnlyTheMarkedFieldsInOrder) {
  // Uncompressed size and offset are marked; the compressed size fits in its field.
  CentralHeader h = Central(1000, 0xFFFFFFFF, 0xFFFFFFFF);
  const Bytes area = {0x01, 0x00, 0x10, 0x00, 0x05, 0x00, 0x00, 0x00,
                      0x01, 0x00, 0x00, 0x00,                           // uncompressed
                      0x07, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00};  // local offset
  const TZipExtra x = ReadCentralExtra(area, "a", h);
  EXPECT_EQ(h.UncompressedSize, 5u);
  EXPECT_EQ(x.UncompressedHigh, 1u);
  EXPECT_EQ(FullUncompressedSize(h, x), 0x100000005u);
  EXPECT_EQ(FullCompressedSize(h, x), 1000u);
  EXPECT_EQ(FullLocalOffset(h, x), 0x200000007u);
  EXPECT_FALSE(x.DiskStart);
}

TEST(ExtraFields, Zip64CentralCompressedOnlyAndDiskStart) {
  CentralHeader h = Central(0xFFFFFFFF, 10, 20);
  h.DiskStart = 0xFFFF;
  const Bytes area = {0x01, 0x00, 0x0C, 0x00, 0x00, 0x00,
                      0x00, 0x80, 0x01, 0x00, 0x00, 0x00,  // compressed
                      0x09, 0x00, 0x01, 0x00};             // disk start
  const TZipExtra x = ReadCentralExtra(area, "a", h);
  EXPECT_EQ(FullCompressedSize(h, x), 0x180000000u);
  EXPECT_EQ(FullUncompressedSize(h, x), 10u);
  EXPECT_EQ(FullLocalOffset(h, x), 20u);
  EXPECT_EQ(FullDiskStart(h, x), 0x10009u);
}

TEST(ExtraFields, Zip64ValuesAreReadOnlyWhileTheFieldHoldsThem) {
  // Both sizes are marked but the field carries one value: the second stays unresolved.
  LocalHeader h;
  h.CompressedSize = h.UncompressedSize = 0xFFFFFFFF;
  const Bytes area = {0x01, 0x00, 0x0C, 0x00, 0x03, 0x00, 0x00, 0x00,
                      0x04, 0x00, 0x00, 0x00, 0xAA, 0xBB, 0xCC, 0xDD};
  const TZipExtra x = ReadLocalExtra(area, "a", h);
  EXPECT_EQ(FullUncompressedSize(h, x), 0x400000003u);
  EXPECT_EQ(h.CompressedSize, 0xFFFFFFFFu);
  EXPECT_EQ(x.CompressedHigh, 0u);
}

TEST(ExtraFields, OverrunningFieldEndsTheWalk) {
  // An AES field, then a field claiming 7 bytes where 6 remain, then a trailing 4 bytes.
  // The vector is sized exactly, so any read past the area trips the sanitizer.
  const Bytes area = {0x01, 0x99, 0x07, 0x00, 0x01, 0x00, 0x41, 0x45, 0x01, 0x00, 0x00,
                      0x17, 0x00, 0x07, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06};
  CentralHeader h;
  const TZipExtra x = ReadCentralExtra(area, "a", h);
  ASSERT_TRUE(x.Aes);
  EXPECT_EQ(x.Aes->VendorVersion, 1);
  EXPECT_FALSE(x.StrongEncrypted());

  // Four bytes or fewer left never start a field.
  const Bytes tail = {0x17, 0x00, 0x00, 0x00};
  EXPECT_FALSE(ReadCentralExtra(tail, "a", h).StrongEncrypted());
  EXPECT_FALSE(ReadCentralExtra({}, "a", h).Aes);
}

TEST(ExtraFields, SizeExtensionFillsTheHighParts) {
  CentralHeader h = Central(0x10, 0x20, 0x30);
  const Bytes area = {0x64, 0x00, 0x08, 0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x00, 0x00};
  const TZipExtra x = ReadCentralExtra(area, "a", h);
  EXPECT_EQ(FullCompressedSize(h, x), 0x100000010u);
  EXPECT_EQ(FullUncompressedSize(h, x), 0x200000020u);
  EXPECT_EQ(FullLocalOffset(h, x), 0x300000030u);
}

TEST(ExtraFields, UnicodePathNeedsTheStoredNamesCrc) {
  // Version 1, CRC-32 of "abc" (0x352441C2), then "ä.txt" in UTF-8.
  const Bytes area = {0x75, 0x70, 0x0B, 0x00, 0x01, 0xC2, 0x41, 0x24,
                      0x35, 0xC3, 0xA4, 0x2E, 0x74, 0x78, 0x74};
  CentralHeader h;
  EXPECT_EQ(ReadCentralExtra(area, "abc", h).UnicodeName, "\xC3\xA4.txt");
  // Renamed by a tool that kept the field: the CRC no longer matches.
  EXPECT_FALSE(ReadCentralExtra(area, "abd", h).UnicodeName);

  Bytes otherVersion = area;
  otherVersion[4] = 2;
  EXPECT_FALSE(ReadCentralExtra(otherVersion, "abc", h).UnicodeName);
  Bytes badUtf8 = area;
  badUtf8[10] = 0x41;  // C3 41: a lead byte without its continuation
  EXPECT_FALSE(ReadCentralExtra(badUtf8, "abc", h).UnicodeName);
}

TEST(ExtraFields, AesFieldReadAndWritten) {
  const Bytes field = {0x01, 0x99, 0x07, 0x00, 0x02, 0x00, 0x41, 0x45, 0x03, 0x08, 0x00};
  CentralHeader h;
  const TZipExtra x = ReadCentralExtra(field, "a", h);
  ASSERT_TRUE(x.Aes);
  EXPECT_EQ(*x.Aes, (TAesExtra{2, kAesVendorId, 3, 8}));

  Bytes written;
  AppendAesField(written, TAesExtra{2, kAesVendorId, 3, 8});
  EXPECT_EQ(written, field);

  const Bytes shortField = {0x01, 0x99, 0x06, 0x00, 0x02, 0x00, 0x41, 0x45, 0x03, 0x08};
  EXPECT_FALSE(ReadCentralExtra(shortField, "a", h).Aes);
}

TEST(ExtraFields, NtfsTimesKeptWholeWithTheModificationTime) {
  // Reserved, attribute 1 of 24 bytes: mtime 2020-01-01 00:00:00 UTC, atime, ctime.
  Bytes area = {0x55, 0x54, 0x01, 0x00, 0x00,                    // an unrelated field first
                0x0A, 0x00, 0x20, 0x00, 0x00, 0x00, 0x00, 0x00,  // NTFS, 32 bytes, reserved
                0x01, 0x00, 0x18, 0x00, 0x00, 0x00, 0x05, 0x69, 0x36, 0xC0, 0xD5, 0x01};
  area.resize(area.size() + 16, 0x11);
  CentralHeader h;
  const TZipExtra x = ReadCentralExtra(area, "a", h);
  EXPECT_EQ(x.NtfsTimes, Bytes(area.begin() + 5, area.end()));
  EXPECT_EQ(x.NtfsModified, 1577836800);

  Bytes truncatedAttribute(area.begin() + 5, area.begin() + 17);
  truncatedAttribute[2] = 8;  // the field is consistent, its attribute claims 24 bytes
  const TZipExtra y = ReadCentralExtra(truncatedAttribute, "a", h);
  EXPECT_EQ(y.NtfsTimes.size(), 12u);
  EXPECT_FALSE(y.NtfsModified);
}

TEST(ExtraFields, StrongEncryptionFieldIsKept) {
  const Bytes area = {0x17, 0x00, 0x02, 0x00, 0x0E, 0x66};
  CentralHeader h;
  const TZipExtra x = ReadCentralExtra(area, "a", h);
  EXPECT_TRUE(x.StrongEncrypted());
  EXPECT_EQ(x.StrongEncryption, area);
}

TEST(ExtraFields, SizeExtensionWritten) {
  Bytes extra;
  ASSERT_TRUE(AppendSizeExtension(extra, 0x100000010, 0x200000020, 0x300000030));
  EXPECT_EQ(extra, (Bytes{0x64, 0x00, 0x08, 0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x00, 0x00}));
  EXPECT_FALSE(AppendSizeExtension(extra, uint64_t(1) << 48, 0, 0));
  EXPECT_EQ(extra.size(), kSizeExtensionFieldSize);
}

TEST(ExtraFields, CentralZip64WrittenOnlyForWhatDoesNotFit) {
  CentralHeader h;
  Bytes extra;
  EXPECT_FALSE(StoreCentralSizes(extra, h, 100, 200, 300));
  EXPECT_TRUE(extra.empty());
  EXPECT_EQ(h.VersionNeeded, 20);

  // 0xFFFFFFFF itself is the marker, so it cannot stay in the 32-bit field.
  ASSERT_TRUE(StoreCentralSizes(extra, h, 0x140000000, 7, 0xFFFFFFFF));
  EXPECT_EQ(extra, (Bytes{0x01, 0x00, 0x10, 0x00, 0x00, 0x00, 0x00, 0x40, 0x01, 0x00,
                          0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00}));
  EXPECT_EQ(h.CompressedSize, 0xFFFFFFFFu);
  EXPECT_EQ(h.UncompressedSize, 7u);
  EXPECT_EQ(h.VersionNeeded, kVersionZip64);

  const TZipExtra x = ReadCentralExtra(extra, "a", h);
  EXPECT_EQ(FullCompressedSize(h, x), 0x140000000u);
  EXPECT_EQ(FullUncompressedSize(h, x), 7u);
  EXPECT_EQ(FullLocalOffset(h, x), 0xFFFFFFFFu);
}

TEST(ExtraFields, LocalZip64CarriesBothSizes) {
  LocalHeader h;
  Bytes extra;
  EXPECT_FALSE(StoreLocalSizes(extra, h, 5, 6));
  EXPECT_EQ(h.CompressedSize, 5u);
  EXPECT_TRUE(extra.empty());

  ASSERT_TRUE(StoreLocalSizes(extra, h, 9, 0x500000000));
  EXPECT_EQ(extra, (Bytes{0x01, 0x00, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05, 0x00,
                          0x00, 0x00, 0x09, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
  EXPECT_EQ(h.VersionNeeded, kVersionZip64);
  const TZipExtra x = ReadLocalExtra(extra, "a", h);
  EXPECT_EQ(FullCompressedSize(h, x), 9u);
  EXPECT_EQ(FullUncompressedSize(h, x), 0x500000000u);

  // Reserved before the sizes are known: the field is there even for small values.
  LocalHeader r;
  Bytes reserved;
  EXPECT_TRUE(StoreLocalSizes(reserved, r, 0, 0, true));
  EXPECT_EQ(reserved.size(), 20u);
  EXPECT_EQ(r.CompressedSize, 0xFFFFFFFFu);
}

}  // namespace
}  // namespace qel::zip
