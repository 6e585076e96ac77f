// `vorelkit-cli type`: its exit codes, how it reads its command line, and the line it
// prints per file. Most cases run the command line in-process; those that depend on the
// current folder or a process's exit status run the built program.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/base/Version.h"
#include "tests/support/CliRun.h"
#include "tests/support/DetectHelpers.h"
#include "tests/support/PeerTools.h"
#include "tests/support/ZipFixture.h"

namespace qel {
namespace {

using test::Bytes;
using test::Cli;
using test::Split;
using test::TCliRun;
using test::TestFolder;

// The line the command prints for `path`, from the component's own findings.
std::string ExpectedLine(const std::string& shown, const std::string& path) {
  test::TDetected d = test::DetectFile(path);
  char flag[3];
  std::snprintf(flag, sizeof flag, "%02X", unsigned(d.HeadFlag));
  return shown + "\t" + std::string(ArcTypeName(d.Type)) + "\t" + std::to_string(d.HeaderOffset) +
         "\t" + std::to_string(d.OffsetAdjust) + "\t" + flag + "\n";
}

class TypeCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteFileBytes(zip_, test::MakeZip().bytes);
    Bytes rar = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x00};
    rar.resize(20);
    test::WriteFileBytes(rar_, rar);
    test::WriteFileText(short_, "too short");
  }

  TestFolder dir_;
  const std::string zip_ = dir_ / "a.zip";
  const std::string rar_ = dir_ / "a.rar";
  const std::string short_ = dir_ / "short.txt";
  const std::string missing_ = dir_ / "missing.zip";
};

TEST_F(TypeCommand, ExitCodes) {
  struct TCase {
    const char* what;
    std::vector<std::string> args;
    int status;
    const char* errSays;  // part of standard error, or nullptr for none at all
  } cases[] = {
      {"one archive", {"type", zip_}, 0, nullptr},
      {"a file too short to be anything", {"type", short_}, 0, nullptr},
      {"no file named", {"type"}, 7, "no file named"},
      {"missing file", {"type", missing_}, 2, "cannot open"},
      {"a folder", {"type", dir_.Path()}, 2, "cannot open"},
      {"unknown option before the files", {"type", "--bogus", zip_}, 7, "unknown option '--bogus'"},
      {"unknown option after the files", {"type", zip_, "--bogus"}, 7, "unknown option"},
      {"unknown command", {"tpye", zip_}, 7, "unknown command 'tpye'"},
      {"no command", {}, 7, "Usage:"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    TCliRun run = Cli(c.args);
    EXPECT_EQ(run.status, c.status);
    if (c.errSays) {
      EXPECT_NE(run.err.find(c.errSays), std::string::npos) << run.err;
    } else {
      EXPECT_EQ(run.err, "");
    }
    // A usage error is found before any file is looked at.
    if (c.status == 7) {
      EXPECT_EQ(run.out, "");
    }
  }
}

// A file that cannot be opened does not stop the others; it only sets the exit code.
TEST_F(TypeCommand, GoesOnAfterAFileItCannotOpen) {
  TCliRun run = Cli({"type", zip_, missing_, rar_});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, ExpectedLine(zip_, zip_) + ExpectedLine(rar_, rar_));
  EXPECT_EQ(run.err, "vorelkit-cli: cannot open '" + missing_ + "'\n");
}

TEST_F(TypeCommand, HelpBeforeOrAfterTheFiles) {
  const std::vector<std::vector<std::string>> asks = {
      {"type", "--help"}, {"type", "--help", zip_}, {"type", zip_, "--help"}, {"type", zip_, "-h"}};
  for (const auto& args : asks) {
    TCliRun run = Cli(args);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("Usage: vorelkit-cli type FILE...\n", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("Exit status"), std::string::npos);
    EXPECT_NE(run.out.find("--help"), std::string::npos);
    EXPECT_EQ(run.out.find("\tatZip\t"), std::string::npos);  // no file was examined
    EXPECT_EQ(run.err, "");
  }
}

