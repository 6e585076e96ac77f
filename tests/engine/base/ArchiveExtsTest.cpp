#include "engine/detect/ArchiveExts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace qel {
namespace {

TEST(ArchiveExts, TakenFromTheArchivesFilter) {
  TStrings exts = ArchiveExts();
  ASSERT_EQ(exts.size(), 34u);
  EXPECT_EQ(exts.front(), ".ace");
  for (const char* e : {".7zip", ".pk_", ".tgz"})
    EXPECT_NE(std::find(exts.begin(), exts.end(), e), exts.end()) << e;
  EXPECT_EQ(std::set<std::string>(exts.begin(), exts.end()).size(), exts.size());
  for (const std::string& e : exts) {
    ASSERT_GE(e.size(), 2u);
    EXPECT_EQ(e[0], '.') << e;
    EXPECT_EQ(e.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ|;* "), std::string::npos) << e;
  }
}

}  // namespace
}  // namespace qel
