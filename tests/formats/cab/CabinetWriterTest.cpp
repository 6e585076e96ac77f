// Cabinets made by TCabinetWriter, read back by the peers: cabextract (which checks every data
// block's checksum as well), 7-Zip and gcab, for each method and for folders of mixed methods.
#include "formats/cab/CabinetWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>

#include "engine/base/Bytes.h"
#include "engine/streams/MemoryStream32.h"
#include "tests/support/PeerTools.h"

namespace qel::test {
namespace {

using namespace qel::cab;

constexpr uint16_t kStore = CompressionWord(TCabMethod::None);
constexpr uint16_t kMsZip = CompressionWord(TCabMethod::MsZip);
constexpr uint16_t kLzx15 = CompressionWord(TCabMethod::Lzx, 15);
constexpr uint16_t kLzx21 = CompressionWord(TCabMethod::Lzx, 21);
constexpr uint16_t kDate = 0x5921, kTime = 0x6000;  // 2024-09-01 12:00:00

std::string Words(size_t size, unsigned seed) {
  static const char* const words[] = {"cabinet ", "folder ", "frame ", "block\n", "data ",
                                      "the ",     "of ",     "32768 ", "window ", "match "};
  std::mt19937 rng(seed);
  std::string s;
  while (s.size() < size) s += words[rng() % 10];
  s.resize(size);
  return s;
}

std::string Noise(size_t size) {
  std::mt19937 rng(7);
  std::string s(size, '\0');
  for (char& c : s) c = char(rng());
  return s;
}

// Text, a program, noise, runs, empty files, many small files across frames, a file over several
// frames, names in folders and a non-ASCII one.
Tree Sample() {
  std::string program(300000, '\0');
  std::ifstream("/proc/self/exe", std::ios::binary)
      .read(program.data(), std::streamsize(program.size()));
  Tree t = {{"readme.txt", Words(50000, 1)},
            {"bin/tool", program},
            {"bin/noise.dat", Noise(100000)},
            {"bin/zeros.dat", std::string(70000, '\0')},
            {"empty.txt", ""},
            {"span/big.txt", Words(3 * kFrameSize + 5, 2)},
            {"d/s\xC3\xBC\xC3\x9F.txt", "non-ASCII\n"},
            {"grew.txt", Words(5000, 3)}};
  for (int i = 0; i < 150; ++i) t["small/f" + std::to_string(i) + ".txt"] = Words(i * 4 % 601, i);
  return t;
}

// Writes `files` in the tree's order, the i-th by words[i % words.size()], each in pieces of
// changing sizes; "grew.txt" announces fewer bytes than it has, as a file that grew while it was
// read.
Bytes MakeCabinet(const Tree& files, const std::vector<uint16_t>& words) {
  TMemoryStream32 spool, out;
  TCabinetWriter w(spool, 6);
  const size_t pieces[] = {1, 4095, 40000, 65536};
  size_t i = 0;
  for (const auto& [path, content] : files) {
    TCabFile f{path, content.size(), kDate, kTime, 0x20};
    std::replace(f.Name.begin(), f.Name.end(), '/', '\\');
    if (path == "grew.txt") f.Size = 10;
    EXPECT_TRUE(w.BeginFile(f, words[i % words.size()])) << path;
    auto data = std::span(reinterpret_cast<const uint8_t*>(content.data()), content.size());
    for (size_t at = 0, k = i++; at < data.size(); ++k) {
      const size_t n = std::min(pieces[k % 4], data.size() - at);
      EXPECT_TRUE(w.Write(data.subspan(at, n)));
      at += n;
    }
    EXPECT_EQ(w.EndFile(), content.size());
  }
  EXPECT_TRUE(w.Finish(out));
  return Bytes(out.Data(), out.Data() + out.Size());
}

// The names that differ, rather than two trees of a megabyte each.
std::string Differences(const Tree& got, const Tree& want) {
  std::string s;
  for (const auto& [name, content] : want)
    if (auto it = got.find(name); it == got.end() || it->second != content) s += name + " ";
  for (const auto& [name, content] : got)
    if (!want.count(name)) s += "+" + name + " ";
  return s;
}

Tree WithFolders(Tree t) {
  for (auto it = t.begin(); it != t.end(); ++it)
    for (size_t slash = it->first.find('/'); slash != std::string::npos;
         slash = it->first.find('/', slash + 1))
      t[it->first.substr(0, slash + 1)];
  return t;
}

TEST(CabinetWriter, PeersExtractEveryMethodAndMix) {
  for (const char* tool : {"cabextract", "7z", "gcab"}) VK_REQUIRE_TOOL(tool);
  const Tree sample = Sample();
  const Tree expected = WithFolders(sample);
  const struct {
    const char* label;
    std::vector<uint16_t> words;
  } cases[] = {
      {"store", {kStore}},
      {"MSZIP", {kMsZip}},
      {"LZX 15", {kLzx15}},
      {"LZX 21", {kLzx21}},
      {"mixed", {kStore, kMsZip, kMsZip, kLzx21, kLzx15}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    // Runs of one method share a folder; each change starts one.
    uint16_t folders = 1;
    for (size_t i = 1; i < sample.size(); ++i)
      folders += c.words[i % c.words.size()] != c.words[(i - 1) % c.words.size()];
    TestFolder dir(std::to_string(&c - cases));
    const std::string cab = dir / "t.cab";
    const Bytes bytes = MakeCabinet(sample, c.words);
    ASSERT_GE(bytes.size(), 36u);
    EXPECT_EQ(GetU32(&bytes[8]), bytes.size());
    EXPECT_EQ(GetU16(&bytes[26]), folders);
    EXPECT_EQ(GetU16(&bytes[36 + 6]), c.words[0]);  // the first folder's method
    WriteFileBytes(cab, bytes);

    const ToolRun test = RunTool({"cabextract", "-t", cab});
    EXPECT_TRUE(test.Ok() && test.out.find("failed") == std::string::npos) << test.out << test.err;
    EXPECT_TRUE(RunToolOk({"7z", "t", cab}));
    EXPECT_TRUE(RunToolOk({"cabextract", "-q", "-d", dir / "c", cab}));
    EXPECT_TRUE(RunToolOk({"7z", "x", "-o" + dir / "z", cab}));
    EXPECT_TRUE(RunToolOk({"gcab", "-x", "-C", dir / "g", cab}));
    for (const char* out : {"c", "z", "g"}) {
      SCOPED_TRACE(out);
      EXPECT_EQ(Differences(ReadTree(dir / out), expected), "");
    }
  }
}

TEST(CabinetWriter, PeersListNamesDatesAndAttributes) {
  for (const char* tool : {"cabextract", "gcab"}) VK_REQUIRE_TOOL(tool);
  TestFolder dir;
  TMemoryStream32 spool, out;
  TCabinetWriter w(spool, 6);
  const struct {
    TCabFile file;
    const char* listed;   // by cabextract -l: date, time, name
    const char* details;  // by gcab -l: the name as stored, attributes (0x80 for UTF-8)
  } cases[] = {
      {{"a\\ro.txt", 2, kDate, kTime, 0x21},
       "01.09.2024 12:00:00 | a/ro.txt",
       "a\\ro.txt 2 2024-09-01 12:00:00 0x21"},
      {{"hidden.sys", 2, 10143, 49021, 0x06},
       "31.12.1999 23:59:58 | hidden.sys",
       "hidden.sys 2 1999-12-31 23:59:58 0x6"},
      {{"run", 2, kDate, kTime, 0x60},
       "01.09.2024 12:00:00 | run",
       "run 2 2024-09-01 12:00:00 0x60"},
      {{"d\\s\xC3\xBC\xC3\x9F.txt", 2, kDate, kTime, 0x20},
       "01.09.2024 12:00:00 | d/s\xC3\xBC\xC3\x9F.txt",
       "d\\s\xC3\xBC\xC3\x9F.txt 2 2024-09-01 12:00:00 0xA0"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(w.BeginFile(c.file, kMsZip));
    w.Write(std::span(reinterpret_cast<const uint8_t*>("ok"), 2));
    w.EndFile();
  }
  ASSERT_TRUE(w.Finish(out));
  WriteFileBytes(dir / "t.cab", std::span(out.Data(), size_t(out.Size())));
  const ToolRun listed = RunTool({"cabextract", "-l", dir / "t.cab"});
  const ToolRun details = RunTool({"gcab", "-l", dir / "t.cab"});
  for (const auto& c : cases) {
    EXPECT_NE(listed.out.find(c.listed), std::string::npos) << c.listed << "\n" << listed.out;
    EXPECT_NE(details.out.find(c.details), std::string::npos) << c.details << "\n" << details.out;
  }
}

// What does not fit is refused and leaves the writer as it was; a folder ends where the next file
// would take it past 65535 frames. Sizes are announced, not written, so no test needs gigabytes.
TEST(CabinetWriter, RefusesWhatDoesNotFitAndSplitsFolders) {
  TMemoryStream32 spool, out;
  TCabinetWriter w(spool, 6);
  const struct {
    TCabFile file;
    uint16_t word;
  } refused[] = {
      {{"", 1}, kStore},
      {{std::string(256, 'n'), 1}, kStore},
      {{std::string("a\0b", 3), 1}, kStore},
      {{"huge", kMaxFolderBytes + 1}, kStore},
      {{"q", 1}, CompressionWord(TCabMethod::Quantum)},
      {{"w14", 1}, CompressionWord(TCabMethod::Lzx, 14)},
      {{"w22", 1}, CompressionWord(TCabMethod::Lzx, 22)},
      {{"stray bits", 1}, uint16_t(kMsZip | 0x0100)},
  };
  for (const auto& r : refused) EXPECT_FALSE(w.BeginFile(r.file, r.word)) << r.file.Name;

  const uint8_t five[5] = {1, 2, 3, 4, 5};
  const struct {
    TCabFile file;
    uint16_t folder;
  } files[] = {
      {{std::string(255, 'n'), kMaxFolderBytes}, 0},
      {{"fits", kMaxFolderBytes - 5}, 0},     // the first wrote 5 bytes only
      {{"too big", kMaxFolderBytes - 9}, 1},  // the second's 5 bytes came on top
      {{"other method", 0}, 2},
  };
  for (const auto& f : files) {
    ASSERT_TRUE(w.BeginFile(f.file, f.folder == 2 ? kMsZip : kStore)) << f.file.Name;
    ASSERT_TRUE(w.Write(five));
    EXPECT_EQ(w.EndFile(), 5u);
  }
  ASSERT_TRUE(w.Finish(out));
  EXPECT_FALSE(w.BeginFile({"late", 1}, kStore));

  const uint8_t* p = out.Data();
  ASSERT_EQ(GetU16(p + 26), 3);  // folders
  ASSERT_EQ(GetU16(p + 28), 4);  // files
  const uint8_t* folder = p + 36;
  EXPECT_EQ(GetU16(folder + 4), 1);  // frames: 10 bytes, then 5, then 5
  EXPECT_EQ(GetU16(folder + 8 + 4), 1);
  EXPECT_EQ(GetU16(folder + 16 + 6), kMsZip);
  const uint8_t* file = p + GetU32(p + 16);
  for (const auto& f : files) {
    EXPECT_EQ(GetU16(file + 8), f.folder) << f.file.Name;
    file += 16 + f.file.Name.size() + 1;
  }
  EXPECT_EQ(GetU32(p + 8), size_t(out.Size()));
}

}  // namespace
}  // namespace qel::test
