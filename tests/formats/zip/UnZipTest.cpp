// The ZIP reader against archives made by other tools: what it extracts must be the files
// that went in, and entries it cannot open must fail alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "engine/base/Bytes.h"
#include "engine/base/Messages.h"
#include "formats/zip/UnZip.h"
#include "tests/support/PeerTools.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;

constexpr int kInvalidPassword = 25717;
constexpr int kUnsupportedMethod = 25326;

// The files every archive holds, relative to the folder they are archived from.
const std::vector<std::string> kFiles = {"text.txt", "sub/random.bin", "empty.txt"};

void MakeFiles(const TestFolder& dir) {
  fs::create_directories(dir / "in/sub");
  fs::create_directories(dir / "in/emptydir");
  std::string text;
  for (int i = 0; i < 4000; ++i) text += "line " + std::to_string(i * 7919 % 1000) + " of text\n";
  WriteFileText(dir / "in/text.txt", text);
  Bytes random(70000);
  std::mt19937 gen(7);
  for (uint8_t& b : random) b = uint8_t(gen());
  WriteFileBytes(dir / "in/sub/random.bin", random);
  WriteFileText(dir / "in/empty.txt", "");
}

void ExpectSameFiles(const TestFolder& dir, const std::string& out) {
  for (const std::string& f : kFiles) {
    ASSERT_TRUE(fs::exists(dir / (out + f))) << f;
    EXPECT_EQ(ReadFileBytes(dir / (out + f)), ReadFileBytes(dir / ("in/" + f))) << f;
  }
}

struct Reader {
  Reader() {
    zip.OnError = [this](TZipCommon&, const WideString&, const WideString&, const WideString&,
                         int code) { codes.push_back(code); };
    zip.OnEnd = [this](TZipCommon&, const WideString&, bool pass) { ends.push_back(pass); };
  }
  bool AllPassed() const {
    return !ends.empty() && std::all_of(ends.begin(), ends.end(), [](bool b) { return b; });
  }
  bool Reported(int code) const {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
  }
  TUnZip zip;
  std::vector<int> codes;
  std::vector<bool> ends;
};

struct PeerCase {
  const char* label;
  const char* tool;
  std::string command;  // run by sh in the test folder; makes a.zip from in/
};

class UnZipPeer : public testing::TestWithParam<PeerCase> {};

TEST_P(UnZipPeer, ExtractsIdenticalFilesAndTestsClean) {
  const PeerCase& c = GetParam();
  VK_REQUIRE_TOOL(c.tool);
  TestFolder dir;
  MakeFiles(dir);
  ASSERT_TRUE(RunToolOk({"sh", "-c", c.command}, dir.Path()));

  Reader r;
  r.zip.SetArchiveFile(dir / "a.zip");
  r.zip.SetPassword("secret");
  r.zip.SetExtractDir(dir / "out");
  r.zip.CreateStoredDirs = true;
  EXPECT_GE(r.zip.Extract(), int(kFiles.size()));
  EXPECT_TRUE(fs::is_directory(dir / "out/emptydir"));
  EXPECT_TRUE(r.codes.empty()) << r.codes.front();
  EXPECT_TRUE(r.AllPassed());
  ExpectSameFiles(dir, "out/");

  Reader t;
  t.zip.SetArchiveFile(dir / "a.zip");
  t.zip.SetPassword("secret");
  EXPECT_GE(t.zip.Test(), int(kFiles.size()));
  EXPECT_TRUE(t.codes.empty());
  EXPECT_TRUE(t.AllPassed());
}