TEST_F(TypeCommand, Overview) {
  for (const char* ask : {"--help", "-h", "help"}) {
    TCliRun run = Cli({ask});
    EXPECT_EQ(run.status, 0) << ask;
    EXPECT_NE(run.out.find("Commands:"), std::string::npos) << ask;
    EXPECT_NE(run.out.find("  type\t"), std::string::npos) << ask;
  }
  // The version every program of the project shows, and the libraries under it.
  TCliRun run = Cli({"--version"});
  EXPECT_EQ(run.status, 0);
  const std::vector<std::string> lines = Split(run.out, '\n');
  ASSERT_EQ(lines.size(), 3u) << run.out;
  EXPECT_EQ(lines[0], "vorelkit-cli " + ProgramVersion());
  EXPECT_NE(ProgramVersion().find('.'), std::string::npos);
  EXPECT_EQ(lines[1].rfind("zlib 1.", 0), 0u) << lines[1];
  EXPECT_NE(lines[1].find(", libbz2 1."), std::string::npos) << lines[1];
}

// One line per file: name, type, start, bytes in front, structures as two hex digits.
TEST_F(TypeCommand, LineFormat) {
  Bytes behind(100, 0);
  Bytes zip = test::MakeZip().bytes;
  behind.insert(behind.end(), zip.begin(), zip.end());
  const std::string front = dir_ / "front.zip";
  test::WriteFileBytes(front, behind);

  TCliRun run = Cli({"type", zip_, rar_, short_, front});
  ASSERT_EQ(run.status, 0);
  EXPECT_EQ(run.out, ExpectedLine(zip_, zip_) + ExpectedLine(rar_, rar_) +
                         ExpectedLine(short_, short_) + ExpectedLine(front, front));
  // And what those lines say, field by field.
  std::vector<std::string> lines = Split(run.out, '\n');
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[4], "");
  const std::vector<std::vector<std::string>> expected = {
      {zip_, "atZip", std::to_string(test::MakeZip().central), "0", "07"},
      {rar_, "atRar", "0", "0", "00"},
      {short_, "atNA", "-1", "0", "00"},
      {front, "atZip", std::to_string(100 + test::MakeZip().central), "100", "07"},
  };
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(Split(lines[i], '\t'), expected[i]);
}

TEST_F(TypeCommand, FlagsInUpperCaseHex) {
  VK_REQUIRE_TOOL("zip");
  test::WriteFileText(dir_ / "a.txt", "hello\n");
  ASSERT_TRUE(test::RunToolOk({"zip", "-q", "-fz", "z.zip", "a.txt"}, dir_.Path()));
  TCliRun run = Cli({"type", dir_ / "z.zip"});
  EXPECT_EQ(run.status, 0);
  std::vector<std::string> fields = Split(run.out, '\t');
  ASSERT_EQ(fields.size(), 5u) << run.out;
  EXPECT_EQ(fields[4], "1F\n");
}

// The built program, run in the test folder: its exit status, and "--" before a file
// whose name starts with a dash.
TEST_F(TypeCommand, ProgramAndDoubleDash) {
  test::WriteFileBytes(dir_ / "-x", test::MakeZip().bytes);
  test::WriteFileBytes(dir_ / "--help", test::MakeZip().bytes);
  const std::string line = ExpectedLine("-x", dir_ / "-x");
  struct TCase {
    std::vector<std::string> args;
    int status;
    std::string out;
  } cases[] = {
      {{"type", "a.zip"}, 0, ExpectedLine("a.zip", zip_)},
      {{"type", "--", "-x"}, 0, line},
      {{"type", "a.zip", "--", "-x"}, 0, ExpectedLine("a.zip", zip_) + line},
      // After "--" even "--help" and "--" are file names.
      {{"type", "--", "--help"}, 0, ExpectedLine("--help", dir_ / "--help")},
      {{"type", "--", "--"}, 2, ""},
      {{"type", "-x"}, 7, ""},
      {{"type", "missing.zip"}, 2, ""},
      {{"type"}, 7, ""},
  };
  for (const TCase& c : cases) {
    std::vector<std::string> argv = {VK_CLI_PATH};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    test::ToolRun run = test::RunTool(argv, dir_.Path());
    EXPECT_EQ(run.status, c.status) << testing::PrintToString(c.args) << run.err;
    EXPECT_EQ(run.out, c.out) << testing::PrintToString(c.args);
  }
}

// A named pipe is refused at once rather than waited on.
TEST_F(TypeCommand, NamedPipeIsNotWaitedOn) {
  const std::string fifo = dir_ / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  test::ToolRun run = test::RunTool({VK_CLI_PATH, "type", fifo}, "", std::chrono::seconds(20));
  EXPECT_EQ(run.status, 2) << run.err;
  EXPECT_EQ(run.out, "");
}

}  // namespace
}  // namespace qel
