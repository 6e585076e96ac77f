// Extracting sets spanned over removable disks: the last disk first for the directory,
// then each entry's disk, with data running on from one disk to the next.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "formats/zip/UnZip.h"
#include "tests/support/SpannedSet.h"

namespace qel {
namespace {

class UnZipSpannedTest : public test::SpannedSetTest {
 protected:
  void SetUp() override {
    SpannedSetTest::SetUp();
    if (IsSkipped()) return;
    zip.Drives = &drives;
    zip.OnError = [this](TZipCommon&, const WideString&, const WideString&, const WideString&,
                         int code) { errors.push_back(code); };
    zip.OnEnd = [this](TZipCommon&, const WideString&, bool pass) { passes.push_back(pass); };
    zip.SetArchiveFile(archive);
  }

  TUnZip zip;
  std::vector<int> errors;
  std::vector<bool> passes;
};

TEST_F(UnZipSpannedTest, ExtractsEntriesRunningAcrossDisks) {
  ASSERT_EQ(zip.ArcType(), atZipDS);
  AnswerByInserting(zip);
  zip.SetExtractDir(folder / "out");
  EXPECT_EQ(zip.Extract(), 3);
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(passes, std::vector<bool>(3, true));
  for (const char* name : {"a.txt", "r.bin", "b.txt"})
    EXPECT_EQ(test::ReadFileBytes(folder / ("out/" + std::string(name))),
              test::ReadFileBytes(folder / name))
        << name;
  // The last disk for the directory, the first for a.txt, then each disk in turn.
  std::vector<std::string> expected = {"last", "first"};
  for (int disk = 2; disk <= disks; ++disk) expected.push_back(std::to_string(disk));
  EXPECT_EQ(asked, expected);
}

TEST_F(UnZipSpannedTest, RefusedDiskCancelsWithoutOutput) {
  AnswerByInserting(zip);
  zip.OnGetZipNextDisk = [](TZipCommon&, const WideString&, bool& cancel) { cancel = true; };
  zip.SetExtractDir(folder / "out");
  zip.Extract();
  EXPECT_TRUE(zip.Cancel() || !errors.empty());
  EXPECT_FALSE(std::filesystem::exists(folder / "out/b.txt"));
}

}  // namespace
}  // namespace qel
