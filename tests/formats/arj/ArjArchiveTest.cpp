// ARJ archives through vorelkit-cli: what arj writes with each method, garbled and over
// volumes extracts whole with its times; damage and a missing volume end with a clear error.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <string>

#include "codecs/checksum/Crc.h"
#include "engine/base/Bytes.h"
#include "engine/volumes/VolumeNames.h"
#include "formats/arj/ArjHeader.h"
#include "tests/support/CliFolder.h"
#include "tests/support/CliRun.h"
#include "tests/support/PeerTools.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;
using std::chrono::seconds;

class Arj : public CliFolderTest {
 protected:
  // arj in the scratch folder, every question answered yes.
  void Pack(std::vector<std::string> args) {
    args.insert(args.begin(), {"arj", "a", "-y"});
    ASSERT_TRUE(RunToolOk(args, dir_.Path()));
  }
};

int64_t MTime(const std::string& path) {
  const auto sys = std::chrono::file_clock::to_sys(fs::last_write_time(path));
  return std::chrono::duration_cast<seconds>(sys.time_since_epoch()).count();
}

// "name size CRC-32" for each file of `tree`, and for each line of `list --tsv`.
std::multiset<std::string> Rows(const Tree& tree) {
  std::multiset<std::string> rows;
  for (const auto& [name, data] : tree) {
    char crc[9];
    snprintf(crc, sizeof crc, "%08X", Crc32(0, data.data(), data.size()));
    if (name.back() != '/') rows.insert(name + " " + std::to_string(data.size()) + " " + crc);
  }
  return rows;
}
std::multiset<std::string> Listed(const std::string& tsv) {
  std::multiset<std::string> rows;
  for (const std::string& line : Split(tsv, '\n'))
    if (const auto f = Split(line, '\t'); f.size() > 3) rows.insert(f[0] + " " + f[1] + " " + f[3]);
  return rows;
}

// The files below `root`, without the folders.
std::set<std::string> FilesBelow(const std::string& root) {
  std::set<std::string> files;
  for (const auto& [name, data] : ReadTree(root))
    if (name.back() != '/') files.insert(name);
  return files;
}

// Where the header of the entry after the main header starts.
size_t FirstFileHeader(const Bytes& arj) {
  size_t at = 4 + GetU16(&arj[2]) + 4;
  while (const uint16_t ext = GetU16(&arj[at])) at += 2 + ext + 4;
  return at + 2;
}

TEST(ArjVolumeNames, CountOnFromTheExtension) {
  const struct {
    const char* path;
    bool selfExtractor;
    const char* next;
  } cases[] = {{"dir.x/set.arj", false, "dir.x/set.a01"},
               {"set.A09", false, "set.A10"},
               {"set.a99", false, "set.100"},
               {"set.100", false, "set.101"},
               {"set.999", false, ""},
               {"set.exe", true, "set.e01"},
               {"dir.x/sfx", true, "dir.x/sfx.e01"},
               {"set", false, "set.a01"},
               {"set.99999999999999999999", false, ""}};
  for (const auto& c : cases)
    EXPECT_EQ(NextNumberedVolume(c.path, c.selfExtractor ? 'e' : 'a'), c.next) << c.path;
}

