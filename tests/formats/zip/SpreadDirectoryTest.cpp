// A split set whose central directory starts on an earlier volume than its end record and
// runs on across volumes (zip does this once the directory outgrows a volume).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/list/Quell.h"
#include "formats/zip/UnZip.h"
#include "formats/zip/ZipTail.h"
#include "tests/support/PeerTools.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 1100;

class SpreadDirectory : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!RequireTool("zip")) GTEST_SKIP();
    fs::create_directories(dir / "in");
    for (int i = 0; i < kFiles; ++i)
      WriteFileText(dir / ("in/a_rather_long_file_name_" + std::to_string(i)), std::to_string(i));
    ASSERT_TRUE(RunToolOk({"sh", "-c", "cd in && zip -q -r -s 64k ../a.zip ."}, dir.Path()));
  }
  TestFolder dir;
};

TEST_F(SpreadDirectory, ListsAndExtractsEveryEntry) {
  TQuell quell;
  int listed = 0;
  quell.OnRead = [&](TZipCommon&, int64_t, int) { ++listed; };
  quell.SetArchiveFile(dir / "a.zip");
  ASSERT_EQ(quell.ArcType(), atZipMV);
  ASSERT_GT(zip::ZipTail(quell).ThisDisk(), zip::ZipTail(quell).CentralDisk());
  EXPECT_TRUE(quell.Activate());
  EXPECT_EQ(listed, kFiles);

  TUnZip zip;
  int failed = 0;
  zip.OnEnd = [&](TZipCommon&, const WideString&, bool pass) { failed += !pass; };
  zip.SetArchiveFile(dir / "a.zip");
  zip.SetExtractDir(dir / "out");
  EXPECT_EQ(zip.Extract(), kFiles);
  EXPECT_EQ(failed, 0);
  EXPECT_EQ(ReadFileBytes(dir / "out/a_rather_long_file_name_1034"),
            ReadFileBytes(dir / "in/a_rather_long_file_name_1034"));
}

// With a volume of the directory gone, both report the damage and nothing is extracted.
TEST_F(SpreadDirectory, MissingVolumeIsReported) {
  const fs::path last = dir / "a.zip";
  int volume = 1;
  while (fs::exists(dir / ("a.z0" + std::to_string(volume + 1)))) ++volume;
  fs::remove(dir / ("a.z0" + std::to_string(volume)));

  TUnZip zip;
  std::vector<int> codes;
  zip.OnError = [&](TZipCommon&, const WideString&, const WideString&, const WideString&,
                    int code) { codes.push_back(code); };
  zip.SetArchiveFile(last);
  zip.SetExtractDir(dir / "out");
  EXPECT_EQ(zip.Extract(), 0);
  EXPECT_FALSE(codes.empty());
  EXPECT_FALSE(fs::exists(dir / "out/a_rather_long_file_name_0"));
}

}  // namespace
}  // namespace qel::test
