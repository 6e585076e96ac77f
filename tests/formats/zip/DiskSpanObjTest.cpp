// Spreading a finished archive over fake 100 KB floppies: which disks are asked for and
// accepted, what each one holds, and the set read back by the peer tools and our reader.
#include "formats/zip/DiskSpanObj.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>
#include <utility>

#include "engine/streams/MemoryStream32.h"
#include "engine/volumes/VolumeNames.h"
#include "formats/zip/UnZip.h"
#include "platform/FakeDrives.h"
#include "tests/engine/base/TestComponent.h"
#include "tests/support/PeerTools.h"
#include "tests/support/ZipImage.h"

namespace qel {
namespace {

namespace fs = std::filesystem;
constexpr int64_t kDiskSize = 100 * 1024;
const test::Bytes kMarker = {0x50, 0x4B, 0x07, 0x08};

struct SpanFixture : ::testing::Test {
  void SetUp() override {
    platform::DriveInfo floppy;
    floppy.Type = platform::DriveType::Removable;
    floppy.TotalBytes = kDiskSize;
    drives.Add(drive, floppy);
    owner.Drives = &drives;
    owner.OnInsertDisk = [this](TZipCommon&, const WideString& disk, bool&) {
      asked.push_back(disk);
      Insert(std::stoi(disk));
    };
  }
  std::string Disk(int disk) const { return folder / ("disk" + std::to_string(disk)); }
  void Insert(int disk) {
    fs::create_directories(Disk(disk));
    ASSERT_TRUE(drives.Insert(drive, DiskLabel(disk), 0x5000u + uint32_t(disk), Disk(disk)));
  }
  test::Bytes Volume(int disk) const { return test::ReadFileBytes(Disk(disk) + "/set.zip"); }
  void Place(int disk, const std::string& name, size_t size) {
    fs::create_directories(Disk(disk));
    test::WriteZeroFile(Disk(disk) + "/" + name, size);
  }

  // Spans an archive of stored noise files of `sizes` bytes onto the drive.
  bool Span(const std::vector<size_t>& sizes, int64_t leaveSpace = 0) {
    std::mt19937 random(11);
    std::vector<test::ZipEntry> entries;
    for (size_t size : sizes) {
      std::string noise(size, '\0');
      for (char& c : noise) c = char(random());
      names.push_back("f" + std::to_string(names.size()) + ".bin");
      test::WriteFileText(folder / names.back(), noise);
      entries.push_back({names.back(), noise});
    }
    const test::ZipImage image = test::BuildStoredZip(entries);
    TMemoryStream32 source(image.bytes);
    TSpanSource input{source, image.centralPos, {}, "spanned set"};
    for (int64_t pos = image.centralPos; input.Records.size() < entries.size();) {
      zip::TCentralRecord& rec = input.Records.emplace_back();
      rec.Header = zip::UnpackCentral(image.bytes.data() + pos);
      rec.Name = entries[input.Records.size() - 1].name;
      rec.Packed = rec.Unpacked = rec.Header.CompressedSize;
      rec.Offset = rec.Header.LocalOffset;
      pos += int64_t(zip::kCentralHeaderSize + rec.Name.size());
    }
    TDiskSpanObj span(owner, drive + "/set.zip", std::move(input), leaveSpace);
    const bool done = span.Write();
    disks = span.DiskCount();
    return done;
  }
  // 7-Zip reads the set as it is; unzip once `zip` has joined it.
  void PeersAccept(const std::string& dir) {
    VK_REQUIRE_TOOL("7z");
    VK_REQUIRE_TOOL("zip");
    VK_REQUIRE_TOOL("unzip");
    EXPECT_TRUE(test::RunToolOk({"7z", "t", "set.zip"}, dir));
    EXPECT_TRUE(test::RunToolOk({"zip", "-q", "-s", "0", "set.zip", "--out", "joined.zip"}, dir));
    EXPECT_TRUE(test::RunToolOk({"unzip", "-tq", "joined.zip"}, dir));
  }

