// The scanner's pure rules: the attribute filter, a folder's mask set and ExcludeSpec.
#include <gtest/gtest.h>

#include "engine/scan/Exclusions.h"
#include "engine/scan/FileAttributes.h"
#include "engine/scan/FileScan.h"
#include "engine/scan/MultiMask.h"

namespace qel {
namespace {

using A = TqelFileAttribute;

TEST(ScanRules, AttributeFilter) {
  const TqelFileAttributes def = TqelFileScan().Attributes, defEx = TqelFileScan().AttributesEx;
  struct {
    uint32_t attr;
    TqelFileAttributes in, ex;
    bool pass;
  } cases[] = {
      {0x00, def, defEx, true},  // no attribute at all: fsZeroAttr decides
      {0x00, {A::fsArchive}, {}, false},
      {0x80, def, defEx, true},  // "normal" alone counts as none
      {0x06, {A::fsSysFile}, {A::fsHidden}, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PassesAttributeFilter(c.attr, c.in, c.ex), c.pass) << std::hex << c.attr;
}

TEST(ScanRules, MultiMaskMergesCoveredMasks) {
  struct {
    TStrings added, kept;
  } cases[] = {
      {{"*.txt", "*.*"}, {"*.*"}},
      {{"a*c", "a?c", "A?C"}, {"a*c"}},
      {{"a?*", "a*c"}, {"a?*", "a*c"}},  // "a?*" does not take "ac"
  };
  for (const auto& c : cases) {
    TMultiMask m;
    for (const auto& s : c.added) m.Add(s);
    EXPECT_EQ(m.Masks(), c.kept) << c.added[0];
  }
  TMultiMask literal;
  literal.Add("Song [Live].mp3");
  EXPECT_TRUE(literal.Matches("song [live].MP3"));
  EXPECT_FALSE(literal.Matches("Song L.mp3"));
}

TEST(ScanRules, ExcludeSpec) {
  struct {
    const char* path;
    bool isFolder;
    const char* pattern;
    bool recurse, excluded;
  } cases[] = {
      {"/h/temp/sub/a.txt", false, "temp/*.*", true, true},
      {"/h/temp/sub/a.txt", false, "temp/*.*", false, false},  // only at the folder's end
      {"/h/temporary/a.txt", false, "temp/*", true, false},    // whole folder names
      {"/h/TEMP/a.txt", false, " Temp\\*.txt ", true, true},
      {"/h/temp/a.c", false, "temp/*.txt", true, false},
      {"/h/temp/a.c", false, "temp/", true, true},  // no name part: every file
      {"/h/temp", true, "temp/*.txt", true, true},  // a folder entry: the folder alone
      {"/h/a/b/c.txt", false, "a/b/*", false, true},
      {"/h/a/b/c.txt", false, "/h/*", false, false},
      {"/h/x/A.TXT", false, "*.txt", false, true},
      {"/h/x/readme", false, "*.*", false, true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ExcludedBySpec(c.path, c.isFolder, {c.pattern}, c.recurse), c.excluded)
        << c.path << " / " << c.pattern << " / " << c.recurse;
}

}  // namespace
}  // namespace qel
