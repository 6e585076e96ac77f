// A `zip -s 64k` set put on fake floppies labelled "PKBACK# 001"...: each disk holds its
// volume as set.zip, as every disk of a spanned set does; the last one is the set's own
// set.zip. One fake drive plays them all.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/base/ZipCommon.h"
#include "platform/FakeDrives.h"
#include "tests/support/PeerTools.h"

namespace qel::test {

class SpannedSetTest : public ::testing::Test {
 protected:
  // Skips the test when zip is missing; disk 1 is in the drive afterwards.
  void SetUp() override;

  std::string Disk(int disk) const { return folder / ("disk" + std::to_string(disk)); }
  void Insert(int disk);
  int64_t VolumeSize(int disk) const;
  // Handlers on `component` that insert the disk asked for and record each question
  // ("last", "first", then the disk number).
  void AnswerByInserting(TZipCommon& component);

  TestFolder folder;
  std::string drive = folder / "drive";
  std::string archive = drive + "/set.zip";
  int disks = 0;
  platform::FakeDrives drives;
  std::vector<std::string> asked;
};

}  // namespace qel::test