INSTANTIATE_TEST_SUITE_P(
    UnZipTools, UnZipPeer,
    testing::Values(
        PeerCase{"Stored", "zip", "cd in && zip -q -r -0 ../a.zip ."},
        PeerCase{"Deflate6", "zip", "cd in && zip -q -r -6 ../a.zip ."},
        PeerCase{"Deflate9", "zip", "cd in && zip -q -r -9 ../a.zip ."},
        PeerCase{"DataDescriptor", "zip", "cd in && zip -q -r - . | cat > ../a.zip"},
        PeerCase{"ZipCrypto", "zip", "cd in && zip -q -r -P secret ../a.zip ."},
        PeerCase{"ZipCryptoDescriptor", "zip", "cd in && zip -q -r -P secret - . | cat >../a.zip"},
        PeerCase{"Deflate64", "7z", "cd in && 7z a -bd -tzip -mm=Deflate64 ../a.zip . >/dev/null"},
        PeerCase{"Aes7z", "7z",
                 "cd in && 7z a -bd -tzip -mem=AES256 -psecret ../a.zip . >/dev/null"},
        PeerCase{"AesStored7z", "7z",
                 "cd in && 7z a -bd -tzip -mx=0 -mem=AES128 -psecret ../a.zip . >/dev/null"},
        PeerCase{"AesBsdtar", "bsdtar",
                 "cd in && bsdtar --format zip --options zip:encryption=aes256 "
                 "--passphrase secret -cf ../a.zip ."}),
    [](const testing::TestParamInfo<PeerCase>& info) { return std::string(info.param.label); });

// A wrong password creates no file and fails the entry; the right one, once given, is kept
// for the later entries.
struct PasswordCase {
  const char* label;
  const char* tool;
  std::string command;
};

class UnZipPassword : public testing::TestWithParam<PasswordCase> {};

TEST_P(UnZipPassword, WrongFailsCleanlyAndRightIsRemembered) {
  const PasswordCase& c = GetParam();
  VK_REQUIRE_TOOL(c.tool);
  TestFolder dir;
  MakeFiles(dir);
  // A password check holds one byte (ZipCrypto) or two (AES) of the key, so a wrong
  // password passes it now and then and the entry is decoded into garbage without a
  // question; such an archive is made again, with new random headers.
  int asked = 0;
  std::unique_ptr<Reader> wrongRun;
  for (int attempt = 0; attempt < 8 && asked < 2 * int(kFiles.size()); ++attempt) {
    fs::remove(dir / "a.zip");
    fs::remove_all(dir / "bad");
    ASSERT_TRUE(RunToolOk({"sh", "-c", c.command}, dir.Path()));
    wrongRun = std::make_unique<Reader>();
    asked = 0;
    wrongRun->zip.PasswordAttempts = 2;
    wrongRun->zip.OnGetPassword = [&](TZipCommon&, const WideString&, AnsiString& password,
                                      TSeedKeyRecord&, TSeedKeyRecord&, bool&) {
      ++asked;
      password = "wrong";
    };
    wrongRun->zip.SetArchiveFile(dir / "a.zip");
    wrongRun->zip.SetExtractDir(dir / "bad");
    wrongRun->zip.Extract();
  }
  const Reader& wrong = *wrongRun;
  EXPECT_TRUE(wrong.Reported(kInvalidPassword));
  EXPECT_FALSE(wrong.Reported(msg::CrcCheckFailed));  // nothing was decoded
  EXPECT_GE(asked, 2 * int(kFiles.size()));
  EXPECT_FALSE(std::count(wrong.ends.begin(), wrong.ends.end(), true));
  for (const std::string& f : kFiles) EXPECT_FALSE(fs::exists(dir / ("bad/" + f))) << f;

  Reader right;
  asked = 0;
  right.zip.OnGetPassword = [&](TZipCommon&, const WideString&, AnsiString& password,
                                TSeedKeyRecord&, TSeedKeyRecord&, bool&) {
    ++asked;
    password = "secret";
  };
  right.zip.SetArchiveFile(dir / "a.zip");
  right.zip.SetExtractDir(dir / "good");
  right.zip.Extract();
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(right.AllPassed());
  ExpectSameFiles(dir, "good/");
}

