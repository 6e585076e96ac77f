#include "tests/support/PeBuilder.h"

#include <algorithm>
#include <cstring>

#include "engine/base/Bytes.h"

namespace qel::test {

TBuiltPe BuildPe(bool plus, const std::vector<std::u16string>& strings) {
  std::vector<uint8_t> block;
  auto appendTable = [&](auto&& textOf) {
    for (unsigned i = 0; i < 16; ++i) {
      std::u16string s = textOf(i);
      uint8_t w[2];
      PutU16(w, uint16_t(s.size()));
      block.insert(block.end(), w, w + 2);
      for (char16_t c : s) {
        PutU16(w, c);
        block.insert(block.end(), w, w + 2);
      }
    }
  };
  TBuiltPe pe{};
  appendTable([&](unsigned i) {
    pe.stringAt[i] = kRsrcFileAt + kStringData + uint32_t(block.size());
    return i < strings.size() ? strings[i] : std::u16string();
  });
  const uint32_t mainSize = uint32_t(block.size());
  appendTable([](unsigned) { return std::u16string(u"other"); });
  const uint32_t otherSize = uint32_t(block.size()) - mainSize;

  std::vector<uint8_t> rsrc(kStringData + block.size());
  std::copy(block.begin(), block.end(), rsrc.begin() + kStringData);
  auto dir = [&](uint32_t at, uint16_t named, uint16_t ids) {
    PutU16(&rsrc[at + 12], named);
    PutU16(&rsrc[at + 14], ids);
  };
  auto entry = [&](uint32_t at, uint32_t name, uint32_t target) {
    PutU32(&rsrc[at], name);
    PutU32(&rsrc[at + 4], target);
  };
  dir(kTypeDir, 1, 2);
  // Decoys that lead to the wrong level: a named entry whose name offset has the low bits of
  // RT_STRING, and RT_ICON.
  entry(kTypeDir + 16, kSubdir | 6, kSubdir | kLangDir);
  entry(kTypeDir + 24, 3, kSubdir | kLangDir);
  entry(kTypeDir + 32, 6, kSubdir | kBlockDir);  // RT_STRING
  dir(kBlockDir, 0, 1);
  entry(kBlockDir + 16, 1, kSubdir | kLangDir);
  dir(kLangDir, 0, 2);
  entry(kLangDir + 16, 0x409, kDataEntry);
  entry(kLangDir + 24, 0x407, kOtherDataEntry);
  PutU32(&rsrc[kDataEntry], kRsrcVa + kStringData);
  PutU32(&rsrc[kDataEntry + 4], mainSize);
  PutU32(&rsrc[kOtherDataEntry], kRsrcVa + kStringData + mainSize);
  PutU32(&rsrc[kOtherDataEntry + 4], otherSize);

  const uint32_t rsrcRaw = (uint32_t(rsrc.size()) + 0x1FF) & ~0x1FFu;
  std::vector<uint8_t>& f = pe.bytes;
  f.assign(kRsrcFileAt + rsrcRaw, 0);
  std::copy(rsrc.begin(), rsrc.end(), f.begin() + kRsrcFileAt);
  pe.dataEnd = kRsrcFileAt + kStringData + mainSize;

  f[0] = 'M';
  f[1] = 'Z';
  PutU32(&f[0x3C], kPeAt);
  std::memcpy(&f[kPeAt], "PE\0\0", 4);
  const uint16_t optionalSize = plus ? 240 : 224;
  PutU16(&f[kPeAt + 4], plus ? 0x8664 : 0x14C);
  PutU16(&f[kPeAt + 6], 2);
  PutU16(&f[kPeAt + 20], optionalSize);
  pe.optionalAt = kPeAt + 24;
  const uint32_t dirs = pe.optionalAt + (plus ? 112 : 96);
  PutU16(&f[pe.optionalAt], plus ? 0x20B : 0x10B);
  PutU32(&f[dirs - 4], 16);
  PutU32(&f[dirs + 2 * 8], kRsrcVa);
  PutU32(&f[dirs + 2 * 8 + 4], uint32_t(rsrc.size()));

  auto section = [&](uint32_t at, const char* name, uint32_t vsize, uint32_t va, uint32_t raw,
                     uint32_t ptr) {
    std::memcpy(&f[at], name, std::strlen(name));
    PutU32(&f[at + 8], vsize);
    PutU32(&f[at + 12], va);
    PutU32(&f[at + 16], raw);
    PutU32(&f[at + 20], ptr);
  };
  const uint32_t table = pe.optionalAt + optionalSize;
  section(table, ".text", 0x10, 0x1000, 0x200, 0x200);
  pe.rsrcSectionAt = table + 40;
  section(pe.rsrcSectionAt, ".rsrc", uint32_t(rsrc.size()), kRsrcVa, rsrcRaw, kRsrcFileAt);
  return pe;
}

}  // namespace qel::test
