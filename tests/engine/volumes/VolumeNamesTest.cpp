#include <gtest/gtest.h>

#include "engine/volumes/VolumeNames.h"

namespace qel {
namespace {

TEST(VolumeNames, NumberedExtensionsAndTheLastVolume) {
  EXPECT_EQ(VolumeFileName("backup.zip", 7, 12, false), "backup.z07");
  EXPECT_EQ(VolumeFileName("backup.zip", 12, 12, true), "backup.zip");
  // The caller decides what is last: a set still growing numbers its newest volume.
  EXPECT_EQ(VolumeFileName("backup.zip", 12, 12, false), "backup.z12");
  EXPECT_EQ(VolumeFileName("backup.zip", 123, 200, false), "backup.z123");
  EXPECT_EQ(VolumeFileName("/data/v1.2/backup", 3, 5, false), "/data/v1.2/backup.z03");
}

TEST(VolumeNames, DiskNumberOfLabels) {
  EXPECT_EQ(LabelDiskNumber("PKBACK# 003"), 3);
  EXPECT_EQ(LabelDiskNumber("pkback# 002"), 2);
  for (const char* label : {"PKBACK# 3A", "PKBACK# ", "PKBACK#003", "PKBACK#  003", "BACKUP# 003",
                            "PKBACK# 99999999999999999999", ""}) {
    EXPECT_EQ(LabelDiskNumber(label), 0) << label;
  }
  EXPECT_EQ(DiskLabel(1), "PKBACK# 001");
  EXPECT_EQ(LabelDiskNumber(DiskLabel(1234)), 1234);
}

}  // namespace
}  // namespace qel
