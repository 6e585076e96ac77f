#include <gtest/gtest.h>

#include "platform/LinuxDriveParsing.h"

namespace qel::platform {
namespace {

TEST(DrivesParsing, MountInfoLineWithOptionalFields) {
  auto entry = ParseMountInfoLine(
      "36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 shared:7 - ext3 /dev/root rw,errors=continue\n");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->Major, 98u);
  EXPECT_EQ(entry->Minor, 0u);
  EXPECT_EQ(entry->Root, "/mnt1");
  EXPECT_EQ(entry->MountPoint, "/mnt2");
  EXPECT_EQ(entry->FileSystem, "ext3");
  EXPECT_EQ(entry->Source, "/dev/root");

  entry = ParseMountInfoLine("27 1 259:3 / / rw,relatime - ext4 /dev/nvme0n1p3 rw");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->Major, 259u);
  EXPECT_EQ(entry->Minor, 3u);
  EXPECT_EQ(entry->MountPoint, "/");
  EXPECT_EQ(entry->Source, "/dev/nvme0n1p3");
}

TEST(DrivesParsing, MountInfoEscapesAreUndone) {
  // A label with a space, and a folder literally named "a - b": the " - " separator must
  // not be found inside an escaped path.
  auto entry = ParseMountInfoLine(
      "90 27 8:17 / /media/u/PKBACK#\\040001 rw shared:40 - vfat /dev/sdb1 rw,fmask=0022");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->MountPoint, "/media/u/PKBACK# 001");
  EXPECT_EQ(entry->FileSystem, "vfat");

  entry = ParseMountInfoLine(
      "91 27 0:50 /sub\\134dir /srv/a\\040-\\040b\\011tab rw - fuse.sshfs me@host:/x\\040y rw");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->Root, "/sub\\dir");
  EXPECT_EQ(entry->MountPoint, "/srv/a - b\ttab");
  EXPECT_EQ(entry->FileSystem, "fuse.sshfs");
  EXPECT_EQ(entry->Source, "me@host:/x y");

  entry = ParseMountInfoLine("93 27 0:52 / /mnt/x rw - tmpfs  rw,size=4k");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->Source, "");
  EXPECT_EQ(entry->FileSystem, "tmpfs");

  // An escape cut short at the end of a field stays as it is.
  entry = ParseMountInfoLine("92 27 0:51 / /mnt/odd\\04 rw - tmpfs tmpfs rw");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->MountPoint, "/mnt/odd\\04");
}

TEST(DrivesParsing, MalformedMountInfoLinesAreRefused) {
  for (const char* line :
       {"", "\n", "36 35 98:0 /mnt1 /mnt2 rw", "36 35 98:0 /a /b rw - ext4",
        "36 35 98:0 /a /b rw master:1 ext4 /dev/sda rw", "36 35 98x0 /a /b rw - ext4 /dev/sda rw",
        "36 35 98: /a /b rw - ext4 /dev/sda rw", "36 35 98:0 /a relative rw - ext4 /dev/sda rw"}) {
    EXPECT_FALSE(ParseMountInfoLine(line)) << line;
  }
  auto mounts = ParseMountInfo(
      "1 0 8:1 / / rw - ext4 /dev/sda1 rw\ngarbage\n\n2 1 0:3 / /tmp rw - tmpfs tmpfs rw");
  ASSERT_EQ(mounts.size(), 2u);
  EXPECT_EQ(mounts[1].MountPoint, "/tmp");
}

