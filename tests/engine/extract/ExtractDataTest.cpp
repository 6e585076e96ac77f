// The data side: test mode, CRC verdicts, dates and permissions, write failures and
// entries that run on into the next volume.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <iterator>

#include "engine/base/Messages.h"
#include "engine/streams/DataDecipher.h"
#include "tests/engine/extract/TestReader.h"
#include "tests/support/EnvVar.h"

namespace qel::test {
namespace {

using Ends = std::vector<std::pair<std::string, bool>>;

TEST(ExtractData, TestModeWritesNothingAndGivesCrcVerdicts) {
  TestFolder scratch;
  TestReader reader;
  reader.Add("good", "payload");
  reader.Add("bad", "payload");
  reader.Entries[1].Crc ^= 1;
  reader.Save(scratch / "arc.bin");
  reader.SetExtractDir(scratch / "out");

  EXPECT_EQ(reader.Test(), 2);
  EXPECT_TRUE(std::filesystem::is_empty(scratch / "out"));
  EXPECT_EQ(reader.Ends, (Ends{{"good", true}, {"bad", false}}));
  EXPECT_EQ(reader.Codes(), std::vector<int>{msg::CrcCheckFailed});

  // Only output that passed takes its name; what failed leaves nothing behind.
  reader.Ends.clear();
  EXPECT_EQ(reader.Extract(), 2);
  EXPECT_EQ(ReadFileText(scratch / "out/good"), "payload");
  EXPECT_FALSE(std::filesystem::exists(scratch / "out/bad"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch / "out"), {}), 1);
  EXPECT_EQ(reader.Ends, (Ends{{scratch / "out/good", true}, {scratch / "out/bad", false}}));
}

TEST(ExtractData, Crc16EntriesAreCheckedWithTheirOwnWidth) {
  TestFolder scratch;
  TestReader reader;
  reader.Width = TCrcWidth::crc16;
  reader.Add("abc", "abc");
  EXPECT_EQ(reader.Entries[0].Crc, 0x9738u);
  reader.Save(scratch / "arc.bin");
  EXPECT_EQ(reader.Test(), 1);
  EXPECT_EQ(reader.Ends, (Ends{{"abc", true}}));
}

TEST(ExtractData, DatesAndPermissionBitsAreRestored) {
  test::TEnvVar zone("TZ", "UTC");
  mode_t saved = umask(022);
  struct Case {
    const char* name;
    uint32_t dos;
    int64_t unixTime;
    uint8_t host;
    uint32_t attr;
    time_t mtime;
    mode_t mode;
  };
  // 17 May 2020 10:20:30 as a DOS date-time.
  const uint32_t dos = (40u << 25) | (5u << 21) | (17u << 16) | (10u << 11) | (20u << 5) | 15u;
  const std::vector<Case> cases = {
      {"archive-bit", dos, -1, 0, 0x20, 1589710830, 0644},
      {"read-only", dos, -1, 0, 0x21, 1589710830, 0444},
      {"unix-setuid", dos, 1000000000, 3, 0104777u << 16, 1000000000, 0755},
      {"unix-private", dos, -1, 3, 0100600u << 16, 1589710830, 0600},
  };
  TestFolder scratch;
  TestReader reader;
  for (const Case& c : cases) {
    TUnEntry& e = reader.Add(c.name, "x");
    e.DosDateTime = c.dos;
    e.UnixTime = c.unixTime;
    e.HostSystem = c.host;
    e.ExternalAttr = c.attr;
  }
  reader.Save(scratch / "arc.bin");
  reader.SetExtractDir(scratch / "out");
  EXPECT_EQ(reader.Extract(), int(cases.size()));
  umask(saved);
  for (const Case& c : cases) {
    struct stat st {};
    ASSERT_EQ(stat((scratch / "out/" + c.name).c_str(), &st), 0) << c.name;
    EXPECT_EQ(st.st_mtime, c.mtime) << c.name;
    EXPECT_EQ(st.st_mode & 07777, c.mode) << c.name;
  }
}

TEST(ExtractData, AShortWriteIsReportedAndEndsTheOperation) {
  TestFolder scratch;
  TestReader reader;
  reader.Add("big", std::string(100, 'z'));
  reader.Save(scratch / "arc.bin");
  reader.SetExtractDir(scratch / "out");
  // A full disk, as far as this process can tell: writes past 10 bytes fail with EFBIG.
  struct rlimit saved {};
  getrlimit(RLIMIT_FSIZE, &saved);
  struct rlimit small = saved;
  small.rlim_cur = 10;
  auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  reader.Extract();
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, oldHandler);

  EXPECT_EQ(reader.Codes(), std::vector<int>{msg::ErrorWritingFile});
  EXPECT_TRUE(reader.Ends.empty());
}

// Stands in for an entry cipher: its key position runs on from call to call.
class XorDecipher : public IDataDecipher {
 public:
  void Decipher(uint8_t* data, size_t size) override {
    for (size_t i = 0; i < size; ++i) data[i] ^= uint8_t(0x40 + position_++ % 7);
  }

 private:
  size_t position_ = 0;
};

TEST(ExtractData, ReadsCrossIntoTheNextVolumeAndStopAtTheEntryEnd) {
  TestFolder scratch;
  std::string plain = "hello world!";
  std::string stored = plain;
  XorDecipher cipher;
  cipher.Decipher(reinterpret_cast<uint8_t*>(stored.data()), stored.size());
  WriteFileText(scratch / "set.001", stored.substr(0, 6));
  WriteFileText(scratch / "set.002", stored.substr(6) + "TRAILING");
  XorDecipher decipher;
  TestReader reader;
  reader.Add("v", plain).Decipher = &decipher;
  reader.SetArchiveFile(scratch / "set.001");
  reader.SetExtractDir(scratch / "out");
  std::vector<std::pair<std::string, int>> asked;
  reader.OnNextVolume = [&](TZipCommon&, WideString& name, int id, bool exists, bool&) {
    EXPECT_TRUE(exists);
    asked.emplace_back(name, id);
  };
  int lastByFile = -1;
  reader.OnProgress = [&](TZipCommon&, uint8_t byFile, uint8_t) { lastByFile = byFile; };

  EXPECT_EQ(reader.Extract(), 1);
  EXPECT_EQ(asked, (std::vector<std::pair<std::string, int>>{{scratch / "set.002", 1}}));
  EXPECT_EQ(ReadFileText(scratch / "out/v"), "hello world!");
  EXPECT_EQ(reader.Ends, (Ends{{scratch / "out/v", true}}));
  EXPECT_EQ(lastByFile, 100);
  EXPECT_TRUE(reader.Errors.empty());
}

}  // namespace
}  // namespace qel::test
