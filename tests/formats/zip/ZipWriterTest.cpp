// The ZIP writer through TZip, set up as the command line sets it up: archives it makes must
// pass the other tools' tests and hold the files that went in; archives it updates keep
// their other entries byte for byte; a failed or cancelled run leaves the archive alone.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "engine/base/Messages.h"
#include "formats/zip/ExtraFields.h"
#include "formats/zip/Records.h"
#include "formats/zip/UnZip.h"
#include "formats/zip/ZipWriter.h"
#include "tests/support/PeerTools.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;
using namespace zip;

constexpr int64_t kFixedTime = 1672531200;  // 2023-01-01 00:00:00 UTC, an even second

// One central-directory entry and where its local part ([Start, End)) lies in the archive.
struct TListed {
  CentralHeader H;
  TZipExtra Extra;
  uint64_t Packed = 0, Start = 0, End = 0;
};
struct TListing {
  std::map<std::string, TListed> Entries;
  std::string Comment;
};

// Walks the directory of a small archive (one end record, no trailing data).
TListing ListZip(const Bytes& z) {
  TListing l;
  size_t at = z.size() - kEndRecordSize;
  while (at > 0 && UnpackEnd(z.data() + at).Signature != kSigEnd) --at;
  const EndRecord end = UnpackEnd(z.data() + at);
  l.Comment.assign(z.begin() + long(at + kEndRecordSize), z.end());
  std::vector<uint64_t> starts{end.CentralOffset};
  for (size_t pos = end.CentralOffset, i = 0; i < end.TotalEntries; ++i) {
    TListed e;
    e.H = UnpackCentral(z.data() + pos);
    const std::string name(reinterpret_cast<const char*>(z.data()) + pos + kCentralHeaderSize,
                           e.H.NameLength);
    e.Extra = ReadCentralExtra(
        std::span(z.data() + pos + kCentralHeaderSize + e.H.NameLength, e.H.ExtraLength), name,
        e.H);
    e.Packed = FullCompressedSize(e.H, e.Extra);
    e.Start = FullLocalOffset(e.H, e.Extra);
    starts.push_back(e.Start);
    l.Entries[name] = e;
    pos += kCentralHeaderSize + e.H.NameLength + e.H.ExtraLength + e.H.CommentLength;
  }
  std::sort(starts.begin(), starts.end());
  for (auto& [name, e] : l.Entries)
    e.End = *std::upper_bound(starts.begin(), starts.end(), e.Start);
  return l;
}

Bytes Range(const Bytes& z, const TListed& e) {
  return Bytes(z.begin() + long(e.Start), z.begin() + long(e.End));
}

Bytes RandomBytes(size_t size, unsigned seed) {
  Bytes b(size);
  std::mt19937 gen(seed);
  for (uint8_t& c : b) c = uint8_t(gen());
  return b;
}

void SetTime(const std::string& path, int64_t time) {
  const struct utimbuf t { time_t(time), time_t(time) };
  ASSERT_EQ(::utime(path.c_str(), &t), 0) << path;
}

// A writer set up as `vorelkit-cli add -r` sets it up, names relative to `base`.
struct Writer {
  Writer(const std::string& archive, const std::string& base, const std::string& temp) {
    zip.SetArchiveFile(archive);
    zip.StoredDirNames = TStoredDirNames::sdExplorer_UserDefineDefaultDir;
    zip.DefaultDir = base;
    zip.StoreEmptySubDirs = zip.RecurseDirs = true;
    fs::create_directories(temp);
    zip.SetTempDir(temp);
    zip.OnReplaceFile = [](TZipCommon&, const WideString&, const WideString&, TDateTime, TDateTime,
                           int64_t, int64_t, int, int, bool& r) { r = true; };
    zip.OnError = [this](TZipCommon&, const WideString&, const WideString&, const WideString&,
                         int code) { codes.push_back(code); };
  }
  int Run(TSwitch sw, std::vector<std::string> masks) {
    zip.Switch = sw;
    zip.FileSpec = std::move(masks);
    return zip.Compress();
  }
  TZip zip;
  std::vector<int> codes;
};

