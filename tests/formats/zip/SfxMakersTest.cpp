// Self-extractors made of archives and taken apart again: the offsets moved exactly as
// Info-ZIP's `zip -A` moves them, the settings block in front of the archive, and the
// archive taken out again entry by entry.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "formats/zip/MakeSfx.h"
#include "formats/zip/UnSfx.h"
#include "formats/zip/ZipSfx.h"
#include "tests/support/CliRun.h"
#include "tests/support/PeerTools.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;

class SfxMakers : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!RequireTool("zip") || !RequireTool("unzip")) GTEST_SKIP();
    MakeTree(dir_ / "src", {{"a.txt", "alpha\n"}, {"d/b.txt", std::string(20000, 'b')}});
    // A stand-in stub: a program's first bytes, then bytes that hold no archive signature.
    const std::string stub =
        "\x7F"
        "ELF" +
        std::string(2996, '\x90');
    WriteFileText(dir_ / "stubs/VorelZip.dat", stub);
    WriteFileText(dir_ / "stubs/VorelJar.dat", stub);
  }

  // The stub and the archive joined as Info-ZIP does it.
  Bytes InfoZipSfx(const std::string& archive, const Bytes& front) {
    Bytes joined = front;
    const Bytes zip = ReadFileBytes(archive);
    joined.insert(joined.end(), zip.begin(), zip.end());
    WriteFileBytes(dir_ / "iz.exe", joined);
    EXPECT_TRUE(RunToolOk({"zip", "-q", "-A", dir_ / "iz.exe"}));
    return ReadFileBytes(dir_ / "iz.exe");
  }

  // unzip tests it as an ordinary archive, with no word about bytes before it.
  void ExpectCleanTest(const std::string& file, const std::string& password = "") {
    std::vector<std::string> argv = {"unzip", "-t"};
    if (!password.empty()) argv.insert(argv.end(), {"-P", password});
    argv.push_back(file);
    const ToolRun t = RunTool(argv);
    EXPECT_TRUE(t.Ok()) << t.out << t.err;
    EXPECT_EQ((t.out + t.err).find("extra bytes"), std::string::npos) << t.out << t.err;
  }

  TestFolder dir_;
};

