#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/volumes/VolumeNames.h"
#include "formats/zip/ZipDiskRequest.h"
#include "tests/engine/base/TestComponent.h"
#include "tests/support/SpannedSet.h"

namespace qel {
namespace {

namespace fs = std::filesystem;

class ZipDiskRequestTest : public test::SpannedSetTest {
 protected:
  void SetUp() override {
    SpannedSetTest::SetUp();
    component.Drives = &drives;
  }
  void AnswerByInserting() { SpannedSetTest::AnswerByInserting(component); }

  test::TestComponent component;
};

TEST_F(ZipDiskRequestTest, WalksLastFirstAndNextDisksInOrder) {
  AnswerByInserting();
  TZipDiskRequest request(component, archive);
  std::unique_ptr<TFileStream32> file = request.Request();
  ASSERT_TRUE(file);
  EXPECT_EQ(file->Size(), VolumeSize(disks));
  EXPECT_TRUE(request.LastDisk().HeadFlag.Has(THeaderType::htEnding));
  EXPECT_EQ(request.LastDiskTail().ThisDisk(), uint32_t(disks - 1));
  EXPECT_EQ(request.State(), 1);

  std::vector<std::string> expected = {"last", "first"};
  for (int disk = 1; disk <= disks; ++disk) {
    file.reset();
    file = request.Request(0, disk);
    ASSERT_TRUE(file) << disk;
    EXPECT_EQ(file->Size(), VolumeSize(disk));
    EXPECT_EQ(file->Position(), 0);
    if (disk > 1) expected.push_back(std::to_string(disk));
  }
  EXPECT_EQ(asked, expected);
  EXPECT_EQ(request.State(), disks + 1);
  EXPECT_TRUE(component.Errors.empty());
  EXPECT_FALSE(component.Cancel());
}

TEST_F(ZipDiskRequestTest, WrongDiskIsRefusedByItsLabel) {
  AnswerByInserting();
  TZipDiskRequest request(component, archive);
  ASSERT_TRUE(request.Request());
  ASSERT_TRUE(request.Request(0, 1));
  // Disk 1 starts with the span marker and disk 2 in the middle of r.bin: the label, not the
  // content at the wanted position, tells them apart.
  int answers = 0;
  component.OnGetZipNextDisk = [&](TZipCommon&, const WideString& volume, bool&) {
    EXPECT_EQ(volume, "2");
    Insert(++answers == 1 ? 1 : 2);
  };
  std::unique_ptr<TFileStream32> file = request.Request(0, 2);
  ASSERT_TRUE(file);
  EXPECT_EQ(answers, 2);
  EXPECT_EQ(file->Size(), VolumeSize(2));
}

TEST_F(ZipDiskRequestTest, UnlabelledDiskIsJudgedByContent) {
  AnswerByInserting();
  TZipDiskRequest request(component, archive);
  ASSERT_TRUE(request.Request());
  ASSERT_TRUE(drives.Insert(drive, "DATA", 9, Disk(1)));
  EXPECT_TRUE(request.Request(0, 1));                   // the span marker
  EXPECT_TRUE(request.Request(VolumeSize(1) + 10, 2));  // beyond the file
  component.OnGetZipNextDisk = [](TZipCommon&, const WideString&, bool& cancel) { cancel = true; };
  EXPECT_FALSE(request.Request(1, 3));  // inside the marker: no record there
  EXPECT_EQ(component.Codes(), std::vector<int>{25361});
}

TEST_F(ZipDiskRequestTest, CancelOrEndlessAnsweringFailsAndCancels) {
  // The last-disk question starts at Cancel: a handler that says nothing stops the request;
  // one that says "go on" but never inserts the disk is not asked for ever.
  for (bool goOn : {false, true}) {
    component.Errors.clear();
    component.SetCancel(false);
    int answers = 0;
    component.OnGetZipLastDisk = [&](TZipCommon&, bool& cancel) {
      ++answers;
      if (goOn) cancel = false;
    };
    TZipDiskRequest request(component, archive);
    EXPECT_FALSE(request.Request());
    EXPECT_EQ(answers, goOn ? 64 : 1);
    EXPECT_TRUE(component.Cancel());
    EXPECT_EQ(component.Codes(), (goOn ? std::vector<int>{25362, 25361} : std::vector<int>{25361}));
  }
}

TEST_F(ZipDiskRequestTest, MissingEventIsReportedWithItsName) {
  const std::string names[] = {"OnGetZipLastDisk", "OnGetZipFirstDisk", "OnGetZipNextDisk"};
  for (int state = 0; state < 3; ++state) {
    component.Errors.clear();
    component.SetCancel(false);
    AnswerByInserting();
    Insert(disks);
    TZipDiskRequest request(component, archive);
    for (int s = 0; s < state; ++s) ASSERT_TRUE(request.Request(0, disks));
    if (state == 0) component.OnGetZipLastDisk = nullptr;
    if (state == 1) component.OnGetZipFirstDisk = nullptr;
    if (state == 2) component.OnGetZipNextDisk = nullptr;
    // The event is required even with the right disk in the drive.
    EXPECT_FALSE(request.Request(0, disks));
    ASSERT_EQ(component.Errors.size(), 2u) << names[state];
    EXPECT_EQ(component.Errors[0].ExtendedMsg, names[state]);
    EXPECT_EQ(component.Errors[0].ECode, 25281);
    EXPECT_EQ(component.Errors[1].ECode, 25361);
    EXPECT_TRUE(component.Cancel());
  }
}

}  // namespace
}  // namespace qel