INSTANTIATE_TEST_SUITE_P(
    UnZipCiphers, UnZipPassword,
    testing::Values(PasswordCase{"ZipCrypto", "zip", "cd in && zip -q -r -P secret ../a.zip ."},
                    PasswordCase{
                        "Aes", "7z",
                        "cd in && 7z a -bd -tzip -mem=AES256 -psecret ../a.zip . >/dev/null"}),
    [](const testing::TestParamInfo<PasswordCase>& info) { return std::string(info.param.label); });

// Sets the method of the first entry, in its local and its central header.
void SetFirstMethod(Bytes& zip, uint16_t method) {
  auto put = [&](size_t at) {
    zip[at] = uint8_t(method);
    zip[at + 1] = uint8_t(method >> 8);
  };
  put(8);
  for (size_t i = 0; i + 4 <= zip.size(); ++i) {
    if (GetU32(zip.data() + i) == 0x02014B50) {
      put(i + 10);
      return;
    }
  }
}

TEST(UnZipMethods, UnsupportedMethodIsReportedAndTheOthersExtracted) {
  VK_REQUIRE_TOOL("zip");
  TestFolder dir;
  MakeFiles(dir);
  ASSERT_TRUE(
      RunToolOk({"sh", "-c", "cd in && zip -q -0 ../a.zip text.txt sub/random.bin"}, dir.Path()));
  Bytes zip = ReadFileBytes(dir / "a.zip");
  SetFirstMethod(zip, 77);
  WriteFileBytes(dir / "a.zip", zip);

  Reader r;
  r.zip.SetArchiveFile(dir / "a.zip");
  r.zip.SetExtractDir(dir / "out");
  r.zip.Extract();
  EXPECT_TRUE(r.Reported(kUnsupportedMethod));
  EXPECT_FALSE(fs::exists(dir / "out/text.txt"));
  EXPECT_EQ(ReadFileBytes(dir / "out/sub/random.bin"), ReadFileBytes(dir / "in/sub/random.bin"));
}

TEST(UnZipMethods, DamagedDataFailsItsCheck) {
  VK_REQUIRE_TOOL("zip");
  TestFolder dir;
  MakeFiles(dir);
  ASSERT_TRUE(RunToolOk({"sh", "-c", "cd in && zip -q -6 ../a.zip text.txt"}, dir.Path()));
  Bytes zip = ReadFileBytes(dir / "a.zip");
  zip[200] ^= 0x55;  // inside the deflated data
  WriteFileBytes(dir / "a.zip", zip);

  Reader r;
  r.zip.SetArchiveFile(dir / "a.zip");
  r.zip.Test();
  ASSERT_EQ(r.ends.size(), 1u);
  EXPECT_FALSE(r.ends[0]);
}

// Where each central header of `zip` starts.
std::vector<size_t> CentralHeaders(const Bytes& zip) {
  std::vector<size_t> at;
  for (size_t i = 0; i + 46 <= zip.size(); ++i)
    if (GetU32(zip.data() + i) == 0x02014B50) at.push_back(i);
  return at;
}

void PutU32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

Bytes MakeTwoFileZip(const TestFolder& dir, const char* option) {
  MakeFiles(dir);
  EXPECT_TRUE(RunToolOk(
      {"sh", "-c", std::string("cd in && zip -q ") + option + " ../a.zip text.txt sub/random.bin"},
      dir.Path()));
  return ReadFileBytes(dir / "a.zip");
}

TEST(UnZipDamage, StrongEncryptionIsReportedAndTheOthersExtracted) {
  VK_REQUIRE_TOOL("zip");
  TestFolder dir;
  Bytes zip = MakeTwoFileZip(dir, "-6");
  const size_t first = CentralHeaders(zip).at(0);
  zip[first + 8] |= 0x41;  // encrypted, strong encryption
  WriteFileBytes(dir / "a.zip", zip);

  Reader r;
  r.zip.SetArchiveFile(dir / "a.zip");
  r.zip.SetExtractDir(dir / "out");
  r.zip.Extract();
  EXPECT_TRUE(r.Reported(25327));
  EXPECT_FALSE(fs::exists(dir / "out/text.txt"));
  EXPECT_EQ(ReadFileBytes(dir / "out/sub/random.bin"), ReadFileBytes(dir / "in/sub/random.bin"));
}