TEST_F(SfxMakers, ZipOffsetsMoveAsInfoZipMovesThem) {
  struct TCase {
    const char* what;
    std::vector<std::string> zipOptions;
    std::string password;
    bool infoZipAdjusts;  // zip -A cannot move the offsets of Zip64 records
  } cases[] = {
      {"plain", {}, "", true},
      {"ZipCrypto", {"-P", "pw"}, "pw", true},
      {"Zip64 records", {"-fz"}, "", false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string archive = dir_ / (std::string(c.what) + ".zip");
    std::vector<std::string> argv = {"zip", "-q", "-r"};
    argv.insert(argv.end(), c.zipOptions.begin(), c.zipOptions.end());
    argv.insert(argv.end(), {archive, "src"});
    ASSERT_TRUE(RunToolOk(argv, dir_.Path()));
    // A long comment: the end record is still found behind it.
    ASSERT_EQ(Cli({"comment", archive, std::string(40000, 'c')}).status, 0);

    TMakeSFX sfx;
    sfx.SetArchiveFile(archive);
    sfx.SfxStubDir = dir_ / "stubs";
    ASSERT_TRUE(sfx.Execute());
    const std::string made = TMakeSFX::DefaultTarget(archive);
    if (c.infoZipAdjusts) {
      EXPECT_EQ(ReadFileBytes(made),
                InfoZipSfx(archive, ReadFileBytes(dir_ / "stubs/VorelZip.dat")));
    }
    EXPECT_EQ(fs::status(made).permissions() & fs::perms::owner_exec, fs::perms::owner_exec);
    ExpectCleanTest(made, c.password);

    // Taken out again: the same entries, an ordinary archive.
    TUnSfx unsfx;
    unsfx.SetArchiveFile(made);
    ASSERT_EQ(unsfx.OutFilename(), fs::path(made).replace_extension(".zip").string());
    unsfx.SetOutFilename("back.zip");
    ASSERT_TRUE(unsfx.Convert());
    ExpectCleanTest(dir_ / "back.zip", c.password);
    EXPECT_EQ(RunTool({"unzip", "-Z1", dir_ / "back.zip"}).out,
              RunTool({"unzip", "-Z1", archive}).out);
  }
}

TEST_F(SfxMakers, SettingsBlockSitsBetweenStubAndArchive) {
  ASSERT_TRUE(RunToolOk({"zip", "-q", "-r", "in.zip", "src"}, dir_.Path()));
  TZipSFX sfx;
  sfx.SFXPath = dir_ / "stubs/VorelZip.dat";
  sfx.SourceFile = dir_ / "in.zip";
  sfx.TargetFile = dir_ / "out.exe";
  sfx.Settings.DialogTitle = "Title";
  ASSERT_TRUE(sfx.Execute());
  Bytes front = ReadFileBytes(dir_ / "stubs/VorelZip.dat");
  const Bytes block = *sfx.Settings.Serialize();
  front.insert(front.end(), block.begin(), block.end());
  EXPECT_EQ(ReadFileBytes(dir_ / "out.exe"), InfoZipSfx(dir_ / "in.zip", front));
  ExpectCleanTest(dir_ / "out.exe");

  // A text longer than its length byte holds is refused, counted in bytes, not characters.
  sfx.Settings.Message = std::string(130, '\0').replace(0, 130, 130, 'x');
  sfx.Settings.DialogTitle.clear();
  for (int i = 0; i < 128; ++i) sfx.Settings.DialogTitle += "\xC3\xA9";  // 128 characters
  sfx.TargetFile = dir_ / "long.exe";
  EXPECT_FALSE(sfx.Execute());
  EXPECT_FALSE(fs::exists(dir_ / "long.exe"));
}

TEST_F(SfxMakers, JarLocalHeadersGetTheirSizes) {
  // Written to a pipe, as Java's jar writes too: every entry has a data descriptor.
  const ToolRun streamed = RunTool({"zip", "-q", "-D", "-r", "-", "src"}, dir_.Path());
  ASSERT_TRUE(streamed.Ok());
  WriteFileText(dir_ / "t.jar", streamed.out);
  TMakeSFX sfx;
  sfx.SetArchiveFile(dir_ / "t.jar");
  sfx.SfxStubDir = dir_ / "stubs";
  ASSERT_TRUE(sfx.Execute());
  ExpectCleanTest(dir_ / "t.exe");
  // Each local header written with a descriptor now carries the CRC and sizes as well.
  const Bytes made = ReadFileBytes(dir_ / "t.exe");
  int patched = 0;
  for (size_t at = 3000; at + 30 <= made.size(); ++at) {
    if (made[at] != 'P' || made[at + 1] != 'K' || made[at + 2] != 3 || made[at + 3] != 4) continue;
    if (!(made[at + 6] & 8)) continue;
    const std::string name(made.begin() + long(at) + 30,
                           made.begin() + long(at) + 30 + made[at + 26]);
    if (name.back() == '/') continue;
    EXPECT_NE(made[at + 14] | made[at + 15] | made[at + 16] | made[at + 17], 0) << name;
    ++patched;
  }
  EXPECT_EQ(patched, 2);
}

TEST_F(SfxMakers, OtherArchivesComeOutFromWhereTheyStart) {
  VK_REQUIRE_TOOL("arj");
  ASSERT_TRUE(RunToolOk({"arj", "a", "-y", "t.arj", "src/a.txt"}, dir_.Path()));
  // A DOS program's header whose image size covers the stub.
  Bytes sfx(2048, 0);
  sfx[0] = 'M', sfx[1] = 'Z', sfx[4] = 4;
  const Bytes arj = ReadFileBytes(dir_ / "t.arj");
  sfx.insert(sfx.end(), arj.begin(), arj.end());
  WriteFileBytes(dir_ / "t.exe", sfx);
  // The name proposed is the ARJ's own, which is there: it is kept without a yes.
  EXPECT_EQ(Cli({"unsfx", dir_ / "t.exe"}).status, 2);
  const TCliRun run = Cli({"unsfx", dir_ / "t.exe", "-o", "back.arj"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, dir_ / "back.arj" + "\n");
  EXPECT_EQ(ReadFileBytes(dir_ / "back.arj"), arj);
  EXPECT_EQ(ReadFileBytes(dir_ / "t.arj"), arj);
}

TEST_F(SfxMakers, RefusalsWriteNothing) {
  ASSERT_TRUE(RunToolOk({"zip", "-q", "-r", "in.zip", "src"}, dir_.Path()));
  WriteFileText(dir_ / "Data.RAR", "not really");
  struct TCase {
    std::vector<std::string> args;
    int status;
    std::string message;
  } cases[] = {
      {{"sfx", dir_ / "Data.RAR"}, 2, "Invalid or unsupported archive type"},
      {{"sfx", dir_ / "in.zip", "-o", dir_ / "in.zip"}, 2, "Same input and output"},
      {{"sfx", dir_ / "in.zip", "--overwrite", "sometimes"}, 7, "--overwrite takes"},
      {{"unsfx", dir_ / "in.zip"}, 2, "Invalid or unsupported archive type"},
      {{"sfx", dir_ / "missing.zip"}, 2, "missing.zip: File not found"},
      {{"unsfx", dir_ / "missing.exe"}, 2, "missing.exe: File not found"},
  };
  for (const TCase& c : cases) {
    const TCliRun run = Cli(c.args);
    EXPECT_EQ(run.status, c.status) << c.message;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
  }
  EXPECT_EQ(TMakeSFX::DefaultTarget(dir_ / "Data.RAR"), dir_ / "data.exe");
  EXPECT_EQ(TMakeSFX::DefaultTarget("/Some/Folder/X.Zip"), "/Some/Folder/x.exe");
  EXPECT_FALSE(fs::exists(dir_ / "data.exe"));
  EXPECT_FALSE(fs::exists(dir_ / "in.exe"));
}

}  // namespace
}  // namespace qel::test
