#include <gtest/gtest.h>

#include <filesystem>

#include "platform/LinuxDrives.h"
#include "tests/support/Files.h"
#include "tests/support/TestFolder.h"

namespace qel::platform {
namespace {

namespace fs = std::filesystem;

void ExpectSane(const std::optional<DriveInfo>& info) {
  ASSERT_TRUE(info);
  EXPECT_TRUE(info->Type == DriveType::Fixed || info->Type == DriveType::Ram)
      << static_cast<int>(info->Type);
  EXPECT_FALSE(info->FileSystem.empty());
  EXPECT_GT(info->TotalBytes, 0);
  EXPECT_GE(info->FreeBytes, 0);
  EXPECT_LE(info->FreeBytes, info->TotalBytes);
  EXPECT_GT(info->MaxComponentLength, 0u);
}

TEST(DrivesLinux, RootAndTempFolder) {
  std::optional<DriveInfo> root = SystemDrives().Query("/");
  ExpectSane(root);
  EXPECT_EQ(root->Root, "/");

  qel::test::TestFolder folder;
  const std::string file = folder / "sub/a.txt";
  qel::test::WriteFileText(file, "x");
  std::optional<DriveInfo> temp = SystemDrives().Query(file);
  ExpectSane(temp);
  std::string real = fs::canonical(file).string();
  EXPECT_EQ(real.compare(0, temp->Root.size(), temp->Root), 0) << temp->Root;
}

TEST(DrivesLinux, MissingPathGivesNothing) {
  qel::test::TestFolder folder;
  EXPECT_FALSE(SystemDrives().Query(folder / "no/such/file"));
  EXPECT_FALSE(SystemDrives().Query(""));
  EXPECT_FALSE(LinuxDriveProbe({.MountInfo = folder / "missing"}).Query("/"));
}

// A removable partition with a label and a FAT serial, played by ordinary files: the mount
// table, the sysfs links of disk and partition and udev's by-label and by-uuid links are
// all made in a scratch folder.
TEST(DrivesLinux, RemovablePartitionWithLabelAndSerial) {
  qel::test::TestFolder t;
  fs::create_directories(t / "media/PKBACK# 001");
  fs::create_directories(t / "media/share");
  qel::test::WriteFileText(t / "dev/sdb1", "");
  qel::test::WriteFileText(t / "dev/sda1", "");
  qel::test::WriteFileText(t / "sys/devices/sdb/removable", "1\n");
  qel::test::WriteFileText(t / "sys/devices/sdb/sdb1/partition", "1\n");
  qel::test::WriteFileText(t / "sys/devices/sda/removable", "0\n");
  qel::test::WriteFileText(t / "sys/devices/sda/sda1/partition", "1\n");
  fs::create_directories(t / "sys/dev/block");
  fs::create_directory_symlink("../../devices/sdb/sdb1", t / "sys/dev/block/8:17");
  fs::create_directory_symlink("../../devices/sda/sda1", t / "sys/dev/block/8:1");
  fs::create_directories(t / "disk/by-label");
  fs::create_directories(t / "disk/by-uuid");
  fs::create_symlink("../../dev/sda1", t / "disk/by-label/SYSTEM");
  fs::create_symlink("../../dev/sdb1", t / "disk/by-label/PKBACK#\\x20001");
  fs::create_symlink("../../dev/sda1", t / "disk/by-uuid/1111-2222");
  fs::create_symlink("../../dev/sdb1", t / "disk/by-uuid/ABCD-1234");
  std::string base = t / "";
  qel::test::WriteFileText(t / "mountinfo", "1 0 8:1 / / rw - ext4 " + base +
                                                "dev/sda1 rw\n"
                                                "2 1 8:17 / " +
                                                base + "media/PKBACK#\\040001 rw shared:1 - vfat " +
                                                base +
                                                "dev/sdb1 rw\n"
                                                "3 1 0:60 / " +
                                                base + "media/share rw - nfs4 server:/export rw\n");
  LinuxDriveProbe probe(
      {.MountInfo = t / "mountinfo", .SysDevBlock = t / "sys/dev/block", .DevDisk = t / "disk"});

  std::optional<DriveInfo> disk = probe.Query(t / "media/PKBACK# 001");
  ASSERT_TRUE(disk);
  EXPECT_EQ(disk->Type, DriveType::Removable);
  EXPECT_EQ(disk->Root, t / "media/PKBACK# 001");
  EXPECT_EQ(disk->Device, t / "dev/sdb1");
  EXPECT_EQ(disk->FileSystem, "vfat");
  EXPECT_EQ(disk->Label, "PKBACK# 001");
  EXPECT_EQ(disk->Serial, 0xABCD1234u);
  EXPECT_GT(disk->TotalBytes, 0);

  std::optional<DriveInfo> fixed = probe.Query(t / "dev");
  ASSERT_TRUE(fixed);
  EXPECT_EQ(fixed->Type, DriveType::Fixed);
  EXPECT_EQ(fixed->Root, "/");
  EXPECT_EQ(fixed->Label, "SYSTEM");
  EXPECT_EQ(fixed->Serial, 0x11112222u);

  std::optional<DriveInfo> share = probe.Query(t / "media/share");
  ASSERT_TRUE(share);
  EXPECT_EQ(share->Type, DriveType::Network);
  EXPECT_EQ(share->Device, "server:/export");
  EXPECT_EQ(share->Label, "");
  EXPECT_EQ(share->Serial, 0u);
}

}  // namespace
}  // namespace qel::platform
