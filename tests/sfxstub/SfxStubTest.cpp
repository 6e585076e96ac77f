// The self-extractor stub as it is used: the built stub, a settings block, and a ZIP whose
// offsets Info-ZIP's "zip -A" moved behind them, run as a program.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "sfxstub/SfxRun.h"
#include "tests/support/CliRun.h"
#include "tests/support/PeerTools.h"
#include "tests/support/ZipImage.h"

namespace vk::sfx {
namespace {

namespace fs = std::filesystem;
using qel::kMessageOkCancel;
using qel::kMessageYesNo;
using qel::TSFXOption;
using qel::TSFXOverwriteMode;
using qel::TSfxSettings;
using qel::test::Bytes;
using qel::test::ReadFileText;
using qel::test::RunTool;
using qel::test::RunToolOk;
using qel::test::ToolRun;
using qel::test::Tree;

// The stub the build put beside the command-line program.
std::string Stub() { return (fs::path(VK_CLI_PATH).parent_path() / "SFXS/VorelZip.dat").string(); }

const Tree kTree = {{"a.txt", "alpha\n"}};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines = qel::test::Split(text, '\n');
  std::erase(lines, "");
  return lines;
}

class SfxStub : public testing::Test {
 protected:
  // A ZIP of `tree`, made in "src" by `zip` (the archive is "in.zip").
  std::string ZipOf(const Tree& tree, std::vector<std::string> zip = {"zip", "-q", "-r"}) {
    qel::test::MakeTree(dir_ / "src", tree);
    zip.insert(zip.end(), {dir_ / "in.zip", "."});
    EXPECT_TRUE(RunToolOk(zip, dir_ / "src"));
    return dir_ / "in.zip";
  }

  // The stub, the block and `zip`, with the offsets moved as the SFX makers leave them.
  std::string MakeSfx(const std::string& zip, const std::optional<Bytes>& block = {},
                      const std::string& name = "x.sfx") {
    std::vector<std::string> parts = {Stub()};
    if (block) {
      qel::test::WriteFileBytes(dir_ / "block", *block);
      parts.push_back(dir_ / "block");
    }
    parts.push_back(zip);
    const std::string sfx = dir_ / name;
    qel::test::ConcatenateFiles(sfx, parts);
    EXPECT_TRUE(RunToolOk({"zip", "-q", "-A", sfx}));
    fs::permissions(sfx, fs::perms::owner_exec, fs::perm_options::add);
    return sfx;
  }

  // Runs `sfx` in `folder` below the test's folder, with `env` ("NAME=value") added.
  ToolRun Run(const std::string& sfx, const std::string& folder, std::vector<std::string> args,
              const std::vector<std::string>& env = {}) {
    fs::create_directories(dir_ / folder);
    std::vector<std::string> argv = {"env"};
    argv.insert(argv.end(), env.begin(), env.end());
    argv.push_back(sfx);
    argv.insert(argv.end(), args.begin(), args.end());
    return RunTool(argv, dir_ / folder);
  }

