// BH archives through vorelkit-cli. No other tool reads BH, so each entry the writer makes
// is re-wrapped for one that reads the same data: as a one-entry ZIP for unzip and 7z
// (stored, Deflate, BZIP2 and ZipCrypto map field for field) and, for Fuse, as a level-0
// -lh6- LHA entry for lha. Archives of older writers and hostile ones are built by hand.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <set>
#include <string>

#include "codecs/checksum/Crc.h"
#include "codecs/crypto/ZipCrypto.h"
#include "engine/base/Bytes.h"
#include "engine/base/SeedKeys.h"
#include "formats/bh/BhHeader.h"
#include "tests/formats/zip/OneEntryZip.h"
#include "tests/support/CliFolder.h"
#include "tests/support/CliRun.h"
#include "tests/support/PeerTools.h"
#include "tests/support/TestFolder.h"
#include "tests/support/ZlibReference.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;

class Bh : public CliFolderTest {};

// One entry as the archive holds it, read here field by field.
struct Entry {
  uint8_t flags, method;
  uint32_t dosTime, crc, unpacked;
  std::string name;
  Bytes data;  // cipher header included
};

std::vector<Entry> Entries(const Bytes& a) {
  std::vector<Entry> entries;
  for (size_t at = 0; at + 37 <= a.size() && std::memcmp(&a[at], "BH\x05\x07", 4) == 0;) {
    const uint8_t* h = &a[at];
    const size_t name = GetU16(h + 33), extra = GetU16(h + 35), packed = GetU32(h + 15);
    EXPECT_EQ(GetU16(h + 4), 37 + name + extra);
    EXPECT_EQ(h[6], 37);
    const size_t data = at + 37 + name + extra;
    Entry e{h[9],
            h[10],
            GetU32(h + 11),
            GetU32(h + 23),
            GetU32(h + 19),
            std::string(a.begin() + long(at + 37), a.begin() + long(at + 37 + name)),
            Bytes(a.begin() + long(data), a.begin() + long(data + packed))};
    entries.push_back(std::move(e));
    at = data + packed;
  }
  return entries;
}

Bytes AsZip(const Entry& e) {
  zip::LocalHeader h;
  h.VersionNeeded = e.method == 12 ? 46 : 20;
  h.Flags = e.flags;
  h.Method = e.method;
  h.DosDateTime = e.dosTime;
  h.Crc = e.crc;
  h.UncompressedSize = e.unpacked;
  std::string name = e.name;
  std::replace(name.begin(), name.end(), '\\', '/');
  return OneEntryZip(h, name, {}, e.data);
}

// A level-0 LHA archive of the entry's data as -lh6-, with the CRC-16 of `plain`.
Bytes AsLha(const Entry& e, const std::string& plain) {
  const std::string name = "x";
  Bytes v(24 + name.size());
  v[0] = uint8_t(22 + name.size());
  std::memcpy(&v[2], "-lh6-", 5);
  PutU32(&v[7], uint32_t(e.data.size()));
  PutU32(&v[11], e.unpacked);
  PutU32(&v[15], e.dosTime);
  v[19] = 0x20;
  v[21] = uint8_t(name.size());
  std::memcpy(&v[22], name.data(), name.size());
  PutU16(&v[22 + name.size()], Crc16(0, plain.data(), plain.size()));
  unsigned sum = 0;
  for (size_t i = 2; i < v.size(); ++i) sum += v[i];
  v[1] = uint8_t(sum);
  v.insert(v.end(), e.data.begin(), e.data.end());
  v.push_back(0);
  return v;
}

