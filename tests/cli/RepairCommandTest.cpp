// `vorelkit-cli repair`: what it prints per entry, its exit codes, the output's name, and
// that the damaged file is never replaced.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/CliRun.h"
#include "tests/support/PeerTools.h"
#include "tests/support/ZipDamage.h"

namespace qel {
namespace {

using test::Bytes;
using test::Cli;
using test::TestFolder;

class RepairCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::RequireTool("zip") || !test::RequireTool("unzip")) GTEST_SKIP();
    test::WriteFileText(dir_ / "a.txt", "alpha\n");
    test::WriteFileText(dir_ / "b.txt", "beta\n");
    std::filesystem::create_directory(dir_ / "d");
    test::WriteFileText(dir_ / "d/c.txt", "gamma\n");
    ASSERT_TRUE(
        test::RunToolOk({"zip", "-q", "-X", "-r", "made.zip", "a.txt", "b.txt", "d"}, dir_.Path()));
    made_ = test::ReadFileBytes(dir_ / "made.zip");
    test::ZeroCentralDirectory(made_);
  }

  TestFolder dir_;
  Bytes made_;
  const std::string broken_ = dir_ / "broken.zip";
};

TEST_F(RepairCommand, ListsEntriesAndSetsTheExitStatus) {
  const std::string header = "Broken File: " + broken_ + "\nFixed File: " + dir_.Path() +
                             "/broken_VorelFixed.zip\n=========================\n";
  Bytes spoilt = made_;
  test::SpoilHeader(spoilt, "b.txt");
  Bytes altered = made_;
  altered[test::LocalHeaderOf(altered, "b.txt") + 30 + 5] ^= 0x55;  // b.txt's first data byte
  struct TCase {
    const char* what;
    Bytes broken;
    int status;
    std::string lines;
    bool keepDamaged = false;
  } cases[] = {
      {"all intact (the folder is not listed)", made_, 0,
       "a.txt\tOK\nb.txt\tOK\nd/c.txt\tOK\n=========================\n"
       "3 out of 3 files were OK\n"},
      {"one spoilt", spoilt, 1,
       "a.txt\tOK\n?? File Name ??\tCorrupted\nd/c.txt\tOK\n=========================\n"
       "2 out of 3 files were OK\n"},
      {"nothing found", Bytes(100, 'x'), 1,
       "=========================\n0 out of 0 files were OK\n"},
      {"data altered", altered, 1,
       "a.txt\tOK\nb.txt\tCRC error, left out\nd/c.txt\tOK\n=========================\n"
       "2 out of 3 files were OK\n"},
      {"data altered, kept", altered, 1,
       "a.txt\tOK\nb.txt\tCRC error, kept\nd/c.txt\tOK\n=========================\n"
       "2 out of 3 files were OK\n",
       true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    test::WriteFileBytes(broken_, c.broken);
    std::vector<std::string> args = {"repair", broken_};
    if (c.keepDamaged) args.push_back("--keep-damaged");
    const test::TCliRun run = Cli(args);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(run.out, header + c.lines);
    EXPECT_TRUE(std::filesystem::exists(dir_ / "broken_VorelFixed.zip"));
    if (c.broken == altered) {  // b.txt is in the repaired archive only when kept
      const test::ToolRun names = test::RunTool({"unzip", "-Z1", dir_ / "broken_VorelFixed.zip"});
      EXPECT_EQ(names.out.find("b.txt") != std::string::npos, c.keepDamaged) << names.out;
    }
  }
}

TEST_F(RepairCommand, ErrorsAndOutputName) {
  test::WriteFileBytes(broken_, made_);
  test::WriteFileBytes(dir_ / "plain", made_);
  struct TCase {
    const char* what;
    std::vector<std::string> args;
    int status;
    std::string written;  // the repaired archive, when one is written
  } cases[] = {
      {"output named", {"repair", broken_, "-o", dir_ / "out.zip"}, 0, dir_ / "out.zip"},
      {"no extension", {"repair", dir_ / "plain"}, 0, dir_ / "plain_VorelFixed.zip"},
      {"missing archive", {"repair", dir_ / "none.zip"}, 2, ""},
      {"output is the input", {"repair", broken_, "-o", broken_}, 2, ""},
      {"no archive", {"repair"}, 7, ""},
      {"two archives", {"repair", broken_, broken_}, 7, ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    const test::TCliRun run = Cli(c.args);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(run.err.empty(), c.status == 0) << run.err;
    if (!c.written.empty()) {
      EXPECT_TRUE(test::RunToolOk({"unzip", "-tq", c.written}));
    }
  }
  EXPECT_EQ(test::ReadFileBytes(broken_), made_);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "none_VorelFixed.zip"));
}

}  // namespace
}  // namespace qel
