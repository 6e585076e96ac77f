// How the lister reports: the events around each entry, folders, sizes and ratios, the
// filters, GetFileList, cancelling, the guards at the start of a listing, and archives
// without a usable central directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/base/Messages.h"
#include "tests/engine/list/ListerRun.h"
#include "tests/engine/list/ZipFields.h"
#include "tests/support/PeerTools.h"

namespace qel::test {
namespace {

using Names = std::vector<std::string>;

class ListerBehaviour : public ::testing::Test {
 protected:
  std::string Write(const ZipImage& img, const std::string& name = "a.zip") {
    WriteFileBytes(dir_ / name, img.bytes);
    return dir_ / name;
  }

  TestFolder dir_;
};

// OnReadFile comes for every header, before the filters; a reported entry is framed by
// OnReadBegin and OnReadEnd with the record already filled; OnRead's offset is the entry's
// local header.
TEST_F(ListerBehaviour, EventsComeInOrderAroundEachEntry) {
  const std::vector<ZipEntry> entries = {{"a.txt", "1"}, {"dir/", ""}, {"dir/b.txt", "22"}};
  const ZipImage img = BuildStoredZip(entries);
  const std::string zip = Write(img);
  Names log;
  std::vector<int64_t> offsets;
  TQuell q;
  auto name = [&] { return q.Entry().FileName; };
  q.ShowEmptyDirs = true;
  q.ExcludeSpec = {"b.txt"};
  q.OnActivate = [&](TZipCommon&) { log.push_back("activate"); };
  q.OnReadFile = [&](TZipCommon&, const WideString& n) { log.push_back("file " + n); };
  q.OnExcludeFile = [&](TZipCommon&, const WideString& n) { log.push_back("excluded " + n); };
  q.OnReadBegin = [&](TZipCommon&) { log.push_back("begin " + name()); };
  q.OnRead = [&](TZipCommon&, int64_t offset, int n) {
    log.push_back("read " + name() + " " + std::to_string(n));
    offsets.push_back(offset);
  };
  q.OnReadEnd = [&](TZipCommon&) { log.push_back("end " + name()); };
  q.OnTotals = [&](TZipCommon&, int64_t, int64_t, int, int files) {
    log.push_back("totals " + std::to_string(files));
  };
  q.OnDeactivate = [&](TZipCommon&) { log.push_back("deactivate"); };
  q.SetArchiveFile(zip);
  ASSERT_TRUE(q.Activate());
  EXPECT_EQ(log, (Names{"activate", "file a.txt", "begin a.txt", "read a.txt 1", "end a.txt",
                        "file dir/", "begin dir/", "read dir/ 2", "end dir/", "file dir/b.txt",
                        "excluded dir/b.txt", "totals 2", "deactivate"}));
  EXPECT_EQ(offsets, (std::vector<int64_t>{img.localPos[0], img.localPos[1]}));
}

TEST_F(ListerBehaviour, EmptyArchiveReportsZeroTotals) {
  TListed r = ListArchive(Write(BuildStoredZip({})));
  EXPECT_TRUE(r.ran);
  EXPECT_TRUE(r.entries.empty());
  EXPECT_TRUE(r.errors.empty());
  ASSERT_TRUE(r.totals);
  EXPECT_EQ(r.totals->files + r.totals->unpacked + r.totals->packed + r.totals->ratio, 0);
}

// Folders, by a trailing "/" or by the folder attribute, are reported and counted only
// with ShowEmptyDirs, and their sizes never reach the totals.
TEST_F(ListerBehaviour, FoldersOnlyWithShowEmptyDirsAndNeverInTotals) {
  const std::vector<ZipEntry> entries = {{"d/", ""}, {"d/f.txt", "0123456789"}, {"e", "12345"}};
  ZipImage img = BuildStoredZip(entries);
  SetField(img, entries, 2, kExternalAttrField, 0x10);
  const std::string zip = Write(img);
  for (bool show : {false, true}) {
    SCOPED_TRACE(show);
    TListed r = ListArchive(zip, false, [&](TQuell& q) { q.ShowEmptyDirs = show; });
    EXPECT_EQ(r.Names(), (show ? Names{"d/", "d/f.txt", "e/"} : Names{"d/f.txt"}));
    ASSERT_TRUE(r.totals);
    EXPECT_EQ(r.totals->files, show ? 3 : 1);
    EXPECT_EQ(r.totals->unpacked, 10);
    EXPECT_EQ(r.totals->packed, 10);
  }
  // Only folders, hidden: nothing to show is no damage.
  TListed r = ListArchive(Write(BuildStoredZip({{"d/", ""}, {"d/e/", ""}}), "folders.zip"), false,
                          [](TQuell& q) { q.ShowEmptyDirs = false; });
  EXPECT_TRUE(r.entries.empty());
  EXPECT_TRUE(r.errors.empty());
}

// PackedSize leaves out the 12-byte ZipCrypto header (not an AES entry's extras), while the
// totals add the stored sizes; the ratio compares with the stored size.
TEST_F(ListerBehaviour, SizesRatiosAndTotals) {
  const std::vector<ZipEntry> entries = {{"stored.txt", std::string(100, 's')},
                                         {"packed.bin", std::string(333, 'p')},
                                         {"zipcrypto.txt", std::string(112, 'z')},
                                         {"aes.txt", std::string(40, 'a')}};
  ZipImage img = BuildStoredZip(entries);
  SetField(img, entries, 1, kMethodField, 8);
  SetField(img, entries, 1, kUnpackedField, 1000);
  SetField(img, entries, 2, kFlagsField, 1);
  SetField(img, entries, 2, kUnpackedField, 100);
  SetField(img, entries, 3, kFlagsField, 1);
  SetField(img, entries, 3, kMethodField, 99);
  SetField(img, entries, 3, kUnpackedField, 20);
  TListed r = ListArchive(Write(img));
  ASSERT_EQ(r.entries.size(), 4u);
  struct {
    int64_t unpacked, packed;
    int ratio;
    bool encrypted;
  } expected[] = {
      {100, 100, 0, false}, {1000, 333, 67, false}, {100, 100, 0, true}, {20, 40, 0, true}};
  for (size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(r.entries[i].FileName);
    EXPECT_EQ(r.entries[i].UnpackedSize, expected[i].unpacked);
    EXPECT_EQ(r.entries[i].PackedSize, expected[i].packed);
    EXPECT_EQ(r.entries[i].Ratio, expected[i].ratio);
    EXPECT_EQ(r.entries[i].Encrypted, expected[i].encrypted);
  }
  ASSERT_TRUE(r.totals);
  EXPECT_EQ(r.totals->unpacked, 100 + 1000 + 100 + 20);
  EXPECT_EQ(r.totals->packed, 100 + 333 + 112 + 40);
  EXPECT_EQ(r.totals->ratio, 52);  // 635 of 1220 saved
  EXPECT_EQ(r.totals->files, 4);
}

TEST_F(ListerBehaviour, ActivateInsideOnReadReturnsAtOnce) {
  const std::string zip = Write(BuildStoredZip(TwoEntries()));
  std::vector<bool> inner;
  TListed r = ListArchive(zip, false, [&](TQuell& q) {
    auto outer = q.OnRead;
    q.OnRead = [&q, &inner, outer](TZipCommon& s, int64_t offset, int n) {
      inner.push_back(q.Activate());
      outer(s, offset, n);
    };
  });
  EXPECT_TRUE(r.ran);
  EXPECT_EQ(r.Names(), (Names{"a.txt", "dir/b.txt"}));
  EXPECT_EQ(inner, (std::vector<bool>{false, false}));
}

// A cancel during OnRead ends the walk after that entry; the closing events still come.
TEST_F(ListerBehaviour, CancelInOnReadEndsAfterTheEntry) {
  const std::string zip = Write(BuildStoredZip(TwoEntries()));
  bool deactivated = false;
  TListed r = ListArchive(zip, false, [&](TQuell& q) {
    auto outer = q.OnRead;
    q.OnRead = [&q, outer](TZipCommon& s, int64_t offset, int n) {
      outer(s, offset, n);
      q.SetCancel(true);
    };
    q.OnDeactivate = [&](TZipCommon&) { deactivated = true; };
  });
  EXPECT_EQ(r.Names(), Names{"a.txt"});
  ASSERT_TRUE(r.totals);
  EXPECT_EQ(r.totals->files, 1);
  EXPECT_TRUE(deactivated);
  EXPECT_TRUE(r.HasError(msg::UserCanceled));
}

class ListerFileList : public ListerBehaviour {
 protected:
  // Handlers that count their calls.
  void Assign(TQuell& q) {
    q.OnRead = [this](TZipCommon&, int64_t, int) { ++fired_; };
    q.OnReadBegin = q.OnReadEnd = q.OnActivate = q.OnDeactivate = [this](TZipCommon&) { ++fired_; };
    q.OnTotals = [this](TZipCommon&, int64_t, int64_t, int, int) { ++fired_; };
  }

