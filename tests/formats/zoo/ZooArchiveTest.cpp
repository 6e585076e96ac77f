// ZOO archives through vorelkit-cli, built here as the format lays them out: the chain of
// directory entries with its closing placeholder, versions marked deleted, and chains that
// loop or leave the file.
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <string>
#include <vector>

#include "codecs/checksum/Crc.h"
#include "tests/support/CliFolder.h"
#include "tests/support/CliRun.h"
#include "tests/support/PeerTools.h"
#include "tests/support/ZipImage.h"

namespace qel::test {
namespace {

constexpr uint32_t kTag = 0xFDC4A7DC, kHeader = 34, kEntry = 56;

struct TZooFile {
  std::string name, data;
  bool deleted = false;
};

// Little-endian fields, each a value and its width in bytes.
void Put(Bytes& b, std::initializer_list<std::pair<uint32_t, int>> fields) {
  for (const auto& [value, width] : fields)
    for (int i = 0; i < width; ++i) b.push_back(uint8_t(value >> (8 * i)));
}

// A directory entry of type 1 with its data stored behind it: tag, type, method, the next
// entry, the data, DOS date and time (2024-05-09 12:00:00), CRC-16, sizes, the version that
// extracts it, deleted, structure, comment, the 13-byte name, no variable part, time zone.
void PutEntry(Bytes& b, const TZooFile& f, uint32_t next) {
  const uint32_t size = uint32_t(f.data.size());
  Put(b, {{kTag, 4},
          {1, 1},
          {0, 1},
          {next, 4},
          {uint32_t(b.size()) + kEntry, 4},
          {(44 << 9) | (5 << 5) | 9, 2},
          {12 << 11, 2},
          {Crc16(0, f.data.data(), size), 2},
          {size, 4},
          {size, 4},
          {2, 1},
          {0, 1},
          {f.deleted, 1},
          {0, 1},
          {0, 4},
          {0, 2}});
  std::string name = f.name;
  name.resize(13, '\0');
  Append(b, name);
  Put(b, {{0, 2}, {127, 1}, {0, 2}});
  Append(b, f.data);
}

// The archive header (text, tag, the first entry's offset and its negation, version), each
// file's entry and data, and the placeholder that ends the chain; `entries` gets where each
// entry starts.
Bytes ZooOf(const std::vector<TZooFile>& files, std::vector<uint32_t>& entries) {
  Bytes b;
  Append(b, std::string("ZOO 2.10 Archive.\x1A\0\0", 20));
  Put(b, {{kTag, 4}, {kHeader, 4}, {-kHeader, 4}, {2, 1}, {0, 1}});
  for (const TZooFile& f : files) {
    entries.push_back(uint32_t(b.size()));
    PutEntry(b, f, uint32_t(b.size() + kEntry + f.data.size()));
  }
  PutEntry(b, {}, 0);
  return b;
}

class Zoo : public CliFolderTest {};

TEST_F(Zoo, TheChainWithoutDeletedVersionsOrThePlaceholder) {
  const struct {
    const char* name;
    std::vector<TZooFile> files;
  } cases[] = {
      {"two", {{"A.TXT", "first file\n"}, {"B.TXT", std::string(3000, 'b')}}},
      {"deleted between", {{"A.TXT", "a"}, {"B.TXT", "gone", true}, {"C.TXT", "c"}}},
      {"older version deleted", {{"A.TXT", "old", true}, {"A.TXT", "new"}}},
      {"deleted only", {{"A.TXT", "gone", true}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string archive = dir_ / (std::string(c.name) + ".zoo");
    std::vector<uint32_t> entries;
    WriteFileBytes(archive, ZooOf(c.files, entries));
    std::vector<std::string> expected, listed;
    Tree tree;
    for (const TZooFile& f : c.files) {
      char crc[9];
      snprintf(crc, sizeof crc, "%08X", Crc16(0, f.data.data(), f.data.size()));
      const std::string size = std::to_string(f.data.size());
      if (!f.deleted) expected.push_back(f.name + " " + size + " " + size + " " + crc);
      if (!f.deleted) tree[f.name] = f.data;
    }
    const TCliRun list = Cli({"list", "--tsv", archive});
    EXPECT_EQ(list.status, 0) << list.err;
    for (const std::string& line : Split(list.out, '\n')) {
      if (const auto f = Split(line, '\t'); f.size() > 5) {
        listed.push_back(f[0] + " " + f[1] + " " + f[2] + " " + f[3]);
        EXPECT_EQ(f[5], "2024-05-09 12:00:00");
      }
    }
    EXPECT_EQ(listed, expected);
    const TCliRun extract = Cli({"extract", archive, "-o", archive + ".out"});
    EXPECT_EQ(extract.status, 0) << extract.err;
    EXPECT_EQ(ReadTree(archive + ".out"), tree);
    const TCliRun test = Cli({"test", archive});
    EXPECT_EQ(test.status, 0) << test.err;
    EXPECT_NE(test.out.find(std::to_string(tree.size()) + " entr"), std::string::npos) << test.out;
  }
}

TEST_F(Zoo, ChainsThatLoopOrLeaveTheFileEndWithAClearError) {
  std::vector<uint32_t> at;
  const Bytes good = ZooOf({{"A.TXT", "aaa"}, {"B.TXT", "bbbb"}}, at);
  const uint32_t next = 6;  // in an entry
  const struct {
    const char* name;
    std::vector<std::pair<uint32_t, uint32_t>> patches;  // offset, new value
    std::set<std::string> extracted;
    size_t cut = 0;  // the length the file is cut to
  } cases[] = {
      {"back to the first", {{at[1] + next, at[0]}}, {"A.TXT"}},
      {"to itself", {{at[1] + next, at[1]}}, {"A.TXT"}},
      {"past the end", {{at[0] + next, uint32_t(good.size() + 100)}}, {}},
      {"far past the end", {{at[0] + next, 0xFFFFFFF0}}, {}},
      {"cut in an entry", {}, {"A.TXT"}, at[1] + 20},
      {"first entry past the end", {{24, 0x7FFFFFFF}, {28, 0x80000001}}, {}},
      // 2^31 is its own negation in 32 bits: the check must not overflow a signed value.
      {"first entry at 2^31, its own negation", {{24, 0x80000000}, {28, 0x80000000}}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes bytes = good;
    for (const auto& [offset, value] : c.patches) PatchU32(bytes, offset, value);
    if (c.cut) bytes.resize(c.cut);
    WriteFileBytes(dir_ / "bad.zoo", bytes);
    const std::string out = dir_ / ("out/" + std::string(c.name));
    const auto start = std::chrono::steady_clock::now();
    for (const std::string command : {"list", "test", "extract"}) {
      std::vector<std::string> args = {command, "bad.zoo"};
      if (command == "extract") args.insert(args.end(), {"-o", out});
      const ToolRun run = Run(args);
      EXPECT_TRUE(run.status == 1 || run.status == 2) << command << " " << run.status;
      EXPECT_NE(run.err.find("Bad file header"), std::string::npos) << command << " " << run.err;
    }
    EXPECT_EQ(PathsBelow(out), c.extracted);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  }
}

}  // namespace
}  // namespace qel::test
