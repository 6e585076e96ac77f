// The wildcard matcher and the two forms of the file filters.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/filters/Masks.h"

namespace qel {
namespace {

TEST(Masks, MatchMask) {
  struct {
    const char* name;
    const char* mask;
    bool match;
  } cases[] = {
      {"a.txt", "*", true},
      {"", "*", true},
      {"", "", true},
      {"a", "", false},
      {"dir/sub/a.txt", "*", true},  // a star crosses folders
      {"A.TXT", "*.txt", true},
      {"a.txt", "*.TXT", true},
      {"\xC3\x84rger.txt", "\xC3\xA4RGER.*", true},  // "Ä" against "ä", beyond ASCII
      {"\xC3\x84", "?", true},                       // "?" takes a character, not a byte
      {"\xC3\x84", "??", false},
      {"ab", "a?", true},
      {"a", "a?", false},
      {"abcbd", "a*b?", true},  // the star has to give back what it took
      {"abcbd", "a*c", false},
      {"a[1].txt", "a[1].txt", true},  // brackets are plain characters
      {"a1.txt", "a[1].txt", false},
      {"a[b", "a[*", true},
      {"dir/a.txt", "dir\\*.txt", true},  // "\" in a mask is "/"
      {"dir/a.txt", "DIR/A.*", true},
      {"\xFF\xFE.bin", "*.bin", true},  // bytes that are not UTF-8 still match
  };
  for (const auto& c : cases)
    EXPECT_EQ(MatchMask(c.name, c.mask), c.match) << c.name << " against " << c.mask;
}

struct TSpecCase {
  const char* name;
  TStrings masks;
  TStrings exclude;
  bool recurse;
  bool passes;
  bool excluded;  // whether the exclusion handler was told
};

std::vector<std::string> Run(const TSpecCase& c, bool flat, bool& passes) {
  std::vector<std::string> told;
  auto onExcluded = [&](const std::string& n) { told.push_back(n); };
  passes = flat ? MatchesSpecFlat(c.name, c.masks, c.exclude, onExcluded)
                : MatchesSpec(c.name, c.masks, c.exclude, c.recurse, onExcluded);
  return told;
}

void Check(const TSpecCase& c, bool flat) {
  bool passes = false;
  std::vector<std::string> told = Run(c, flat, passes);
  const std::string what = std::string(c.name) + " masks " + ::testing::PrintToString(c.masks) +
                           " exclude " + ::testing::PrintToString(c.exclude) +
                           (c.recurse ? " recursing" : "");
  EXPECT_EQ(passes, c.passes) << what;
  EXPECT_EQ(told, c.excluded ? std::vector<std::string>{c.name} : std::vector<std::string>{})
      << what;
}

// The pattern's folder selects that folder, and the folders below it only when recursing;
// when recursing a pattern without a folder meets the file part only.
TEST(Masks, MatchesSpecFolders) {
  const TSpecCase cases[] = {
      {"any/thing", {}, {}, false, true, false},
      {"a.txt", {"A.TXT"}, {}, false, true, false},
      {"docs/a.txt", {"docs/*.txt"}, {}, false, true, false},
      {"docs/a.txt", {"docs\\*.txt"}, {}, false, true, false},
      {"DOCS/a.txt", {"docs/*.txt"}, {}, false, true, false},
      {"docs/sub/a.txt", {"docs/*.txt"}, {}, true, true, false},
      {"docs/sub/a.txt", {"docs/*.txt"}, {}, false, false, false},
      {"docsx/a.txt", {"docs/*.txt"}, {}, true, false, false},
      {"other/a.txt", {"docs/*.txt"}, {}, true, false, false},
      {"a.txt", {"docs/*.txt"}, {}, true, false, false},
      {"docs/a.txt", {"docs/sub/*"}, {}, true, false, false},
      {"docs/a.txt", {"*.txt"}, {}, true, true, false},
      {"docs/a.txt", {"*.txt"}, {}, false, false, false},
      {"docs/a.txt", {"a.txt"}, {}, true, true, false},
      {"docs/a.doc", {"*.txt", "*.doc"}, {}, true, true, false},
      // "*.*" takes names without a dot; a pattern without a dot does not take one with.
      {"README", {"*.*"}, {}, true, true, false},
      {"docs/README", {"*.*"}, {}, true, true, false},
      {"README", {"READ?E"}, {}, true, true, false},
      {"README.md", {"README"}, {}, true, false, false},
      {"a[1].txt", {"a[1]*"}, {}, true, true, false},
      {"a1.txt", {"a[1]*"}, {}, true, false, false},
      // Exclusion comes first, by the whole name or, when recursing, by the file part.
      {"docs/a.tmp", {}, {"*.tmp"}, false, false, true},
      {"docs/a.tmp", {"*"}, {"a.*"}, true, false, true},
      {"docs/a.tmp", {}, {"a.*"}, false, true, false},
      {"docs/a.tmp", {}, {"docs/*"}, false, false, true},
      {"docs/a.txt", {"docs/*"}, {"*.tmp"}, true, true, false},
  };
  for (const TSpecCase& c : cases) Check(c, false);
}

// The flat form: the whole name against each pattern, then the exclusions on the whole name.
TEST(Masks, MatchesSpecFlat) {
  const TSpecCase cases[] = {
      {"any/thing", {}, {}, false, true, false},
      {"docs/sub/a.txt", {"*.txt"}, {}, false, true, false},
      {"docs/sub/a.txt", {"docs/*"}, {}, false, true, false},
      {"docs/a.txt", {"a.txt"}, {}, false, false, false},
      {"DOCS\\A.TXT", {"docs/a.txt"}, {}, false, true, false},
      {"README", {"*.*"}, {}, false, true, false},
      {"docs/a.tmp", {}, {"*.tmp"}, false, false, true},
      {"docs/a.tmp", {}, {"a.*"}, false, true, false},
      // A name the patterns do not take is not reported as excluded.
      {"x.doc", {"*.txt"}, {"*.doc"}, false, false, false},
  };
  for (const TSpecCase& c : cases) Check(c, true);
}

}  // namespace
}  // namespace qel