// Extracts with our own reader; answers whether every entry passed.
bool ReadBack(const std::string& archive, const std::string& out, const std::string& password) {
  TUnZip r;
  bool ok = true;
  r.OnError = [&](TZipCommon&, const WideString&, const WideString&, const WideString&, int) {
    ok = false;
  };
  r.OnEnd = [&](TZipCommon&, const WideString&, bool pass) { ok &= pass; };
  r.SetArchiveFile(archive);
  r.SetPassword(password);
  r.SetExtractDir(out);
  r.CreateStoredDirs = true;
  return r.Extract() > 0 && ok;
}

// --- Made from scratch, every level with every cipher. ---

struct TMatrixCase {
  TDeflateType Level;
  TEncryptionMethod Cipher;
  uint8_t Strength;   // AES key strength, 0 for none
  uint64_t Overhead;  // what the cipher adds to an entry's data
};

class ZipWriterMatrix : public testing::TestWithParam<TMatrixCase> {};

TEST_P(ZipWriterMatrix, PeersAndOwnReaderAgreeAndHeadersAreExact) {
  VK_REQUIRE_TOOL("7z");
  VK_REQUIRE_TOOL("unzip");
  const auto [level, cipher, strength, overhead] = GetParam();
  const bool store = level == TDeflateType::dtDeflateS;
  TestFolder dir;
  const std::string in = dir / "in";
  fs::create_directories(in + "/sub");
  fs::create_directories(in + "/emptydir");
  std::string text;
  for (int i = 0; i < 3000; ++i) text += "line " + std::to_string(i % 97) + " of a text\n";
  WriteFileText(in + "/text.txt", text);
  WriteFileText(in + "/sub/Grüße.txt", "Grüße aus Köln\n");
  WriteFileText(in + "/日本.txt", "日本語のテキスト\n");
  WriteFileText(in + "/empty.dat", "");
  WriteFileBytes(in + "/r100.bin", RandomBytes(100, 1));
  WriteFileBytes(in + "/r1000.bin", RandomBytes(1000, 2));

  Writer w(dir / "a.zip", in, dir / "tmp");
  w.zip.DeflateType = level;
  w.zip.SetCompressMethod(store ? TCompressMethod::cmStore : TCompressMethod::cmDeflate);
  if (cipher != TEncryptionMethod::emNone) {
    w.zip.SetPassword("secret");
    w.zip.EncryptionMethod = cipher;
  }
  w.zip.ArchiveComment = "a comment";
  w.zip.ArchiveCommentChanged = true;
  EXPECT_EQ(w.Run(TSwitch::swAdd, {in + "/*"}), 7);  // emptydir/ counts; sub/ is implied
  EXPECT_TRUE(w.codes.empty()) << w.codes.front();

  EXPECT_TRUE(RunToolOk({"7z", "t", "-psecret", dir / "a.zip"}));
  if (!strength) {
    EXPECT_TRUE(RunToolOk({"unzip", "-t", "-P", "secret", dir / "a.zip"}));
  }
  const test::Tree tree = test::ReadTree(in);
  ASSERT_TRUE(RunToolOk({"7z", "x", "-bd", "-psecret", "-o" + (dir / "out7"), dir / "a.zip"}));
  EXPECT_EQ(test::ReadTree(dir / "out7"), tree);
  EXPECT_TRUE(ReadBack(dir / "a.zip", dir / "outq", "secret"));
  EXPECT_EQ(test::ReadTree(dir / "outq"), tree);

  const TListing l = ListZip(ReadFileBytes(dir / "a.zip"));
  EXPECT_EQ(l.Comment, "a comment");
  ASSERT_EQ(l.Entries.size(), 7u);
  const uint16_t levelBits = level == TDeflateType::dtDeflateF   ? 4
                             : level == TDeflateType::dtDeflateX ? 2
                                                                 : 0;
  for (const auto& [name, e] : l.Entries) {
    SCOPED_TRACE(name);
    const uint64_t size = FullUncompressedSize(e.H, e.Extra);
    // Folders and empty files are stored in the clear; random data is cut back to stored.
    const bool plain = size == 0;
    const bool deflated = !store && name == "text.txt";
    EXPECT_EQ(e.H.Flags & 1, plain || !overhead ? 0 : 1);
    EXPECT_EQ(e.H.Flags & 6, deflated ? levelBits : 0);
    if (plain || !strength) {
      EXPECT_EQ(e.H.Method, deflated ? 8 : 0);
      EXPECT_FALSE(e.Extra.Aes);
    } else {
      EXPECT_EQ(e.H.Method, 99);
      ASSERT_TRUE(e.Extra.Aes);
      EXPECT_EQ(e.Extra.Aes->Strength, strength);
      EXPECT_EQ(e.Extra.Aes->Method, deflated ? 8 : 0);
    }
    if (deflated)
      EXPECT_LT(e.Packed, size / 4 + overhead);
    else
      EXPECT_EQ(e.Packed, plain ? 0 : size + overhead);
  }
}

