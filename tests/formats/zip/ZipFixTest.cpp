// TZipFix: archives made by other tools and then damaged are repaired, the peers accept every
// repaired archive, and each intact entry comes back with its bytes; hand-made headers show
// which candidates hold together.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "codecs/checksum/Crc.h"
#include "engine/base/Bytes.h"
#include "engine/base/Errors.h"
#include "engine/base/Messages.h"
#include "engine/streams/MemoryStream32.h"
#include "formats/zip/ExtraFields.h"
#include "formats/zip/ZipFix.h"
#include "tests/support/PeerTools.h"
#include "tests/support/ZipDamage.h"

namespace qel {
namespace {

using test::Bytes;
using test::TestFolder;
using TNames = std::set<std::string>;

struct TRepaired {
  TNames Rescued;
  std::vector<std::string> Rejected;  // their names as shown
};

TRepaired Repair(TZipFix& fix, auto... where) {
  TRepaired r;
  fix.OnFileFound = [&](TZipFix&, const std::string& name, bool ok) {
    if (ok)
      r.Rescued.insert(name);
    else
      r.Rejected.push_back(name);
  };
  fix.Repair(where...);
  return r;
}

// The peers test `fixed` (unzip has no AES) and 7z extracts exactly `names`, each with the
// bytes of that file below `source`.
void ExpectPeersRead(const std::string& fixed, const std::string& source, const TNames& names,
                     const std::string& password = "", bool unzipToo = true) {
  if (unzipToo) {
    EXPECT_TRUE(test::RunToolOk({"unzip", "-tq", "-P", password, fixed}));
  }
  const std::string out = fixed + ".out";
  std::filesystem::remove_all(out);
  ASSERT_TRUE(test::RunToolOk({"7z", "x", "-y", "-p" + password, "-o" + out, fixed}));
  TNames files;
  for (const std::string& path : test::PathsBelow(out))
    if (!std::filesystem::is_directory(out + "/" + path)) files.insert(path);
  EXPECT_EQ(files, names);
  for (const std::string& name : names)
    EXPECT_EQ(test::ReadFileBytes(out + "/" + name), test::ReadFileBytes(source + "/" + name));
}

// Text, incompressible bytes (deflated a little larger by writers that cannot fall back to
// storing), text, and a file in a folder.
const std::vector<std::string> kFiles = {"a.txt", "b.bin", "c.txt", "d/e.txt"};

void WriteSources(const std::string& dir) {
  std::string text;
  for (int i = 0; i < 300; ++i) text += "line " + std::to_string(i * i) + " of the text\n";
  Bytes noise(3000);
  for (uint32_t i = 0, seed = 7; i < noise.size(); ++i)
    noise[i] = uint8_t((seed = seed * 1103515245 + 12345) >> 16);
  test::WriteFileText(dir + "/a.txt", text);
  test::WriteFileBytes(dir + "/b.bin", noise);
  test::WriteFileText(dir + "/c.txt", text.substr(0, 2000));
  std::filesystem::create_directory(dir + "/d");
  test::WriteFileText(dir + "/d/e.txt", text.substr(500, 700));
}

TEST(ZipFix, RescuesIntactEntriesOfDamagedPeerArchives) {
  VK_REQUIRE_TOOL("zip");
  VK_REQUIRE_TOOL("unzip");
  VK_REQUIRE_TOOL("7z");
  struct TMaker {
    const char* what;
    std::vector<std::string> argv;  // "-" for the archive: written to a pipe, with descriptors
    std::string password;
  } makers[] = {
      {"zip", {"zip", "-q", "-X", "made.zip"}, ""},
      {"zip with data descriptors", {"zip", "-q", "-X", "-fd", "made.zip"}, ""},
      {"zip to a pipe", {"zip", "-q", "-X", "-"}, ""},
      {"7z", {"7z", "a", "-tzip", "-bd", "made.zip"}, ""},
      {"ZipCrypto", {"zip", "-q", "-X", "-P", "pw", "made.zip"}, "pw"},
      {"ZipCrypto to a pipe", {"zip", "-q", "-X", "-P", "pw", "-"}, "pw"},
      {"ZipCrypto stored", {"zip", "-q", "-X", "-0", "-P", "pw", "made.zip"}, "pw"},
      {"AES-256", {"7z", "a", "-tzip", "-bd", "-ppw", "-mem=AES256", "made.zip"}, "pw"},
      {"AES-128 stored",
       {"7z", "a", "-tzip", "-bd", "-ppw", "-mem=AES128", "-mx=0", "made.zip"},
       "pw"},
  };
  TestFolder dir;
  WriteSources(dir.Path());
  const std::string made = dir / "made.zip", broken = dir / "broken.zip", fixed = dir / "fixed.zip";
  for (TMaker& maker : makers) {
    std::filesystem::remove(made);
    maker.argv.insert(maker.argv.end(), kFiles.begin(), kFiles.end());
    const test::ToolRun run = test::RunTool(maker.argv, dir.Path());
    ASSERT_TRUE(run.Ok()) << run.err;
    if (std::find(maker.argv.begin(), maker.argv.end(), "-") != maker.argv.end())
      test::WriteFileText(made, run.out);
    const bool aes = maker.argv[0] == "7z" && !maker.password.empty();
    const Bytes whole = test::ReadFileBytes(made);
    std::string last = kFiles[0];
    for (const std::string& f : kFiles)
      if (test::LocalHeaderOf(whole, f) > test::LocalHeaderOf(whole, last)) last = f;
    const struct {
      void (*damage)(Bytes&);
      std::string lost;
    } damages[] = {{test::TruncateInLastEntry, last},
                   {test::ZeroCentralDirectory, ""},
                   {[](Bytes& b) { test::SpoilHeader(b, "c.txt"); }, "c.txt"}};
    for (const auto& d : damages) {
      SCOPED_TRACE(std::string(maker.what) + ", losing '" + d.lost + "'");
      Bytes bytes = whole;
      d.damage(bytes);
      test::WriteFileBytes(broken, bytes);
      TZipFix fix;
      const TRepaired r = Repair(fix, broken, fixed);
      TNames intact(kFiles.begin(), kFiles.end());
      intact.erase(d.lost);
      EXPECT_EQ(r.Rescued, intact);
      EXPECT_EQ(r.Rejected.size(), d.lost.empty() ? 0u : 1u);
      EXPECT_EQ(test::ReadFileBytes(broken), bytes);
      ExpectPeersRead(fixed, dir.Path(), intact, maker.password, !aes);
    }
  }
}

// Names up to 1024 bytes are kept, longer ones taken for garbage.
TEST(ZipFix, NameLengthLimit) {
  VK_REQUIRE_TOOL("zip");
  VK_REQUIRE_TOOL("unzip");
  VK_REQUIRE_TOOL("7z");
  TestFolder dir;
  std::vector<std::string> zip = {"zip", "-q", "-X", "-D", "made.zip"};
  for (size_t length : {80, 81, 1024, 1025}) {
    std::string name;
    while (length - name.size() > 200) name += std::string(199, char('a' + zip.size())) + "/";
    name += std::string(length - name.size(), char('k' + zip.size()));
    test::WriteFileText(dir / name, "file " + std::to_string(length) + "\n");
    zip.push_back(name);
  }
  ASSERT_TRUE(test::RunToolOk(zip, dir.Path()));
  Bytes broken = test::ReadFileBytes(dir / "made.zip");
  test::ZeroCentralDirectory(broken);
  test::WriteFileBytes(dir / "broken.zip", broken);
  TZipFix fix;
  const TRepaired r = Repair(fix, dir / "broken.zip", dir / "fixed.zip");
  EXPECT_EQ(r.Rescued, TNames(zip.begin() + 5, zip.begin() + 8));
  EXPECT_EQ(r.Rejected, std::vector<std::string>{""});
  ExpectPeersRead(dir / "fixed.zip", dir.Path(), r.Rescued);
}

// A hand-made local entry: a header as given, an AES field when a strength is given, and
// `present` bytes of data ("x" after `lead`), then a descriptor when its size is given.
struct TEntry {
  zip::LocalHeader h;
  std::string name = "name.txt";
  uint8_t aesStrength = 0;
  uint32_t present = 10;
  Bytes lead;
  int64_t descriptorPacked = -1;
};

Bytes Build(TEntry e) {
  Bytes extra, data = e.lead;
  if (e.aesStrength) zip::AppendAesField(extra, {2, zip::kAesVendorId, e.aesStrength, 0});
  data.resize(e.present, 'x');
  e.h.Crc = Crc32(0, data.data(), data.size());
  e.h.NameLength = uint16_t(e.name.size());
  e.h.ExtraLength = uint16_t(extra.size());
  Bytes b(zip::kLocalHeaderSize + 16);
  zip::Pack(e.h, b.data());
  b.insert(b.begin() + zip::kLocalHeaderSize, e.name.begin(), e.name.end());
  b.insert(b.end() - 16, extra.begin(), extra.end());
  b.insert(b.end() - 16, data.begin(), data.end());
  PutU32(&b[b.size() - 16], 0x08074B50);
  PutU32(&b[b.size() - 12], e.h.Crc);
  PutU32(&b[b.size() - 8], uint32_t(e.descriptorPacked));
  PutU32(&b[b.size() - 4], e.h.UncompressedSize);
  if (e.descriptorPacked < 0) b.resize(b.size() - 16);
  return b;
}

TEST(ZipFix, WhichCandidatesHoldTogether) {
  const Bytes stray = {'P', 'K', 7, 8, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
  // A stored 10-byte entry, changed by each case.
  auto entry = [](uint16_t flags, uint16_t method, uint32_t packed, uint32_t unpacked = 10) {
    TEntry e;
    e.h = {zip::kSigLocal, 20, flags, method, 0x00210000, 0, packed, unpacked, 0, 0};
    e.present = packed;
    return e;
  };
  auto with = [](TEntry e, auto change) { return change(e), e; };
  const struct {
    const char* what;
    TEntry e;
    bool ok;
  } cases[] = {
      {"stored, longer than the file", entry(0, 0, 11), false},
      {"deflated, far longer than the file", entry(0, 8, 5000), false},
      {"unknown method", entry(0, 0x4242, 10), false},
      {"ZipCrypto stored, a byte short", entry(1, 0, 21), false},
      {"AES-128 stored", with(entry(1, 99, 30), [](TEntry& e) { e.aesStrength = 1; }), true},
      {"AES-128 with AES-256 sizes", with(entry(1, 99, 38), [](TEntry& e) { e.aesStrength = 1; }),
       false},
      {"AES method without its field", entry(1, 99, 38), false},
      {"control byte in the name", with(entry(0, 0, 10), [](TEntry& e) { e.name[2] = 0x1F; }),
       false},
      {"huge size past the end", with(entry(0, 0, ~0u, ~0u), [](TEntry& e) { e.present = 9; }),
       false},
      {"descriptor with a wrong size",
       with(entry(8, 0, 10), [](TEntry& e) { e.descriptorPacked = 9; }), false},
      {"descriptor after a stray one in the data",
       with(entry(8, 0, 0, 16),
            [&](TEntry& e) { e.present = 16, e.lead = stray, e.descriptorPacked = 16; }),
       true},
      {"descriptor missing", entry(8, 0, 10), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TMemoryStream32 input(Build(c.e)), output;
    TZipFix fix;
    const TRepaired r = Repair(fix, &input, &output);
    const bool printable = c.e.name[2] != 0x1F;  // otherwise the name is not shown
    EXPECT_EQ(r.Rescued, c.ok ? TNames{c.e.name} : TNames{});
    EXPECT_EQ(r.Rejected, c.ok ? std::vector<std::string>{}
                               : std::vector<std::string>{printable ? c.e.name : ""});
  }
}

// Beyond 65535 entries the end record's counts overflow; the Zip64 end record holds them.
TEST(ZipFix, ManyEntriesGetZip64Counts) {
  VK_REQUIRE_TOOL("unzip");
  VK_REQUIRE_TOOL("7z");
  constexpr size_t kEntries = 70000;
  Bytes broken;
  for (size_t i = 0; i < kEntries; ++i) {
    TEntry e;
    e.h.DosDateTime = 0x00210000;
    e.h.CompressedSize = e.h.UncompressedSize = e.present = 1;
    e.name = std::to_string(i);
    const Bytes b = Build(e);
    broken.insert(broken.end(), b.begin(), b.end());
  }
  TMemoryStream32 input(std::move(broken)), output;
  TZipFix fix;
  EXPECT_EQ(Repair(fix, &input, &output).Rescued.size(), kEntries);
  const Bytes fixed(output.Data(), output.Data() + output.Size());
  const uint8_t* locator = fixed.data() + fixed.size() - zip::kEndRecordSize - 20;
  ASSERT_EQ(GetU32(locator), zip::kSigZip64Locator);
  EXPECT_EQ(zip::UnpackZip64End(fixed.data() + GetU64(locator + 8)).TotalEntries, kEntries);
  TestFolder dir;
  test::WriteFileBytes(dir / "fixed.zip", fixed);
  EXPECT_TRUE(test::RunToolOk({"unzip", "-tq", dir / "fixed.zip"}));
  EXPECT_TRUE(test::RunToolOk({"7z", "t", dir / "fixed.zip"}));
}

TEST(ZipFix, RefusesWhatItCannotDo) {
  TestFolder dir;
  const std::string broken = dir / "broken.zip";
  const Bytes garbage(5000, 'P');
  test::WriteFileBytes(broken, garbage);
  ASSERT_EQ(link(broken.c_str(), (dir / "linked.zip").c_str()), 0);
  const struct {
    std::string input, output;
    int code;
  } cases[] = {
      {dir / "none.zip", dir / "fixed.zip", msg::ErrorOpeningFile},
      {broken, broken, msg::SameInputOutput},
      {broken, dir / "linked.zip", msg::SameInputOutput},
      {broken, dir / "no/fixed.zip", msg::ErrorCreatingFile},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.output);
    try {
      TZipFix().Repair(c.input, c.output);
      ADD_FAILURE() << "no error";
    } catch (const E_RAISE& e) {
      EXPECT_EQ(e.ECode, c.code);
    }
  }
  EXPECT_EQ(test::ReadFileBytes(broken), garbage);
  TMemoryStream32 stream;
  EXPECT_THROW(TZipFix().Repair(nullptr, &stream), E_RAISE);
  try {
    TZipFix().Repair(&stream, nullptr);
    ADD_FAILURE() << "no error";
  } catch (const E_RAISE& e) {
    EXPECT_STREQ(e.what(), "No input or no output stream has been defined");
  }
  EXPECT_THROW(TZipFix().Repair(&stream, &stream), E_RAISE);  // would read what it writes
}

// A repair that stops half-way leaves no half-written archive behind.
TEST(ZipFix, AnAbandonedRepairLeavesNoOutput) {
  VK_REQUIRE_TOOL("zip");
  TestFolder dir;
  test::WriteFileText(dir / "a.txt", "some text to zip");
  ASSERT_TRUE(test::RunToolOk({"zip", "-q", "in.zip", "a.txt"}, dir.Path()));
  TZipFix fix;
  fix.OnFileFound = [](TZipFix&, const std::string&, bool) {
    throw E_RAISE(msg::ErrorWritingFile, "stopped");
  };
  EXPECT_THROW(fix.Repair(dir / "in.zip", dir / "out.zip"), E_RAISE);
  EXPECT_FALSE(std::filesystem::exists(dir / "out.zip"));
}

// With nothing intact the result is still an archive, an empty one.
TEST(ZipFix, NothingIntactGivesAnEmptyArchive) {
  VK_REQUIRE_TOOL("7z");
  TestFolder dir;
  TEntry bad;
  bad.name = "bad\x01";
  test::WriteFileBytes(dir / "broken.zip", Build(bad));
  TZipFix fix;
  EXPECT_EQ(Repair(fix, dir / "broken.zip", dir / "fixed.zip").Rejected.size(), 1u);
  EXPECT_EQ(test::ReadFileBytes(dir / "fixed.zip").size(), zip::kEndRecordSize);
  EXPECT_TRUE(test::RunToolOk({"7z", "t", dir / "fixed.zip"}));
}

}  // namespace
}  // namespace qel
