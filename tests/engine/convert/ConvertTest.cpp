// Conversion: ZIP and JAR both ways, with a password, in list mode, and the private work
// folder gone whatever became of the conversion.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/base/FileSystem.h"
#include "engine/convert/Vorel2Arc.h"
#include "tests/support/CliRun.h"
#include "tests/support/EnvVar.h"
#include "tests/support/PeerTools.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;

class Convert : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!RequireTool("zip") || !RequireTool("unzip")) GTEST_SKIP();
    MakeTree(dir_ / "src", {{"a.txt", "alpha\n"},
                            {".hidden", "dot\n"},
                            {"d/b.txt", std::string(5000, 'b')},
                            {"empty/", ""}});
    ASSERT_TRUE(RunToolOk({"zip", "-q", "-r", "in.zip", "src"}, dir_.Path()));
    ASSERT_TRUE(RunToolOk({"zip", "-q", "-r", "-P", "secret", "locked.zip", "src"}, dir_.Path()));
  }

  // No conversion left its work folder behind.
  void ExpectNoWorkFolder() {
    for (const auto& e : fs::recursive_directory_iterator(dir_ / "tmp"))
      EXPECT_EQ(e.path().filename().string().rfind("ARCConvert_", 0), std::string::npos)
          << e.path();
  }

  // The tree an archive extracts to, by unzip.
  Tree Unzipped(const std::string& archive, const std::string& password = "") {
    const std::string out = dir_ / ("x-" + fs::path(archive).filename().string());
    std::vector<std::string> argv = {"unzip", "-q"};
    if (!password.empty()) argv.insert(argv.end(), {"-P", password});
    argv.insert(argv.end(), {archive, "-d", out});
    EXPECT_TRUE(RunToolOk(argv));
    return ReadTree(out + "/src");
  }

  TestFolder dir_;
  TEnvVar tmp_{"TMPDIR", (fs::create_directory(dir_ / "tmp"), dir_ / "tmp")};
};

TEST_F(Convert, ZipAndJarBothWaysKeepEveryEntry) {
  const Tree source = ReadTree(dir_ / "src");
  const TCliRun toJar = Cli({"convert", dir_ / "in.zip", "--to", "jar", "--test"});
  ASSERT_EQ(toJar.status, 0) << toJar.err;
  EXPECT_EQ(toJar.out, dir_ / "in.zip" + " -> " + dir_ / "in.jar" + "\n");
  EXPECT_TRUE(RunToolOk({"unzip", "-tq", dir_ / "in.jar"}));
  EXPECT_EQ(Unzipped(dir_ / "in.jar"), source);

  ASSERT_EQ(Cli({"convert", dir_ / "in.jar", "--to", "zip", "-o", dir_ / "back"}).status, 0);
  EXPECT_EQ(Unzipped(dir_ / "back/in.zip"), source);

  // The password that opened the source closes the new archive.
  ASSERT_EQ(Cli({"convert", dir_ / "locked.zip", "--to", "jar", "-p", "secret"}).status, 0);
  EXPECT_EQ(Unzipped(dir_ / "locked.jar", "secret"), source);
  EXPECT_FALSE(RunTool({"unzip", "-tq", "-P", "wrong", dir_ / "locked.jar"}).Ok());
  // With AES asked for, the new archive is no longer one Info-ZIP reads; ours tests it.
  ASSERT_EQ(Cli({"convert", dir_ / "locked.zip", "--to", "jar", "-p", "secret", "--encryption",
                 "aes256", "-o", dir_ / "aes"})
                .status,
            0);
  EXPECT_EQ(Cli({"test", dir_ / "aes/locked.jar", "-p", "secret"}).status, 0);
  EXPECT_FALSE(RunTool({"unzip", "-tq", "-P", "secret", dir_ / "aes/locked.jar"}).Ok());
  ExpectNoWorkFolder();
}

TEST_F(Convert, RefusalsLeaveSourcesAndOutputsAsTheyWere) {
  const Bytes zip = ReadFileBytes(dir_ / "in.zip");
  WriteFileText(dir_ / "locked.jar", "old");
  struct TCase {
    std::vector<std::string> args;
    int status;
    std::string message;
  } cases[] = {
      // List mode: an archive already of the type is its own output and stays as it is.
      {{dir_ / "in.zip", "--to", "zip"}, 2, "already a ZIP (.zip) archive"},
      {{dir_ / "in.zip", dir_ / "in.zip", "--to", "zip"}, 2, "left as it is"},
      // No password on the command line, and no terminal to ask: nothing is written.
      {{dir_ / "locked.zip", "--to", "jar", "--overwrite"}, 2, "no password given"},
      // The existing output is kept without a yes.
      {{dir_ / "locked.zip", "--to", "jar", "-p", "secret"}, 2, ""},
      {{dir_ / "in.zip", "--to", "rar"}, 7, "--to takes bh, tar.bz2, cab, jar, lha, tar, tar.gz, zip, gz, bz2"},
      {{dir_ / "in.zip", "--to", "zip", "--encryption", "rot13"}, 7, "--encryption takes"},
  };
  for (const TCase& c : cases) {
    std::vector<std::string> args = {"convert"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const TCliRun run = Cli(args);
    EXPECT_EQ(run.status, c.status) << c.message;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(ReadFileBytes(dir_ / "in.zip"), zip);
    EXPECT_EQ(ReadFileText(dir_ / "locked.jar"), "old");
  }
  ExpectNoWorkFolder();
}

TEST_F(Convert, CancelledConversionWritesNothing) {
  TVorel2Arc convert;
  convert.SetArchiveFile(dir_ / "in.zip");
  convert.NewArchiveFile = dir_ / "in.jar";
  convert.OutputType = 5;
  std::string seenWork;
  convert.OnRecompressBegin = [&](TZipCommon& sender) {
    seenWork = convert.WorkFolder();
    EXPECT_TRUE(fs::exists(seenWork + "/src/d/b.txt"));
    sender.SetCancel(true);
  };
  EXPECT_FALSE(convert.Convert());
  EXPECT_FALSE(seenWork.empty());
  EXPECT_FALSE(fs::exists(seenWork));
  EXPECT_FALSE(fs::exists(dir_ / "in.jar"));
  ExpectNoWorkFolder();
}

TEST(ConvertNames, TheTargetsExtensionReplacesTheSources) {
  const std::pair<const char*, const char*> cases[] = {
      {"/a/data.tar.gz", "/a/data.zip"}, {"/a/data.ZIP", "/a/data.ZIP"},
      {"/a/data.tgz", "/a/data.zip"},    {"/a.b/data", "/a.b/data.zip"},
      {"/a/.zip.x", "/a/.zip.zip"},      {"rel/x.tar", "rel/x.zip"},
  };
  for (const auto& [input, output] : cases)
    EXPECT_EQ(TVorel2Arc::ConvertedName(input, ".zip"), output) << input;
}

}  // namespace
}  // namespace qel::test