TEST_F(Bh, WhatItWritesPeersReadEntryByEntry) {
  VK_REQUIRE_TOOL("unzip");
  VK_REQUIRE_TOOL("7z");
  VK_REQUIRE_TOOL("lha");
  const Tree tree = {{"in/", ""},
                     {"in/text.txt", TextData(60000)},
                     {"in/random.bin", RandomData(70000)},
                     {"in/empty.txt", ""},
                     {"in/sub/", ""},
                     {"in/sub/s\xC3\xBC\xC3\x9F \xE2\x82\xAC.txt", TextData(5000)},
                     {"in/hollow/", ""}};
  MakeTree(dir_.Path(), tree);
  const struct {
    const char* method;
    uint8_t code;
  } methods[] = {{"store", 0}, {"fuse", 3}, {"deflate", 8}, {"bzip2", 12}};
  for (const auto& m : methods) {
    for (const std::string password : {"", "s3cret"}) {
      SCOPED_TRACE(std::string(m.method) + " " + password);
      const std::string archive = std::string(m.method) + (password.empty() ? "" : "-p") + ".bh";
      std::vector<std::string> add = {"add", archive, "-r", "--method", m.method, "in"};
      if (!password.empty()) add.insert(add.end(), {"-p", password});
      ASSERT_EQ(Run(add).status, 0);
      for (const Entry& e : Entries(ReadFileBytes(dir_ / archive))) {
        SCOPED_TRACE(e.name);
        std::string name = e.name;
        std::replace(name.begin(), name.end(), '\\', '/');
        if (name.ends_with('/')) continue;
        const std::string& plain = tree.at(name);
        // What does not shrink is stored; so is everything empty, and that never enciphered.
        EXPECT_EQ(e.method, name == "in/text.txt"     ? m.code
                            : name == "in/random.bin" ? 0
                                                      : e.method);
        EXPECT_EQ(e.flags & 1, plain.empty() || password.empty() ? 0 : 1);
        if (e.method == 3) {
          if (!password.empty()) continue;  // lha has no cipher; the round trip covers it
          WriteFileBytes(dir_ / "one.lzh", AsLha(e, plain));
          EXPECT_TRUE(RunToolOk({"lha", "t", "one.lzh"}, dir_.Path()));
          continue;
        }
        WriteFileBytes(dir_ / "one.zip", AsZip(e));
        std::vector<std::string> unzip = {"unzip", "-tq"}, sevenZip = {"7z", "t", "-p" + password};
        if (!password.empty()) unzip.insert(unzip.end(), {"-P", password});
        unzip.push_back("one.zip");
        sevenZip.push_back("one.zip");
        EXPECT_TRUE(RunToolOk(unzip, dir_.Path()));
        EXPECT_TRUE(RunToolOk(sevenZip, dir_.Path()));
      }
      const std::string out = dir_ / (archive + ".out");
      std::vector<std::string> extract = {"extract", archive, "-o", out};
      if (!password.empty()) extract.insert(extract.end(), {"-p", password});
      EXPECT_EQ(Run(extract).status, 0);
      EXPECT_EQ(ReadTree(out), tree);
      EXPECT_TRUE(password.empty() || Run({"test", archive, "-p", "wrong"}).status != 0);
    }
  }
}

// The bytes of one entry: `h` with its name, sizes filled in, then `data`.
Bytes EntryBytes(bh::TBhHeader h, const Bytes& data) {
  h.Packed = uint32_t(data.size());
  Bytes v = bh::BhHeaderBytes(h);
  v.insert(v.end(), data.begin(), data.end());
  return v;
}

// An encrypted entry as a writer of version `major` makes it: the ZipCrypto header, then the
// data enciphered with the keys after the header, or with keys started afresh (`restart`).
// `method` 0 leaves the data plain when `plainStored`.
Bytes Encrypted(uint8_t major, uint8_t method, bool restart, const std::string& name,
                const std::string& text, uint16_t filler = 0, const std::string& password = "pw") {
  const Bytes plain(text.begin(), text.end());
  bh::TBhHeader h;
  h.Major = major;
  h.Flags = bh::kFlagEncrypted;
  h.Method = method;
  h.Name = name;
  h.Unpacked = uint32_t(plain.size());
  h.Crc = Crc32(0, plain.data(), plain.size());
  h.DosTime = 0x5A214C00;
  TZipCryptoKeys keys(kDefaultDataKeys, password);
  Bytes data(12);
  PutU16(data.data(), filler);
  data[10] = uint8_t(h.Crc >> 16);
  data[11] = uint8_t(h.Crc >> 24);
  keys.Encrypt(data.data(), data.size());
  Bytes body = method == 0 ? plain : ZlibDeflate(plain, 6);
  // Old writers left stored data plain.
  if (!(method == 0 && major < 3)) {
    if (restart) keys = TZipCryptoKeys(kDefaultDataKeys, password);
    keys.Encrypt(body.data(), body.size());
  }
  data.insert(data.end(), body.begin(), body.end());
  return EntryBytes(h, data);
}

