#include <gtest/gtest.h>

#include <filesystem>

#include "platform/FakeDrives.h"
#include "tests/support/Files.h"
#include "tests/support/TestFolder.h"

namespace qel::platform {
namespace {

namespace fs = std::filesystem;

DriveInfo Drive(const std::string& label, uint32_t serial, int64_t total,
                DriveType type = DriveType::Removable) {
  DriveInfo info;
  info.Label = label;
  info.Serial = serial;
  info.TotalBytes = total;
  info.Type = type;
  return info;
}

TEST(DrivesFake, LongestFolderPrefixWins) {
  qel::test::TestFolder t;
  qel::test::WriteFileText(t / "a/b/inner.txt", "");
  qel::test::WriteFileText(t / "a/outer.txt", "");
  qel::test::WriteFileText(t / "ab/f.txt", "");
  qel::test::WriteFileText(t / "abc/f.txt", "");
  FakeDrives drives;
  drives.Add(t / "a", Drive("OUTER", 1, 10000));
  drives.Add(t / "a/b/", Drive("INNER", 2, 10000));
  drives.Add(t / "ab", Drive("AB", 3, 10000));
  auto labelOf = [&](const std::string& path) -> std::string {
    std::optional<DriveInfo> info = drives.Query(path);
    return info ? info->Label : "(none)";
  };
  EXPECT_EQ(labelOf(t / "a/b/inner.txt"), "INNER");
  EXPECT_EQ(labelOf(t / "a/b"), "INNER");
  EXPECT_EQ(labelOf(t / "a/outer.txt"), "OUTER");
  EXPECT_EQ(labelOf(t / "a/./b/../outer.txt"), "OUTER");
  EXPECT_EQ(labelOf(t / "ab/f.txt"), "AB");
  EXPECT_EQ(labelOf(t / "abc/f.txt"), "(none)");
  EXPECT_EQ(labelOf(t / "a/missing.txt"), "(none)");
  EXPECT_EQ(drives.Query(t / "a/b/inner.txt")->Root, t / "a/b");

  FakeDrives outer(&drives);
  outer.Add(t / "abc", Drive("ABC", 4, 10000));
  EXPECT_EQ(outer.Query(t / "abc/f.txt")->Label, "ABC");
  EXPECT_EQ(outer.Query(t / "ab/f.txt")->Label, "AB");
}

TEST(DrivesFake, FreeSpaceCountsWholeClusters) {
  qel::test::TestFolder t;
  fs::create_directories(t / "floppy");
  FakeDrives drives;
  drives.Add(t / "floppy", Drive("", 0, 1457664));
  EXPECT_EQ(drives.Query(t / "floppy")->FreeBytes, 1457664);

  qel::test::WriteFileText(t / "floppy/empty", "");                         // 0 clusters
  qel::test::WriteFileText(t / "floppy/one", "x");                          // 1
  qel::test::WriteFileText(t / "floppy/full", std::string(512, 'x'));       // 1
  qel::test::WriteFileText(t / "floppy/over", std::string(513, 'x'));       // 2
  qel::test::WriteFileText(t / "floppy/dir/deep", std::string(1000, 'x'));  // 2
  std::optional<DriveInfo> info = drives.Query(t / "floppy/one");
  ASSERT_TRUE(info);
  EXPECT_EQ(info->TotalBytes, 1457664);
  EXPECT_EQ(info->FreeBytes, 1457664 - 6 * 512);

  drives.Add(t / "floppy/dir", Drive("", 0, 1000));  // overfull: free stops at 0
  qel::test::WriteFileText(t / "floppy/dir/more", std::string(600, 'x'));
  EXPECT_EQ(drives.Query(t / "floppy/dir")->FreeBytes, 0);
}

TEST(DrivesFake, ChangingTheMedium) {
  qel::test::TestFolder t;
  qel::test::WriteFileText(t / "disk1/set.zip", std::string(1000, '1'));
  fs::create_directories(t / "disk2");
  FakeDrives drives;
  drives.Add(t / "drive", Drive("", 0, 1457664));
  EXPECT_FALSE(drives.Query(t / "drive"));  // no medium yet: not ready

  ASSERT_TRUE(drives.Insert(t / "drive", "PKBACK# 001", 0x1111, t / "disk1"));
  std::optional<DriveInfo> first = drives.Query(t / "drive/set.zip");
  ASSERT_TRUE(first);
  EXPECT_EQ(first->Label, "PKBACK# 001");
  EXPECT_EQ(first->Serial, 0x1111u);
  EXPECT_EQ(first->Type, DriveType::Removable);
  EXPECT_EQ(first->FreeBytes, 1457664 - 1024);
  EXPECT_EQ(qel::test::ReadFileText(t / "drive/set.zip"), std::string(1000, '1'));

  ASSERT_TRUE(drives.Insert(t / "drive", "PKBACK# 002", 0x2222, t / "disk2"));
  EXPECT_FALSE(drives.Query(t / "drive/set.zip"));
  std::optional<DriveInfo> second = drives.Query(t / "drive");
  ASSERT_TRUE(second);
  EXPECT_EQ(second->Label, "PKBACK# 002");
  EXPECT_EQ(second->Serial, 0x2222u);
  EXPECT_EQ(second->FreeBytes, 1457664);
  qel::test::WriteFileText(t / "drive/set.zip", "written to disk 2");
  EXPECT_EQ(qel::test::ReadFileText(t / "disk2/set.zip"), "written to disk 2");
  EXPECT_EQ(qel::test::ReadFileText(t / "disk1/set.zip"), std::string(1000, '1'));

  ASSERT_TRUE(drives.Eject(t / "drive"));
  EXPECT_FALSE(drives.Query(t / "drive"));
  EXPECT_TRUE(fs::exists(t / "disk2/set.zip"));

  fs::create_directories(t / "realfolder");
  drives.Add(t / "realfolder", Drive("", 0, 1000));
  EXPECT_FALSE(drives.Insert(t / "realfolder", "X", 1, t / "disk1"));
  EXPECT_FALSE(drives.Eject(t / "realfolder"));
  EXPECT_TRUE(fs::is_directory(t / "realfolder"));
  EXPECT_FALSE(drives.Insert(t / "unregistered", "X", 1, t / "disk1"));
}

}  // namespace
}  // namespace qel::platform
