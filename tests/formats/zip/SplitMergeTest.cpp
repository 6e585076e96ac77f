// Split sets: cutting a ZIP into parts and joining them again, checked both ways against
// Info-ZIP, which writes and reads the same layout.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "formats/zip/ZipSplitGlue.h"
#include "formats/zip/ZipWriter.h"
#include "tests/support/CliRun.h"
#include "tests/support/PeerTools.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;

Bytes Random(size_t size, uint32_t seed) {
  Bytes b(size);
  for (uint8_t& c : b) c = uint8_t((seed = seed * 1103515245 + 12345) >> 16);
  return b;
}

// The parts of the set named `set`, first to last.
std::vector<std::string> Parts(const std::string& set) {
  std::vector<std::string> parts;
  for (int v = 1;; ++v) {
    fs::path p(set);
    p.replace_extension(v < 10 ? ".z0" + std::to_string(v) : ".z" + std::to_string(v));
    if (!fs::exists(p)) break;
    parts.push_back(p.string());
  }
  parts.push_back(set);
  return parts;
}

// one.zip of one file of 200,000 random bytes, as the engine writes it.
void ZipOfRandomBytes(const TestFolder& dir, uint32_t seed) {
  WriteFileBytes(dir / "src/a", Random(200000, seed));
  TZip zip;
  zip.SetArchiveFile(dir / "one.zip");
  zip.SetTempDir(dir.Path());
  zip.FileSpec = {dir / "src/a"};
  ASSERT_EQ(zip.Compress(), 1);
}

struct TSetCase {
  const char* what;
  std::function<void(const TestFolder&)> make;  // writes one.zip
  int64_t part;  // 0: just over half the archive, so the set needs one part more
  // What of Info-ZIP copes with the case: its zip -s goes wrong on a set that needs a part
  // more than foreseen, its zip -s 0 on entries over three parts and directories over two,
  // and neither reads enciphered headers.
  enum { None, Split, SplitAndMerge } infoZip;
  bool descriptors;  // Info-ZIP writes the entries again without their data descriptors
};

void ZipTree(const TestFolder& dir, const std::vector<std::string>& extra = {}) {
  std::vector<std::string> argv = {"zip", "-q", "-X", "-r"};
  argv.insert(argv.end(), extra.begin(), extra.end());
  argv.insert(argv.end(), {"one.zip", "src"});
  ASSERT_TRUE(RunToolOk(argv, dir.Path()));
}

const TSetCase kSets[] = {
    {"entries within two parts",
     [](const TestFolder& dir) {
       for (int i = 0; i < 6; ++i)
         WriteFileBytes(dir / ("src/f" + std::to_string(i)), Random(50000, i));
       WriteFileText(dir / "src/t.txt", std::string(90000, 't'));
       ZipTree(dir);
     },
     65536, TSetCase::SplitAndMerge, false},
    {"an entry over three parts",
     [](const TestFolder& dir) {
       WriteFileBytes(dir / "src/big", Random(150000, 7));
       WriteFileText(dir / "src/small", "small\n");
       ZipTree(dir);
     },
     65536, TSetCase::Split, false},
    {"a directory across parts",
     [](const TestFolder& dir) {
       for (int i = 0; i < 1500; ++i)
         WriteFileText(
             dir / ("src/a-rather-long-file-name-to-fill-the-directory-" + std::to_string(i)), "x");
       ZipTree(dir);
     },
     65536, TSetCase::Split, false},
    {"data descriptors",
     [](const TestFolder& dir) {
       WriteFileBytes(dir / "src/a", Random(100000, 3));
       WriteFileText(dir / "src/b", std::string(70000, 'b'));
       // Written to a pipe, zip cannot go back to the headers: every entry gets a descriptor.
       const ToolRun streamed = RunTool({"zip", "-q", "-X", "-D", "-r", "-", "src"}, dir.Path());
       ASSERT_TRUE(streamed.Ok());
       ASSERT_NE(streamed.out[6] & 8, 0);
       WriteFileText(dir / "one.zip", streamed.out);
     },
     65536, TSetCase::SplitAndMerge, true},
    {"one part more than foreseen",
     [](const TestFolder& dir) {
       WriteFileBytes(dir / "src/big", Random(140000, 9));
       ZipTree(dir, {"-0"});
     },
     0, TSetCase::None, false},
    {"enciphered headers",
     [](const TestFolder& dir) {
       WriteFileBytes(dir / "src/a", Random(120000, 5));
       WriteFileText(dir / "src/b", std::string(30000, 'b'));
       TZip zip;
       zip.SetArchiveFile(dir / "one.zip");
       zip.SetTempDir(dir.Path());
       zip.EncryptHeaders = true;
       zip.FileSpec = {dir / "src/*"};
       ASSERT_EQ(zip.Compress(), 2);
     },
     65536, TSetCase::None, false},
};

