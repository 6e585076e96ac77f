// Updating an existing ZIP with `vorelkit-cli`: what the old archive holds is kept exactly
// (data in front of it, every entry) or the update does not happen, and what the writer
// records (Linux mode and exact time, the Deflate level beside a UTF-8 name) reads back.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/CliFolder.h"
#include "tests/support/PeerTools.h"
#include "tests/support/ZipDamage.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;

class UpdateKeeps : public CliFolderTest {
 protected:
  void SetUp() override {
    WriteFileText(dir_ / "a.txt", std::string(3000, 'a'));
    WriteFileText(dir_ / "b.txt", "b\n");
    WriteFileText(dir_ / "new.txt", "new\n");
  }
};

// One entry whose local header no longer holds together: adding, deleting or replacing must
// fail as a whole, name the entry, point at repair, and leave the archive byte for byte.
TEST_F(UpdateKeeps, DamagedKeptEntryFailsTheWholeUpdate) {
  ASSERT_EQ(Run({"add", "d.zip", "a.txt", "b.txt"}).status, 0);
  Bytes zip = ReadFileBytes(dir_ / "d.zip");
  SpoilHeader(zip, "a.txt");
  WriteFileBytes(dir_ / "d.zip", zip);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"add", "d.zip", "new.txt"}, {"delete", "d.zip", "b.txt"}}) {
    const ToolRun run = Run(args);
    EXPECT_NE(run.status, 0) << args[0];
    EXPECT_NE(run.err.find("a.txt"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("repair"), std::string::npos) << run.err;
    EXPECT_TRUE(ReadFileBytes(dir_ / "d.zip") == zip) << args[0];
  }
}

// Whatever stands in front of the archive (a script with a ZIP appended, offsets adjusted
// or not) is still there after an update, and the result reads everywhere.
TEST_F(UpdateKeeps, DataInFrontSurvivesAnUpdate) {
  VK_REQUIRE_TOOL("zip");
  VK_REQUIRE_TOOL("unzip");
  const std::string script = "#!/bin/sh\necho installer\nexit 0\n";
  for (bool adjust : {false, true}) {
    SCOPED_TRACE(adjust ? "zip -A" : "plain");
    fs::remove(dir_ / "inner.zip");
    ASSERT_TRUE(RunToolOk({"zip", "-q", "inner.zip", "a.txt"}, dir_.Path()));
    WriteFileText(dir_ / "prefix", script);
    ConcatenateFiles(dir_ / "x.zip", {dir_ / "prefix", dir_ / "inner.zip"});
    if (adjust) {
      ASSERT_TRUE(RunToolOk({"zip", "-q", "-A", "x.zip"}, dir_.Path()));
    }
    const ToolRun run = Run({"add", "x.zip", "new.txt"});
    ASSERT_EQ(run.status, 0) << run.err;
    const Bytes out = ReadFileBytes(dir_ / "x.zip");
    EXPECT_EQ(std::string(out.begin(), out.begin() + long(script.size())), script);
    EXPECT_TRUE(RunToolOk({"unzip", "-tq", "x.zip"}, dir_.Path()));
  }
}

// Entries written here record the Unix mode (host 3) and the extended timestamp: other
// tools see the exec bit, and extraction gives back the mode and the odd second.
TEST_F(UpdateKeeps, UnixModeAndExactTimeRoundTrip) {
  VK_REQUIRE_TOOL("zipinfo");
  fs::create_directories(dir_ / "src/bin");
  WriteFileText(dir_ / "src/bin/run.sh", "#!/bin/sh\n");
  ASSERT_EQ(::chmod((dir_ / "src/bin/run.sh").c_str(), 0750), 0);
  const utimbuf odd{1700000001, 1700000001};
  ASSERT_EQ(::utime((dir_ / "src/bin/run.sh").c_str(), &odd), 0);
  ASSERT_EQ(Run({"add", "u.zip", "-r", "src"}).status, 0);

  const ToolRun info = RunTool({"zipinfo", "u.zip"}, dir_.Path());
  EXPECT_NE(info.out.find("-rwxr-x---  3.0 unx"), std::string::npos) << info.out;

  const ToolRun run = Run({"extract", "u.zip", "-o", "out"});
  ASSERT_EQ(run.status, 0) << run.err;
  struct stat st {};
  ASSERT_EQ(::stat((dir_ / "out/src/bin/run.sh").c_str(), &st), 0);
  const mode_t umask = ::umask(0);
  ::umask(umask);
  EXPECT_EQ(st.st_mode & 0777, 0750u & ~umask);
  EXPECT_EQ(st.st_mtime, 1700000001);
}

// The UTF-8 name flag shares the flag word with the Deflate option bits; the method column
// reads only the latter.
TEST_F(UpdateKeeps, MethodNameOfUtf8NamesFollowsTheLevel) {
  const std::string name = "gr\xC3\xBC\xC3\x9F.txt";  // "grüß.txt"
  fs::copy_file(dir_ / "a.txt", dir_ / name);
  const std::pair<const char*, const char*> kLevels[] = {
      {"fast", "DFLT-F"}, {"normal", "DFLT-N"}, {"max", "DFLT-X"}};
  for (const auto& [level, method] : kLevels) {
    const std::string zip = std::string(level) + ".zip";
    ASSERT_EQ(Run({"add", "--level", level, zip, name}).status, 0);
    const ToolRun list = Run({"list", "--tsv", zip});
    EXPECT_NE(list.out.find(name + "\t3000\t"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find(std::string("\t") + method + "\t"), std::string::npos) << list.out;
  }
}

}  // namespace
}  // namespace qel::test
