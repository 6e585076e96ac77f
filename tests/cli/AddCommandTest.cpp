// `vorelkit-cli add` and `delete`, run as a program in a scratch folder (names are stored
// relative to the current folder): stored names, exclusions, exit codes, and a write
// failure that must leave the archive alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "tests/support/PeerTools.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;

class AddCommand : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_ / "tree/sub");
    WriteFileText(dir_ / "tree/a.txt", "a\n");
    WriteFileText(dir_ / "tree/b.log", "b\n");
    WriteFileText(dir_ / "tree/sub/c.txt", "c\n");
    WriteFileText(dir_ / "tree/sub/d.tmp", "d\n");
  }
  ToolRun Run(std::vector<std::string> args) {
    args.insert(args.begin(), VK_CLI_PATH);
    return RunTool(args, dir_.Path());
  }
  // The stored names, sorted.
  std::vector<std::string> Names(const std::string& archive) {
    const ToolRun run = RunTool({"unzip", "-Z1", dir_ / archive});
    EXPECT_TRUE(run.Ok()) << run.err;
    std::vector<std::string> names;
    for (size_t at = 0, end; (end = run.out.find('\n', at)) != std::string::npos; at = end + 1)
      names.push_back(run.out.substr(at, end - at));
    std::sort(names.begin(), names.end());
    return names;
  }

  TestFolder dir_;
};

TEST_F(AddCommand, StoredNamesFollowThePathsChoice) {
  VK_REQUIRE_TOOL("unzip");
  using V = std::vector<std::string>;
  const std::string abs = fs::path(dir_.Path()).relative_path().string() + "/tree/";
  struct Case {
    const char* paths;
    V names;
  } cases[] = {
      {"relative", {"tree/a.txt", "tree/b.log", "tree/sub/c.txt", "tree/sub/d.tmp"}},
      {"none", {"a.txt", "b.log", "c.txt", "d.tmp"}},
      {"absolute", {abs + "a.txt", abs + "b.log", abs + "sub/c.txt", abs + "sub/d.tmp"}},
  };
  for (const Case& c : cases) {
    const std::string zip = std::string(c.paths) + ".zip";
    const ToolRun run = Run({"add", zip, "-r", "--paths", c.paths, "tree"});
    EXPECT_EQ(run.status, 0) << c.paths << run.err;
    EXPECT_EQ(Names(zip), c.names) << c.paths;
  }
  // Every -x counts.
  ASSERT_EQ(Run({"add", "x.zip", "-r", "-x", "*.log", "-x", "*.tmp", "tree"}).status, 0);
  EXPECT_EQ(Names("x.zip"), (V{"tree/a.txt", "tree/sub/c.txt"}));
}

TEST_F(AddCommand, ExitCodes) {
  struct Case {
    std::vector<std::string> args;
    int status;
  } cases[] = {
      {{"add", "a.zip"}, 7},
      {{"add", "a.zip", "--level", "best", "tree"}, 7},
      {{"add", "a.zip", "--update", "--move", "tree"}, 7},
      {{"add", "a.zip", "tree"}, 0},
      {{"add", "a.zip", "tree"}, 1},  // the same files again: nothing to do
      {{"add", "a.zip", "--freshen", "tree"}, 1},
      {{"delete", "a.zip", "nothing*"}, 1},
      {{"delete", "a.zip"}, 7},
      {{"delete", "a.zip", "a.txt"}, 0},
      {{"delete", "missing.zip", "a.txt"}, 1},
  };
  for (const Case& c : cases) {
    const ToolRun run = Run(c.args);
    EXPECT_EQ(run.status, c.status) << c.args[0] << " " << c.args.back() << ": " << run.err;
  }
}

TEST_F(AddCommand, WriteFailureLeavesArchiveAndNoTemporary) {
  ASSERT_EQ(Run({"add", "a.zip", "tree"}).status, 0);
  const Bytes before = ReadFileBytes(dir_ / "a.zip");
  Bytes random(1 << 20);
  std::mt19937 gen(5);
  for (uint8_t& b : random) b = uint8_t(gen());
  WriteFileBytes(dir_ / "tree/big.bin", random);
  fs::create_directories(dir_ / "tmp");
  // 100 blocks of 512 bytes: the temporary archive cannot grow past 50 KiB. SIGXFSZ is
  // ignored so the write fails instead of ending the program.
  const ToolRun run = RunTool({"sh", "-c",
                               "trap '' XFSZ; ulimit -f 100; TMPDIR=\"$PWD/tmp\" exec \"$0\" "
                               "add a.zip tree",
                               VK_CLI_PATH},
                              dir_.Path());
  EXPECT_NE(run.status, 0) << run.out;
  EXPECT_NE(run.err, "");
  EXPECT_TRUE(ReadFileBytes(dir_ / "a.zip") == before);
  for (const auto& f : fs::recursive_directory_iterator(dir_ / "tmp"))
    EXPECT_FALSE(f.is_regular_file()) << f.path();
}

}  // namespace
}  // namespace qel::test
