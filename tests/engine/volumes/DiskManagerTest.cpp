#include <gtest/gtest.h>

#include <filesystem>
#include <utility>
#include <vector>

#include "engine/volumes/DiskManager.h"
#include "platform/FakeDrives.h"
#include "tests/support/PeerTools.h"

namespace qel {
namespace {

using platform::DriveType;
using Reports = std::vector<std::pair<std::string, int>>;

// A fake drive at "<test folder>/drive", empty until a medium is inserted.
struct FakeDrive {
  test::TestFolder folder;
  platform::FakeDrives drives;
  std::string drive = folder / "drive";
  std::string file = drive + "/set.zip";
  Reports reports;
  TDriveErrorReport report = [this](const WideString& d, int code) {
    reports.emplace_back(d, code);
  };

  explicit FakeDrive(int64_t total, DriveType type = DriveType::Removable) {
    std::filesystem::create_directories(folder / "medium");
    platform::DriveInfo info;
    info.Type = type;
    info.TotalBytes = total;
    drives.Add(drive, info);
  }
  bool Insert(const std::string& label = "PKBACK# 003") {
    return drives.Insert(drive, label, 0x00AB12CD, folder / "medium");
  }
};

TEST(DiskManager, DerivesFloppyFlagAndDriveType) {
  struct Case {
    int64_t total;
    DriveType type, shown;
    bool floppy;
  };
  for (Case c : {Case{1213952, DriveType::Removable, DriveType::Removable, true},
                 Case{1457664, DriveType::Removable, DriveType::Removable, true},
                 Case{2915328, DriveType::Removable, DriveType::Removable, true},
                 Case{1457664 - 512, DriveType::Removable, DriveType::Removable, false},
                 Case{64 << 20, DriveType::Removable, DriveType::Fixed, false},
                 Case{1457664, DriveType::Fixed, DriveType::Fixed, false}}) {
    FakeDrive d(c.total, c.type);
    ASSERT_TRUE(d.Insert());
    TDiskManager disks(d.drives);
    ASSERT_TRUE(disks.CheckDrive(d.file, nullptr, d.report));
    EXPECT_EQ(disks.Info().DriveType, c.shown) << c.total;
    EXPECT_EQ(disks.Info().IsFloppy, c.floppy) << c.total;
    EXPECT_EQ(disks.Info().DriveRoot, d.drive);
    EXPECT_EQ(disks.Info().DiskNumber, 3);
    EXPECT_EQ(disks.Info().SerialText, "00AB12CD");
  }
  FakeDrive none(1457664, DriveType::None);
  ASSERT_TRUE(none.Insert());
  EXPECT_FALSE(TDiskManager(none.drives).CheckDrive(none.file, nullptr, none.report));
  EXPECT_EQ(none.reports, (Reports{{none.drive, 25170}}));
}

TEST(DiskManager, NotReadyDriveAsksUntilReadyGivenUpOrTooOften) {
  FakeDrive d(1457664);
  TDiskManager disks(d.drives);
  int asked = 0;
  auto retry = [&](bool answer) {
    return [&asked, answer](const WideString&) {
      ++asked;
      return answer;
    };
  };
  EXPECT_TRUE(disks.CheckDrive(
      d.file, [&](const WideString&) { return ++asked < 2 || d.Insert("PKBACK# 001"); }, d.report));
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(disks.Info().DiskNumber, 1);

  ASSERT_TRUE(d.drives.Eject(d.drive));
  asked = 0;
  EXPECT_FALSE(disks.CheckDrive(d.file, retry(false), d.report));
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(disks.Info().VolumeLabel.empty());
  EXPECT_FALSE(disks.CheckDrive(d.file, nullptr, d.report));
  asked = 0;
  EXPECT_FALSE(disks.CheckDrive(d.file, retry(true), d.report));
  EXPECT_EQ(asked, 64);
  EXPECT_EQ(d.reports, (Reports{{d.drive, 25361}, {d.drive, 25170}, {d.drive, 25170}}));
}

}  // namespace
}  // namespace qel
