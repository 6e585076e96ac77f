// Cabinets through vorelkit-cli: the public samples read as the manifest says, what gcab
// writes extracts whole, what the program writes cabextract and 7-Zip accept, broken sets end
// cleanly, a cabinet behind a program is found, damage stays with the files it hits, and
// without the decoder both components refuse.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "codecs/checksum/Crc.h"
#include "engine/base/Messages.h"
#include "formats/cab/CabDecoder.h"
#include "formats/cab/MakeCab.h"
#include "formats/cab/UnCab.h"
#include "tests/support/CliRun.h"
#include "tests/support/PeBuilder.h"
#include "tests/support/ProgramFolder.h"
#include "tests/support/SampleArchives.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;

class Cab : public ProgramFolder {
 protected:
  // Extracts `archive` into `out` (relative to the scratch folder); answers the exit status.
  int Extract(const std::string& archive, const std::string& out) {
    const ToolRun run = Cli({"extract", archive, "-o", out});
    err_ = run.err;
    return run.status;
  }
  // A binary, random data, text over several blocks, an empty file, a subfolder and a
  // non-ASCII name in "in"; every time even, as DOS times keep them.
  void MakeSample() {
    std::string text;
    for (int i = 0; i < 20000; ++i) text += "line " + std::to_string(i * 7919 % 100003) + "\n";
    MakeTree(dir_.Path(), {{"in/sub/text.txt", text},
                           {"in/empty", ""},
                           {"in/sub/s\xC3\xBC\xC3\x9F.txt", "non-ASCII\n"}});
    Sh("head -c 100000 /dev/urandom > in/random.bin && cp /proc/self/exe in/program && "
       "find in -exec touch -d @1600000000 {} +");
  }
  std::string err_;
};

// Each file's modification time, by its path below `root`.
std::map<std::string, time_t> Times(const std::string& root) {
  std::map<std::string, time_t> times;
  for (const auto& [path, content] : ReadTree(root)) {
    struct stat st {};
    if (path.back() != '/' && ::stat((root + "/" + path).c_str(), &st) == 0)
      times[path] = st.st_mtime;
  }
  return times;
}

// --- The public samples ---

class CabSamples : public ::testing::TestWithParam<TSample> {};

TEST_P(CabSamples, ListTestAndExtractAsTheManifestSays) {
  const TSample& s = GetParam();
  if (s.file.empty()) GTEST_SKIP() << SampleFolder() << " not present";
  if (s.file == "cab/dirwalk-vulns.cab") GTEST_SKIP() << "hostile names: Cab.HostileNames";
  const std::string archive = SampleFolder() + "/" + s.file;
  const bool bad = s.file.starts_with("cab/bad/");
  // Cabinets record no CRC: the listing gives names and sizes, the extraction the CRCs.
  std::set<std::pair<std::string, std::string>> listed, expected;
  const TCliRun list = Cli({"list", "--tsv", archive});
  EXPECT_EQ(list.status, 0) << list.err;
  for (const std::string& line : Split(list.out, '\n'))
    if (const auto f = Split(line, '\t'); f.size() > 2) listed.insert({f[0], bad ? "-" : f[1]});
  for (const TSampleMember& m : s.members) expected.insert({m.name, m.size});
  EXPECT_EQ(listed, expected);
  TestFolder out;
  const TCliRun extract = Cli({"extract", archive, "-o", out.Path()});
  const TCliRun test = Cli({"test", archive});
  if (bad) {
    // A malformed stream is a data error of that file, and leaves nothing behind.
    EXPECT_EQ(test.status, 1);
    EXPECT_NE(test.out.find("Corrupt input"), std::string::npos) << test.out;
    EXPECT_EQ(extract.status, 1);
    EXPECT_EQ(out.Count(), 0u);
    return;
  }
  EXPECT_EQ(test.status, 0) << test.out << test.err;
  EXPECT_EQ(extract.status, 0) << extract.err;
  for (const TSampleMember& m : s.members) {
    const Bytes bytes = ReadFileBytes(out / m.name);
    char crc[9];
    std::snprintf(crc, sizeof crc, "%08x", Crc32(0, bytes.data(), bytes.size()));
    EXPECT_EQ(std::to_string(bytes.size()) + " " + crc, m.size + " " + m.crc) << m.name;
  }
}

INSTANTIATE_TEST_SUITE_P(Cab, CabSamples, ::testing::ValuesIn(SamplesOf("CAB")),
                         [](const auto& info) { return SampleTestName(info.param); });

TEST_F(Cab, HostileNames) {
  const std::string archive = SampleFolder() + "/cab/dirwalk-vulns.cab";
  if (!fs::exists(archive)) GTEST_SKIP() << archive << " not present";
  fs::create_directories(dir_ / "a/b");
  Extract(archive, "a/b/out");
  for (const std::string& path : PathsBelow(dir_.Path()))
    EXPECT_TRUE(path == "a" || path == "a/b" || path.starts_with("a/b/out")) << path;
  EXPECT_GT(PathsBelow(dir_ / "a/b/out").size(), 10u);
}