  test::TestFolder folder;
  std::string drive = folder / "drive";
  platform::FakeDrives drives;
  test::TestComponent owner;
  std::vector<std::string> asked;
  std::vector<std::string> names;
  int disks = 0;
};

using DiskSpanObjTest = SpanFixture;

TEST_F(DiskSpanObjTest, SpreadsOverCheckedDisksAndReadsBack) {
  Place(1, "junk", 77312);  // 25088 bytes free: short of the first disk's reserve
  Place(2, "junk", 1000);   // enough room left: kept when the user lets it be
  std::vector<std::vector<int64_t>> cleared;
  owner.OnClearDisk = [&](TZipCommon&, const WideString&, bool&, int64_t size, int64_t free,
                          int64_t required) {
    cleared.push_back({size, free, required});
    if (cleared.size() == 1) fs::remove(drive + "/junk");
  };
  bool sameDiskOffered = false;
  owner.OnInsertDisk = [&](TZipCommon&, const WideString& disk, bool&) {
    asked.push_back(disk);
    Insert(disk == "2" && !std::exchange(sameDiskOffered, true) ? 1 : std::stoi(disk));
  };
  ASSERT_TRUE(Span({120000, 2000, 150000, 30000}, 20000));
  ASSERT_GE(disks, 4);
  EXPECT_EQ(cleared, (std::vector<std::vector<int64_t>>{{kDiskSize, 25088, 30000},
                                                        {kDiskSize, kDiskSize - 1024, 10000}}));
  // Disk 1 was offered again for disk 2 and refused before anything on it was touched.
  EXPECT_EQ(std::vector<std::string>(asked.begin(), asked.begin() + 3),
            (std::vector<std::string>{"1", "2", "2"}));
  EXPECT_EQ(asked.size(), size_t(disks + 1));
  EXPECT_TRUE(fs::exists(Disk(2) + "/junk"));
  EXPECT_TRUE(std::equal(kMarker.begin(), kMarker.end(), Volume(1).begin()));
  EXPECT_LE(int64_t(Volume(1).size()), kDiskSize - 20000);
  EXPECT_LE(int64_t(Volume(2).size()), kDiskSize - 1024);
  for (int disk = 3; disk <= disks; ++disk) EXPECT_LE(int64_t(Volume(disk).size()), kDiskSize);

  const std::string peer = folder / "peer";
  fs::create_directories(peer);
  for (int disk = 1; disk <= disks; ++disk)
    fs::copy_file(Disk(disk) + "/set.zip",
                  peer + "/" + VolumeFileName("set.zip", disk, disks, disk == disks));
  PeersAccept(peer);

  TUnZip reader;
  reader.Drives = &drives;
  reader.OnGetZipLastDisk = [&](TZipCommon&, bool& cancel) { Insert(disks), cancel = false; };
  reader.OnGetZipFirstDisk = [&](TZipCommon&, bool&) { Insert(1); };
  reader.OnGetZipNextDisk = [&](TZipCommon&, const WideString& n, bool&) { Insert(std::stoi(n)); };
  Insert(disks);
  reader.SetArchiveFile(drive + "/set.zip");
  EXPECT_EQ(reader.ArcType(), atZipDS);
  reader.SetExtractDir(folder / "out");
  EXPECT_EQ(reader.Extract(), 4);
  for (const std::string& name : names)
    EXPECT_EQ(test::ReadFileBytes(folder / ("out/" + name)), test::ReadFileBytes(folder / name));
}

TEST_F(DiskSpanObjTest, MarksOnlyArchivesWithoutTenThousandToSpare) {
  struct Row {
    size_t size;
    bool marked;
  };
  for (Row row : {Row{40000, false}, Row{95000, true}}) {
    SCOPED_TRACE(row.size);
    fs::remove_all(Disk(1)), names.clear();
    ASSERT_TRUE(Span({row.size}));
    EXPECT_EQ(disks, 1);
    EXPECT_EQ(std::equal(kMarker.begin(), kMarker.end(), Volume(1).begin()), row.marked);
    PeersAccept(Disk(1));
  }
}

struct Refusal {
  const char* name;
  std::function<void(SpanFixture&)> arrange;
  int code;
  const char* extended;
  bool keepsOldFile = false;
};

class DiskSpanRefusalTest : public SpanFixture, public ::testing::WithParamInterface<Refusal> {};

TEST_P(DiskSpanRefusalTest, EndsTheWriteWithItsReport) {
  GetParam().arrange(*this);
  EXPECT_FALSE(Span({150000}));
  ASSERT_FALSE(owner.Errors.empty());
  EXPECT_EQ(owner.Errors.back().ECode, GetParam().code);
  EXPECT_EQ(owner.Errors.back().ExtendedMsg, GetParam().extended);
  if (GetParam().keepsOldFile) {
    EXPECT_EQ(Volume(1).size(), 3u);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DiskSpanRefusalTest,
    ::testing::Values(Refusal{"NoInsertDisk",
                              [](SpanFixture& t) { t.owner.OnInsertDisk = nullptr; }, 25281,
                              "OnInsertDisk"},
                      Refusal{"NoFileExists", [](SpanFixture& t) { t.Place(1, "set.zip", 3); },
                              25281, "OnFileExists"},
                      Refusal{"NoClearDisk", [](SpanFixture& t) { t.Place(1, "junk", 95000); },
                              25281, "OnClearDisk"},
                      Refusal{"FileKept",
                              [](SpanFixture& t) {
                                t.Place(1, "set.zip", 3);
                                t.owner.OnDiskSpanFileExists = [](TZipCommon&, const WideString&,
                                                                  TOverwriteMode& m) {
                                  m = TOverwriteMode::omSkip;
                                };
                              },
                              25361, "", true},
                      Refusal{"CancelAtDiskTwo",
                              [](SpanFixture& t) {
                                t.owner.OnInsertDisk = [&t](TZipCommon&, const WideString& disk,
                                                            bool& cancel) {
                                  cancel = disk == "2";
                                  t.Insert(1);
                                };
                              },
                              25361, ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qel
