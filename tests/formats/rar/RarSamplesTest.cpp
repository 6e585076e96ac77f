// The public RAR samples against the peers: every listing field equals what `7z l -slt`
// shows (7z lists RAR even where it decodes nothing), and what bsdtar extracts, Vorelkit
// extracts byte for byte; libarchive decodes RAR data for both.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "codecs/checksum/Crc.h"
#include "engine/base/DateTime.h"
#include "engine/base/Messages.h"
#include "engine/list/EntryText.h"
#include "formats/rar/LibarchiveRar.h"
#include "formats/rar/UnrarApi.h"
#include "tests/engine/list/ListerRun.h"
#include "tests/support/CliRun.h"
#include "tests/support/PeerTools.h"
#include "tests/support/SampleArchives.h"
#include "tests/support/TestFolder.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;

// Every sample that opens from its own file (later volumes open with the first).
const char* const kSamples[] = {
    "rar/sc_Rar15.rar",
    "rar/rarfile_rar202-comment-nopsw.rar",
    "rar/rarfile_rar202-comment-psw.rar",
    "rar/rarfile_rar2-unix-owner.rar",
    "rar/rar2multi/Rar2.multi.rar",
    "rar/rarfile_rar3-solid.rar",
    "rar/rarfile_rar3-comment-psw.rar",
    "rar/rarfile_rar3-subdirs.rar",
    "rar/rar3vols/rar3-vols.part1.rar",
    "rar/ssokolow_testfile.rar3.rar",
    "rar/ssokolow_testfile.rar3.av.rar",
    "rar/ssokolow_testfile.rar3.wincon.sfx.exe",
    "rar/ssokolow_testfile.rar5.rar",
    "rar/rarfile_rar5-solid.rar",
    "rar/rarfile_rar5-psw.rar",
    "rar/rarfile_rar5-subdirs.rar",
};

class RarSamples : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::is_directory(SampleFolder() + "/rar"))
      GTEST_SKIP() << SampleFolder() << " not present";
  }
};

using TFields = std::map<std::string, std::string>;

// `7z l -slt`'s records, one per entry, keyed by path.
std::map<std::string, TFields> SevenZipListing(const std::string& archive) {
  const ToolRun run = RunTool({"7z", "l", "-slt", "-p-", archive});
  std::map<std::string, TFields> entries;
  const std::vector<std::string> lines = Split(run.out, '\n');
  auto line = std::find(lines.begin(), lines.end(), "----------");
  TFields current;
  for (; line != lines.end(); ++line) {
    const size_t eq = line->find(" = ");
    if (eq != std::string::npos) current[line->substr(0, eq)] = line->substr(eq + 3);
    if ((line->empty() || line + 1 == lines.end()) && current.count("Path")) {
      entries[current["Path"]] = current;
      current.clear();
    }
  }
  return entries;
}

std::string Text(TDateTime t) {
  int y, mo, d, h, mi, s;
  DecodeDateTime(t, y, mo, d, h, mi, s);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", y, mo, d, h, mi, s);
  return buf;
}

