// `vorelkit-cli list`: exit codes, the tab-separated lines scripts read, the table, masks.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/base/Bytes.h"
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
  ASSERT_EQ(f.size(), 9u) << lines[1];
  EXPECT_EQ(f[0], "dir/b.txt");
  EXPECT_EQ(f[1], "30");
  EXPECT_EQ(f[2], "30");
  EXPECT_EQ(f[3].size(), 8u);
  EXPECT_EQ(f[3].find_first_not_of("0123456789ABCDEF"), std::string::npos);
  EXPECT_EQ(f[4], "Stored");
  EXPECT_EQ(f[5].size(), 19u);  // YYYY-MM-DD HH:MM:SS
  EXPECT_EQ(f[7], "0");
  EXPECT_FALSE(f[8].empty());  // the system the entry was made on
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

// Nothing to list is no damage: a mask that matches nothing, and archives without entries
// (the end record alone, as zip and Python leave one once everything is deleted), which
// take new entries too.
TEST_F(ListCommand, NothingToListIsNoDamage) {
  test::Bytes empty(22, 0);
  PutU32(empty.data(), 0x06054B50);
  test::Bytes commented = empty;
  commented[20] = 4;
  commented.insert(commented.end(), {'n', 'o', 't', 'e'});
  struct TCase {
    const char* what;
    test::Bytes bytes;
    std::vector<std::string> masks;
  } cases[] = {{"no match", test::MakeZip().bytes, {"nomatch*"}},
               {"empty", empty, {}},
               {"empty with a comment", commented, {}}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    test::WriteFileBytes(zip_, c.bytes);
    std::vector<std::string> args = {"list", zip_};
    args.insert(args.end(), c.masks.begin(), c.masks.end());
    test::TCliRun run = Cli(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\n0 entries, 0 bytes"), std::string::npos) << run.out;
    args[0] = "test";
    run = Cli(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "0 entries tested, 0 failed\n");
  }
  ASSERT_EQ(test::RunTool({VK_CLI_PATH, "add", zip_, "notes.txt"}, folder_.Path()).status, 0);
  const test::TCliRun run = Cli({"list", "--tsv", zip_});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.rfind("notes.txt\t", 0), 0u) << run.out;
}

// Control bytes in a name never reach a script's line as they are.
TEST_F(ListCommand, TsvEscapesControlBytes) {
  test::TZipFixture zip = test::MakeZip();
  for (size_t header : {size_t(0), zip.central}) {
    const size_t name = header + (header == 0 ? 30 : 46);
    zip.bytes[header + (header == 0 ? 7 : 9)] |= 0x08;  // UTF-8 names: taken byte for byte
    zip.bytes[name + 1] = 0x00;
    zip.bytes[name + 2] = 0x1B;
    zip.bytes[name + 3] = 0x7F;
  }
  test::WriteFileBytes(zip_, zip.bytes);
  test::TCliRun run = Cli({"list", "--tsv", zip_});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.rfind("a\\x00\\x1B\\x7Ft\t", 0), 0u) << run.out;
}

// A Zip64 end record with extensible data is found; sizes no file can have are damage.
TEST_F(ListCommand, Zip64EndRecords) {
  test::TZipFixture zip = test::MakeZip();
  test::AddZip64Records(zip, 1);
  const size_t end64 = zip.end - 76;
  PutU64(&zip.bytes[end64 + 4], 56 - 12 + 8);
  zip.bytes.insert(zip.bytes.begin() + std::ptrdiff_t(end64 + 56), 8, 0xAB);
  uint8_t* end = &zip.bytes[zip.bytes.size() - 22];
  std::fill_n(end + 8, 12, 0xFF);  // the counts, size and offset left to the Zip64 record
  test::WriteFileBytes(zip_, zip.bytes);
  test::TCliRun run = Cli({"list", "--tsv", zip_});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Split(run.out, '\n').size(), 3u) << run.out;

  // a.txt's sizes moved to a Zip64 field, the uncompressed one beyond 2^63.
  zip = test::MakeZip();
  const uint8_t field[20] = {1, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 12};
  zip.bytes.insert(zip.bytes.begin() + std::ptrdiff_t(zip.central + 46 + 5), field, field + 20);
  PutU32(&zip.bytes[zip.central + 20], 0xFFFFFFFF);
  PutU32(&zip.bytes[zip.central + 24], 0xFFFFFFFF);
  zip.bytes[zip.central + 30] = 20;
  PutU32(&zip.bytes[zip.bytes.size() - 10], GetU32(&zip.bytes[zip.bytes.size() - 10]) + 20);
  test::WriteFileBytes(zip_, zip.bytes);
  run = Cli({"list", "--tsv", zip_});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("a.txt: Bad file header"), std::string::npos) << run.err;
  EXPECT_EQ(run.out.rfind("dir/b.txt\t", 0), 0u) << run.out;
  EXPECT_EQ(Split(run.out, '\n').size(), 2u) << run.out;
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