TEST(SplitSets, RoundTripWithInfoZipBothWays) {
  VK_REQUIRE_TOOL("zip");
  VK_REQUIRE_TOOL("unzip");
  for (const TSetCase& c : kSets) {
    SCOPED_TRACE(c.what);
    TestFolder dir(std::to_string(&c - kSets));
    c.make(dir);
    const Bytes source = ReadFileBytes(dir / "one.zip");
    const int64_t part = c.part ? c.part : int64_t(source.size() / 2 + 1);

    const TCliRun split =
        Cli({"split", dir / "one.zip", "--size", std::to_string(part), "-o", dir / "ours.zip"});
    ASSERT_EQ(split.status, 0) << split.err;
    const std::vector<std::string> parts = Parts(dir / "ours.zip");
    EXPECT_EQ(split.out, [&] {
      std::string lines;
      for (const std::string& p : parts) lines += p + "\n";
      return lines + std::to_string(parts.size()) + " volumes\n";
    }());
    for (const std::string& p : parts) EXPECT_LE(int64_t(fs::file_size(p)), part) << p;
    if (c.part == 0) {
      EXPECT_EQ(parts.size(), 3u);
    }
    EXPECT_EQ(Cli({"test", dir / "ours.zip"}).status, 0);

    // Ours joined by ours; by Info-ZIP where it copes, and Info-ZIP's set joined by ours as
    // by Info-ZIP (which cuts headers and data anywhere, and drops data descriptors).
    ASSERT_EQ(Cli({"merge", dir / "ours.zip", "-o", dir / "back.zip"}).status, 0);
    EXPECT_EQ(ReadFileBytes(dir / "back.zip"), source);
    if (c.infoZip == TSetCase::None) continue;
    ASSERT_TRUE(RunToolOk(
        {"zip", "-q", "-s", std::to_string(part), "one.zip", "--out", "theirs.zip"}, dir.Path()));
    const TCliRun joined = Cli({"merge", dir / "theirs.z01", "-o", dir / "joined.zip"});
    ASSERT_EQ(joined.status, 0) << joined.err;
    if (c.infoZip == TSetCase::Split) {
      EXPECT_EQ(ReadFileBytes(dir / "joined.zip"), source);
      continue;
    }
    ASSERT_TRUE(RunToolOk({"zip", "-q", "-s", "0", "theirs.zip", "--out", "iz.zip"}, dir.Path()));
    EXPECT_EQ(ReadFileBytes(dir / "joined.zip"), ReadFileBytes(dir / "iz.zip"));
    EXPECT_EQ(ReadFileBytes(dir / "iz.zip") == source, !c.descriptors);
    ASSERT_TRUE(RunToolOk({"zip", "-q", "-s", "0", "ours.zip", "--out", "iz2.zip"}, dir.Path()));
    EXPECT_EQ(ReadFileBytes(dir / "iz2.zip"), ReadFileBytes(dir / "iz.zip"));
    EXPECT_TRUE(RunToolOk({"unzip", "-tq", "iz2.zip"}, dir.Path()));
  }
}

TEST(SplitSets, RefusalsLeaveEveryFileAsItWas) {
  TestFolder dir;
  ASSERT_NO_FATAL_FAILURE(ZipOfRandomBytes(dir, 1));
  WriteFileText(dir / "one_spanned.z02", "keep me");
  struct TCase {
    std::vector<std::string> args;
    int status;
    std::string message;
  } cases[] = {
      {{"--size", "65535"}, 2, "Size to small"},
      {{"--size", "1m"}, 2, "Nothing to do"},
      {{"--size", "huge"}, 7, "--size takes"},
      // Standard input is no terminal: the existing part is kept, and so the split stops.
      {{"--size", "64k"}, 255, "User canceled"},
      {{"--size", "64k", "-o", dir / "one.zip"}, 2, "Same input and output"},
  };
  for (const TCase& c : cases) {
    std::vector<std::string> args = {"split", dir / "one.zip"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const TCliRun run = Cli(args);
    EXPECT_EQ(run.status, c.status) << c.args[1];
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(ReadFileText(dir / "one_spanned.z02"), "keep me");
    EXPECT_EQ(dir.Count(), 3u) << "only src, one.zip and the old part";
  }
  EXPECT_EQ(Cli({"split", dir / "one.zip", "--size", "64k", "--overwrite"}).status, 0);
  // -o naming a folder puts the merged archive in it under its own name.
  EXPECT_EQ(Cli({"merge", dir / "one_spanned.zip", "-o", dir.Path()}).status, 0);
  EXPECT_EQ(ReadFileBytes(dir / "one_spanned_merged.zip"), ReadFileBytes(dir / "one.zip"));
}

// A missing part is asked for until it is given or the question is cancelled; a cancelled
// merge leaves no output behind.
TEST(SplitSets, MissingPartIsAskedForUntilCancelled) {
  TestFolder dir;
  ASSERT_NO_FATAL_FAILURE(ZipOfRandomBytes(dir, 2));
  ASSERT_EQ(Cli({"split", dir / "one.zip", "--size", "64k", "-o", dir / "set.zip"}).status, 0);
  fs::create_directory(dir / "moved");
  fs::rename(dir / "set.z02", dir / "moved/set.z02");

  for (bool giveUp : {true, false}) {
    TZipSplitGlue glue;
    int asked = 0;
    glue.OnNextVolume = [&](TZipCommon&, WideString& name, int volume, bool exists, bool& cancel) {
      if (exists) return;
      EXPECT_EQ(volume, 2);
      // Asked again while the answer names no file.
      if (++asked < 3) return;
      cancel = giveUp;
      name = dir / "moved/set.z02";
    };
    glue.SetArchiveFile(dir / "set.zip");
    glue.OutArchiveFile = dir / "out.zip";
    EXPECT_EQ(glue.Merge(), giveUp ? 0 : 1);
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(fs::exists(dir / "out.zip"), !giveUp);
  }
  EXPECT_EQ(ReadFileBytes(dir / "out.zip"), ReadFileBytes(dir / "one.zip"));
  EXPECT_EQ(dir.Count(), 7u) << "src, moved, one.zip, set.z01, z03, zip and out.zip";
}

}  // namespace
}  // namespace qel::test