// --- Peers and the program ---

TEST_F(Cab, WhatGcabWritesExtractsWhole) {
  VK_REQUIRE_TOOL("gcab");
  MakeSample();
  for (const std::string archive : {"p.cab", "z.cab"}) {
    SCOPED_TRACE(archive);
    Sh((archive == "z.cab" ? "gcab -cz " : "gcab -c ") + archive + " in");
    EXPECT_EQ(Cli({"test", archive}).status, 0);
    EXPECT_EQ(Extract(archive, "out-" + archive), 0) << err_;
    EXPECT_EQ(ReadTree(dir_ / ("out-" + archive + "/in")), ReadTree(dir_ / "in"));
  }
}

TEST_F(Cab, WhatItWritesPeersRead) {
  for (const char* tool : {"cabextract", "7z"}) VK_REQUIRE_TOOL(tool);
  MakeSample();
  const struct {
    std::string cab;
    std::vector<std::string> method;
    uint16_t word;  // the folder's compression word
  } cases[] = {
      {"store.cab", {"store"}, 0x0000},
      {"mszip.cab", {"mszip"}, 0x0001},
      {"lzx15.cab", {"lzx", "--lzx-window", "15"}, 0x0F03},
      {"lzx21.cab", {"lzx", "--lzx-window", "21"}, 0x1503},
      // Quantum is never written: its cabinets hold MSZIP.
      {"quantum.cab", {"quantum"}, 0x0001},
  };
  for (const auto& c : cases) {
    const std::string& cab = c.cab;
    SCOPED_TRACE(cab);
    std::vector<std::string> add = {"add", cab, "-r", "in", "--method"};
    add.insert(add.end(), c.method.begin(), c.method.end());
    ASSERT_EQ(Cli(add).status, 0);
    const Bytes bytes = ReadFileBytes(dir_ / cab);
    ASSERT_GT(bytes.size(), 44u);
    EXPECT_EQ(bytes[42] | bytes[43] << 8, c.word);
    EXPECT_TRUE(RunToolOk({"cabextract", "-q", "-t", cab}, dir_.Path()));
    EXPECT_TRUE(RunToolOk({"7z", "t", "-bd", cab}, dir_.Path()));
    const std::string names = RunTool({"cabextract", "-l", cab}, dir_.Path()).out;
    EXPECT_NE(names.find("in/sub/s\xC3\xBC\xC3\x9F.txt"), std::string::npos) << names;
    ASSERT_EQ(Extract(cab, "out-" + cab), 0) << err_;
    EXPECT_EQ(ReadTree(dir_ / ("out-" + cab + "/in")), ReadTree(dir_ / "in"));
    EXPECT_EQ(Times(dir_ / ("out-" + cab + "/in")), Times(dir_ / "in"));
  }
  // A cabinet is only ever made new: adding to one changes nothing.
  const Bytes before = ReadFileBytes(dir_ / "mszip.cab");
  EXPECT_NE(Cli({"add", "mszip.cab", "in/empty"}).status, 0);
  EXPECT_EQ(ReadFileBytes(dir_ / "mszip.cab"), before);
}

// --- Sets ---

TEST_F(Cab, BrokenSetsEndCleanly) {
  const std::string multi = SampleFolder() + "/cab/multi";
  if (!fs::exists(multi)) GTEST_SKIP() << multi << " not present";
  const std::string first = "cabd_multi_basic_pt1.cab";
  const struct {
    const char* damage;  // run in a copy of the set
    const char* said;
  } cases[] = {
      {"rm cabd_multi_basic_pt3.cab", "File not found"},
      // The fourth names the first as its next (the name's digit); nothing else changes.
      {"printf 1 | dd of=cabd_multi_basic_pt4.cab bs=1 seek=108 conv=notrunc status=none",
       "Cabinet does not belong with this set"},
      {"printf 11 | dd of=cabd_multi_basic_pt2.cab bs=1 seek=32 conv=notrunc status=none",
       "Cabinet does not belong with this set"},
  };
  Sh("cp " + multi + "/*.cab . && chmod u+w *.cab");
  ASSERT_EQ(Extract(first, "whole"), 0) << err_;
  const Tree whole = ReadTree(dir_ / "whole");
  EXPECT_EQ(whole.size(), 3u);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.damage);
    Sh(std::string("rm -rf set out && mkdir set && cp cabd*.cab set && cd set && ") + c.damage);
    const ToolRun list = Cli({"list", "set/" + first});
    EXPECT_EQ(list.status, 1);
    EXPECT_NE(list.err.find(c.said), std::string::npos) << list.err;
    EXPECT_GT(Extract("set/" + first, "out"), 0);
    EXPECT_NE(err_.find(c.said), std::string::npos) << err_;
    // Whatever came out is whole.
    for (const auto& [path, content] : ReadTree(dir_ / "out"))
      EXPECT_TRUE(whole.contains(path) && whole.at(path) == content) << path;
  }
}

