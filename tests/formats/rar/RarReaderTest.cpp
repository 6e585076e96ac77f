// The RAR reader on archives built here: split files over volumes of both namings, missing
// volumes, hostile names and links, damage, the password rules and a missing library.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/base/Libraries.h"
#include "engine/base/Messages.h"
#include "engine/volumes/VolumeNames.h"
#include "formats/rar/UnRar.h"
#include "formats/rar/UnrarApi.h"
#include "tests/engine/list/ListerRun.h"
#include "tests/support/CliFolder.h"
#include "tests/support/CliRun.h"
#include "tests/support/RarBuilder.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;

Bytes Of(const std::string& s) { return Bytes(s.begin(), s.end()); }

class RarReader : public ::testing::Test {
 protected:
  // Writes the volumes under the set's names, the first as `first`; answers their paths.
  std::vector<std::string> Write(const std::vector<Bytes>& volumes, const std::string& first,
                                 bool newNumbering = false) {
    std::vector<std::string> paths = {dir_ / first};
    for (size_t i = 1; i < volumes.size(); ++i)
      paths.push_back(NextRarVolume(paths.back(), newNumbering));
    for (size_t i = 0; i < volumes.size(); ++i) WriteFileBytes(paths[i], volumes[i]);
    return paths;
  }
  // Runs the reader over `archive` into `out` (testing when `out` is empty), with its
  // errors' codes kept.
  int Extract(const std::string& archive, const std::string& out,
              const std::function<void(TUnRar&)>& configure = {}) {
    TUnRar r;
    r.OnError = [&](TZipCommon&, const WideString&, const WideString&, const WideString&,
                    int code) { errors_.push_back(code); };
    if (configure) configure(r);
    r.SetArchiveFile(archive);
    if (out.empty()) return r.Test();
    r.SetExtractDir(out);
    return r.Extract();
  }
  bool Reported(int code) const {
    return std::find(errors_.begin(), errors_.end(), code) != errors_.end();
  }
  TestFolder dir_;
  std::vector<int> errors_;
};

const std::vector<TRarFile> kSetFiles = {
    {"a.txt", Of("first")}, {"dir\\big.bin", Of(RandomData(5000))}, {"c.txt", Of(TextData(300))}};

TEST_F(RarReader, FilesSplitOverVolumesListOnceAndExtractWhole) {
  for (const bool newNumbering : {false, true}) {
    SCOPED_TRACE(newNumbering ? "x.part1.rar" : "x.rar");
    TestFolder out("out");
    const std::vector<std::string> paths =
        Write(BuildRar4(kSetFiles, 1500, newNumbering), newNumbering ? "x.part1.rar" : "x.rar",
              newNumbering);
    ASSERT_EQ(paths.size(), 4u);
    EXPECT_EQ(fs::path(paths[1]).filename(), newNumbering ? "x.part2.rar" : "x.r00");
    const TListed listed = ListArchive(paths[0]);
    ASSERT_EQ(listed.Names(), (std::vector<std::string>{"a.txt", "dir/big.bin", "c.txt"}));
    EXPECT_EQ(listed.entries[1].PackedSize, 5000);
    EXPECT_EQ(listed.entries[1].VolumeName, paths[0]);
    EXPECT_EQ(Extract(paths[0], out.Path()), 3);
    EXPECT_EQ(ReadFileBytes(out / "dir/big.bin"), kSetFiles[1].data);
    EXPECT_TRUE(errors_.empty());

    // Without its third volume the file split into it fails and leaves nothing, and the
    // walk ends there.
    fs::rename(paths[2], dir_ / "away");
    TestFolder partial("partial");
    errors_.clear();
    Extract(paths[0], partial.Path());
    EXPECT_EQ(PathsBelow(partial.Path()), (std::set<std::string>{"a.txt"}));
    EXPECT_TRUE(Reported(msg::FileNotFound));
    fs::rename(dir_ / "away", paths[2]);

    // Opened at a later volume, the file begun before it is passed over, said so, and what
    // follows is whole.
    TestFolder later("later");
    errors_.clear();
    EXPECT_EQ(Extract(paths[2], later.Path()), 1);
    EXPECT_EQ(PathsBelow(later.Path()), (std::set<std::string>{"c.txt"}));
    EXPECT_TRUE(Reported(msg::SkippedFile));
    errors_.clear();
  }
}

