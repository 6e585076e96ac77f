// ARC archives through vorelkit-cli: what arc writes with each of its methods, read as nomarch
// reads it; subdirectory and oldest records, which no tool still writes, built here, names
// that would leave the target folder among them; damage.
#include <gtest/gtest.h>

#include <chrono>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>

#include "codecs/checksum/Crc.h"
#include "tests/support/CliFolder.h"
#include "tests/support/CliRun.h"
#include "tests/support/PeerTools.h"
#include "tests/support/ZipImage.h"

namespace qel::test {
namespace {

class Arc : public CliFolderTest {};

// Inputs on which arc picks each of its methods.
std::string Input(int kind) {
  std::mt19937 gen(kind);
  std::geometric_distribution<int> skewed(0.08);
  std::string s;
  for (int i = 0; i < 6400; ++i) {
    const char r = char(gen());
    if (kind == 0) s += r;                                 // random: stored
    if (kind == 1) s += i % 160 <= 100 ? r : s.back();     // runs in random data: packed
    if (kind == 2) s += char(std::min(skewed(gen), 255));  // skewed, independent: squeezed
    if (kind == 3) s += "line " + std::to_string(i * 31 % 977) + " of a text\n";  // crunched
  }
  return s;
}

// The first word of each line that has `column` words or more, with that column's word.
std::map<std::string, std::string> Words(const std::string& text, size_t column) {
  std::map<std::string, std::string> words;
  for (const std::string& line : Split(text, '\n')) {
    std::istringstream in(line);
    std::vector<std::string> w{std::istream_iterator<std::string>(in), {}};
    if (w.size() > column) words[w[0]] = w[column];
  }
  return words;
}

TEST_F(Arc, EveryMethodArcWritesReadsAsNomarchReadsIt) {
  VK_REQUIRE_TOOL("arc");
  VK_REQUIRE_TOOL("nomarch");
  // By file, the method arc picks ("a") or is told to use ("aq"), as `arc v` shows it.
  const struct {
    const char* command;
    std::map<std::string, std::string> stowages;
  } cases[] = {{"a",
                {{"RANDOM.BIN", "--"},
                 {"RUNS.BIN", "Packed"},
                 {"SKEWED.BIN", "Squeezed"},
                 {"TEXT.TXT", "Crunched"}}},
               {"aq", {{"TEXT.TXT", "Squashed"}}}};
  const std::map<std::string, int> inputs = {
      {"RANDOM.BIN", 0}, {"RUNS.BIN", 1}, {"SKEWED.BIN", 2}, {"TEXT.TXT", 3}};
  for (const auto& [name, kind] : inputs) WriteFileText(dir_ / name, Input(kind));
  for (const auto& c : cases) {
    const std::string archive = c.command + std::string(".arc");
    SCOPED_TRACE(archive);
    std::vector<std::string> args = {"arc", c.command, archive};
    for (const auto& [name, stowage] : c.stowages) args.push_back(name);
    ASSERT_TRUE(RunToolOk(args, dir_.Path()));
    const ToolRun shown = RunTool({"arc", "v", archive}, dir_.Path());
    for (const auto& [name, stowage] : c.stowages)
      ASSERT_EQ(Words(shown.out, 2)[name], stowage) << shown.out;

    const ToolRun list = Run({"list", "--tsv", archive});
    EXPECT_EQ(list.status, 0) << list.err;
    const ToolRun second = RunTool({"nomarch", "-lU", archive}, dir_.Path());
    EXPECT_EQ(Words(list.out, 1), Words(second.out, 1)) << list.out << second.out;
    const std::string out = dir_ / (archive + ".out");
    const ToolRun extract = Run({"extract", archive, "-o", out});
    EXPECT_EQ(extract.status, 0) << extract.err;
    EXPECT_EQ(PathsBelow(out).size(), c.stowages.size());
    for (const auto& [name, stowage] : c.stowages) {
      const std::string input = Input(inputs.at(name));
      EXPECT_TRUE(ReadFileText(out + "/" + name) == input) << name;
      EXPECT_TRUE(RunTool({"nomarch", "-pU", archive, name}, dir_.Path()).out == input) << name;
    }
    EXPECT_EQ(Run({"test", archive}).status, 0);
  }
}

// ARC records as the format lays them out, built independently of the reader: 1A, the method,
// a 13-byte name, packed size, DOS date and time, CRC-16, unpacked size (not in the oldest
// records, method 1), then the data.
Bytes Record(uint8_t method, const std::string& name, const std::string& data, uint16_t crc) {
  Bytes b = {0x1A, method};
  std::string field = name;
  field.resize(13, '\0');
  Append(b, field);
  Put32(b, data.size());
  Put16(b, (44 << 9) | (5 << 5) | 9);  // 2024-05-09
  Put16(b, 12 << 11);                  // 12:00:00
  Put16(b, crc);
  if (method != 1) Put32(b, data.size());
  Append(b, data);
  return b;
}

Bytes Stored(const std::string& name, const std::string& data, uint8_t method = 2) {
  return Record(method, name, data, Crc16(0, data.data(), data.size()));
}

// A subdirectory: its record, whose data is the records inside it and the one closing it.
Bytes Folder(const std::string& name, const std::vector<Bytes>& inside) {
  std::string contents;
  for (const Bytes& b : inside) contents.append(b.begin(), b.end());
  return Record(30, name, contents + "\x1A\x1F", 0);
}

std::string ArcOf(const std::vector<Bytes>& records) {
  std::string arc;
  for (const Bytes& b : records) arc.append(b.begin(), b.end());
  return arc + std::string("\x1A\0", 2);
}

TEST_F(Arc, RecordsBuiltHereListAndExtractInsideTheTarget) {
  const struct {
    const char* name;
    std::string arc;
    std::vector<std::string> listed;
    Tree extracted;
  } cases[] = {
      {"one folder",
       ArcOf({Stored("A.TXT", "a"), Folder("D", {Stored("B.TXT", "bb")}), Stored("C.TXT", "c")}),
       {"A.TXT", "D/", "D/B.TXT", "C.TXT"},
       {{"A.TXT", "a"}, {"D/", ""}, {"D/B.TXT", "bb"}, {"C.TXT", "c"}}},
      {"nested",
       ArcOf({Folder("D", {Folder("E", {Stored("B.TXT", "bb")}), Stored("F.TXT", "f")}),
              Stored("C.TXT", "c")}),
       {"D/", "D/E/", "D/E/B.TXT", "D/F.TXT", "C.TXT"},
       {{"D/", ""}, {"D/E/", ""}, {"D/E/B.TXT", "bb"}, {"D/F.TXT", "f"}, {"C.TXT", "c"}}},
      {"oldest records",
       ArcOf({Stored("A.TXT", "a", 1), Folder("D", {Stored("B.TXT", "bb", 1)})}),
       {"A.TXT", "D/", "D/B.TXT"},
       {{"A.TXT", "a"}, {"D/", ""}, {"D/B.TXT", "bb"}}},
      // Names that would leave the target folder stay inside it.
      {"up",
       ArcOf({Folder("..", {Folder("..", {Stored("E1.TXT", "x")})}), Stored("../E2.TXT", "y"),
              Stored("..\\E3.TXT", "z")}),
       {"../", "../../", "../../E1.TXT", "../E2.TXT", "../E3.TXT"},
       {{"E1.TXT", "x"}, {"E2.TXT", "y"}, {"E3.TXT", "z"}}},
      {"absolute",
       ArcOf({Folder("/TMP", {Stored("E4.TXT", "x")})}),
       {"/TMP/", "/TMP/E4.TXT"},
       {{"TMP/", ""}, {"TMP/E4.TXT", "x"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string archive = dir_ / (std::string(c.name) + ".arc");
    WriteFileText(archive, c.arc);
    const TCliRun list = Cli({"list", "--tsv", archive});
    EXPECT_EQ(list.status, 0) << list.err;
    std::vector<std::string> listed;
    for (const std::string& line : Split(list.out, '\n'))
      if (!line.empty()) listed.push_back(Split(line, '\t')[0]);
    EXPECT_EQ(listed, c.listed);
    // Inside a folder of its own, so that what leaves it shows.
    const TCliRun extract = Cli({"extract", archive, "-o", archive + ".out/deep"});
    EXPECT_EQ(extract.status, 0) << extract.err;
    Tree expected = {{"deep/", ""}};
    for (const auto& [name, data] : c.extracted) expected["deep/" + name] = data;
    EXPECT_EQ(ReadTree(archive + ".out"), expected);
    EXPECT_EQ(Cli({"test", archive}).status, 0);
  }
}

TEST_F(Arc, DamageFailsTheEntryOrEndsWithAClearError) {
  Bytes wrongCrc = Stored("B.TXT", "bbbb");
  wrongCrc[23] ^= 1;
  Bytes pastTheEnd = Stored("B.TXT", "bbbb");
  PatchU32(pastTheEnd, 15, 1 << 20);  // the packed size
  const std::string cut = ArcOf({Stored("A.TXT", "aaa"), Stored("B.TXT", "bbbb")}).substr(0, 40);
  const struct {
    const char* name;
    std::string arc;
    const char* error;
    std::set<std::string> extracted;  // never B.TXT, whole or not
  } cases[] = {
      {"wrong CRC",
       ArcOf({Stored("A.TXT", "aaa"), wrongCrc, Stored("C.TXT", "c")}),
       "File fails CRC check",
       {"A.TXT", "C.TXT"}},
      {"size past the end",
       ArcOf({Stored("A.TXT", "aaa"), pastTheEnd}),
       "Bad file header",
       {"A.TXT"}},
      {"cut in a header", cut, "Bad file header", {"A.TXT"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFileText(dir_ / "bad.arc", c.arc);
    const bool headers = c.error == std::string("Bad file header");
    const ToolRun list = Run({"list", "--tsv", "bad.arc"});
    EXPECT_EQ(list.status, headers ? 1 : 0) << list.err;
    const ToolRun test = Run({"test", "bad.arc"});
    EXPECT_EQ(test.status, 1) << test.out << test.err;
    EXPECT_NE(test.out.find("OK      A.TXT"), std::string::npos) << test.out;
    const std::string out = dir_ / ("out/" + std::string(c.name));
    const ToolRun extract = Run({"extract", "bad.arc", "-o", out});
    EXPECT_EQ(extract.status, 1);
    EXPECT_NE(extract.err.find(c.error), std::string::npos) << extract.err;
    EXPECT_TRUE(!headers || list.err.find(c.error) != std::string::npos) << list.err;
    EXPECT_EQ(PathsBelow(out), c.extracted);
  }
}

}  // namespace
}  // namespace qel::test
