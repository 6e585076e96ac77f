// `vorelkit-cli add` and `delete`, run as a program in a scratch folder (names are stored
// relative to the current folder): stored names, exclusions, exit codes, and a write
// failure that must leave the archive alone.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "tests/support/CliFolder.h"
#include "tests/support/PeerTools.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;

class AddCommand : public CliFolderTest {
 protected:
  void SetUp() override {
    fs::create_directories(dir_ / "tree/sub");
    WriteFileText(dir_ / "tree/a.txt", "a\n");
    WriteFileText(dir_ / "tree/b.log", "b\n");
    WriteFileText(dir_ / "tree/sub/c.txt", "c\n");
    WriteFileText(dir_ / "tree/sub/d.tmp", "d\n");
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

// Files outside the current folder keep their path after the ".." that leads out of it,
// whatever the other names given: never cut at a character count, never absolute.
TEST_F(AddCommand, NamesOutsideTheCurrentFolderKeepWholeComponents) {
  VK_REQUIRE_TOOL("unzip");
  using V = std::vector<std::string>;
  test::MakeTree(dir_.Path(), {{"w/", ""},
                               {"q/a.txt", "q/a.txt"},
                               {"r/o2/o4.txt", "r/o2/o4.txt"},
                               {"rr/sub/x.txt", "rr/sub/x.txt"}});
  struct Case {
    V args;
    V names;
  } cases[] = {
      {{"../q/a.txt", "../r/o2/o4.txt", "../rr/sub/x.txt"},
       {"q/a.txt", "r/o2/o4.txt", "rr/sub/x.txt"}},
      {{"-r", dir_ / "r", "./../q/"}, {"q/a.txt", "r/o2/o4.txt"}},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string zip = "../" + std::to_string(++n) + ".zip";
    V args = {VK_CLI_PATH, "add", zip};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ToolRun run = RunTool(args, dir_ / "w");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Names(zip.substr(3)), c.names) << zip;
  }
}

// A move removes the folders it emptied, a folder named whole among them, but never the
// current folder nor a folder named as the place of a mask.
TEST_F(AddCommand, MoveKeepsTheCurrentFolderAndTheMasksFolder) {
  VK_REQUIRE_TOOL("unzip");
  test::MakeTree(dir_.Path(), {{"w/a.log", "w/a.log"}, {"m/x.log", "m/x.log"}});
  const ToolRun inside = RunTool({VK_CLI_PATH, "add", "--move", "../w.zip", "*.log"}, dir_ / "w");
  EXPECT_EQ(inside.status, 0) << inside.err;
  EXPECT_EQ(Names("w.zip"), std::vector<std::string>{"a.log"});
  EXPECT_TRUE(fs::is_directory(dir_ / "w"));

  ASSERT_EQ(Run({"add", "--move", "m.zip", "m/*.log"}).status, 0);
  EXPECT_FALSE(fs::exists(dir_ / "m/x.log"));
  EXPECT_TRUE(fs::is_directory(dir_ / "m"));

  ASSERT_EQ(Run({"add", "--move", "-r", "t.zip", "tree"}).status, 0);
  EXPECT_FALSE(fs::exists(dir_ / "tree"));
}

// A file whose content does not have the size it had when opened (a log being written;
// the kernel's own files say 0) is reported and left out; the others are committed.
TEST_F(AddCommand, FileChangingWhileReadIsLeftOut) {
  VK_REQUIRE_TOOL("unzip");
  const ToolRun run = Run({"add", "a.zip", "tree/a.txt", "/proc/version"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("/proc/version"), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "1 file stored\n");
  EXPECT_EQ(Names("a.zip"), std::vector<std::string>{"tree/a.txt"});
}

// A read-only archive that is not to be written (no terminal to ask) ends fatally, and
// nothing claims files were stored.
TEST_F(AddCommand, ReadOnlyArchiveNotWritten) {
  ASSERT_EQ(Run({"add", "a.zip", "tree/a.txt"}).status, 0);
  fs::permissions(dir_ / "a.zip", fs::perms::owner_read);
  const Bytes before = ReadFileBytes(dir_ / "a.zip");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"add", "a.zip", "tree/b.log"}, {"delete", "a.zip", "*.txt"}}) {
    const ToolRun run = Run(args);
    EXPECT_EQ(run.status, 2) << args[0];
    EXPECT_NE(run.err.find("read-only"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "") << args[0];
    EXPECT_TRUE(ReadFileBytes(dir_ / "a.zip") == before) << args[0];
  }
}

// What is left out without being asked for is said, one line per kind (-v lists it); a
// name holding "\" is stored with a warning.
TEST_F(AddCommand, SaysWhatItLeftOut) {
  VK_REQUIRE_TOOL("unzip");
  fs::create_directories(dir_ / "tree/.git");
  WriteFileText(dir_ / "tree/.git/config", "x\n");
  WriteFileText(dir_ / "tree/back\\slash.txt", "x\n");
  fs::create_symlink("a.txt", dir_ / "tree/l1");
  fs::create_directory_symlink("sub", dir_ / "tree/l2");
  ASSERT_EQ(::mkfifo((dir_ / "tree/fifo").c_str(), 0600), 0);
  struct Case {
    std::vector<std::string> args;
    int status;
    std::vector<std::string> lines;
  } cases[] = {
      {{"-r", "tree"},
       0,
       {"left out 2 symbolic links (-v", "left out 1 hidden folder", "left out 1 special file",
        "stored 1 name holding \"\\\""}},
      {{"-v", "nomatch*", "tree/a.txt", "missing.txt"},
       1,
       {"2 names matched no file", "nomatch*\n", "missing.txt\n"}},
  };
  int n = 0;
  for (const Case& c : cases) {
    std::vector<std::string> args = {"add", std::to_string(++n) + ".zip"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ToolRun run = Run(args);
    EXPECT_EQ(run.status, c.status) << run.err;
    for (const std::string& line : c.lines)
      EXPECT_NE(run.err.find(line), std::string::npos) << line << " in:\n" << run.err;
  }
  const std::vector<std::string> names = Names("1.zip");
  EXPECT_NE(std::find(names.begin(), names.end(), "tree/back\\slash.txt"), names.end());
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
      // A name says the type written; one of a type not written is not given to a ZIP
      // unless asked for.
      {{"add", "w.lzh", "tree"}, 0},
      {{"add", "w.tar.gz", "tree"}, 0},
      {{"add", "w.arj", "tree"}, 7},
      {{"add", "w.bh", "tree"}, 0},
      // A cabinet is made whole, never added to.
      {{"add", "w.cab", "tree"}, 0},
      {{"add", "w.cab", "tree"}, 7},
      {{"add", "z.lzh", "--type", "7z", "tree"}, 7},
      {{"add", "z.lzh", "--type", "zip", "tree"}, 0},
      {{"add", "w.jar", "tree"}, 0},
      {{"add", "w.jar", "--method", "lh6", "tree"}, 7},
      {{"add", "w.lzh", "-p", "secret", "tree"}, 7},
  };
  for (const Case& c : cases) {
    const ToolRun run = Run(c.args);
    EXPECT_EQ(run.status, c.status) << c.args[0] << " " << c.args.back() << ": " << run.err;
  }
  EXPECT_NE(Run({"add", "x.7z", "tree"}).err.find("type 7Z"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir_ / "x.7z"));
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