std::vector<TMatrixCase> MatrixCases() {
  using enum TEncryptionMethod;
  // AES adds its salt (8, 12 or 16 bytes), 2 verifier bytes and a 10-byte code.
  const TMatrixCase ciphers[] = {{{}, emNone, 0, 0},
                                 {{}, emZip_V2, 0, 12},
                                 {{}, emAes2_128, 1, 20},
                                 {{}, emAes2_192, 2, 24},
                                 {{}, emAes2_256, 3, 28}};
  std::vector<TMatrixCase> cases;
  using enum TDeflateType;
  for (TDeflateType level : {dtDeflateS, dtDeflateF, dtDeflateN, dtDeflateX}) {
    for (TMatrixCase c : ciphers) {
      c.Level = level;
      cases.push_back(c);
    }
  }
  return cases;
}

std::string MatrixName(const testing::TestParamInfo<TMatrixCase>& info) {
  static const char* levels[] = {"Store", "Fast", "Normal", "Max"};
  static const char* ciphers[] = {"Plain", "ZipCrypto", "Aes128", "Aes192", "Aes256"};
  return std::string(levels[info.index / 5]) + ciphers[info.index % 5];
}

INSTANTIATE_TEST_SUITE_P(Levels, ZipWriterMatrix, testing::ValuesIn(MatrixCases()), MatrixName);

// --- Archives made by other tools, updated. ---

struct TPeerCase {
  const char* Label;
  const char* Tool;
  const char* Command;  // run by sh in in/; makes ../a.zip
  TEncryptionMethod Cipher;
  bool UnzipReads;
};

class ZipWriterUpdate : public testing::TestWithParam<TPeerCase> {};

TEST_P(ZipWriterUpdate, KeptEntriesAreCopiedByteForByte) {
  const TPeerCase& c = GetParam();
  VK_REQUIRE_TOOL(c.Tool);
  VK_REQUIRE_TOOL("7z");
  TestFolder dir;
  const std::string in = dir / "in", zip = dir / "a.zip";
  fs::create_directories(in + "/sub");
  std::string text;
  for (int i = 0; i < 500; ++i) text += "kept text " + std::to_string(i) + "\n";
  WriteFileText(in + "/a.txt", text);
  WriteFileText(in + "/b.txt", "to be refreshed\n");
  WriteFileText(in + "/sub/c.txt", "to be deleted\n");
  WriteFileBytes(in + "/sub/d.bin", RandomBytes(5000, 3));
  for (const char* f : {"/a.txt", "/b.txt", "/sub/c.txt", "/sub/d.bin", "/sub"})
    SetTime(in + f, kFixedTime);
  ASSERT_TRUE(RunToolOk({"sh", "-c", c.Command}, in));
  const Bytes before = ReadFileBytes(zip);
  const TListing old = ListZip(before);

  WriteFileText(in + "/new.txt", "added\n");
  WriteFileText(in + "/b.txt", "refreshed, with newer contents\n");
  SetTime(in + "/b.txt", kFixedTime + 3600);
  const std::string password = c.Cipher == TEncryptionMethod::emNone ? "" : "pw";
  auto writer = [&] {
    auto w = std::make_unique<Writer>(zip, in, dir / "tmp");
    w->zip.SetPassword(password);
    w->zip.EncryptionMethod = c.Cipher;
    return w;
  };
  auto add = writer();
  add->zip.RecurseDirs = false;  // or every folder without a new.txt would count as empty
  EXPECT_EQ(add->Run(TSwitch::swAdd, {in + "/new.txt"}), 1);
  EXPECT_EQ(writer()->Run(TSwitch::swRefresh, {in + "/*"}), 1);
  EXPECT_EQ(writer()->Run(TSwitch::swDelete, {"sub/c.txt"}), 0);

  EXPECT_TRUE(RunToolOk({"7z", "t", "-p" + password, zip}));
  if (c.UnzipReads) {
    EXPECT_TRUE(RunToolOk({"unzip", "-t", "-P", password, zip}));
  }
  const Bytes after = ReadFileBytes(zip);
  const TListing now = ListZip(after);
  EXPECT_FALSE(now.Entries.contains("sub/c.txt"));
  EXPECT_TRUE(now.Entries.contains("new.txt"));
  int kept = 0;
  for (const auto& [name, e] : old.Entries) {
    if (name == "b.txt" || name == "sub/c.txt") continue;
    ASSERT_TRUE(now.Entries.contains(name)) << name;
    EXPECT_TRUE(Range(after, now.Entries.at(name)) == Range(before, e)) << name;
    ++kept;
  }
  EXPECT_GE(kept, 2);
  ASSERT_TRUE(ReadBack(zip, dir / "out", password));
  EXPECT_EQ(ReadFileBytes(dir / "out/b.txt"), ReadFileBytes(in + "/b.txt"));
  EXPECT_EQ(ReadFileBytes(dir / "out/new.txt"), ReadFileBytes(in + "/new.txt"));
  EXPECT_EQ(ReadFileBytes(dir / "out/sub/d.bin"), ReadFileBytes(in + "/sub/d.bin"));
}