// Data in front of an archive whose entry offsets count from the archive while its directory
// offset counts from the file: the local headers are found by searching; an entry whose
// offset is wrong even then is reported and the others still extracted.
TEST(UnZipDamage, ResynchronisesAndReportsABadLocalOffset) {
  VK_REQUIRE_TOOL("zip");
  TestFolder dir;
  Bytes zip = MakeTwoFileZip(dir, "-6");
  constexpr uint32_t kFront = 20000;
  const size_t end = zip.size() - 22;
  ASSERT_EQ(GetU32(zip.data() + end), 0x06054B50u);
  PutU32(zip, end + 16, GetU32(zip.data() + end + 16) + kFront);
  Bytes withFront(kFront, 0);
  withFront.insert(withFront.end(), zip.begin(), zip.end());
  WriteFileBytes(dir / "good.zip", withFront);
  const size_t second = CentralHeaders(withFront).at(1);
  PutU32(withFront, second + 42, GetU32(withFront.data() + second + 42) + 1);
  WriteFileBytes(dir / "bad.zip", withFront);

  Reader good;
  good.zip.SetArchiveFile(dir / "good.zip");
  good.zip.SetExtractDir(dir / "good");
  EXPECT_EQ(good.zip.Extract(), 2);
  EXPECT_TRUE(good.AllPassed());
  EXPECT_EQ(ReadFileBytes(dir / "good/sub/random.bin"), ReadFileBytes(dir / "in/sub/random.bin"));

  Reader bad;
  bad.zip.SetArchiveFile(dir / "bad.zip");
  bad.zip.SetExtractDir(dir / "bad");
  EXPECT_EQ(bad.zip.Extract(), 1);
  EXPECT_TRUE(bad.Reported(25115));
  EXPECT_EQ(ReadFileBytes(dir / "bad/text.txt"), ReadFileBytes(dir / "in/text.txt"));
}

TEST(UnZipDamage, ADamagedLocalHeaderFailsOnlyItsEntry) {
  VK_REQUIRE_TOOL("zip");
  TestFolder dir;
  MakeFiles(dir);
  ASSERT_TRUE(RunToolOk(
      {"sh", "-c", "cd in && zip -q -6 ../a.zip text.txt sub/random.bin empty.txt"}, dir.Path()));
  const Bytes zip = ReadFileBytes(dir / "a.zip");
  std::vector<size_t> locals;
  for (size_t i = 0; i + 4 <= zip.size(); ++i)
    if (GetU32(zip.data() + i) == 0x04034B50) locals.push_back(i);
  ASSERT_EQ(locals.size(), 3u);
  // The first and the middle header in turn: the others must not move with them.
  for (size_t damaged : {size_t(0), size_t(1)}) {
    Bytes copy = zip;
    copy[locals[damaged]] = 'X';
    WriteFileBytes(dir / "bad.zip", copy);
    Reader r;
    r.zip.SetArchiveFile(dir / "bad.zip");
    r.zip.SetExtractDir(dir / ("out" + std::to_string(damaged)));
    EXPECT_EQ(r.zip.Extract(), 2) << damaged;
    EXPECT_TRUE(r.Reported(25115));
    EXPECT_TRUE(r.AllPassed());
  }
}

