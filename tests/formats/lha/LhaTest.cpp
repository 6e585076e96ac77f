// LHA archives through vorelkit-cli: what the writer makes, checked by lhasa and bsdtar;
// renames, conversion, damage and hostile names.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <set>
#include <string>

#include "codecs/checksum/Crc.h"
#include "engine/base/Bytes.h"
#include "tests/support/CliFolder.h"
#include "tests/support/CliRun.h"
#include "tests/support/PeerTools.h"
#include "tests/support/SampleArchives.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;

class Lha : public CliFolderTest {};

// The method ids of an archive's entries as lhasa lists them, in sorted order.
std::multiset<std::string> Methods(const std::string& listing) {
  std::multiset<std::string> methods;
  for (const std::string& line : Split(listing, '\n'))
    if (const size_t at = line.find("-lh"); at != std::string::npos)
      methods.insert(line.substr(at, 5));
  return methods;
}

TEST_F(Lha, WhatItWritesPeersReadByteForByte) {
  VK_REQUIRE_TOOL("lha");
  VK_REQUIRE_TOOL("bsdtar");
  // lhasa turns names beyond ASCII into Latin-1 guesses: those are read back by bsdtar and
  // by the program itself.
  const Tree tree = {{"in/", ""},
                     {"in/text.txt", TextData(80000)},
                     {"in/random.bin", RandomData(70000)},
                     {"in/empty.txt", ""},
                     {"in/one", "x"},
                     {"in/sub/", ""},
                     {"in/sub/deeper/", ""},
                     {"in/sub/deeper/s\xC3\xBC\xC3\x9F.txt", "non-ASCII name\n"},
                     {"in/hollow/", ""},
                     {"in/hollow/inner/", ""}};
  MakeTree(dir_.Path(), tree);
  // Only the text shrinks; the empty folders get entries of their own.
  using M = std::multiset<std::string>;
  const M stored = {"-lh0-", "-lh0-", "-lh0-", "-lh0-", "-lhd-", "-lhd-"};
  const struct {
    const char* method;
    const char* text;  // the text's method
  } cases[] = {{"lh6", "-lh6-"}, {"lh5", "-lh5-"}, {"store", "-lh0-"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.method);
    const std::string archive = std::string(c.method) + ".lzh";
    ASSERT_EQ(Run({"add", archive, "-r", "--method", c.method, "in"}).status, 0);
    const ToolRun listed = RunTool({"lha", "v", archive}, dir_.Path());
    ASSERT_TRUE(listed.Ok()) << listed.err;
    M ids = stored;
    ids.insert(c.text);
    EXPECT_EQ(Methods(listed.out), ids) << listed.out;
    EXPECT_TRUE(RunToolOk({"lha", "t", archive}, dir_.Path()));
    for (const std::string tool : {"bsdtar", "vorelkit"}) {
      const std::string out = dir_ / (archive + "." + tool);
      fs::create_directories(out);
      if (tool == "bsdtar")
        EXPECT_TRUE(RunToolOk({"bsdtar", "-xf", dir_ / archive, "-C", out}));
      else
        EXPECT_EQ(Run({"extract", archive, "-o", out}).status, 0);
      EXPECT_TRUE(ReadTree(out) == tree) << tool;
    }
  }
}

TEST_F(Lha, RenamedEntriesGetHeadersPeersRead) {
  VK_REQUIRE_TOOL("lha");
  VK_REQUIRE_TOOL("bsdtar");
  MakeTree(dir_.Path(), {{"a/x.txt", TextData(80000)}, {"a/y.txt", "y"}, {"a/e/", ""}});
  ASSERT_EQ(Run({"add", "r.lha", "-r", "a"}).status, 0);
  ASSERT_EQ(Run({"rename", "r.lha", "a/x.txt", "b/renamed.txt"}).status, 0);
  ASSERT_EQ(Run({"rename", "r.lha", "a/e", "a/f"}).status, 0);
  EXPECT_TRUE(RunToolOk({"lha", "t", "r.lha"}, dir_.Path()));
  const ToolRun bsd = RunTool({"bsdtar", "-tf", "r.lha"}, dir_.Path());
  EXPECT_EQ(bsd.out, "b/renamed.txt\na/y.txt\na/f/\n") << bsd.err;
  const std::string out = dir_ / "out";
  ASSERT_TRUE(RunToolOk({"lha", "xqw=" + out, "r.lha"}, dir_.Path()));
  EXPECT_EQ(ReadTree(out), (Tree{{"b/", ""},
                                 {"b/renamed.txt", TextData(80000)},
                                 {"a/", ""},
                                 {"a/y.txt", "y"},
                                 {"a/f/", ""}}));
}