INSTANTIATE_TEST_SUITE_P(
    Tools, ZipWriterUpdate,
    testing::Values(TPeerCase{"Zip", "zip", "zip -q -r ../a.zip .", TEncryptionMethod::emNone,
                              true},
                    TPeerCase{"ZipStreamed", "zip", "zip -q -r - . | cat > ../a.zip",
                              TEncryptionMethod::emNone, true},
                    TPeerCase{"ZipCryptoStreamed", "zip", "zip -q -r -P pw - . | cat > ../a.zip",
                              TEncryptionMethod::emZip_V2, true},
                    TPeerCase{"BsdtarAes", "bsdtar",
                              "bsdtar --format zip --options zip:encryption=aes256 --passphrase pw "
                              "-cf ../a.zip *",
                              TEncryptionMethod::emAes2_256, false},
                    TPeerCase{"SevenZip", "7z", "7z a -bd -tzip ../a.zip * >/dev/null",
                              TEncryptionMethod::emNone, true}),
    [](const testing::TestParamInfo<TPeerCase>& info) { return info.param.Label; });

// --- Zip64. ---

bool LongTests() {
  const char* v = std::getenv("VK_LONG_TESTS");
  return v && std::string(v) == "1";
}

TEST(ZipWriterZip64, SeventyThousandEntries) {
  if (!LongTests()) GTEST_SKIP() << "set VK_LONG_TESTS=1";
  VK_REQUIRE_TOOL("7z");
  VK_REQUIRE_TOOL("unzip");
  TestFolder dir;
  const std::string in = dir / "in";
  fs::create_directories(in);
  constexpr int kCount = 70000;
  for (int i = 0; i < kCount; ++i) WriteFileText(in + "/" + std::to_string(i), "x");
  Writer w(dir / "a.zip", in, dir / "tmp");
  w.zip.SetCompressMethod(TCompressMethod::cmStore);
  EXPECT_EQ(w.Run(TSwitch::swAdd, {in + "/*"}), kCount);

  const ToolRun unzip = RunTool({"unzip", "-l", dir / "a.zip"});
  EXPECT_TRUE(unzip.Ok()) << unzip.err;
  EXPECT_NE(unzip.out.find(" 70000 files"), std::string::npos);
  const ToolRun sevenZip = RunTool({"7z", "l", dir / "a.zip"});
  EXPECT_TRUE(sevenZip.Ok()) << sevenZip.err;
  EXPECT_NE(sevenZip.out.find(" 70000 files"), std::string::npos);
  TUnZip r;
  r.SetArchiveFile(dir / "a.zip");
  EXPECT_EQ(r.Test(), kCount);
}