// --- Behind a program ---

TEST_F(Cab, CabinetBehindAProgram) {
  VK_REQUIRE_TOOL("gcab");
  MakeSample();
  Sh("gcab -cz z.cab in && head -c 4096 /proc/self/exe > elf-stub");
  WriteFileBytes(dir_ / "pe-stub", BuildPe(false, {u"setup"}).bytes);
  for (const char* stub : {"pe-stub", "elf-stub"}) {
    SCOPED_TRACE(stub);
    const std::string exe = std::string(stub) + ".exe";
    ConcatenateFiles(dir_ / exe, {dir_ / stub, dir_ / "z.cab"});
    const std::string type = Cli({"type", exe}).out;
    EXPECT_NE(type.find("atCabExe\t" + std::to_string(fs::file_size(dir_ / stub))),
              std::string::npos)
        << type;
    EXPECT_EQ(Cli({"test", exe}).status, 0);
    EXPECT_EQ(Extract(exe, "out-" + exe), 0) << err_;
    EXPECT_EQ(ReadTree(dir_ / ("out-" + exe + "/in")), ReadTree(dir_ / "in"));
  }
}

// --- Damage ---

TEST_F(Cab, DamageStaysWithTheFilesItHits) {
  VK_REQUIRE_TOOL("gcab");
  std::string text;
  for (int i = 0; i < 30000; ++i) text += std::to_string(i * 31337 % 99991) + "\n";
  MakeTree(dir_.Path(), {{"in/a.txt", text}, {"in/c.txt", text + text}});
  // One MSZIP folder: a.txt, random data, then c.txt, whose last block is damaged.
  Sh("head -c 70000 /dev/urandom > in/b.bin && gcab -cz z.cab in/a.txt in/b.bin in/c.txt && "
     "cp z.cab flip.cab && printf X | dd of=flip.cab bs=1 seek=$(($(stat -c %s z.cab) - 100)) "
     "conv=notrunc status=none");
  const ToolRun test = Cli({"test", "flip.cab"});
  EXPECT_EQ(test.status, 1);
  EXPECT_NE(test.out.find("FAILED  in/c.txt: Corrupt input"), std::string::npos) << test.out;
  EXPECT_EQ(Extract("flip.cab", "out"), 1);
  Tree expected = ReadTree(dir_ / "in");
  expected.erase("c.txt");
  EXPECT_EQ(ReadTree(dir_ / "out/in"), expected);
  // Cut short in the data, in its first block, in the file records, in the header: the test
  // fails, and what came out is whole.
  for (const int keep : {150000, 300, 100, 30}) {
    SCOPED_TRACE(keep);
    Sh("rm -rf cut.cab cut && head -c " + std::to_string(keep) + " z.cab > cut.cab");
    EXPECT_NE(Cli({"test", "cut.cab"}).status, 0);
    Extract("cut.cab", "cut");
    for (const auto& [path, content] : ReadTree(dir_ / "cut"))
      if (path.back() != '/') {
        EXPECT_EQ(content, ReadFileText(dir_ / path));
      }
  }
}

// --- Without the decoder ---

TEST_F(Cab, WithoutTheDecoderBothComponentsRefuse) {
  MakeTree(dir_.Path(), {{"in/a.txt", "a\n"}});
  const auto write = [&](const std::string& archive, std::vector<int>& codes) {
    TMakeCab cab;
    cab.SetArchiveFile(dir_ / archive);
    cab.StoredDirNames = TStoredDirNames::sdExplorer_UserDefineDefaultDir;
    cab.DefaultDir = dir_.Path();
    cab.SetTempDir(dir_.Path());
    cab.OnError = [&](TZipCommon&, const WideString&, const WideString&, const WideString&,
                      int code) { codes.push_back(code); };
    cab.FileSpec = {dir_ / "in/a.txt"};
    return cab.Compress();
  };
  std::vector<int> made, refusedWrite, refusedRead;
  ASSERT_EQ(write("a.cab", made), 1);
  struct Restore {
    ~Restore() { cab::SetDecoderPresentForTesting(true); }
  } restore;
  cab::SetDecoderPresentForTesting(false);
  EXPECT_EQ(write("b.cab", refusedWrite), 0);
  EXPECT_FALSE(fs::exists(dir_ / "b.cab"));
  TUnCab reader;
  reader.OnError = [&](TZipCommon&, const WideString&, const WideString&, const WideString&,
                       int code) { refusedRead.push_back(code); };
  reader.SetArchiveFile(dir_ / "a.cab");
  EXPECT_EQ(reader.Test(), 0);
  EXPECT_EQ(refusedWrite, std::vector<int>{msg::CabinetLibraryNotFound});
  EXPECT_EQ(refusedRead, std::vector<int>{msg::CabinetLibraryNotFound});
}

}  // namespace
}  // namespace qel::test