TEST_F(Lha, ConvertsToAndFromZip) {
  VK_REQUIRE_TOOL("lha");
  const Tree tree = {{"c/", ""}, {"c/t.txt", TextData(80000)}, {"c/r.bin", RandomData(5000)}};
  MakeTree(dir_.Path(), tree);
  ASSERT_EQ(Run({"add", "c.zip", "-r", "c"}).status, 0);
  ASSERT_EQ(Run({"convert", "c.zip", "--to", "lzh"}).status, 0);
  EXPECT_TRUE(RunToolOk({"lha", "t", "c.lzh"}, dir_.Path()));
  ASSERT_EQ(Run({"convert", "c.lzh", "--to", "zip", "-o", "back"}).status, 0);
  ASSERT_EQ(Run({"extract", "back/c.zip", "-o", "x"}).status, 0);
  EXPECT_TRUE(ReadTree(dir_ / "x") == tree);
}

TEST_F(Lha, SelfExtractorsAreReadAndUpdatedBehindTheirProgram) {
  MakeTree(dir_.Path(), {{"a.txt", TextData(80000)}, {"b.txt", "b"}});
  ASSERT_EQ(Run({"add", "a.lzh", "a.txt"}).status, 0);
  std::string program = "MZ" + std::string(62, '\0') + "This program cannot be run in DOS mode";
  program.resize(3000, '\0');
  WriteFileText(dir_ / "x.exe", program + ReadFileText(dir_ / "a.lzh"));
  ASSERT_EQ(Run({"add", "x.exe", "b.txt"}).status, 0);
  EXPECT_EQ(ReadFileText(dir_ / "x.exe").substr(0, program.size()), program);
  const ToolRun test = Run({"test", "x.exe"});
  EXPECT_EQ(test.status, 0) << test.err;
  EXPECT_NE(test.out.find("2 entries tested, 0 failed"), std::string::npos) << test.out;
}

TEST_F(Lha, AnArchiveOfNoEntriesIsStillOne) {
  MakeTree(dir_.Path(), {{"a.txt", "a"}});
  ASSERT_EQ(Run({"add", "e.lha", "a.txt"}).status, 0);
  ASSERT_EQ(Run({"delete", "e.lha", "a.txt"}).status, 0);
  EXPECT_EQ(ReadFileText(dir_ / "e.lha"), std::string(1, '\0'));  // the end mark
  EXPECT_EQ(Run({"list", "e.lha"}).status, 0);
  EXPECT_EQ(Run({"test", "e.lha"}).status, 0);
  ASSERT_EQ(Run({"add", "e.lha", "a.txt"}).status, 0);
  EXPECT_EQ(Run({"test", "e.lha"}).status, 0);
}

TEST_F(Lha, OneBadEntryFailsAlone) {
  MakeTree(dir_.Path(),
           {{"a.txt", TextData(80000)}, {"b.txt", TextData(80000)}, {"c.txt", TextData(80000)}});
  ASSERT_EQ(Run({"add", "d.lzh", "a.txt", "b.txt", "c.txt"}).status, 0);
  // Level-0 headers: the first at 0, its method id at 2; the second behind its data.
  Bytes bytes = ReadFileBytes(dir_ / "d.lzh");
  const size_t second = size_t(bytes[0]) + 2 + GetU32(&bytes[7]);
  std::copy_n("-lh2-", 5, &bytes[2]);
  bytes[second + size_t(bytes[second]) + 2 + 40] ^= 0x55;  // the second entry's data
  WriteFileBytes(dir_ / "d.lzh", bytes);
  const ToolRun run = Run({"extract", "d.lzh", "-o", "out"});
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.err.find("Unsupported compression method"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("File fails CRC check"), std::string::npos) << run.err;
  EXPECT_EQ(PathsBelow(dir_ / "out"), std::set<std::string>{"c.txt"});
  EXPECT_EQ(ReadFileText(dir_ / "out/c.txt"), TextData(80000));
}

TEST_F(Lha, NamesAHeaderCannotHoldAreRefused) {
  const std::string longName(240, 'n');
  MakeTree(dir_.Path(), {{longName, "x"}, {"short", "y"}});
  const ToolRun run = Run({"add", "n.lzh", longName, "short"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("longer than an LHA header holds"), std::string::npos) << run.err;
  EXPECT_EQ(Run({"extract", "n.lzh", "-o", "out"}).status, 0);
  EXPECT_EQ(PathsBelow(dir_ / "out"), std::set<std::string>{"short"});
}

TEST_F(Lha, HostileNamesAndLinksStayInsideTheTargetFolder) {
  const std::string samples = SampleFolder() + "/lha/";
  if (!fs::exists(samples)) GTEST_SKIP() << samples << " not present";
  fs::create_directories(dir_ / "deep/er");
  // A link entry makes nothing: links are never made from an archive.
  for (const char* name :
       {"regression_dotdot.lzh", "regression_abspath.lzh", "lha_unix114i_h1_symlink.lzh"})
    EXPECT_EQ(Run({"extract", samples + name, "-o", "deep/er/out"}).status, 0) << name;
  EXPECT_EQ(PathsBelow(dir_ / "deep"),
            (std::set<std::string>{"er", "er/out", "er/out/evil1.txt", "er/out/foo",
                                   "er/out/foo/evil2.txt", "er/out/tmp",
                                   "er/out/tmp/absolute_path.txt"}));
}

}  // namespace
}  // namespace qel::test
