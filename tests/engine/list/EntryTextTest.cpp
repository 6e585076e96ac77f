// The ratio and attribute texts the lister hands to its callers.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "engine/list/EntryText.h"

namespace qel {
namespace {

TEST(EntryText, CalcRatio) {
  constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
  struct {
    uint64_t unpacked, packed;
    int ratio;
  } cases[] = {
      {0, 0, 0},
      {0, 5, 0},
      {100, 100, 0},
      {100, 150, 0},
      {1000, 333, 67},
      {100, 0, 100},
      {3, 2, 33},
      {3, 1, 67},
      {8, 7, 12},
      {8, 5, 38},  // 12.5 and 37.5: halves go to the even side
      {200, 1, 100},
      {200, 3, 98},  // 99.5 and 98.5
      {kMax, 0, 100},
      {kMax, 1, 100},
      {kMax, kMax / 2, 50},
      {kMax, kMax - 1, 0},
      {kMax / 100 * 100, kMax / 100 * 99, 1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CalcRatio(c.unpacked, c.packed), c.ratio) << c.unpacked << " " << c.packed;
}

TEST(EntryText, GetAttrText) {
  struct {
    TArcType type;
    uint32_t attr;
    bool unixHost;
    const char* text;
  } cases[] = {
      {atZip, 0x00, false, "-----"},
      {atZip, 0x20, false, "a----"},
      {atZip, 0x30, false, "d----"},  // the folder bit wins the first place
      {atZip, 0x01, false, "-r---"},
      {atZip, 0x04, false, "--s--"},
      {atZip, 0x02, false, "---h-"},
      {atZip, 0x4002, false, "---e-"},
      {atZip, 0x27, false, "arsh-"},
      {atZip, 0x20, true, "a----"},  // only RAR and ACE keep Unix modes
      {atTar, 0x21, false, "ar---"},
      {atRar, 0x20, false, "a----"},
      {atRar, 0x41ED, true, "drwxr-xr-x"},
      {atRar, 0x81A4, true, "-rw-r--r--"},
      {atRarExe, 0x89ED, true, "-rwsr-xr-x"},
      {atAce, 0x89A4, true, "-rwSr--r--"},
      {atAceExe, 0x85ED, true, "-rwxr-sr-x"},
      {atRar, 0x85A4, true, "-rw-r-Sr--"},
      {atRar, 0x81FF, true, "-rwxrwxrwx"},
      {atNA, 0x20, false, ""},
      {atUnknown, 0x20, false, ""},
      {atFileOpenErr, 0x41ED, true, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(GetAttrText(c.type, c.attr, '-', c.unixHost), c.text)
        << ArcTypeName(c.type) << " " << std::hex << c.attr;
  EXPECT_EQ(GetAttrText(atZip, 0x01, ' '), " r   ");
}

}  // namespace
}  // namespace qel