// A volume moved elsewhere is found where the application says it is.
TEST_F(RarReader, AMissingVolumeIsAskedFor) {
  const std::vector<std::string> paths = Write(BuildRar4(kSetFiles, 1500), "x.rar");
  fs::create_directory(dir_ / "moved");
  for (size_t i = 1; i < paths.size(); ++i)
    fs::rename(paths[i], dir_ / "moved" / fs::path(paths[i]).filename());
  std::vector<std::string> asked;
  EXPECT_EQ(Extract(paths[0], "",
                    [&](TUnRar& r) {
                      r.OnNextVolume = [&](TZipCommon&, WideString& name, int, bool exists, bool&) {
                        asked.push_back(fs::path(name).filename().string() + (exists ? "" : "?"));
                        if (!exists) name = dir_ / "moved" / fs::path(name).filename();
                      };
                    }),
            3);
  EXPECT_EQ(asked, (std::vector<std::string>{"x.r00?", "x.r01", "x.r02"}));
  EXPECT_TRUE(errors_.empty());
  // Cancelled, the operation ends cleanly.
  asked.clear();
  EXPECT_EQ(Extract(paths[0], "",
                    [&](TUnRar& r) {
                      r.OnNextVolume = [](TZipCommon&, WideString&, int, bool, bool& cancel) {
                        cancel = true;
                      };
                    }),
            1);
}

TEST_F(RarReader, HostileNamesStayInsideAndLinksAreNeverMade) {
  const std::vector<TRarFile> files = {
      {"..\\..\\up.txt", Of("1")},     {"/abs/root.txt", Of("2")},
      {"dir/../../dots.txt", Of("3")}, {"link", Of("/etc/passwd"), 3, 0xA1FF},
      {"device", {}, 3, 0x61A4},       {"unixdir", {}, 3, 0x41ED}};
  const std::string archive = Write(BuildRar4(files), "h.rar")[0];
  const TListed listed = ListArchive(archive);
  EXPECT_EQ(listed.Names(),
            (std::vector<std::string>{"../../up.txt", "/abs/root.txt", "dir/../../dots.txt", "link",
                                      "device", "unixdir/"}));
  TestFolder out("out");
  Extract(archive, out.Path());
  EXPECT_EQ(PathsBelow(out.Path()),
            (std::set<std::string>{"up.txt", "abs", "abs/root.txt", "dir", "dir/dots.txt"}));
  EXPECT_TRUE(Reported(msg::SkippedFile));
  EXPECT_EQ(PathsBelow(dir_.Path()), (std::set<std::string>{"h.rar"}));
}

// Every prefix of an archive, and headers whose sizes point past the end: a clean error,
// and only whole files written. (Archives before RAR 3 have no end block: one cut between
// blocks reads as complete.)
TEST_F(RarReader, DamageEndsTheWalkCleanly) {
  const Bytes whole = BuildRar4(kSetFiles)[0];
  for (size_t cut = 0; cut < whole.size(); cut += 7) {
    SCOPED_TRACE(cut);
    const std::string path = dir_ / "cut.rar";
    WriteFileBytes(path, Bytes(whole.begin(), whole.begin() + long(cut)));
    TestFolder out("out");
    Cli({"extract", path, "-o", out.Path()});
    for (const TRarFile& f : kSetFiles) {
      std::string written = out / f.name;
      std::replace(written.begin(), written.end(), '\\', '/');
      if (fs::exists(written)) {
        EXPECT_EQ(ReadFileBytes(written), f.data) << f.name;
      }
    }
  }
  Bytes past = whole;
  past[20 + 5] = 0xFF;  // the first file header's size
  past[20 + 6] = 0xFF;
  WriteFileBytes(dir_ / "past.rar", past);
  EXPECT_TRUE(ListArchive(dir_ / "past.rar").HasError(msg::BadFileHeader));
  Bytes crc = whole;
  crc[20] ^= 1;
  WriteFileBytes(dir_ / "crc.rar", crc);
  EXPECT_TRUE(ListArchive(dir_ / "crc.rar").HasError(msg::BadFileHeader));
}

