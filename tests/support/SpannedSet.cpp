#include "tests/support/SpannedSet.h"

#include <filesystem>
#include <random>

#include "engine/volumes/VolumeNames.h"

namespace qel::test {

namespace fs = std::filesystem;

void SpannedSetTest::SetUp() {
  if (!RequireTool("zip")) GTEST_SKIP();
  std::mt19937 random(7);
  Bytes noise(150000);
  for (uint8_t& b : noise) b = uint8_t(random());
  WriteFileBytes(folder / "r.bin", noise);
  WriteFileText(folder / "a.txt", "first entry\n");
  WriteFileText(folder / "b.txt", "last entry\n");
  ASSERT_TRUE(RunToolOk({"zip", "-q", "-X", "-s", "64k", "set.zip", "a.txt", "r.bin", "b.txt"},
                        folder.Path()));
  while (fs::exists(folder / VolumeFileName("set.zip", disks + 1, 0, false))) ++disks;
  ++disks;  // set.zip itself
  ASSERT_GE(disks, 3);
  for (int disk = 1; disk <= disks; ++disk) {
    fs::create_directories(Disk(disk));
    fs::copy_file(folder / VolumeFileName("set.zip", disk, disks, disk == disks),
                  Disk(disk) + "/set.zip");
  }
  platform::DriveInfo floppy;
  floppy.Type = platform::DriveType::Removable;
  floppy.TotalBytes = 1457664;
  drives.Add(drive, floppy);
  Insert(1);
}

void SpannedSetTest::Insert(int disk) {
  ASSERT_TRUE(drives.Insert(drive, DiskLabel(disk), uint32_t(disk), Disk(disk)));
}

int64_t SpannedSetTest::VolumeSize(int disk) const {
  return int64_t(fs::file_size(Disk(disk) + "/set.zip"));
}

void SpannedSetTest::AnswerByInserting(TZipCommon& component) {
  component.OnGetZipLastDisk = [this](TZipCommon&, bool& cancel) {
    asked.push_back("last");
    Insert(disks);
    cancel = false;
  };
  component.OnGetZipFirstDisk = [this](TZipCommon&, bool&) {
    asked.push_back("first");
    Insert(1);
  };
  component.OnGetZipNextDisk = [this](TZipCommon&, const WideString& volume, bool&) {
    asked.push_back(volume);
    Insert(std::stoi(volume));
  };
}

}  // namespace qel::test
