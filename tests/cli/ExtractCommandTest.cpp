// `vorelkit-cli extract` and `test`: what lands where, the overwrite choices, the per-entry
// lines and the exit codes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

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

TEST_F(ExtractCommand, ExitCodes) {
  EXPECT_EQ(Cli({"extract"}).status, 7);
  EXPECT_EQ(Cli({"test"}).status, 7);
  EXPECT_EQ(Cli({"extract", folder_ / "missing.zip"}).status, 2);
  test::WriteFileText(folder_ / "notes.txt", "not an archive at all\n");
  EXPECT_EQ(Cli({"test", folder_ / "notes.txt"}).status, 2);
}

}  // namespace
}  // namespace qel