  int fired_ = 0;
};

TEST_F(ListerFileList, NamesWithoutTheCallersEventsWhichStayAssigned) {
  TQuell q;
  Assign(q);
  q.SetArchiveFile(Write(BuildStoredZip(TwoEntries())));
  TStrings list = {"left over"};
  EXPECT_TRUE(q.GetFileList(list));
  EXPECT_EQ(list, (Names{"a.txt", "dir/b.txt"}));
  EXPECT_EQ(fired_, 0);
  ASSERT_TRUE(q.Activate());
  EXPECT_EQ(fired_, 2 * 3 + 3);  // per entry begin, read, end; activate, totals, deactivate
}

// An error after some names were gathered empties the list; the events come back all the same.
TEST_F(ListerFileList, FailureClearsTheListAndRestoresEvents) {
  TQuell q;
  Assign(q);
  q.OnReadFile = [](TZipCommon&, const WideString& name) {
    if (name == "dir/b.txt") throw E_RAISE(msg::BadFileHeader, "broken");
  };
  q.SetArchiveFile(Write(BuildStoredZip(TwoEntries())));
  TStrings list;
  EXPECT_FALSE(q.GetFileList(list));
  EXPECT_TRUE(list.empty());
  EXPECT_TRUE(q.OnRead && q.OnReadBegin && q.OnReadEnd && q.OnActivate && q.OnDeactivate &&
              q.OnTotals);
  EXPECT_EQ(fired_, 0);
}

// A name that never existed, and a file that went away after detection.
TEST_F(ListerBehaviour, MissingArchiveRaisesFileNotFound) {
  EXPECT_EQ(ListArchive(dir_ / "none.zip").raised, msg::FileNotFound);

  TQuell q;
  std::vector<int> errors;
  q.OnRead = [](TZipCommon&, int64_t, int) {};
  q.OnError = [&](TZipCommon&, const WideString&, const WideString&, const WideString&, int code) {
    errors.push_back(code);
  };
  q.OnActivate = [](TZipCommon&) { ADD_FAILURE() << "started"; };
  q.SetArchiveFile(Write(BuildStoredZip(TwoEntries())));
  std::filesystem::remove(dir_ / "a.zip");
  try {
    q.Activate();
    ADD_FAILURE() << "no exception";
  } catch (const E_RAISE& e) {
    EXPECT_EQ(e.ECode, msg::FileNotFound);
  }
  EXPECT_EQ(errors, std::vector<int>{msg::FileNotFound});
}

TEST_F(ListerBehaviour, NoOnReadReportsTheMissingEvent) {
  TQuell q;
  std::vector<std::string> reported;
  q.OnError = [&](TZipCommon&, const WideString&, const WideString& ext, const WideString&,
                  int code) { reported.push_back(std::to_string(code) + " " + ext); };
  q.OnActivate = [](TZipCommon&) { ADD_FAILURE() << "started"; };
  q.SetArchiveFile(Write(BuildStoredZip(TwoEntries())));
  EXPECT_FALSE(q.Activate());
  EXPECT_EQ(reported, Names{std::to_string(msg::RequiredEventNotAssigned) + " OnRead"});
}

// Without a central directory the entries come from the local headers, when the application
// agrees (or does not answer); they carry no attributes and the local version for both.
TEST_F(ListerBehaviour, LocalHeadersWhenTheDirectoryIsLost) {
  const std::vector<ZipEntry> entries = {{"a.txt", "1"}, {"dir/", ""}, {"dir/b.txt", "22"}};
  ZipImage img = BuildStoredZip(entries);
  SetField(img, entries, 1, kExternalAttrField, 0x10);
  ZipImage cut = img;
  cut.bytes.resize(size_t(img.centralPos));
  ZipImage smashed = img;
  PatchU32(smashed.bytes, img.centralPos, 0x12345678);  // the first central signature

  struct {
    const char* what;
    const ZipImage& image;
    int answer;  // -1: no handler; 0: Cancel = false; 1: Cancel left true
    bool listed;
  } cases[] = {{"cut, walk", cut, 0, true},
               {"cut, no handler", cut, -1, true},
               {"cut, give up", cut, 1, false},
               {"smashed, walk", smashed, 0, true},
               {"smashed, give up", smashed, 1, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TListed r = ListArchive(Write(c.image), c.answer == 0, [&](TQuell& q) {
      if (c.answer == 1) q.OnCorruptZipHeader = [](TZipCommon&, THeaderTypeState, bool&) {};
    });
    EXPECT_TRUE(r.ran);
    ASSERT_TRUE(r.totals);
    if (!c.listed) {
      EXPECT_TRUE(r.entries.empty());
      EXPECT_EQ(r.totals->files + r.totals->unpacked + r.totals->packed, 0);
      continue;
    }
    EXPECT_EQ(r.Names(), (Names{"a.txt", "dir/", "dir/b.txt"}));
    EXPECT_EQ(r.offsets, img.localPos);
    for (const TEntryRecord& e : r.entries) {
      EXPECT_EQ(e.ExternalAttr, 0u);
      EXPECT_EQ(e.VersionMadeBy, 10);
      EXPECT_EQ(e.VersionNeeded, 10);
    }
    EXPECT_EQ(r.totals->unpacked, 3);
  }
}

// Local headers are filtered by the whole name, folders or not: "*.txt" reaches into "dir/"
// there even without RecurseDirs, where the directory's walk keeps to the top folder.
TEST_F(ListerBehaviour, LocalWalkFiltersByWholeName) {
  ZipImage img = BuildStoredZip({{"a.txt", "1"}, {"a.doc", "2"}, {"dir/b.txt", "3"}});
  const std::string whole = Write(img, "whole.zip");
  img.bytes.resize(size_t(img.centralPos));
  const std::string cut = Write(img, "cut.zip");
  auto txtOnly = [](TQuell& q) {
    q.FileSpec = {"*.txt"};
    q.RecurseDirs = false;
  };
  EXPECT_EQ(ListArchive(whole, true, txtOnly).Names(), Names{"a.txt"});
  EXPECT_EQ(ListArchive(cut, true, txtOnly).Names(), (Names{"a.txt", "dir/b.txt"}));
}

// The first volume of a split set has no directory: its local headers give the entries
// that start in it, the same as the directory in the last volume says.
TEST_F(ListerBehaviour, SplitFirstVolumeFromLocalHeaders) {
  VK_REQUIRE_TOOL("zip");
  std::vector<std::string> argv = {"zip", "-q", "-0", "-s", "64k", "a.zip"};
  for (int i = 0; i < 5; ++i) {
    argv.push_back("small" + std::to_string(i));
    WriteFileText(dir_ / argv.back(), "x");
  }
  Bytes noise(100000);
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = uint8_t(i * 2654435761u >> 13);
  WriteFileBytes(dir_ / "big.bin", noise);
  WriteFileText(dir_ / "tail.txt", "after the big one");
  argv.insert(argv.end(), {"big.bin", "tail.txt"});  // so that tail.txt starts in volume 2
  ASSERT_TRUE(RunToolOk(argv, dir_.Path()));

  TListed whole = ListArchive(dir_ / "a.zip");
  Names inFirst;
  for (const TEntryRecord& e : whole.entries)
    if (e.VolumeName == dir_ / "a.z01") inFirst.push_back(e.FileName);
  ASSERT_EQ(inFirst.size(), 6u);
  ASSERT_LT(inFirst.size(), whole.entries.size());

  TListed first = ListArchive(dir_ / "a.z01", true);
  EXPECT_TRUE(first.ran);
  EXPECT_EQ(first.Names(), inFirst);
  ASSERT_FALSE(first.offsets.empty());
  EXPECT_EQ(first.offsets[0], 4);  // behind the split marker
}

// FileSpec with and without folders, RecurseDirs, and ExcludeSpec through OnExcludeFile.
TEST_F(ListerBehaviour, FiltersSelectEntries) {
  const std::string zip = Write(BuildStoredZip({{"a.txt", "1"},
                                                {"b.doc", "2"},
                                                {"docs/c.txt", "3"},
                                                {"docs/sub/d.txt", "4"},
                                                {"other/e.txt", "5"}}));
  struct {
    TStrings masks, exclude;
    bool recurse;
    Names listed, excluded;
  } cases[] = {
      {{}, {}, true, {"a.txt", "b.doc", "docs/c.txt", "docs/sub/d.txt", "other/e.txt"}, {}},
      {{"*.txt"}, {}, true, {"a.txt", "docs/c.txt", "docs/sub/d.txt", "other/e.txt"}, {}},
      {{"*.txt"}, {}, false, {"a.txt"}, {}},
      {{"docs/*.txt"}, {}, true, {"docs/c.txt", "docs/sub/d.txt"}, {}},
      {{"DOCS\\*.TXT"}, {}, false, {"docs/c.txt"}, {}},
      {{"*.doc", "other/*"}, {}, true, {"b.doc", "other/e.txt"}, {}},
      {{}, {"e.*"}, true, {"a.txt", "b.doc", "docs/c.txt", "docs/sub/d.txt"}, {"other/e.txt"}},
      {{}, {"e.*"}, false, {"a.txt", "b.doc", "docs/c.txt", "docs/sub/d.txt", "other/e.txt"}, {}},
      {{"*.txt"}, {"docs/*"}, true, {"a.txt", "other/e.txt"}, {"docs/c.txt", "docs/sub/d.txt"}},
      {{"nomatch*"}, {}, true, {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.masks) + " " + ::testing::PrintToString(c.exclude) +
                 (c.recurse ? " recursing" : ""));
    Names excluded;
    TListed r = ListArchive(zip, false, [&](TQuell& q) {
      q.FileSpec = c.masks;
      q.ExcludeSpec = c.exclude;
      q.RecurseDirs = c.recurse;
      q.OnExcludeFile = [&](TZipCommon&, const WideString& n) { excluded.push_back(n); };
    });
    EXPECT_EQ(r.Names(), c.listed);
    EXPECT_EQ(excluded, c.excluded);
    EXPECT_TRUE(r.errors.empty());  // nothing selected is no damage
  }
}

}  // namespace
}  // namespace qel::test