TEST_F(Arj, EveryMethodExtractsWholeWithTheTimesArjStored) {
  VK_REQUIRE_TOOL("arj");
  const std::string sub = "sub/s\xC3\xBC\xC3\x9F.txt";  // names as Unix keeps them: UTF-8
  const Tree tree = {{"t.txt", TextData(60000)},
                     {"r.bin", RandomData(20000)},
                     {"e.txt", ""},
                     {"sub/", ""},
                     {sub, TextData(700)}};
  MakeTree(dir_.Path(), tree);
  fs::permissions(dir_ / "r.bin", fs::perms(0750));
  // arj on Unix stores Unix times and modes: odd seconds, which DOS times would round.
  const std::map<std::string, int64_t> times = {
      {"t.txt", 1000000001}, {"r.bin", 1234567891}, {sub, 1600000003}};
  for (const auto& [name, t] : times)
    fs::last_write_time(dir_ / name,
                        std::chrono::file_clock::from_sys(std::chrono::sys_seconds(seconds(t))));
  const struct {
    const char* archive;
    std::vector<std::string> switches;
    uint8_t method, type;  // the text's, as the header records them
  } cases[] = {{"m0.arj", {"-m0"}, 0, 0}, {"m1.arj", {"-m1"}, 1, 0},
               {"m2.arj", {"-m2"}, 2, 0}, {"m3.arj", {"-m3"}, 3, 0},
               {"m4.arj", {"-m4"}, 4, 0}, {"m4text.arj", {"-m4", "-t1"}, 4, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.archive);
    const std::string archive = dir_ / c.archive;
    std::vector<std::string> args = c.switches;
    args.insert(args.end(), {archive, "t.txt", "r.bin", "e.txt", sub});
    Pack(args);
    const Bytes bytes = ReadFileBytes(archive);
    const size_t basic = FirstFileHeader(bytes) + 4;
    ASSERT_EQ(bytes[basic + 5], c.method);
    ASSERT_EQ(bytes[basic + 6], c.type);
    const TCliRun list = Cli({"list", "--tsv", archive});
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(Listed(list.out), Rows(tree));
    const std::string out = archive + ".out";
    const TCliRun extract = Cli({"extract", archive, "-o", out});
    EXPECT_EQ(extract.status, 0) << extract.err;
    EXPECT_TRUE(ReadTree(out) == tree);
    for (const auto& [name, t] : times) EXPECT_EQ(MTime(out + "/" + name), t) << name;
    EXPECT_EQ(fs::status(out + "/r.bin").permissions(), fs::perms(0750));
    const TCliRun test = Cli({"test", archive});
    EXPECT_EQ(test.status, 0) << test.out << test.err;
  }
}

TEST_F(Arj, GarbledFilesOpenWithTheirPasswordOnly) {
  VK_REQUIRE_TOOL("arj");
  const Tree tree = {{"t.txt", TextData(30000)}, {"sub/", ""}, {"sub/s.txt", RandomData(3000)}};
  MakeTree(dir_.Path(), tree);
  for (const char* method : {"-m0", "-m1", "-m4"}) {
    SCOPED_TRACE(method);
    const std::string archive = dir_ / (std::string(method + 1) + ".arj");
    Pack({method, "-gSecret", archive, "t.txt", "sub/s.txt"});
    const TCliRun right = Cli({"extract", archive, "-p", "Secret", "-o", archive + ".right"});
    EXPECT_EQ(right.status, 0) << right.err;
    EXPECT_TRUE(ReadTree(archive + ".right") == tree);

    const size_t before = dir_.Count();
    const TCliRun test = Cli({"test", archive, "-p", "wrong"});
    EXPECT_NE(test.status, 0) << test.out;
    EXPECT_NE(test.out.find("2 entries tested, 2 failed"), std::string::npos) << test.out;
    EXPECT_EQ(dir_.Count(), before);
    const TCliRun wrong = Cli({"extract", archive, "-p", "wrong", "-o", archive + ".wrong"});
    EXPECT_NE(wrong.status, 0);
    EXPECT_EQ(FilesBelow(archive + ".wrong"), std::set<std::string>{}) << wrong.err;
  }
}

