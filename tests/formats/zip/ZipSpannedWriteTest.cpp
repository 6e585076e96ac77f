// A new archive written onto a floppy-sized removable drive is spanned over its disks, and
// its enciphered entries use ZipCrypto there.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "engine/volumes/VolumeNames.h"
#include "formats/zip/UnZip.h"
#include "formats/zip/ZipWriter.h"
#include "platform/FakeDrives.h"
#include "tests/support/PeerTools.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;

TEST(ZipSpannedWrite, AnArchiveOnAFloppySpansItsDisks) {
  TestFolder dir;
  fs::create_directories(dir / "in");
  std::mt19937 random(5);
  std::string noise(2'000'000, '\0');
  for (char& c : noise) c = char(random());
  WriteFileText(dir / "in/noise.bin", noise);
  WriteFileText(dir / "in/small.txt", "small\n");

  platform::FakeDrives drives;
  platform::DriveInfo floppy;
  floppy.Type = platform::DriveType::Removable;
  floppy.TotalBytes = 1457664;
  const std::string drive = dir / "drive";
  drives.Add(drive, floppy);
  const auto insert = [&](int disk) {
    const std::string backing = dir / ("disk" + std::to_string(disk));
    fs::create_directories(backing);
    ASSERT_TRUE(drives.Insert(drive, DiskLabel(disk), 0x100u + uint32_t(disk), backing));
  };
  insert(1);

  TZip zip;
  zip.Drives = &drives;
  zip.SetTempDir(dir.Path());
  zip.SetArchiveFile(drive + "/set.zip");
  zip.FileSpec = {dir / "in/*"};
  zip.StoredDirNames = TStoredDirNames::sdNone;
  zip.SetPassword("secret");
  zip.EncryptionMethod = TEncryptionMethod::emAes2_256;
  std::vector<std::string> asked;
  zip.OnInsertDisk = [&](TZipCommon&, const WideString& disk, bool&) {
    asked.push_back(disk);
    insert(std::stoi(disk));
  };
  EXPECT_EQ(zip.Compress(), 2);
  EXPECT_EQ(asked, (std::vector<std::string>{"1", "2"}));
  // Behind the span marker, the first entry: enciphered (bit 0) with ZipCrypto (not method 99).
  const Bytes first = ReadFileBytes(dir / "disk1/set.zip");
  ASSERT_GT(first.size(), 34u);
  EXPECT_EQ(first[0] | first[1] << 8 | first[2] << 16 | first[3] << 24, 0x08074B50);
  EXPECT_TRUE(first[4 + 6] & 1);
  EXPECT_NE(first[4 + 8], 99);

  // The disks, copied out as a split set, read back by our reader with ZipCrypto entries.
  fs::create_directories(dir / "set");
  fs::copy_file(dir / "disk1/set.zip", dir / "set/set.z01");
  fs::copy_file(dir / "disk2/set.zip", dir / "set/set.zip");
  TUnZip reader;
  int passed = 0;
  reader.OnEnd = [&](TZipCommon&, const WideString&, bool pass) { passed += pass; };
  reader.SetArchiveFile(dir / "set/set.zip");
  reader.SetPassword("secret");
  reader.SetExtractDir(dir / "out");
  EXPECT_EQ(reader.Extract(), 2);
  EXPECT_EQ(passed, 2);
  EXPECT_EQ(ReadFileBytes(dir / "out/noise.bin"), ReadFileBytes(dir / "in/noise.bin"));
  if (RequireTool("7z")) {
    EXPECT_TRUE(RunToolOk({"7z", "t", "-psecret", dir / "set/set.zip"}));
  }
}

}  // namespace
}  // namespace qel::test