// RAR 5 entries checked by a CRC or by a BLAKE2sp hash alone: whole ones pass, a damaged
// byte fails either way, and an archive cut before its end block is damaged.
TEST_F(RarReader, Rar5ChecksEveryEntryByWhatItCarries) {
  for (const bool blake2 : {false, true}) {
    SCOPED_TRACE(blake2 ? "BLAKE2sp" : "CRC-32");
    Bytes archive = BuildRar5({{"a.txt", Of("alpha")}, {"b.bin", Of(RandomData(3000))}}, blake2);
    WriteFileBytes(dir_ / "five.rar", archive);
    errors_.clear();
    EXPECT_EQ(Extract(dir_ / "five.rar", ""), 2);
    EXPECT_TRUE(errors_.empty());
    archive[archive.size() - 100] ^= 1;  // in b.bin's data
    WriteFileBytes(dir_ / "five.rar", archive);
    Extract(dir_ / "five.rar", "");
    EXPECT_EQ(errors_, std::vector<int>{msg::CrcCheckFailed});
    archive.resize(archive.size() - 3);  // into the end block
    WriteFileBytes(dir_ / "five.rar", archive);
    EXPECT_TRUE(ListArchive(dir_ / "five.rar").HasError(msg::BadFileHeader));
  }
}

TEST_F(RarReader, EncryptedEntriesAskForThePasswordThenFailWithTheirOwnMessage) {
  const std::string archive =
      Write(BuildRar4({{"secret.txt", Of("xyz"), 2, 0x20, false, true}}), "p.rar")[0];
  EXPECT_TRUE(ListArchive(archive).entries.at(0).Encrypted);
  // A held or given password is never called wrong: it cannot be tried.
  struct Case {
    const char* what;
    const char* held;
    bool handler;
    int message;
  };
  for (const Case& c :
       {Case{"a password held, nobody to ask", "held", false, msg::RarEncryptionUnsupported},
        Case{"none, nobody to ask", "", false, msg::RequiredEventNotAssigned},
        Case{"a password given", "", true, msg::RarEncryptionUnsupported}}) {
    SCOPED_TRACE(c.what);
    errors_.clear();
    std::vector<std::string> asked;
    EXPECT_EQ(Extract(archive, "",
                      [&](TUnRar& r) {
                        r.SetPassword(c.held);
                        if (c.handler)
                          r.OnGetPassword = [&](TZipCommon&, const WideString& name, AnsiString& pw,
                                                TSeedKeyRecord&, TSeedKeyRecord&, bool&) {
                            asked.push_back(name);
                            pw = "pw";
                          };
                      }),
              0);
    EXPECT_EQ(errors_, std::vector<int>{c.message});
    EXPECT_EQ(asked.size(), c.handler ? 1u : 0u);
  }
}

TEST_F(RarReader, AnAbsentLibraryIsReportedByItsName) {
  const std::string archive = Write(BuildRar4(kSetFiles), "x.rar")[0];
  const TLibraryOverride absent(unrar::kLibraryName, nullptr);
  EXPECT_TRUE(ListArchive(archive).HasError(msg::RarLibraryNotFound));
  EXPECT_EQ(Extract(archive, ""), 0);
  EXPECT_EQ(errors_, std::vector<int>{msg::RarLibraryNotFound});
}

TEST(RarVolumeNames, BothNumberings) {
  const struct {
    const char* path;
    bool newNumbering;
    const char* next;
  } cases[] = {{"d/x.rar", false, "d/x.r00"},
               {"d/x.r00", false, "d/x.r01"},
               {"d/x.r99", false, "d/x.s00"},
               {"d/X.RAR", false, "d/X.R00"},
               {"d/x.exe", false, "d/x.r00"},
               {"d/x.part1.rar", true, "d/x.part2.rar"},
               {"d/x.part09.rar", true, "d/x.part10.rar"},
               {"d/x.part9.rar", true, "d/x.part10.rar"},
               {"d/x.part1.exe", true, "d/x.part2.rar"},
               {"d/1.x/v", false, "d/1.x/v.r00"}};
  for (const auto& c : cases) EXPECT_EQ(NextRarVolume(c.path, c.newNumbering), c.next) << c.path;
}

}  // namespace
}  // namespace qel::test