TEST_F(Bh, OlderWritersKeyTheirDataAfreshAndLeaveStoredDataPlain) {
  const std::string text = TextData(60000);
  const struct {
    uint8_t major, method;
    bool restart, passes;
  } cases[] = {
      {2, 8, true, true},    {2, 2, true, true},  {218, 8, false, true}, {2, 8, false, false},
      {218, 8, true, false}, {2, 0, false, true}, {218, 0, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.major) + " method " + std::to_string(c.method) +
                 (c.restart ? " restarted" : " continued"));
    WriteFileBytes(dir_ / "old.bh", Encrypted(c.major, c.method, c.restart, "t.txt", text));
    const ToolRun run = Run({"extract", "old.bh", "-o", "out", "-p", "pw", "--overwrite=always"});
    EXPECT_EQ(run.status == 0, c.passes) << run.err;
    EXPECT_TRUE(!c.passes || ReadFileText(dir_ / "out/t.txt") == text);
    EXPECT_NE(Run({"test", "old.bh", "-p", "other"}).status, 0);
  }
}

// One header in 256 passes the check under the empty password as well; that is no reason to
// decipher with it rather than ask, unless the empty password is asked for.
TEST_F(Bh, AnEmptyPasswordIsNeverTried) {
  const std::string text = TextData(60000);
  const uint8_t check = uint8_t(Crc32(0, text.data(), text.size()) >> 24);
  Bytes archive;
  for (uint16_t filler = 0; archive.empty(); ++filler) {
    const Bytes candidate = Encrypted(218, 8, false, "t.txt", text, filler);
    const std::span<const uint8_t> header(candidate.data() + 37 + 5, 12);
    if (CheckZipCryptoPassword(kDefaultDataKeys, "", header, check)) archive = candidate;
  }
  WriteFileBytes(dir_ / "e.bh", archive);
  const ToolRun run = Run({"test", "e.bh"});
  EXPECT_NE(run.err.find("no password given"), std::string::npos) << run.err;
  EXPECT_EQ(Run({"test", "e.bh", "-p", "pw"}).status, 0);
  // An archive that was enciphered with the empty password opens when that is asked for.
  WriteFileBytes(dir_ / "e.bh", Encrypted(218, 8, false, "t.txt", text, 0, ""));
  EXPECT_NE(Run({"test", "e.bh"}).status, 0);
  EXPECT_EQ(Run({"test", "e.bh", "-p", ""}).status, 0);
}

