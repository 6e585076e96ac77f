// `vorelkit-cli list`: exit codes, the tab-separated lines scripts read, the table, masks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/CliRun.h"
#include "tests/support/PeerTools.h"
#include "tests/support/ZipFixture.h"

namespace qel {
namespace {

using test::Cli;
using test::Split;

class ListCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteFileBytes(zip_, test::MakeZip().bytes);
    test::WriteFileText(text_, "just some text, not an archive\n");
  }
  test::TestFolder folder_;
  std::string zip_ = folder_ / "two.zip";
  std::string text_ = folder_ / "notes.txt";
};

TEST_F(ListCommand, TsvLinesCarryEveryField) {
  test::TCliRun run = Cli({"list", "--tsv", zip_});
  ASSERT_EQ(run.status, 0) << run.err;
  std::vector<std::string> lines = Split(run.out, '\n');
  ASSERT_EQ(lines.size(), 3u);  // two entries and the final empty part
  std::vector<std::string> f = Split(lines[1], '\t');
  ASSERT_EQ(f.size(), 8u) << lines[1];
  EXPECT_EQ(f[0], "dir/b.txt");
  EXPECT_EQ(f[1], "30");
  EXPECT_EQ(f[2], "30");
  EXPECT_EQ(f[3].size(), 8u);
  EXPECT_EQ(f[3].find_first_not_of("0123456789ABCDEF"), std::string::npos);
  EXPECT_EQ(f[4], "Stored");
  EXPECT_EQ(f[5].size(), 19u);  // YYYY-MM-DD HH:MM:SS
  EXPECT_EQ(f[7], "0");
}

TEST_F(ListCommand, TableHasHeaderAndTotals) {
  test::TCliRun run = Cli({zip_, "list"});  // options and names in any order...
  EXPECT_EQ(run.status, 7);                 // ...but the command word comes first
  run = Cli({"list", zip_});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.rfind("Name", 0), 0u);
  EXPECT_NE(run.out.find("2 entries, 42 bytes, 42 packed, ratio 0%"), std::string::npos) << run.out;
}

TEST_F(ListCommand, MasksSelectEntries) {
  test::TCliRun run = Cli({"list", "--tsv", zip_, "dir/*.txt"});
  ASSERT_EQ(run.status, 0);
  EXPECT_EQ(run.out.rfind("dir/b.txt\t", 0), 0u);
  EXPECT_EQ(Split(run.out, '\n').size(), 2u);
}

TEST_F(ListCommand, ExitCodes) {
  EXPECT_EQ(Cli({"list"}).status, 7);
  EXPECT_EQ(Cli({"list", "--bogus", zip_}).status, 7);
  EXPECT_EQ(Cli({"list", "-p"}).status, 7);  // -p needs its value
  EXPECT_EQ(Cli({"list", "--help"}).status, 0);
  test::TCliRun run = Cli({"list", text_});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("not an archive"), std::string::npos);
  EXPECT_EQ(Cli({"list", folder_ / "missing.zip"}).status, 2);
}

}  // namespace
}  // namespace qel
