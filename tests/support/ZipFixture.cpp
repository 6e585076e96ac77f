#include "tests/support/ZipFixture.h"

#include <string>
#include <utility>

#include "codecs/checksum/Crc.h"
#include "engine/base/Bytes.h"

namespace qel::test {

TZipFixture MakeZip(std::string_view comment, uint32_t base) {
  const std::vector<std::pair<std::string, std::string>> entries = {
      {"a.txt", "hello world\n"}, {"dir/b.txt", "second entry, a little longer\n"}};
  TZipFixture z;
  std::vector<uint8_t>& b = z.bytes;
  std::vector<uint8_t> central;
  for (const auto& [name, data] : entries) {
    const uint32_t crc = Crc32(0, data.data(), data.size());
    uint8_t h[46] = {};
    PutU32(h, 0x02014B50);
    PutU16(h + 4, 20);
    PutU16(h + 6, 20);
    PutU32(h + 16, crc);
    PutU32(h + 20, uint32_t(data.size()));
    PutU32(h + 24, uint32_t(data.size()));
    PutU16(h + 28, uint16_t(name.size()));
    PutU32(h + 42, base + uint32_t(b.size()));
    central.insert(central.end(), h, h + 46);
    central.insert(central.end(), name.begin(), name.end());

    uint8_t l[30] = {};
    PutU32(l, 0x04034B50);
    PutU16(l + 4, 20);
    PutU32(l + 14, crc);
    PutU32(l + 18, uint32_t(data.size()));
    PutU32(l + 22, uint32_t(data.size()));
    PutU16(l + 26, uint16_t(name.size()));
    b.insert(b.end(), l, l + 30);
    b.insert(b.end(), name.begin(), name.end());
    b.insert(b.end(), data.begin(), data.end());
  }
  z.central = b.size();
  b.insert(b.end(), central.begin(), central.end());
  z.end = b.size();
  uint8_t e[22] = {};
  PutU32(e, 0x06054B50);
  PutU16(e + 8, uint16_t(entries.size()));
  PutU16(e + 10, uint16_t(entries.size()));
  PutU32(e + 12, uint32_t(central.size()));
  PutU32(e + 16, base + uint32_t(z.central));
  PutU16(e + 20, uint16_t(comment.size()));
  b.insert(b.end(), e, e + 22);
  b.insert(b.end(), comment.begin(), comment.end());
  return z;
}

void AddZip64Records(TZipFixture& zip, uint32_t totalDisks) {
  const uint8_t* end = &zip.bytes[zip.end];
  uint8_t records[56 + 20] = {};
  uint8_t* end64 = records;
  PutU32(end64, 0x06064B50);
  PutU64(end64 + 4, 56 - 12);
  PutU16(end64 + 12, 45);
  PutU16(end64 + 14, 45);
  PutU64(end64 + 24, GetU16(end + 8));
  PutU64(end64 + 32, GetU16(end + 10));
  PutU64(end64 + 40, GetU32(end + 12));
  PutU64(end64 + 48, GetU32(end + 16));
  uint8_t* locator = records + 56;
  PutU32(locator, 0x07064B50);
  PutU64(locator + 8, GetU32(end + 16) + GetU32(end + 12));  // where the Zip64 end record is
  PutU32(locator + 16, totalDisks);
  zip.bytes.insert(zip.bytes.begin() + std::ptrdiff_t(zip.end), records, records + sizeof records);
  zip.end += sizeof records;
}

std::vector<uint8_t> LocalPartOfZip() {
  TZipFixture z = MakeZip();
  return {z.bytes.begin(), z.bytes.begin() + std::ptrdiff_t(z.central)};
}

}  // namespace qel::test
