#include "engine/detect/ArchiveExts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

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

// The longest extension that ends a name decides, whatever a shorter one inside it says.
TEST(ArchiveExts, TypeOfANameByItsExtension) {
  const std::pair<const char*, TArcType> kCases[] = {
      {"w.lzh", atLzh},       {"d/W.LHA", atLha},     {"x.tgz", atTarGz}, {"x.tbz", atTarBz},
      {"x.tar.gz", atTarGz},  {"x.gz", atGZip},       {"x.zip", atZip},   {"notes.txt", atNA},
      {"dir.zip/name", atNA}, {".zip", atNA}};
  for (const auto& [name, type] : kCases) EXPECT_EQ(ArcTypeOfName(name), type) << name;
}

}  // namespace
}  // namespace qel
