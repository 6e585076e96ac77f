// `vorelkit-cli extract` and `test`: what lands where, the overwrite choices, the per-entry
// lines and the exit codes.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/base/Bytes.h"

#include "tests/support/CliRun.h"
#include "tests/support/PeerTools.h"
#include "tests/support/ZipFixture.h"

namespace qel {
namespace {

namespace fs = std::filesystem;
using test::Cli;

class ExtractCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteFileBytes(zip_, test::MakeZip().bytes);
    fs::create_directories(out_);
  }
  std::string Read(const std::string& path) {
    test::Bytes b = test::ReadFileBytes(path);
    return std::string(b.begin(), b.end());
  }

  test::TestFolder folder_;
  std::string zip_ = folder_ / "two.zip";
  std::string out_ = folder_ / "out";
};

TEST_F(ExtractCommand, ExtractsWithAndWithoutFolders) {
  test::TCliRun run = Cli({"extract", zip_, "-o", out_});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Read(out_ + "/a.txt"), "hello world\n");
  EXPECT_EQ(Read(out_ + "/dir/b.txt"), "second entry, a little longer\n");

  const std::string flat = folder_ / "flat";
  ASSERT_EQ(Cli({"extract", "--flat", "-o", flat, zip_, "dir/*"}).status, 0);
  EXPECT_TRUE(fs::exists(flat + "/b.txt"));
  EXPECT_FALSE(fs::exists(flat + "/a.txt"));
}

TEST_F(ExtractCommand, OverwriteChoices) {
  test::WriteFileText(out_ + "/a.txt", "mine");
  ASSERT_EQ(Cli({"extract", zip_, "-o", out_, "--overwrite=never", "a.txt"}).status, 0);
  EXPECT_EQ(Read(out_ + "/a.txt"), "mine");
  ASSERT_EQ(Cli({"extract", zip_, "-o", out_, "--overwrite=rename", "a.txt"}).status, 0);
  EXPECT_EQ(Read(out_ + "/a.txt"), "mine");
  EXPECT_EQ(Read(out_ + "/a (1).txt"), "hello world\n");
  ASSERT_EQ(Cli({"extract", zip_, "-o", out_, "--overwrite=always", "a.txt"}).status, 0);
  EXPECT_EQ(Read(out_ + "/a.txt"), "hello world\n");
  EXPECT_EQ(Cli({"extract", zip_, "--overwrite=sometimes"}).status, 7);
}

TEST_F(ExtractCommand, TestPrintsAVerdictPerEntry) {
  test::TCliRun run = Cli({"test", zip_});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("OK      a.txt\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("2 entries tested, 0 failed"), std::string::npos) << run.out;
  EXPECT_TRUE(fs::is_empty(out_));  // nothing written anywhere

  // A damaged byte in the first entry's data fails that entry only.
  test::Bytes bytes = test::MakeZip().bytes;
  bytes[30 + 5] ^= 0xFF;  // inside "hello world"
  test::WriteFileBytes(zip_, bytes);
  run = Cli({"test", zip_});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("FAILED  a.txt"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("OK      dir/b.txt"), std::string::npos) << run.out;
}

// The target folder in any spelling, relative to the current folder; one that cannot be
// made is refused rather than swapped for the current folder.
TEST_F(ExtractCommand, TargetFolderInAnySpelling) {
  fs::create_directories(folder_ / "sub");
  struct TCase {
    const char* target;
    int status;
    const char* landed;  // where a.txt lands, relative to the test folder
  } cases[] = {
      {".", 0, "a.txt"},         {"./", 0, "a.txt"},
      {"sub/..", 0, "a.txt"},    {"new/deeper/", 0, "new/deeper/a.txt"},
      {"two.zip/x", 2, nullptr},  // below a file
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.target);
    const test::ToolRun run =
        test::RunTool({VK_CLI_PATH, "extract", "two.zip", "-o", c.target}, folder_.Path());
    EXPECT_EQ(run.status, c.status) << run.err;
    if (c.landed) {
      EXPECT_EQ(Read(folder_ / c.landed), "hello world\n");
      fs::remove(folder_ / c.landed);
    }
    fs::remove_all(folder_ / "dir");
    EXPECT_FALSE(fs::exists(folder_ / "a.txt"));
  }
}

// An entry that fails leaves the file it was to replace as it was, and no partial output.
TEST_F(ExtractCommand, AFailedEntryLeavesWhatWasThere) {
  test::Bytes bytes = test::MakeZip().bytes;
  bytes[30 + 5] ^= 0xFF;  // inside "hello world"
  test::WriteFileBytes(zip_, bytes);
  for (const bool existed : {true, false}) {
    SCOPED_TRACE(existed ? "replacing" : "new");
    fs::remove_all(out_);
    fs::create_directories(out_);
    if (existed) test::WriteFileText(out_ + "/a.txt", "mine");
    EXPECT_EQ(Cli({"extract", zip_, "-o", out_, "--overwrite=always"}).status, 1);
    const std::set<std::string> expected = existed
                                               ? std::set<std::string>{"a.txt", "dir", "dir/b.txt"}
                                               : std::set<std::string>{"dir", "dir/b.txt"};
    EXPECT_EQ(test::PathsBelow(out_), expected);
    if (existed) {
      EXPECT_EQ(Read(out_ + "/a.txt"), "mine");
    }
  }
}