TEST(DrivesParsing, LongestMountPointWinsOnWholeComponents) {
  auto mounts = ParseMountInfo(
      "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
      "2 1 8:2 / /home rw - ext4 /dev/sda2 rw\n"
      "3 2 8:17 / /home/u/media rw - vfat /dev/sdb1 rw\n"
      "4 1 8:3 / /homework rw - ext4 /dev/sda3 rw\n"
      "5 1 0:40 / /mnt rw - tmpfs tmpfs rw\n"
      "6 5 0:41 / /mnt rw - nfs4 server:/x rw\n");
  auto sourceFor = [&](const char* path) -> std::string {
    const MountEntry* mount = FindMount(mounts, path);
    return mount != nullptr ? mount->Source : "(none)";
  };
  EXPECT_EQ(sourceFor("/"), "/dev/sda1");
  EXPECT_EQ(sourceFor("/etc/passwd"), "/dev/sda1");
  EXPECT_EQ(sourceFor("/home"), "/dev/sda2");
  EXPECT_EQ(sourceFor("/home/userx"), "/dev/sda2");
  EXPECT_EQ(sourceFor("/home/u/media/set.zip"), "/dev/sdb1");
  EXPECT_EQ(sourceFor("/home/u/mediaX"), "/dev/sda2");
  EXPECT_EQ(sourceFor("/homework/a"), "/dev/sda3");
  EXPECT_EQ(sourceFor("/mnt/a"), "server:/x");  // mounted over: the later line is visible
  EXPECT_EQ(sourceFor("relative"), "(none)");
  EXPECT_EQ(FindMount({}, "/"), nullptr);
}

TEST(DrivesParsing, UdevNamesAreUnescaped) {
  EXPECT_EQ(UnescapeUdevName("PKBACK#\\x20001"), "PKBACK# 001");
  EXPECT_EQ(UnescapeUdevName("a\\x2fb\\x5cc"), "a/b\\c");
  EXPECT_EQ(UnescapeUdevName("Caf\xC3\xA9"), "Caf\xC3\xA9");
  EXPECT_EQ(UnescapeUdevName("x\\x2"), "x\\x2");
  EXPECT_EQ(UnescapeUdevName("x\\xZZ\\"), "x\\xZZ\\");
}

TEST(DrivesParsing, UuidToSerial) {
  EXPECT_EQ(SerialFromUuid("ABCD-1234"), 0xABCD1234u);
  EXPECT_EQ(SerialFromUuid("abcd-1234"), 0xABCD1234u);
  EXPECT_EQ(SerialFromUuid("1A2B3C4D5E6F7A8B"), 0x5E6F7A8Bu);  // NTFS
  EXPECT_EQ(SerialFromUuid("0b5f3c2e-6d7a-4e3b-9f1a-2c3d4e5f6a7b"), 0x0B5F3C2Eu);
  EXPECT_EQ(SerialFromUuid("2020-01-01-12-00-00-00"), 0x20200101u);  // ISO 9660 date
  EXPECT_EQ(SerialFromUuid(""), 0u);
  EXPECT_EQ(SerialFromUuid("not-a-uuid"), 0u);
}

TEST(DrivesParsing, TypeFromFileSystem) {
  EXPECT_EQ(DriveTypeOfFileSystem("tmpfs", "tmpfs"), DriveType::Ram);
  EXPECT_EQ(DriveTypeOfFileSystem("ramfs", "none"), DriveType::Ram);
  for (const char* fs : {"nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs", "9p"}) {
    EXPECT_EQ(DriveTypeOfFileSystem(fs, "server:/x"), DriveType::Network) << fs;
  }
  EXPECT_EQ(DriveTypeOfFileSystem("iso9660", "/dev/loop0"), DriveType::CDRom);
  EXPECT_EQ(DriveTypeOfFileSystem("udf", "/dev/sdc"), DriveType::CDRom);
  EXPECT_EQ(DriveTypeOfFileSystem("vfat", "/dev/sr0"), DriveType::CDRom);
  EXPECT_FALSE(DriveTypeOfFileSystem("vfat", "/dev/sdb1"));
  EXPECT_FALSE(DriveTypeOfFileSystem("nfsd", "nfsd"));
  EXPECT_FALSE(DriveTypeOfFileSystem("fuse", "/dev/fuse"));
}

}  // namespace
}  // namespace qel::platform
