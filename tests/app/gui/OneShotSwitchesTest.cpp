// The shell integration's switches run as a real start of the window program without a
// display: each job runs to its end without a window and exits with its status. The program
// runs from a scratch folder of its own, so its Settings.ini is the test's.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tests/support/PeerTools.h"

namespace {

namespace fs = std::filesystem;
using qel::test::RunTool;
using qel::test::TestFolder;
using qel::test::ToolRun;
using qel::test::WriteFileText;

class OneShotSwitchesTest : public ::testing::Test {
 protected:
  OneShotSwitchesTest() {
    const fs::path built = VK_GUI_PATH;
    fs::create_directories(folder_ / "prog");
    fs::create_directories(folder_ / "tmp");
    std::error_code ec;
    fs::create_hard_link(built, Program(), ec);
    if (ec) fs::copy_file(built, Program());
    fs::copy(built.parent_path() / "Languages", folder_ / "prog/Languages",
             fs::copy_options::recursive);
    File("data/a.txt", "alpha");
    File("data/b.txt", "beta");
    File("data/dir/c.txt", "gamma");
    fs::create_directories(folder_ / "data/dir/empty");
  }
  void SetUp() override {
    for (const char* tool : {"zip", "unzip", "zipinfo"}) VK_REQUIRE_TOOL(tool);
  }

  std::string Program() const { return folder_ / "prog/vorelkit"; }
  std::string Path(const std::string& name) const { return folder_ / name; }
  void File(const std::string& name, const std::string& text) { WriteFileText(Path(name), text); }
  // Without a display: by default no platform named either, as in a terminal without one.
  ToolRun Run(const std::vector<std::string>& args, const std::string& platform = {}) {
    std::vector<std::string> argv = {"env",     "-u", "QT_QPA_PLATFORM", "-u",
                                     "DISPLAY", "-u", "WAYLAND_DISPLAY", "TMPDIR=" + Path("tmp")};
    if (!platform.empty()) argv.push_back("QT_QPA_PLATFORM=" + platform);
    argv.push_back(Program());
    argv.insert(argv.end(), args.begin(), args.end());
    return RunTool(argv, folder_.Path(), std::chrono::seconds(60));
  }
  std::set<std::string> Entries(const std::string& zip) {
    const ToolRun run = RunTool({"zipinfo", "-1", Path(zip)});
    EXPECT_TRUE(run.Ok()) << run.err;
    std::set<std::string> names;
    std::string line;
    for (char c : run.out)
      if (c == '\n')
        names.insert(std::exchange(line, {}));
      else
        line += c;
    return names;
  }