  qel::test::TestFolder dir_;
};

// Stored and deflated entries, plain and under either cipher, come back byte for byte with
// their times; a wrong password writes nothing.
TEST_F(SfxStub, ExtractsTheTreeWithItsTimes) {
  VK_REQUIRE_TOOL("zip");
  VK_REQUIRE_TOOL("7z");
  const Tree tree = {{"a.txt", "alpha\n"},
                     {"d/e/b.bin", std::string("\0\x01\xff", 3) + std::string(3000, 'b')},
                     {"empty/", ""}};
  qel::test::MakeTree(dir_ / "src", tree);
  const auto when = fs::last_write_time(dir_ / "src/a.txt") - std::chrono::hours(24 * 400);
  for (const char* file : {"src/a.txt", "src/d/e/b.bin"}) fs::last_write_time(dir_ / file, when);
  const struct {
    const char* cipher;
    std::vector<std::string> zip;
  } cases[] = {
      {"none", {"zip", "-q", "-r"}},
      {"ZipCrypto", {"zip", "-q", "-r", "-P", "secret"}},
      {"AES-256", {"7z", "a", "-bd", "-tzip", "-mem=AES256", "-psecret"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cipher);
    fs::remove(dir_ / "in.zip");
    const std::string sfx = MakeSfx(ZipOf({}, c.zip)), out = std::string("out-") + c.cipher;
    if (c.zip.back() != "-r") {
      const ToolRun wrong = Run(sfx, ".", {"-y", "-d", out, "-p", "wrong"});
      EXPECT_EQ(wrong.status, 1) << wrong.err;
      EXPECT_FALSE(fs::exists(dir_ / (out + "/a.txt")));
    }
    const ToolRun run = Run(sfx, ".", {"-y", "-d", out, "-p", "secret"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(qel::test::ReadTree(dir_ / out), qel::test::ReadTree(dir_ / "src"));
    for (const char* file : {"/a.txt", "/d/e/b.bin"})
      EXPECT_LE(std::chrono::abs(fs::last_write_time(dir_ / (out + file)) - when),
                std::chrono::seconds(2))
          << file;
  }
}

// What detection, the command line and the peers make of the stub with a ZIP behind it,
// before and after an entry is added.
TEST_F(SfxStub, ListedTestedAndUpdatedAsAZipWithItsStub) {
  VK_REQUIRE_TOOL("zip");
  VK_REQUIRE_TOOL("unzip");
  const std::string sfx = MakeSfx(ZipOf({{"a.txt", "alpha\n"}, {"d/b.txt", "bravo\n"}}));
  qel::test::WriteFileText(dir_ / "c.txt", "charlie\n");
  const std::string stub = ReadFileText(Stub());
  for (bool added : {false, true}) {
    SCOPED_TRACE(added ? "after add" : "as made");
    const ToolRun unzip = RunTool({"unzip", "-t", sfx});
    EXPECT_TRUE(unzip.Ok()) << unzip.out << unzip.err;
    EXPECT_EQ((unzip.out + unzip.err).find("extra bytes"), std::string::npos) << unzip.out;
    EXPECT_EQ(ReadFileText(sfx).substr(0, stub.size()), stub);
    // Type, where reading starts (not checked), bytes to adjust, flags (htSfx and found).
    const std::vector<std::string> type = qel::test::Split(qel::test::Cli({"type", sfx}).out, '\t');
    ASSERT_EQ(type.size(), 5u);
    EXPECT_EQ(type[1] + " " + type[3] + " " + type[4], "atZipExe 0 27\n");
    EXPECT_EQ(qel::test::Cli({"test", sfx}).status, 0);

    std::set<std::string> listed, peers;
    for (const std::string& line : Lines(qel::test::Cli({"list", "--tsv", sfx}).out))
      listed.insert(qel::test::Split(line, '\t')[0]);
    for (const std::string& line : Lines(RunTool({"unzip", "-Z1", sfx}).out)) peers.insert(line);
    EXPECT_EQ(listed, peers);
    EXPECT_EQ(listed.size(), added ? 4u : 3u);

    const ToolRun run = Run(sfx, added ? "run2" : "run1", {"-y"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFileText(dir_ / (added ? "run2/d/b.txt" : "run1/d/b.txt")), "bravo\n");
    if (!added) {
      ASSERT_TRUE(RunToolOk({VK_CLI_PATH, "add", "x.sfx", "c.txt"}, dir_.Path()));
    }
  }
  EXPECT_EQ(ReadFileText(dir_ / "run2/c.txt"), "charlie\n");
}

// What vorelkit-cli sfx makes, settings block and all, the stub runs, before and after an
// entry is added; and vorelkit-cli unsfx gives back the ZIP.
TEST_F(SfxStub, RunsWhatTheMakerMade) {
  VK_REQUIRE_TOOL("zip");
  VK_REQUIRE_TOOL("unzip");
  const std::string zip = ZipOf({{"a.txt", "alpha\n"}, {"d/b.txt", "bravo\n"}});
  const std::string sfx = dir_ / "made.exe";
  ASSERT_TRUE(RunToolOk({VK_CLI_PATH, "sfx", zip, "-o", sfx, "--folder", "dest", "--title", "T"}));
  ToolRun run = Run(sfx, "run1", {"-y"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "T\n=\n2 files extracted to " + dir_ / "run1/dest\n");
  EXPECT_EQ(qel::test::ReadTree(dir_ / "run1/dest"), qel::test::ReadTree(dir_ / "src"));

  qel::test::WriteFileText(dir_ / "c.txt", "charlie\n");
  ASSERT_TRUE(RunToolOk({VK_CLI_PATH, "add", "made.exe", "c.txt"}, dir_.Path()));
  const ToolRun unzip = RunTool({"unzip", "-t", sfx});
  EXPECT_TRUE(unzip.Ok() && unzip.err.empty()) << unzip.out << unzip.err;
  run = Run(sfx, "run2", {"-y"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadFileText(dir_ / "run2/dest/c.txt"), "charlie\n");

  ASSERT_TRUE(RunToolOk({VK_CLI_PATH, "unsfx", sfx, "-o", dir_ / "back.zip"}));
  EXPECT_TRUE(RunToolOk({"unzip", "-tq", dir_ / "back.zip"}));
  EXPECT_EQ(Lines(RunTool({"unzip", "-Z1", dir_ / "back.zip"}).out),
            Lines(RunTool({"unzip", "-Z1", sfx}).out));
}

// Names that climb out, absolute names, and links already in the folder that lead out: what
// is extracted stays inside, and nothing is written through a link.
TEST_F(SfxStub, WritesNothingOutsideItsFolder) {
  VK_REQUIRE_TOOL("zip");
  const std::string outside = dir_ / "outside";
  fs::create_directories(outside);
  qel::test::WriteFileText(dir_ / "victim.txt", "keep me\n");
  fs::create_directories(dir_ / "out");
  fs::create_directory_symlink(outside, dir_ / "out/link");
  fs::create_symlink(dir_ / "victim.txt", dir_ / "out/f.txt");
  const qel::test::ZipImage zip = qel::test::BuildStoredZip({{"../evil1.txt", "1"},
                                                             {dir_ / "evil2.txt", "2"},
                                                             {"d/../../evil3.txt", "3"},
                                                             {"link/evil4.txt", "4"},
                                                             {"f.txt", "5"}});
  qel::test::WriteFileBytes(dir_ / "in.zip", zip.bytes);
  const std::string sfx = MakeSfx(dir_ / "in.zip");

  const ToolRun run = Run(sfx, ".", {"-y", "-o", "-d", "out"});
  EXPECT_LE(run.status, 1) << run.err;
  std::set<std::string> beside;
  for (const std::string& path : qel::test::PathsBelow(dir_.Path()))
    if (path.rfind("out/", 0) != 0) beside.insert(path);
  EXPECT_EQ(beside, (std::set<std::string>{"in.zip", "out", "outside", "victim.txt", "x.sfx"}));
  EXPECT_EQ(ReadFileText(dir_ / "victim.txt"), "keep me\n");
  EXPECT_FALSE(fs::is_symlink(dir_ / "out/f.txt"));
  EXPECT_EQ(ReadFileText(dir_ / "out/f.txt"), "5");
}

constexpr uint16_t Opt(TSFXOption option) { return uint16_t(1u << unsigned(option)); }
constexpr uint16_t kExpand = Opt(TSFXOption::soExpandVariables);

TEST_F(SfxStub, FollowsTheSettingsBlock) {
  VK_REQUIRE_TOOL("zip");
  const std::string zip = ZipOf(kTree);
  const struct {
    const char* what;
    TSfxSettings settings;
    std::vector<std::string> args;
    const char* where;  // the folder a.txt goes to, below the one the SFX ran in; null: none
    int status = 0;
    std::string shown;  // printed before the success line
    bool ran = false;   // the command left "ran" beside a.txt
    bool damaged = false;
  } cases[] = {
      {"maker's folder", {.DefaultExtractPath = "dest/sub"}, {"-y"}, "dest/sub"},
      {"-d first", {.DefaultExtractPath = "dest"}, {"-y", "-d", "mine"}, "mine"},
      {"expanded", {.Options = kExpand, .DefaultExtractPath = "$VK_SFX_DIR/x"}, {"-y"}, "v/x"},
      {"not expanded", {.DefaultExtractPath = "$VK_SFX_DIR"}, {"-y"}, "$VK_SFX_DIR"},
      {"fallback", {.DefaultExtractPath = "/proc/vk", .FallbackExtractPath = "fb"}, {"-y"}, "fb"},
      {"fallback for an unset variable",
       {.Options = kExpand, .DefaultExtractPath = "$VK_SFX_UNSET", .FallbackExtractPath = "fb"},
       {"-y"},
       "fb"},
      {"no folder", {.DefaultExtractPath = "/proc/a", .FallbackExtractPath = "/proc/b"}, {}, {}, 2},
      {"title and message",
       {.DialogTitle = "Setup", .Message = "Hi"},
       {"-y"},
       "",
       0,
       "Setup\n=====\nHi\n"},
      {"no answer", {.Message = "Go?", .MessageFlags = kMessageYesNo}, {}, nullptr, 1, "Go?\n"},
      {"-y answers", {.Message = "Go?", .MessageFlags = kMessageOkCancel}, {"-y"}, "", 0, "Go?\n"},
      {"command",
       {.DefaultExtractPath = "d", .CommandLine = "cat a.txt >ran"},
       {"-y"},
       "d",
       0,
       "",
       true},
      {"command not asked for",
       {.Options = Opt(TSFXOption::soAskCmdLine), .CommandLine = "cat a.txt >ran"},
       {},
       ""},
      {"command failing",
       {.Options = Opt(TSFXOption::soNoSuccessMsg), .CommandLine = "exit 3"},
       {"-y"},
       "",
       1},
      {"damaged block", {.DefaultExtractPath = "dest"}, {"-y"}, "", 0, "", false, true},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes block = *c.settings.Serialize();
    if (c.damaged) block[block.size() - 4] += 4;
    const std::string name = "case" + std::to_string(++n), folder = dir_ / name;
    const ToolRun run = Run(MakeSfx(zip, block), name, c.args, {"VK_SFX_DIR=v"});
    EXPECT_EQ(run.status, c.status) << run.err;
    const bool below = c.where && *c.where;
    const std::string prefix = below ? std::string(c.where) + "/" : "";
    std::string shown = c.shown;
    if (c.where && !c.settings.Has(TSFXOption::soNoSuccessMsg))
      shown += "1 file extracted to " + (below ? folder + "/" + c.where : folder) + "\n";
    EXPECT_EQ(run.out, shown);
    // a.txt where it belongs and nowhere else; the command ran there when it was to run.
    std::set<std::string> files, expected;
    for (const std::string& path : qel::test::PathsBelow(folder))
      if (fs::is_regular_file(fs::path(folder) / path)) files.insert(path);
    if (c.where) expected.insert(prefix + "a.txt");
    if (c.ran) expected.insert(prefix + "ran");
    EXPECT_EQ(files, expected);
  }
}

TEST_F(SfxStub, ReplacesExistingFilesByTheOptionsThenTheMaker) {
  VK_REQUIRE_TOOL("zip");
  const std::string zip = ZipOf(kTree);
  using enum TSFXOverwriteMode;
  const struct {
    std::optional<TSFXOverwriteMode> maker;  // nothing: no settings block
    std::vector<std::string> args;
    const char* after;
  } cases[] = {
      {somOverwrite, {"-y"}, "alpha\n"},
      {somSkip, {"-y"}, "old\n"},
      {somAsk, {"-y"}, "old\n"},
      {somAsk, {}, "old\n"},
      {somAsk, {"-y", "-o"}, "alpha\n"},
      {somSkip, {"-o"}, "alpha\n"},
      {somOverwrite, {"-y", "-n"}, "old\n"},
      {std::nullopt, {"-y"}, "old\n"},
      {std::nullopt, {"-o"}, "alpha\n"},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string folder = "case" + std::to_string(++n);
    SCOPED_TRACE(folder);
    qel::test::WriteFileText(dir_ / (folder + "/a.txt"), "old\n");
    std::optional<Bytes> block;
    if (c.maker) block = TSfxSettings{.OverwriteMode = *c.maker}.Serialize();
    const ToolRun run = Run(MakeSfx(zip, block, folder + ".sfx"), folder, c.args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFileText(dir_ / (folder + "/a.txt")), c.after);
  }
}

// The questions, answered line by line as on a terminal: the maker's message, the file that
// exists, the maker's command.
TEST_F(SfxStub, AsksOnATerminal) {
  VK_REQUIRE_TOOL("zip");
  const TSfxSettings settings = {.Options = Opt(TSFXOption::soAskCmdLine),
                                 .CommandLine = "touch ran.txt",
                                 .Message = "Go?",
                                 .MessageFlags = kMessageYesNo};
  const std::string sfx = MakeSfx(ZipOf(kTree), settings.Serialize());
  qel::test::WriteFileText(dir_ / "out/a.txt", "old\n");
  const struct {
    const char* answers;
    int status;
    const char* after;
    bool ran;
  } cases[] = {
      {"n\n", 1, "old\n", false},
      {"y\nn\nn\n", 0, "old\n", false},
      {"y\ny\nyes\n", 0, "alpha\n", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answers);
    std::istringstream in(c.answers);
    std::ostringstream out, err;
    EXPECT_EQ(RunSfx({"x.sfx", sfx, {"-d", dir_ / "out"}, true}, in, out, err), c.status);
    EXPECT_EQ(ReadFileText(dir_ / "out/a.txt"), c.after);
    EXPECT_EQ(fs::exists(dir_ / "out/ran.txt"), c.ran);
    EXPECT_EQ(in.peek(), EOF) << "questions asked: " << err.str();
  }
}

TEST_F(SfxStub, ListsTestsAndRefusesWrongArguments) {
  VK_REQUIRE_TOOL("zip");
  // Files only: the folder entry "d/" is neither listed nor counted.
  const std::string sfx = MakeSfx(ZipOf({{"d/a.txt", "alpha\n"}}));
  ToolRun run = Run(sfx, "run", {"-l"});
  EXPECT_EQ(run.out, "           6  d/a.txt\n           6  1 file\n");
  run = Run(sfx, "run", {"-t"});
  EXPECT_EQ(run.out, "OK      d/a.txt\n1 file tested, 0 failed\n");
  EXPECT_TRUE(qel::test::PathsBelow(dir_ / "run").empty());

  run = Run(Stub(), "run", {"-y"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("no archive is attached"), std::string::npos) << run.err;
  for (std::vector<std::string> args :
       {std::vector<std::string>{"-x"}, {"-o", "-n"}, {"-l", "-t"}, {"-d"}, {"out"}}) {
    std::istringstream in;
    std::ostringstream out, err;
    EXPECT_EQ(RunSfx({"x.sfx", sfx, args, false}, in, out, err), 2) << args[0];
    EXPECT_NE(err.str().find("-h' shows the options"), std::string::npos);
  }
}

}  // namespace
}  // namespace vk::sfx
