// Enciphered headers: both directions over real records, the record code's hook, and the
// component's default wiring.
#include "formats/zip/HeaderCrypt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "engine/base/Bytes.h"
#include "engine/base/ZipCommon.h"
#include "engine/streams/MemoryStream32.h"
#include "formats/zip/CentralDir.h"
#include "tests/support/ZipImage.h"

namespace qel::zip {
namespace {

using test::Bytes;

constexpr TSeedKeyRecord kOtherSeed{0x01020304, 0x05060708, 0x090A0B0C};

// The name of a local or central header at the start of `record` (cut at its end when a
// badly deciphered length claims more).
std::string NameOf(const Bytes& record, RecordKind kind) {
  const size_t at = kind == RecordKind::Local ? kLocalHeaderSize : kCentralHeaderSize;
  const size_t size = std::min<size_t>(
      GetU16(record.data() + (kind == RecordKind::Local ? 26 : 28)), record.size() - at);
  return {record.begin() + std::ptrdiff_t(at), record.begin() + std::ptrdiff_t(at + size)};
}

// Every local and central header of a stored archive re-signed as enciphered and enciphered
// with `seed`; the end record stays in clear, as the writer leaves it.
test::ZipImage EncipheredArchive(const TSeedKeyRecord& seed) {
  test::ZipImage img = test::BuildStoredZip(test::TwoEntries());
  auto encipher = [&](int64_t pos, RecordKind kind) {
    uint8_t* p = img.bytes.data() + pos;
    PutU32(p, GetU32(p) + kEncipheredDelta);
    EXPECT_TRUE(EncipherHeader(seed, std::span(img.bytes).subspan(size_t(pos)), kind));
  };
  for (int64_t pos : img.localPos) encipher(pos, RecordKind::Local);
  for (int64_t pos = img.centralPos; pos < img.endPos;) {
    const uint16_t name = GetU16(img.bytes.data() + pos + 28);
    encipher(pos, RecordKind::Central);
    pos += int64_t(kCentralHeaderSize + name);
  }
  return img;
}

TEST(HeaderCryptRecords, RoundTripEachKind) {
  const test::ZipImage clear = test::BuildStoredZip(test::TwoEntries());
  const struct {
    int64_t pos;
    RecordKind kind;
    size_t size;  // fixed part and name
  } records[] = {{clear.localPos[1], RecordKind::Local, kLocalHeaderSize + 9},
                 {clear.centralPos, RecordKind::Central, kCentralHeaderSize + 5},
                 {clear.endPos, RecordKind::End, kEndRecordSize}};
  for (const auto& r : records) {
    SCOPED_TRACE(int(r.kind));
    const Bytes record(clear.bytes.begin() + r.pos, clear.bytes.begin() + r.pos + int64_t(r.size));
    Bytes b = record;
    ASSERT_TRUE(EncipherHeader(kDefaultHeaderKeys, b, r.kind));
    EXPECT_EQ(GetU32(b.data()), GetU32(record.data()));  // the signature stays in clear
    EXPECT_NE(b, record);
    Bytes wrong = b;
    // Another seed garbles the record (or its name length, which is then refused).
    EXPECT_FALSE(DecipherHeader(kOtherSeed, wrong, r.kind) && wrong == record);
    ASSERT_TRUE(DecipherHeader(kDefaultHeaderKeys, b, r.kind));
    EXPECT_EQ(b, record);
  }
}

// A record cut short before the end of its name is refused and left as it was.
TEST(HeaderCryptRecords, ShortRecordsAreRefused) {
  const test::ZipImage clear = test::BuildStoredZip(test::TwoEntries());
  Bytes central(clear.bytes.begin() + clear.centralPos,
                clear.bytes.begin() + clear.centralPos + kCentralHeaderSize + 5);
  ASSERT_TRUE(EncipherHeader(kDefaultHeaderKeys, central, RecordKind::Central));
  for (size_t size : {size_t(0), size_t(20), kCentralHeaderSize, kCentralHeaderSize + 4}) {
    Bytes cut(central.begin(), central.begin() + std::ptrdiff_t(size));
    const Bytes before = cut;
    EXPECT_FALSE(DecipherHeader(kDefaultHeaderKeys, cut, RecordKind::Central)) << size;
    EXPECT_EQ(cut, before);
    EXPECT_FALSE(EncipherHeader(kDefaultHeaderKeys, cut, RecordKind::Central)) << size;
  }
  EXPECT_FALSE(EncipherHeader(kDefaultHeaderKeys, central, RecordKind::None));
}

// The hook takes fixed part and name in one call and starts from the seed every time.
TEST(HeaderCryptHook, DeciphersRecordAfterRecord) {
  const test::ZipImage img = EncipheredArchive(kOtherSeed);
  const THeaderDecipher hook = MakeHeaderDecipher(kOtherSeed);
  for (size_t i = 0; i < 2; ++i) {
    const size_t at = size_t(img.localPos[i]);
    Bytes record(img.bytes.begin() + std::ptrdiff_t(at), img.bytes.end());
    ASSERT_TRUE(hook(record.data() + 4, kLocalCipherSize + (i ? 9 : 5)));
    EXPECT_EQ(NameOf(record, RecordKind::Local), test::TwoEntries()[i].name);
  }
}

// A fresh component carries the default seeds, and its hook reads enciphered archives made
// with its header seed, following the seed when it is changed.
TEST(HeaderCryptDefaults, ComponentHookFollowsItsSeed) {
  TZipCommon component;
  EXPECT_EQ(component.SeedDataKeys, (TSeedKeyRecord{0x12345678, 0x23456789, 0x34567890}));
  EXPECT_EQ(component.SeedHeaderKeys, (TSeedKeyRecord{0x5A17C3E9, 0x0E6B2D41, 0x73F0A95C}));
  const THeaderDecipher hook = ComponentHeaderDecipher(component);

  for (const TSeedKeyRecord& seed : {kDefaultHeaderKeys, kOtherSeed}) {
    component.SeedHeaderKeys = seed;
    const test::ZipImage img = EncipheredArchive(seed);
    TMemoryStream32 stream;
    ASSERT_EQ(stream.Write(img.bytes.data(), int64_t(img.bytes.size())), int64_t(img.bytes.size()));
    TCentralDirLocation loc;
    EXPECT_EQ(FindCentralDir(stream, stream.Size(), loc, hook), img.centralPos);
    // The first local header was found through the deciphered central header's offset.
    EXPECT_TRUE(loc.HeadFlag.Has(THeaderType::htLocal));

    Bytes central(img.bytes.begin() + img.centralPos, img.bytes.end());
    ASSERT_TRUE(hook(central.data() + 4, kCentralCipherSize + 5));
    EXPECT_EQ(NameOf(central, RecordKind::Central), "a.txt");
  }

  // Another seed leaves the names unreadable.
  const test::ZipImage img = EncipheredArchive(kDefaultHeaderKeys);
  Bytes central(img.bytes.begin() + img.centralPos, img.bytes.end());
  ASSERT_TRUE(hook(central.data() + 4, kCentralCipherSize + 5));
  EXPECT_NE(NameOf(central, RecordKind::Central), "a.txt");
}

}  // namespace
}  // namespace qel::zip