TEST(UnZipDamage, AesEntryWithAlteredDataFailsItsCheck) {
  VK_REQUIRE_TOOL("7z");
  TestFolder dir;
  MakeFiles(dir);
  ASSERT_TRUE(
      RunToolOk({"sh", "-c",
                 "cd in && 7z a -bd -tzip -mx=0 -mem=AES256 -psecret ../a.zip text.txt >/dev/null"},
                dir.Path()));
  Bytes zip = ReadFileBytes(dir / "a.zip");
  zip[300] ^= 1;
  WriteFileBytes(dir / "a.zip", zip);

  Reader r;
  r.zip.SetArchiveFile(dir / "a.zip");
  r.zip.SetPassword("secret");
  r.zip.Test();
  ASSERT_EQ(r.ends.size(), 1u);
  EXPECT_FALSE(r.ends[0]);
  EXPECT_TRUE(r.Reported(msg::CrcCheckFailed));
}

// A split set with entries crossing volumes; each volume but the last is asked for.
TEST(UnZipSplit, ExtractsEntriesCrossingVolumes) {
  VK_REQUIRE_TOOL("zip");
  TestFolder dir;
  MakeFiles(dir);
  ASSERT_TRUE(RunToolOk({"sh", "-c", "cd in && zip -q -r -0 -s 64k ../a.zip ."}, dir.Path()));
  ASSERT_TRUE(fs::exists(dir / "a.z01"));

  Reader r;
  std::vector<std::string> asked;
  r.zip.OnNextVolume = [&](TZipCommon&, WideString& name, int, bool, bool&) {
    asked.push_back(name);
  };
  r.zip.SetArchiveFile(dir / "a.zip");
  ASSERT_EQ(r.zip.ArcType(), atZipMV);
  r.zip.SetExtractDir(dir / "out");
  EXPECT_GE(r.zip.Extract(), int(kFiles.size()));
  EXPECT_TRUE(r.codes.empty());
  EXPECT_TRUE(r.AllPassed());
  ExpectSameFiles(dir, "out/");
  EXPECT_FALSE(asked.empty());
}

// Cut short or altered anywhere, an archive is read without crashing, hanging or reading out
// of bounds (the sanitizers watch).
TEST(UnZipDamage, TruncatedAndAlteredArchivesAreReadSafely) {
  VK_REQUIRE_TOOL("7z");
  TestFolder dir;
  MakeFiles(dir);
  ASSERT_TRUE(
      RunToolOk({"sh", "-c", "cd in && 7z a -bd -tzip -mem=AES128 -psecret ../a.zip . >/dev/null"},
                dir.Path()));
  const Bytes whole = ReadFileBytes(dir / "a.zip");
  for (size_t step = 1; step < 40; ++step) {
    Bytes cut(whole.begin(), whole.begin() + std::ptrdiff_t(whole.size() * step / 40));
    Bytes altered = whole;
    for (size_t i = step * 7; i < altered.size(); i += 997) altered[i] ^= uint8_t(step);
    for (const Bytes* damaged : {&cut, &altered}) {
      WriteFileBytes(dir / "d.zip", *damaged);
      Reader r;
      r.zip.SetArchiveFile(dir / "d.zip");
      r.zip.SetPassword("secret");
      r.zip.Test();
      EXPECT_LE(r.zip.Count(), int(kFiles.size()) + 2) << step;
    }
  }
}

TEST(UnZipPasswords, DeclinedPromptStopsAsking) {
  VK_REQUIRE_TOOL("zip");
  TestFolder dir;
  // ZipCrypto checks a password against one byte of its header, so the empty password
  // passes that check for one entry in 256 and the entry is decoded without a question:
  // such an archive is made again, with new random headers.
  for (int attempt = 0; attempt < 8; ++attempt) {
    fs::remove_all(dir / "out");
    fs::remove(dir / "a.zip");
    MakeTwoFileZip(dir, "-P secret");
    Reader r;
    int asked = 0;
    r.zip.OnGetPassword = [&](TZipCommon&, const WideString&, AnsiString&, TSeedKeyRecord&,
                              TSeedKeyRecord&, bool& tryAgain) {
      ++asked;
      tryAgain = false;
    };
    r.zip.SetArchiveFile(dir / "a.zip");
    r.zip.SetExtractDir(dir / "out");
    const int extracted = r.zip.Extract();
    if (asked < 2) continue;
    EXPECT_EQ(extracted, 0);
    EXPECT_EQ(asked, 2);  // once per entry
    EXPECT_EQ(std::count(r.codes.begin(), r.codes.end(), msg::SkippedFile), 2);
    EXPECT_FALSE(r.Reported(msg::CrcCheckFailed));
    EXPECT_FALSE(fs::exists(dir / "out/text.txt"));
    return;
  }
  ADD_FAILURE() << "every archive's header let the empty password through";
}