TEST_F(RarSamples, ListingEqualsSevenZipFieldByField) {
  VK_REQUIRE_TOOL("7z");
  for (const char* sample : kSamples) {
    // 7z finds no archive behind this self-extractor's program.
    if (std::string(sample).ends_with(".exe")) continue;
    SCOPED_TRACE(sample);
    const std::string archive = SampleFolder() + "/" + sample;
    const TListed ours = ListArchive(archive);
    const std::map<std::string, TFields> peer = SevenZipListing(archive);
    ASSERT_TRUE(ours.ran);
    ASSERT_EQ(ours.entries.size(), peer.size());
    for (const TEntryRecord& e : ours.entries) {
      const bool folder = e.FileName.ends_with('/');
      const std::string path = folder ? e.FileName.substr(0, e.FileName.size() - 1) : e.FileName;
      SCOPED_TRACE(path);
      ASSERT_TRUE(peer.count(path));
      TFields p = peer.at(path);
      EXPECT_EQ(p["Folder"], folder ? "+" : "-");
      EXPECT_EQ(p["Size"], std::to_string(e.UnpackedSize));
      EXPECT_EQ(p["Packed Size"], std::to_string(e.PackedSize));
      EXPECT_EQ(p["Modified"].substr(0, 19), e.Date ? Text(e.Date) : "");
      EXPECT_EQ(p["Encrypted"], e.Encrypted ? "+" : "-");
      char crc[9];
      std::snprintf(crc, sizeof crc, "%08X", e.CRC);
      EXPECT_EQ(p["CRC"].empty() ? "00000000" : p["CRC"], crc);  // a MAC is shown as nothing
      EXPECT_EQ(p["Host OS"], HostName(atRar, e.VersionMadeBy));
      // "m3:16" (RAR 4) or "v6:m3:128K" (RAR 5): the method's number after "m".
      const std::string method = p["Method"];
      EXPECT_EQ(method[method.find('m') + 1] - '0', e.Method - 0x30);
      if (p.count("Version")) {
        EXPECT_EQ(p["Version"], std::to_string(e.VersionNeeded));
      }
    }
  }
}

TEST_F(RarSamples, ExtractionEqualsBsdtarWhereBsdtarReadsTheSample) {
  VK_REQUIRE_TOOL("bsdtar");
  int compared = 0;
  for (const char* sample : kSamples) {
    SCOPED_TRACE(sample);
    const std::string archive = SampleFolder() + "/" + sample;
    TestFolder peer, ours;
    if (!RunTool({"bsdtar", "-xf", archive, "-C", peer.Path()}).Ok()) continue;
    ++compared;
    const TCliRun run = Cli({"extract", archive, "-o", ours.Path()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadTree(ours.Path()), ReadTree(peer.Path()));
  }
  EXPECT_GE(compared, 6);
}

// What the encrypted samples give: their entries listed with the flag, never decoded, and
// never "wrong password" for the right one.
TEST_F(RarSamples, EncryptedEntriesAndHeadersFailWithTheirOwnMessage) {
  for (const char* sample : {"rar/rarfile_rar5-psw.rar", "rar/rarfile_rar3-comment-psw.rar",
                             "rar/rarfile_rar5-hpsw.rar"}) {
    SCOPED_TRACE(sample);
    const TCliRun run = Cli({"test", "-p", "password", SampleFolder() + "/" + sample});
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find("encrypted RAR entries are not supported"), std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find("Invalid password"), std::string::npos);
  }
  EXPECT_TRUE(ListArchive(SampleFolder() + "/rar/rarfile_rar5-hpsw.rar")
                  .HasError(msg::RarEncryptionUnsupported));
}

// libarchive reads a set's volumes as one run: the file split over three volumes decodes
// whole from the bytes the reader hands it.
TEST_F(RarSamples, LibarchiveReadsAcrossVolumes) {
  const std::string folder = SampleFolder() + "/rar/rar3vols/";
  const std::vector<std::string> volumes = {folder + "rar3-vols.part1.rar",
                                            folder + "rar3-vols.part2.rar",
                                            folder + "rar3-vols.part3.rar"};
  unrar::TLibarchiveRar reader(volumes, 0);
  ASSERT_EQ(reader.MoveTo(0, {0, 20, 205000, false}), unrar::ERAR_SUCCESS);
  uint32_t crc = 0;
  uint64_t size = 0;
  ASSERT_EQ(reader.Read([&](const uint8_t* data, size_t n) {
    crc = Crc32(crc, data, n);
    size += n;
    return true;
  }),
            unrar::ERAR_SUCCESS);
  EXPECT_EQ(size, 205000u);
  EXPECT_EQ(crc, 0x509AD74Cu);
  EXPECT_EQ(reader.MoveTo(1, {2, 450, 2050, false}), unrar::ERAR_SUCCESS);
}

}  // namespace
}  // namespace qel::test