TEST_F(Arj, FilesSplitOverVolumesAreWholeOrNotThere) {
  VK_REQUIRE_TOOL("arj");
  const Tree tree = {
      {"t.txt", TextData(5000)}, {"big.bin", RandomData(60000)}, {"big.txt", TextData(300000)}};
  MakeTree(dir_.Path(), tree);
  // Every piece is packed, and garbled, on its own.
  const struct {
    const char* name;
    std::vector<std::string> switches;
  } cases[] = {{"lzh", {"-m1"}}, {"fastest", {"-m4"}}, {"garbled", {"-m1", "-gSecret"}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string stem = dir_ / c.name, archive = stem + ".arj";
    const auto volume = [&](int n) { return stem + (n < 10 ? ".a0" : ".a") + std::to_string(n); };
    std::vector<std::string> args = c.switches;
    args.insert(args.end(), {"-v20K", archive, "t.txt", "big.bin", "big.txt"});
    Pack(args);
    // t.txt fits the first volume; big.bin runs from it through .a01 into a later one.
    int last = 0;
    while (fs::exists(volume(last + 1))) ++last;
    ASSERT_GE(last, 3);
    const TCliRun list = Cli({"list", "--tsv", archive});
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(Listed(list.out), Rows(tree));
    const TCliRun whole = Cli({"extract", archive, "-p", "Secret", "-o", stem + ".whole"});
    EXPECT_EQ(whole.status, 0) << whole.err;
    EXPECT_TRUE(ReadTree(stem + ".whole") == tree);

    const struct {
      int volume;
      const char* cut;  // the file the missing volume cuts
      std::set<std::string> before;
    } gaps[] = {{1, "big.bin", {"t.txt"}}, {last, "big.txt", {"t.txt", "big.bin"}}};
    for (const auto& g : gaps) {
      const std::string missing = volume(g.volume), out = missing + ".gap";
      fs::rename(missing, missing + ".away");
      const TCliRun gap = Cli({"extract", archive, "-p", "Secret", "-o", out});
      fs::rename(missing + ".away", missing);
      EXPECT_NE(gap.status, 0);
      EXPECT_NE(gap.err.find(g.cut), std::string::npos) << gap.err;
      // Nothing of the file cut, not even under a temporary name; what came before whole.
      for (const std::string& name : FilesBelow(out))
        EXPECT_TRUE(tree.contains(name) && name != g.cut) << name;
      for (const std::string& name : g.before)
        EXPECT_EQ(ReadFileText(out + "/" + name), tree.at(name)) << name;
    }
  }
}

TEST_F(Arj, DamageEndsWithAClearError) {
  VK_REQUIRE_TOOL("arj");
  const Tree tree = {{"a.txt", TextData(20000)}, {"b.bin", RandomData(20000)}};
  MakeTree(dir_.Path(), tree);
  Pack({"-m1", "good.arj", "a.txt", "b.bin"});
  const Bytes good = ReadFileBytes(dir_ / "good.arj");
  const size_t first = FirstFileHeader(good);
  ASSERT_EQ(good[first], 0x60);
  const struct {
    const char* name;
    std::function<void(Bytes&)> damage;
    std::set<std::string> extracted;
    const char* error = "Bad file header";
  } cases[] = {
      {"packed size past the end",
       [&](Bytes& b) {
         // Its CRC made again: the damage is in what the header says, not in its bytes.
         const size_t basic = first + 4, size = GetU16(&b[first + 2]);
         PutU32(&b[basic + 12], uint32_t(b.size()));
         PutU32(&b[basic + size], Crc32(0, &b[basic], size));
       },
       {}},
      {"cut in the second file's data", [](Bytes& b) { b.resize(b.size() - 5000); }, {"a.txt"}},
      {"cut in the first file's header", [&](Bytes& b) { b.resize(first + 20); }, {}},
      {"cut in the main header", [](Bytes& b) { b.resize(12); }, {}, "not an archive"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes bytes = good;
    c.damage(bytes);
    WriteFileBytes(dir_ / "bad.arj", bytes);
    const std::string out = dir_ / ("out/" + std::string(c.name));
    for (const std::string command : {"list", "test", "extract"}) {
      std::vector<std::string> args = {command, "bad.arj"};
      if (command == "extract") args.insert(args.end(), {"-o", out});
      const ToolRun run = Run(args);
      EXPECT_TRUE(run.status == 1 || run.status == 2) << command << " " << run.status;
      EXPECT_NE(run.err.find(c.error), std::string::npos) << command << " " << run.err;
    }
    EXPECT_EQ(FilesBelow(out), c.extracted);
    for (const std::string& name : c.extracted)
      EXPECT_EQ(ReadFileText(out + "/" + name), tree.at(name));
  }
}

TEST_F(Arj, ConvertsToAZipThatUnzipAccepts) {
  VK_REQUIRE_TOOL("arj");
  VK_REQUIRE_TOOL("unzip");
  MakeTree(dir_.Path(),
           {{"t.txt", TextData(40000)}, {"r.bin", RandomData(9000)}, {"sub/s.txt", "s"}});
  Pack({"-m2", "c.arj", "t.txt", "r.bin", "sub/s.txt"});
  const ToolRun convert = Run({"convert", "c.arj", "--to", "zip"});
  ASSERT_EQ(convert.status, 0) << convert.err;
  const ToolRun unzip = RunTool({"unzip", "-t", "c.zip"}, dir_.Path());
  EXPECT_TRUE(unzip.Ok()) << unzip.out << unzip.err;
  EXPECT_NE(unzip.out.find("sub/s.txt"), std::string::npos) << unzip.out;
}

}  // namespace
}  // namespace qel::test