TEST_F(Bh, HostileArchivesEndCleanlyInsideTheTarget) {
  const auto stored = [](const std::string& name, const std::string& text) {
    bh::TBhHeader h;
    h.Name = name;
    h.Unpacked = uint32_t(text.size());
    h.Crc = Crc32(0, text.data(), text.size());
    return EntryBytes(h, Bytes(text.begin(), text.end()));
  };
  Bytes good = stored("ok.txt", "fine");
  // `good` followed by `next` with `change` made to it.
  const auto followed = [&](std::string_view text, const std::function<void(Bytes&)>& change) {
    Bytes next = stored("next.txt", std::string(text)), a = good;
    change(next);
    a.insert(a.end(), next.begin(), next.end());
    return a;
  };
  const struct {
    const char* what;
    Bytes archive;
    int status;
    const char* file;  // what lands in the target, relative to it
  } cases[] = {
      {"dot-dot", stored("..\\..\\evil.txt", "x"), 0, "evil.txt"},
      {"absolute", stored("\\abs.txt", "y"), 0, "abs.txt"},
      {"folder with data", stored("dir\\", "z"), 0, "dir"},
      {"past the end", followed("0123", [](Bytes& b) { PutU32(&b[15], 1000); }), 1, "ok.txt"},
      {"no signature", followed("0123", [](Bytes& b) { b[0] = 'X'; }), 1, "ok.txt"},
      {"header length", followed("0123", [](Bytes& b) { PutU16(&b[4], 0x1234); }), 1, "ok.txt"},
      {"fixed length", followed("0123", [](Bytes& b) { b[6] = 99; }), 1, "ok.txt"},
      {"trailing bytes", followed("", [](Bytes& b) { b.resize(3); }), 1, "ok.txt"},
      {"cut header", Bytes(good.begin(), good.begin() + 20), 1, nullptr},
      {"not BH at all", Bytes(3000, 'x'), 1, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string root = dir_ / c.what;
    fs::create_directories(root + "/target");
    WriteFileBytes(root + "/h.bh", c.archive);
    const ToolRun run = RunTool({VK_CLI_PATH, "extract", "h.bh", "-o", "target"}, root);
    EXPECT_EQ(run.status == 0, c.status == 0) << run.err;
    std::set<std::string> expected = {"h.bh", "target"};
    if (c.file) expected.insert("target/" + std::string(c.file));
    EXPECT_EQ(PathsBelow(root), expected);
    // What cannot be read is never dropped by an update.
    if (c.status != 0) {
      WriteFileText(root + "/new.txt", "new");
      EXPECT_NE(RunTool({VK_CLI_PATH, "add", "h.bh", "new.txt"}, root).status, 0);
      EXPECT_EQ(ReadFileBytes(root + "/h.bh"), c.archive);
    }
  }
}

TEST_F(Bh, RenamesConvertsAndRefusesWhatItCannotHold) {
  VK_REQUIRE_TOOL("unzip");
  MakeTree(dir_.Path(), {{"d/a.txt", TextData(60000)}, {"d/b.txt", "b"}});
  ASSERT_EQ(Run({"add", "r.bh", "-r", "--method", "fuse", "d"}).status, 0);
  ASSERT_EQ(Run({"rename", "r.bh", "d/a.txt", "e/renamed.txt"}).status, 0);
  ASSERT_EQ(Run({"convert", "r.bh", "--to", "zip", "--test"}).status, 0);
  EXPECT_TRUE(RunToolOk({"unzip", "-tq", "r.zip"}, dir_.Path()));
  ASSERT_EQ(Run({"extract", "r.bh", "-o", "out"}).status, 0);
  EXPECT_EQ(ReadTree(dir_ / "out"),
            (Tree{{"d/", ""}, {"d/b.txt", "b"}, {"e/", ""}, {"e/renamed.txt", TextData(60000)}}));
  fs::remove(dir_ / "r.bh");
  ASSERT_EQ(Run({"convert", "r.zip", "--to", "bh", "--test"}).status, 0);
  EXPECT_EQ(Run({"test", "r.bh"}).status, 0);
  // An archive of no entries is no bytes at all, and still a BH archive by its name.
  ASSERT_EQ(Run({"delete", "r.bh", "*"}).status, 0);
  const ToolRun empty = Run({"list", "r.bh"});
  EXPECT_EQ(empty.status, 0) << empty.err;
  EXPECT_NE(empty.out.find("0 entries"), std::string::npos) << empty.out;

  // The 32-bit sizes hold neither 4 GiB nor, with the cipher's header, a little less: the
  // file is refused, not stored with a wrong size.
  for (const auto& [size, password] :
       {std::pair{uint64_t(4) << 30, ""}, std::pair{(uint64_t(4) << 30) - 8, "pw"}}) {
    WriteFileText(dir_ / "huge", "");
    fs::resize_file(dir_ / "huge", size);
    const ToolRun huge = Run({"add", "h.bh", "huge", "-p", password});
    EXPECT_EQ(huge.status, 1);
    EXPECT_NE(huge.err.find("4 GiB"), std::string::npos) << huge.err;
  }
  // BH knows one cipher: asking for another is refused, not ignored.
  EXPECT_EQ(Run({"add", "e.bh", "d", "-p", "pw", "--encryption", "aes256"}).status, 7);
}

}  // namespace
}  // namespace qel::test