TEST(ZipWriterZip64, FileOverFourGiB) {
  if (!LongTests()) GTEST_SKIP() << "set VK_LONG_TESTS=1";
  VK_REQUIRE_TOOL("7z");
  VK_REQUIRE_TOOL("unzip");
  TestFolder dir;
  const std::string in = dir / "in";
  fs::create_directories(in);
  WriteFileText(in + "/small.txt", "before the large one\n");
  // Sparse: the file costs no room, and its zeros deflate to almost nothing.
  WriteFileText(in + "/big", "");
  ASSERT_EQ(::truncate((in + "/big").c_str(), (int64_t(1) << 32) + 4096), 0);
  Writer w(dir / "a.zip", in, dir / "tmp");
  w.zip.DeflateType = TDeflateType::dtDeflateF;
  EXPECT_EQ(w.Run(TSwitch::swAdd, {in + "/*"}), 2);
  EXPECT_TRUE(RunToolOk({"7z", "t", dir / "a.zip"}));
  EXPECT_TRUE(RunToolOk({"unzip", "-tq", dir / "a.zip"}));
}

// --- A failed or refused run leaves the archive as it was. ---

class ZipWriterCommit : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(in_);
    WriteFileText(in_ + "/a.txt", "first\n");
    WriteFileText(in_ + "/b.txt", "second\n");
    SetTime(in_ + "/a.txt", kFixedTime);
    SetTime(in_ + "/b.txt", kFixedTime);
    ASSERT_EQ(Writer(zip_, in_, temp_).Run(TSwitch::swAdd, {in_ + "/*"}), 2);
    SetTime(zip_, kFixedTime);
    before_ = ReadFileBytes(zip_);
  }
  void ExpectUntouched() {
    EXPECT_TRUE(ReadFileBytes(zip_) == before_);
    struct stat st {};
    ASSERT_EQ(::stat(zip_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, kFixedTime);
    for (const auto& f : fs::directory_iterator(temp_))
      EXPECT_FALSE(f.path().filename().string().starts_with("$$_")) << f.path();
  }

  TestFolder dir_;
  std::string in_ = dir_ / "in", zip_ = dir_ / "a.zip", temp_ = dir_ / "tmp";
  Bytes before_;
};

TEST_F(ZipWriterCommit, CancelMidFileLeavesArchiveAndNoTemporary) {
  WriteFileBytes(in_ + "/big.bin", RandomBytes(8 << 20, 4));
  Writer w(zip_, in_, temp_);
  int calls = 0;
  w.zip.OnProgress = [&](TZipCommon& z, uint8_t byFile, uint8_t) {
    ++calls;
    if (byFile >= 30) z.SetCancel(true);
  };
  EXPECT_EQ(w.Run(TSwitch::swAdd, {in_ + "/*"}), 0);
  EXPECT_TRUE(w.zip.Cancel());
  EXPECT_GT(calls, 1);
  ExpectUntouched();
}

TEST_F(ZipWriterCommit, RefreshChangesNothingWithoutNewerFiles) {
  Writer missing(dir_ / "none.zip", in_, temp_);
  EXPECT_EQ(missing.Run(TSwitch::swRefresh, {in_ + "/*"}), 0);
  EXPECT_EQ(missing.codes, std::vector<int>{msg::NothingToUpdate});
  EXPECT_FALSE(fs::exists(dir_ / "none.zip"));

  SetTime(in_ + "/a.txt", kFixedTime - 86400);
  Writer older(zip_, in_, temp_);
  EXPECT_EQ(older.Run(TSwitch::swRefresh, {in_ + "/*"}), 0);
  EXPECT_EQ(older.codes, std::vector<int>{msg::NothingToDo});
  ExpectUntouched();
}

TEST_F(ZipWriterCommit, DeletingEveryEntryLeavesAValidEmptyArchive) {
  VK_REQUIRE_TOOL("python3");
  Writer w(zip_, in_, temp_);
  w.Run(TSwitch::swDelete, {"*"});
  EXPECT_TRUE(w.codes.empty());
  const ToolRun py =
      RunTool({"python3", "-c",
               "import sys, zipfile; print(len(zipfile.ZipFile(sys.argv[1]).namelist()))", zip_});
  EXPECT_TRUE(py.Ok()) << py.err;
  EXPECT_EQ(py.out, "0\n");
}

