// Whatever an entry is called, extraction writes below the target folder only.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "engine/base/Messages.h"
#include "tests/engine/extract/TestReader.h"
#include "tests/support/PeerTools.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;

struct NameCase {
  std::string stored;
  std::string expected;  // relative to the target folder; "" when refused
};

TEST(ExtractPathSafety, StoredNamesStayBelowTheTarget) {
  const std::vector<NameCase> cases = {
      {"../../x1", "x1"},
      {"/abs/x2", "abs/x2"},
      {"a/../../x3", "a/x3"},
      {"C:\\x4", "x4"},
      {"C:\\d\\x5", "d/x5"},
      {std::string("b\0/../c\x01x6", 11), "b/cx6"},
      {"\\..\\..\\x7", "x7"},
      {"e:f/x8", "f/x8"},
      {"dd:f/x9", "dd_f/x9"},
      {"sp .. /x10", "sp/x10"},
      {"..", ""},
      {"a/..", ""},
      {"a/.", ""},
  };
  TestFolder scratch;
  std::string target = scratch / "p/q/out";
  fs::create_directories(target);
  TestReader reader;
  for (const NameCase& c : cases) reader.Add(c.stored, "data");
  reader.Save(scratch / "arc.bin");
  reader.SetExtractDir(target);
  std::set<std::string> before = PathsBelow(scratch.Path());

  reader.Extract();

  std::set<std::string> after = PathsBelow(scratch.Path());
  for (const std::string& path : after)
    EXPECT_TRUE(before.count(path) || path.rfind("p/q/out/", 0) == 0) << path;
  int refused = 0;
  for (const NameCase& c : cases) {
    if (c.expected.empty()) {
      ++refused;
      continue;
    }
    EXPECT_EQ(ReadFileText(target + "/" + c.expected), "data") << c.expected;
  }
  EXPECT_EQ(reader.Codes(), std::vector<int>(refused, msg::InvalidFileName));
}

TEST(ExtractPathSafety, WithoutStoredDirsOnlyTheFilePartIsKept) {
  TestFolder scratch;
  TestReader reader;
  reader.Add("../../d/x", "1");
  reader.Add("p\\q\\y", "2");
  reader.Save(scratch / "arc.bin");
  reader.SetExtractDir(scratch / "out");
  reader.UseStoredDirs = false;
  EXPECT_EQ(reader.Extract(), 2);
  EXPECT_EQ(ReadFileText(scratch / "out/x"), "1");
  EXPECT_EQ(ReadFileText(scratch / "out/y"), "2");
  EXPECT_EQ(scratch.Count(), 2u);  // arc.bin and out
}

TEST(ExtractPathSafety, LinksInTheTargetAreReplacedNeverFollowed) {
  TestFolder scratch;
  WriteFileText(scratch / "outside.txt", "secret");
  fs::create_directories(scratch / "elsewhere");
  fs::create_directories(scratch / "out");
  fs::create_symlink(scratch / "outside.txt", scratch / "out/link");
  fs::create_symlink(scratch / "elsewhere", scratch / "out/dirlink");
  TestReader reader;
  reader.Add("link", "new");
  reader.Add("dirlink/f", "through");
  reader.Save(scratch / "arc.bin");
  reader.SetExtractDir(scratch / "out");

  reader.Extract();

  EXPECT_EQ(ReadFileText(scratch / "outside.txt"), "secret");
  EXPECT_FALSE(fs::is_symlink(scratch / "out/link"));
  EXPECT_EQ(ReadFileText(scratch / "out/link"), "new");
  EXPECT_TRUE(fs::is_empty(scratch / "elsewhere"));
  EXPECT_EQ(reader.Codes(), std::vector<int>{msg::ErrorCreatingDir});
}

TEST(ExtractPathSafety, TheArchiveItselfIsNeverAnOutput) {
  TestFolder scratch;
  TestReader reader;
  reader.Add("arc.bin", "overwritten");
  reader.Save(scratch / "arc.bin");
  std::string original = ReadFileText(scratch / "arc.bin");
  reader.SetExtractDir(scratch.Path());
  EXPECT_EQ(reader.Extract(), 0);
  EXPECT_EQ(reader.Codes(), std::vector<int>{msg::SameInputOutput});
  EXPECT_EQ(ReadFileText(scratch / "arc.bin"), original);
}

}  // namespace
}  // namespace qel::test