// Without its central directory an archive is read from its local headers, only when the
// application agrees; entries streamed with their sizes behind their data are found by
// their data descriptors.
TEST(UnZipDamage, LocalHeadersOnlyWhenTheApplicationAgrees) {
  VK_REQUIRE_TOOL("zip");
  VK_REQUIRE_TOOL("bsdtar");
  TestFolder dir;
  MakeTwoFileZip(dir, "-6");
  // Written to a pipe, bsdtar cannot go back: the sizes follow each entry's data.
  ASSERT_TRUE(RunToolOk(
      {"sh", "-c", "cd in && bsdtar --format zip -cf - text.txt sub/random.bin | cat > ../s.zip"},
      dir.Path()));
  for (const std::string name : {"a.zip", "s.zip"}) {
    Bytes zip = ReadFileBytes(dir / name);
    zip.resize(CentralHeaders(zip).at(0));
    WriteFileBytes(dir / name, zip);
    for (bool agree : {false, true}) {
      SCOPED_TRACE(name + (agree ? " read" : " refused"));
      Reader r;
      r.zip.OnCorruptZipHeader = [agree](TZipCommon&, THeaderTypeState, bool& cancel) {
        cancel = !agree;
      };
      r.zip.SetArchiveFile(dir / name);
      const std::string out = name + (agree ? "-yes/" : "-no/");
      r.zip.SetExtractDir(dir / out);
      EXPECT_EQ(r.zip.Extract(), agree ? 2 : 0);
      EXPECT_EQ(fs::exists(dir / (out + "sub/random.bin")), agree);
      if (!agree) continue;
      EXPECT_TRUE(r.AllPassed());
      for (const std::string file : {"text.txt", "sub/random.bin"})
        EXPECT_EQ(ReadFileBytes(dir / (out + file)), ReadFileBytes(dir / ("in/" + file)));
    }
  }
}

// A stored size too small for the AES salt, verifier and code marks a damaged entry.
TEST(UnZipDamage, AesEntryShorterThanItsFramingFails) {
  VK_REQUIRE_TOOL("7z");
  TestFolder dir;
  MakeFiles(dir);
  ASSERT_TRUE(RunToolOk(
      {"sh", "-c", "cd in && 7z a -bd -tzip -mem=AES256 -psecret ../a.zip text.txt >/dev/null"},
      dir.Path()));
  Bytes zip = ReadFileBytes(dir / "a.zip");
  PutU32(zip, 18, 5);
  PutU32(zip, CentralHeaders(zip).at(0) + 20, 5);
  WriteFileBytes(dir / "a.zip", zip);

  Reader r;
  r.zip.SetArchiveFile(dir / "a.zip");
  r.zip.SetPassword("secret");
  EXPECT_EQ(r.zip.Test(), 0);
  ASSERT_EQ(r.ends.size(), 1u);
  EXPECT_FALSE(r.ends[0]);
  EXPECT_TRUE(r.Reported(msg::BadFileHeader));
}

TEST(UnZipJar, ReportsItsOwnType) {
  EXPECT_EQ(TUnZip().ReaderType(), atZip);
  EXPECT_EQ(TUnJar().ReaderType(), atJar);
}

}  // namespace
}  // namespace qel::test