TEST_F(ZipWriterCommit, MoveDeletesWhatWasStoredAndEmptiedFoldersOnly) {
  fs::create_directories(in_ + "/sub/deep");
  fs::create_directories(in_ + "/keep");
  fs::create_directories(in_ + "/emptydir");
  WriteFileText(in_ + "/sub/deep/c.txt", "moved\n");
  WriteFileText(in_ + "/keep/refused.txt", "the application declines this one\n");
  Writer w(zip_, in_, temp_);
  w.zip.VerifyBeforeDelete = true;
  w.zip.DeleteOptions = TDeleteOptions::doFinal;
  w.zip.OnBegin = [](TZipCommon&, const WideString& name, int, bool& go) {
    go = name != "keep/refused.txt";
  };
  EXPECT_EQ(w.Run(TSwitch::swMove, {in_ + "/*"}), 2);  // sub/deep/c.txt and emptydir/
  EXPECT_TRUE(fs::exists(in_ + "/keep/refused.txt"));
  EXPECT_FALSE(fs::exists(in_ + "/sub"));
  EXPECT_FALSE(fs::exists(in_ + "/emptydir"));
  // a.txt and b.txt were already in the archive, identical: not part of the move.
  EXPECT_TRUE(fs::exists(in_ + "/a.txt"));
  const TListing l = ListZip(ReadFileBytes(zip_));
  EXPECT_TRUE(l.Entries.contains("sub/deep/c.txt"));
  EXPECT_FALSE(l.Entries.contains("keep/refused.txt"));
}

// Entries of 100 MB, deflated in blocks on every core, both ways: ours (plain, AE-1 and AE-2)
// checked by 7-Zip (and unzip) and read back, and the peers' AES entries (libarchive writes
// AE-1, 7-Zip AE-2) read by ours.
TEST(ZipWriterLarge, EntriesOfAHundredMegabytesBothWays) {
  VK_REQUIRE_TOOL("7z");
  VK_REQUIRE_TOOL("unzip");
  VK_REQUIRE_TOOL("bsdtar");
  TestFolder dir;
  const std::string in = dir / "in";
  fs::create_directories(in);
  // A megabyte of text with a random stretch, a hundred times with a number of its own:
  // many Deflate blocks, some of them stored.
  Bytes block;
  for (int i = 0; block.size() < (1u << 20); ++i) {
    const std::string line = "record " + std::to_string(i * 7919 % 100003) + " of the log\n";
    block.insert(block.end(), line.begin(), line.end());
  }
  const Bytes noise = RandomBytes(50000, 3);
  std::copy(noise.begin(), noise.end(), block.begin() + 300000);
  Bytes big;
  for (int i = 0; i < 100; ++i) {
    const std::string number = std::to_string(i);
    std::copy(number.begin(), number.end(), block.begin());
    big.insert(big.end(), block.begin(), block.end());
  }
  WriteFileBytes(in + "/big.bin", big);

  for (TEncryptionMethod cipher :
       {TEncryptionMethod::emNone, TEncryptionMethod::emAes1_256, TEncryptionMethod::emAes2_256}) {
    SCOPED_TRACE(int(cipher));
    const std::string archive = dir / ("ours" + std::to_string(int(cipher)) + ".zip");
    Writer w(archive, in, dir / "tmp");
    if (cipher != TEncryptionMethod::emNone) {
      w.zip.SetPassword("secret");
      w.zip.EncryptionMethod = cipher;
    }
    EXPECT_EQ(w.Run(TSwitch::swAdd, {in + "/*"}), 1);
    EXPECT_TRUE(RunToolOk({"7z", "t", "-psecret", archive}));
    if (cipher == TEncryptionMethod::emNone) {
      EXPECT_TRUE(RunToolOk({"unzip", "-tq", archive}));
    }
    const std::string out = dir / ("back" + std::to_string(int(cipher)));
    EXPECT_TRUE(ReadBack(archive, out, "secret"));
    EXPECT_TRUE(ReadFileBytes(out + "/big.bin") == big);
  }
  ASSERT_TRUE(RunToolOk({"sh", "-c",
                         "cd in && bsdtar --format zip --options zip:encryption=aes256 "
                         "--passphrase secret -cf ../ae1.zip big.bin && "
                         "7z a -bd -tzip -mx1 -mem=AES256 -psecret ../ae2.zip big.bin >/dev/null"},
                        dir.Path()));
  for (const char* peer : {"ae1", "ae2"}) {
    const std::string out = dir / (std::string(peer) + "-out");
    EXPECT_TRUE(ReadBack(dir / (std::string(peer) + ".zip"), out, "secret")) << peer;
    EXPECT_TRUE(ReadFileBytes(out + "/big.bin") == big) << peer;
  }
}

}  // namespace
}  // namespace qel::test