  TestFolder folder_;
};

TEST_F(OneShotSwitchesTest, AddSwitchesMakeTheDefaultArchive) {
  // The shell integration joins the paths with "|" and writes spaces as ">".
  File("data/with space.txt", "s");
  ToolRun run = Run({"/ad", Path("data/a.txt") + "|" + Path("data/with>space.txt")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Entries("data/data.zip"), (std::set<std::string>{"a.txt", "with space.txt"}));
  EXPECT_TRUE(RunTool({"unzip", "-tq", Path("data/data.zip")}).Ok());

  // The hand-over list, with a folder as the shell names it; a missing one is an error.
  EXPECT_NE(Run({"/adf"}).status, 0);
  WriteFileText(Path("tmp/atfl$01.tmp"),
                Path("data/b.txt") + "\r\n" + Path("data/dir") + "/*.*\r\n");
  fs::remove(Path("data/data.zip"));
  run = Run({"/adf"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Entries("data/data.zip"), (std::set<std::string>{"b.txt", "dir/c.txt", "dir/empty/"}));
  // The list is used once: a later start without a new one is told, not given the old one.
  EXPECT_FALSE(fs::exists(Path("tmp/atfl$01.tmp")));
  EXPECT_NE(Run({"/adf"}).status, 0);
}

TEST_F(OneShotSwitchesTest, ExtractAndTestSwitches) {
  ASSERT_TRUE(RunTool({"zip", "-qr", "x.zip", "a.txt", "dir"}, Path("data")).Ok());
  ASSERT_TRUE(RunTool({"zip", "-q", "y.zip", "b.txt"}, Path("data")).Ok());
  ToolRun run = Run({"/eh", Path("here"), Path("data/x.zip")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(qel::test::PathsBelow(Path("here")),
            (std::set<std::string>{"a.txt", "dir", "dir/c.txt", "dir/empty"}));

  run = Run({"/ef", Path("own"), Path("data/x.zip") + ";" + Path("data/y.zip")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(qel::test::PathsBelow(Path("own")),
            (std::set<std::string>{"x", "x/a.txt", "x/dir", "x/dir/c.txt", "x/dir/empty", "y",
                                   "y/b.txt"}));
  EXPECT_EQ(qel::test::ReadFileBytes(Path("own/x/dir/c.txt")).size(), 5u);

  run = Run({"/t", Path("data/x.zip")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("Tested 2 files. -> 2 OK : 0 Failed"), std::string::npos) << run.out;
  run = Run({"/t", Path("data/a.txt")});
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.err.find("not an archive of a supported type"), std::string::npos) << run.err;

  // An archive of another kind among them: said, and the job fails.
  run = Run({"/eh", Path("more"), Path("data/a.txt")});
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.err.find("cannot be extracted"), std::string::npos) << run.err;
}

TEST_F(OneShotSwitchesTest, DoubleClickExtractionFollowsTheSettings) {
  ASSERT_TRUE(RunTool({"zip", "-q", "one.zip", "a.txt"}, Path("data")).Ok());
  ASSERT_TRUE(RunTool({"zip", "-q", "two.zip", "a.txt", "b.txt"}, Path("data")).Ok());
  WriteFileText(Path("prog/Settings.ini"), "[Main]\nDCExtract=1\nDCExtractFolderType=1\n");
  fs::remove(Path("data/a.txt"));
  // A double click comes from a desktop; the test's desktop is offscreen.
  ToolRun run = Run({Path("data/one.zip")}, "offscreen");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::is_regular_file(Path("data/a.txt")));
  run = Run({Path("data/two.zip")}, "offscreen");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::is_regular_file(Path("data/two/b.txt")));
}

// On a terminal without a display, the password is asked there, as vorelkit-cli asks it.
TEST_F(OneShotSwitchesTest, ExtractionOnATerminalAsksThePasswordThere) {
  VK_REQUIRE_TOOL("script");
  ASSERT_TRUE(RunTool({"zip", "-q", "-P", "pw", "e.zip", "a.txt"}, Path("data")).Ok());
  // script gives the program a terminal and types what it reads into it.
  const ToolRun run = RunTool({"env", "-u", "QT_QPA_PLATFORM", "-u", "DISPLAY", "-u",
                               "WAYLAND_DISPLAY", "TMPDIR=" + Path("tmp"), "sh", "-c",
                               "printf 'pw\\n' | script -qec \"$0 /eh $1 $2\" /dev/null", Program(),
                               Path("here"), Path("data/e.zip")},
                              folder_.Path(), std::chrono::seconds(60));
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("Password for a.txt"), std::string::npos) << run.out;
  EXPECT_EQ(qel::test::ReadFileBytes(Path("here/a.txt")).size(), 5u);
}

// The window itself needs a display: without one, one line says so, and no core dump.
TEST_F(OneShotSwitchesTest, TheWindowWithoutADisplayEndsWithOneLine) {
  const ToolRun run = Run({});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err.rfind("vorelkit: ", 0), 0u) << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
}

TEST_F(OneShotSwitchesTest, DialogSwitchesAreRefusedWithoutADisplay) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"/a", Path("data/a.txt")},
        std::vector<std::string>{"/e", Path("out"), Path("data/x.zip")}}) {
    const ToolRun run = Run(args);
    EXPECT_NE(run.status, 0) << args[0];
    EXPECT_NE(run.err.find("vorelkit: "), std::string::npos) << run.err;
  }
  EXPECT_FALSE(fs::exists(Path("data/a.zip")));
}

}  // namespace
