// Builds small PE images with a string table, for the tests of the string-resource reader
// and of self-extractor detection.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qel::test {

constexpr uint32_t kSubdir = 0x80000000;
constexpr uint32_t kPeAt = 0x80;
constexpr uint32_t kRsrcFileAt = 0x400;
constexpr uint32_t kRsrcVa = 0x2000;
// Offsets inside the resource section, fixed by the layout BuildPe writes.
constexpr uint32_t kTypeDir = 0x00;   // a named entry, RT_ICON, RT_STRING
constexpr uint32_t kBlockDir = 0x28;  // block 1
constexpr uint32_t kLangDir = 0x40;   // 0x409 (ours), then 0x407
constexpr uint32_t kDataEntry = 0x60;
constexpr uint32_t kOtherDataEntry = 0x70;
constexpr uint32_t kStringData = 0x80;

struct TBuiltPe {
  std::vector<uint8_t> bytes;
  uint32_t optionalAt;     // file offset of the optional header
  uint32_t rsrcSectionAt;  // file offset of the .rsrc section header
  uint32_t dataEnd;        // file offset just past the string block
  uint32_t stringAt[16];   // file offset of each string's length word
};

// A minimal PE image: a .text section and a .rsrc section whose string table block 1 holds
// `strings` (index = identifier). The first language holds them; a second language holding
// "other" strings follows, and the type directory starts with a named entry and RT_ICON, as
// resource compilers write them. The DOS header's page counts are zero (no DOS image).
TBuiltPe BuildPe(bool plus, const std::vector<std::u16string>& strings);

}  // namespace qel::test