// A size in a local header that runs past the end of the file: the directory's holds, and
// when that one runs past the end too the entry fails alone.
TEST_F(ExtractCommand, SizesPastTheEndOfTheFile) {
  struct TCase {
    const char* what;
    bool central;  // the directory's size is bogus as well
    int status;
  } cases[] = {{"local size only", false, 0}, {"both sizes", true, 1}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    test::TZipFixture zip = test::MakeZip();
    PutU32(&zip.bytes[18], 0x7FFFFFF0);  // a.txt's local compressed size
    if (c.central) PutU32(&zip.bytes[zip.central + 20], 0x7FFFFFF0);
    test::WriteFileBytes(zip_, zip.bytes);
    fs::remove_all(out_);
    const test::TCliRun run = Cli({"extract", zip_, "-o", out_});
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(run.err.find("Invalid file name"), std::string::npos) << run.err;
    EXPECT_EQ(fs::exists(out_ + "/a.txt"), !c.central);
    EXPECT_EQ(Read(out_ + "/dir/b.txt"), "second entry, a little longer\n");
  }
}

// Folders made on Unix get their permissions back, and their times, once their files are in.
TEST_F(ExtractCommand, FolderPermissionsAndTimesFromUnix) {
  VK_REQUIRE_TOOL("zip");
  const fs::perms modes[] = {fs::perms(0700), fs::perms(0750)};
  fs::create_directories(folder_ / "in/d/e");
  test::WriteFileText(folder_ / "in/d/e/f.txt", "f\n");
  const auto when = fs::file_time_type::clock::now() - std::chrono::hours(240);
  fs::permissions(folder_ / "in/d", modes[0]);
  fs::permissions(folder_ / "in/d/e", modes[1]);
  fs::last_write_time(folder_ / "in/d/e", when);
  fs::last_write_time(folder_ / "in/d", when);
  ASSERT_TRUE(test::RunToolOk({"zip", "-q", "-r", "../d.zip", "d"}, folder_ / "in"));
  ASSERT_EQ(Cli({"extract", folder_ / "d.zip", "-o", out_}).status, 0);
  EXPECT_EQ(Read(out_ + "/d/e/f.txt"), "f\n");
  for (const auto& [folder, mode] : {std::pair{"/d", modes[0]}, std::pair{"/d/e", modes[1]}}) {
    SCOPED_TRACE(folder);
    EXPECT_EQ(fs::status(out_ + folder).permissions(), mode);
    EXPECT_LE(std::chrono::abs(fs::last_write_time(out_ + folder) - when), std::chrono::seconds(2));
  }
}

// Without a terminal to ask on, a missing volume of a split set is named and ends the run.
TEST_F(ExtractCommand, MissingVolumeIsNamed) {
  VK_REQUIRE_TOOL("zip");
  test::Bytes noise(200000);
  std::mt19937 gen(5);
  for (uint8_t& b : noise) b = uint8_t(gen());
  test::WriteFileBytes(folder_ / "noise.bin", noise);
  ASSERT_TRUE(test::RunToolOk({"zip", "-q", "-s", "64k", "set.zip", "noise.bin"}, folder_.Path()));
  ASSERT_TRUE(fs::remove(folder_ / "set.z02"));
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{VK_CLI_PATH, "test", "set.zip"},
        std::vector<std::string>{VK_CLI_PATH, "extract", "set.zip", "-o", "out"}}) {
    SCOPED_TRACE(args[1]);
    const test::ToolRun run = test::RunTool(args, folder_.Path());
    EXPECT_EQ(run.status, 2) << run.err;
    const size_t named = run.err.find("set.z02: File not found");
    EXPECT_NE(named, std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("set.z02", named + 1), std::string::npos) << run.err;  // once
  }
}

// A password question left unanswered skips the entry, and says so.
TEST_F(ExtractCommand, NoPasswordSkipsTheEntry) {
  VK_REQUIRE_TOOL("zip");
  test::WriteFileText(folder_ / "a.txt", "secret text\n");
  ASSERT_TRUE(test::RunToolOk({"zip", "-q", "-P", "pw", "enc.zip", "a.txt"}, folder_.Path()));
  const test::ToolRun run = test::RunTool({VK_CLI_PATH, "test", "enc.zip"}, folder_.Path());
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("FAILED  a.txt: Skipped File\n"), std::string::npos) << run.out;
  EXPECT_EQ(run.err.find("CRC"), std::string::npos) << run.err;
}

// Masks that select nothing are named (extract exits 1; for test it is no damage); one that
// selects something, even an entry kept from overwriting, says nothing.
TEST_F(ExtractCommand, MasksThatMatchNothingAreNamed) {
  test::WriteFileText(out_ + "/a.txt", "mine");
  const std::pair<std::vector<std::string>, int> commands[] = {
      {{"extract", zip_, "-o", out_, "--overwrite=never"}, 1}, {{"test", zip_}, 0}};
  for (const auto& [command, status] : commands) {
    std::vector<std::string> args = command;
    args.insert(args.end(), {"*.none", "neither"});
    test::TCliRun run = Cli(args);
    EXPECT_EQ(run.status, status) << command[0];
    EXPECT_NE(run.err.find("no entry matches '*.none' 'neither'"), std::string::npos) << run.err;
    args = command;
    args.insert(args.end(), {"a.txt", "*.none"});
    run = Cli(args);
    EXPECT_EQ(run.status, 0) << command[0] << run.err;
    EXPECT_EQ(run.err.find("no entry matches"), std::string::npos) << run.err;
  }
}

TEST_F(ExtractCommand, ExitCodes) {
  EXPECT_EQ(Cli({"extract"}).status, 7);
  EXPECT_EQ(Cli({"test"}).status, 7);
  EXPECT_EQ(Cli({"extract", folder_ / "missing.zip"}).status, 2);
  test::WriteFileText(folder_ / "notes.txt", "not an archive at all\n");
  EXPECT_EQ(Cli({"test", folder_ / "notes.txt"}).status, 2);
}

}  // namespace
}  // namespace qel
