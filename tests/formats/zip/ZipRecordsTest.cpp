#include <gtest/gtest.h>

#include <vector>

#include "formats/zip/Records.h"

namespace qel::zip {
namespace {

using Bytes = std::vector<uint8_t>;

// Every field gets a distinct value, so a field read or written at the wrong offset shows.
const Bytes kLocal = {0x50, 0x4B, 0x03, 0x04, 0x14, 0x00, 0x09, 0x00,
                      0x08, 0x00,                                      // sig, 20, flags 9, method 8
                      0x21, 0x43, 0x65, 0x87, 0x78, 0x56, 0x34, 0x12,  // date-time, CRC
                      0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88,  // compressed, uncompressed
                      0x05, 0x00, 0x0B, 0x00};                         // name 5, extra 11

const Bytes kCentral = {
    0x50, 0x4B, 0x01, 0x02, 0x14, 0x0B, 0x2D, 0x00,  // sig, made by 0x0B14, needed 45
    0x01, 0x00, 0x63, 0x00,                          // flags 1, method 99
    0x21, 0x43, 0x65, 0x87, 0x78, 0x56, 0x34, 0x12,  // date-time, CRC
    0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88,  // compressed, uncompressed
    0x05, 0x00, 0x0B, 0x00, 0x03, 0x00, 0x02, 0x00,  // name 5, extra 11, comment 3, disk 2
    0x01, 0x00, 0x20, 0x00, 0x00, 0x80,              // internal 1, external 0x80000020
    0xEF, 0xBE, 0xAD, 0xDE};                         // local offset

const Bytes kEnd = {0x50, 0x4B, 0x05, 0x06, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04,
                    0x00, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0xE8, 0x03};

const Bytes kExtendedEnd = {0x50, 0x5B, 0x05, 0x06, 0x01, 0x00, 0x00, 0x00,
                            0x02, 0x00, 0x00, 0x00,                          // sig, disks
                            0x03, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,  // entries on this disk
                            0x04, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,  // total entries
                            0x05, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00,  // central size
                            0x06, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00,  // central offset
                            0x10, 0x00};                                     // comment length

const Bytes kZip64End = {
    0x50, 0x4B, 0x06, 0x06, 0x2C, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // sig, size 44
    0x2D, 0x03, 0x2D, 0x00, 0x07, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00,  // versions, disks
    0x09, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,                          // entries on this disk
    0x0A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,                          // total entries
    0x00, 0x10, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,   // central size (offset 40)
    0x00, 0x20, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00};  // central offset (offset 48)

const Bytes kLocator = {0x50, 0x4B, 0x06, 0x07, 0x03, 0x00, 0x00, 0x00, 0x40, 0x30,
                        0x20, 0x10, 0x05, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00};

template <typename Record>
Bytes Packed(const Record& r, size_t size) {
  Bytes out(size, 0xCC);
  Pack(r, out.data());
  return out;
}

TEST(ZipRecords, LocalHeaderRoundTrip) {
  ASSERT_EQ(kLocal.size(), kLocalHeaderSize);
  const LocalHeader h = UnpackLocal(kLocal.data());
  EXPECT_EQ(h.Signature, kSigLocal);
  EXPECT_EQ(h.VersionNeeded, 20);
  EXPECT_EQ(h.Flags, 9);
  EXPECT_EQ(h.Method, 8);
  EXPECT_EQ(h.DosDateTime, 0x87654321u);
  EXPECT_EQ(h.Crc, 0x12345678u);
  EXPECT_EQ(h.CompressedSize, 0x44332211u);
  EXPECT_EQ(h.UncompressedSize, 0x88776655u);
  EXPECT_EQ(h.NameLength, 5);
  EXPECT_EQ(h.ExtraLength, 11);
  EXPECT_EQ(Packed(h, kLocalHeaderSize), kLocal);
}

TEST(ZipRecords, CentralHeaderRoundTrip) {
  ASSERT_EQ(kCentral.size(), kCentralHeaderSize);
  const CentralHeader h = UnpackCentral(kCentral.data());
  EXPECT_EQ(h.VersionMadeBy, 0x0B14);
  EXPECT_EQ(h.VersionNeeded, 45);
  EXPECT_EQ(h.Method, 99);
  EXPECT_EQ(h.DosDateTime, 0x87654321u);
  EXPECT_EQ(h.CompressedSize, 0x44332211u);
  EXPECT_EQ(h.UncompressedSize, 0x88776655u);
  EXPECT_EQ(h.CommentLength, 3);
  EXPECT_EQ(h.DiskStart, 2);
  EXPECT_EQ(h.InternalAttr, 1);
  EXPECT_EQ(h.ExternalAttr, 0x80000020u);
  EXPECT_EQ(h.LocalOffset, 0xDEADBEEFu);
  EXPECT_EQ(Packed(h, kCentralHeaderSize), kCentral);
}

TEST(ZipRecords, EndRecordRoundTrip) {
  ASSERT_EQ(kEnd.size(), kEndRecordSize);
  const EndRecord h = UnpackEnd(kEnd.data());
  EXPECT_EQ(h.ThisDisk, 1);
  EXPECT_EQ(h.CentralDisk, 2);
  EXPECT_EQ(h.EntriesThisDisk, 3);
  EXPECT_EQ(h.TotalEntries, 4);
  EXPECT_EQ(h.CentralSize, 0x08070605u);
  EXPECT_EQ(h.CentralOffset, 0x0C0B0A09u);
  EXPECT_EQ(h.CommentLength, 1000);
  EXPECT_EQ(Packed(h, kEndRecordSize), kEnd);
}

TEST(ZipRecords, ExtendedEndRecordRoundTrip) {
  ASSERT_EQ(kExtendedEnd.size(), kExtendedEndSize);
  const ExtendedEndRecord h = UnpackExtendedEnd(kExtendedEnd.data());
  EXPECT_EQ(h.Signature, kSigExtendedEnd);
  EXPECT_EQ(h.ThisDisk, 1u);
  EXPECT_EQ(h.CentralDisk, 2u);
  EXPECT_EQ(h.EntriesThisDisk, 0x100000003u);
  EXPECT_EQ(h.TotalEntries, 0x200000004u);
  EXPECT_EQ(h.CentralSize, 0x300000005u);
  EXPECT_EQ(h.CentralOffset, 0x400000006u);
  EXPECT_EQ(h.CommentLength, 16);
  EXPECT_EQ(Packed(h, kExtendedEndSize), kExtendedEnd);
}

TEST(ZipRecords, Zip64EndRecordAndLocatorRoundTrip) {
  ASSERT_EQ(kZip64End.size(), kZip64EndSize);
  const Zip64EndRecord e = UnpackZip64End(kZip64End.data());
  EXPECT_EQ(e.RecordSize, 44u);
  EXPECT_EQ(e.VersionMadeBy, 0x032D);
  EXPECT_EQ(e.ThisDisk, 7u);
  EXPECT_EQ(e.CentralDisk, 8u);
  EXPECT_EQ(e.EntriesThisDisk, 9u);
  EXPECT_EQ(e.TotalEntries, 10u);
  EXPECT_EQ(e.CentralSize, 0x100001000u);
  EXPECT_EQ(e.CentralOffset, 0x200002000u);
  EXPECT_EQ(Packed(e, kZip64EndSize), kZip64End);

  ASSERT_EQ(kLocator.size(), kZip64LocatorSize);
  const Zip64Locator l = UnpackZip64Locator(kLocator.data());
  EXPECT_EQ(l.EndDisk, 3u);
  EXPECT_EQ(l.EndOffset, 0x510203040u);
  EXPECT_EQ(l.TotalDisks, 4u);
  EXPECT_EQ(Packed(l, kZip64LocatorSize), kLocator);
}

uint32_t Sig(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
  return uint32_t(a) | uint32_t(b) << 8 | uint32_t(c) << 16 | uint32_t(d) << 24;
}

TEST(ZipRecords, ClassifierKnowsBothFamilies) {
  struct Case {
    uint32_t Signature;
    RecordKind Kind;
    bool Enciphered;
  };
  const Case cases[] = {
      {Sig('P', 'K', 3, 4), RecordKind::Local, false},
      {Sig('P', 'L', 3, 4), RecordKind::Local, true},
      {Sig('P', 'K', 1, 2), RecordKind::Central, false},
      {Sig('P', 'L', 1, 2), RecordKind::Central, true},
      {Sig('P', 'K', 5, 6), RecordKind::End, false},
      {Sig('P', 'L', 5, 6), RecordKind::End, true},
      {Sig('P', '[', 5, 6), RecordKind::ExtendedEnd, false},
      {Sig('P', '\\', 5, 6), RecordKind::ExtendedEnd, true},
  };
  for (const Case& c : cases) {
    const SignatureClass got = ClassifySignature(c.Signature);
    EXPECT_EQ(got.Kind, c.Kind) << std::hex << c.Signature;
    EXPECT_EQ(got.Enciphered, c.Enciphered) << std::hex << c.Signature;
  }
}

TEST(ZipRecords, ClassifierRejectsEverythingElse) {
  const uint32_t others[] = {
      kSigZip64End,        kSigZip64Locator,    kSigSpanMarker,  // records read elsewhere
      Sig('P', 'L', 6, 6), Sig('P', 'L', 6, 7),                  // no enciphered Zip64 records
      Sig('P', 'M', 3, 4), Sig('P', 'J', 3, 4),                  // neither family
      Sig('P', 'K', 3, 5), Sig('Q', 'K', 3, 4), Sig('P', 'K', 4, 3), 0, 0xFFFFFFFF};
  for (uint32_t s : others) {
    EXPECT_EQ(ClassifySignature(s).Kind, RecordKind::None) << std::hex << s;
    EXPECT_FALSE(ClassifySignature(s).Enciphered) << std::hex << s;
  }
}

}  // namespace
}  // namespace qel::zip
