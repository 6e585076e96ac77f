// GZIP, BZIP2 and `compress` files through vorelkit-cli: what the peers write reads back
// byte for byte, what the program writes passes the peers, damage fails, and the names
// the data comes out under.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/packed/PackedNames.h"
#include "tests/support/ProgramFolder.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;

class Packed : public ProgramFolder {
 protected:
  // Extracts `archive` into a fresh folder and answers what came out.
  Tree Extracted(const std::string& archive, int status = 0) {
    const std::string out = "out-" + archive;
    const ToolRun run = Cli({"extract", archive, "-o", out});
    EXPECT_EQ(run.status, status) << archive << ": " << run.err;
    return ReadTree(dir_ / out);
  }
};

// Over a megabyte with long repeats: width changes and table resets for `compress` (whose
// -b9 output it cannot read back itself, so -b10 is the narrowest here), several
// blocks for bzip2 -1.
std::string Text() {
  std::string text;
  for (int i = 0; i < 60000; ++i)
    text += "line " + std::to_string(i * 7919 % 100003) + " of text\n";
  return text;
}

TEST_F(Packed, WhatPeersWriteReadsBack) {
  for (const char* tool : {"gzip", "bzip2", "compress", "pigz", "pbzip2"}) VK_REQUIRE_TOOL(tool);
  const std::string text = Text();
  WriteFileText(dir_ / "data.txt", text);
  WriteFileText(dir_ / "b.txt", "second part\n");
  const struct {
    const char* make;  // leaves `file` in the scratch folder
    const char* file;
    const char* out;  // the name the data comes out under
    std::string data;
  } cases[] = {
      {"gzip -c data.txt > named.gz", "named.gz", "data.txt", text},
      {"gzip -n -c data.txt > plain.gz", "plain.gz", "plain", text},
      {"gzip -9 -c data.txt > t.tgz", "t.tgz", "data.txt", text},
      {"gzip -n -c data.txt > t2.tgz", "t2.tgz", "t2.tar", text},
      {"pigz -c data.txt > pigz.gz", "pigz.gz", "data.txt", text},
      {"gzip -c data.txt > a.gz && gzip -c b.txt > b.gz && cat a.gz b.gz > two.gz", "two.gz",
       "data.txt", text + "second part\n"},
      // An empty first member: the data goes on in the next one.
      {": | gzip -c > e.gz && gzip -c b.txt >> e.gz", "e.gz", "e", "second part\n"},
      {"bzip2 -1 -c data.txt > one.bz2", "one.bz2", "one", text},
      {"pbzip2 -1 -b1 -c data.txt > par.bz2", "par.bz2", "par", text},
      {"bzip2 -c data.txt > a.bz2 && bzip2 -c b.txt > b.bz2 && cat a.bz2 b.bz2 > cat.tbz2",
       "cat.tbz2", "cat.tar", text + "second part\n"},
      {"compress -b10 -c data.txt > b10.Z", "b10.Z", "b10", text},
      {"compress -b12 -c data.txt > b12.Z", "b12.Z", "b12", text},
      {"compress -b16 -c data.txt > b16.z", "b16.z", "b16", text},
      {"gzip -n -c b.txt > notes_tar", "notes_tar", "notes.tar", "second part\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.make);
    Sh(c.make);
    const ToolRun test = Cli({"test", c.file});
    EXPECT_EQ(test.status, 0) << test.out << test.err;
    const Tree out = Extracted(c.file);
    EXPECT_TRUE(out == (Tree{{c.out, c.data}})) << (out.empty() ? "" : out.begin()->first);
  }
}

TEST_F(Packed, DamageFailsAndLeavesNothing) {
  VK_REQUIRE_TOOL("gzip");
  VK_REQUIRE_TOOL("bzip2");
  WriteFileText(dir_ / "data.txt", Text());
  Sh("gzip -c data.txt > g.gz && bzip2 -c data.txt > b.bz2");
  const struct {
    const char* damage;
    const char* file;
  } cases[] = {
      {"head -c 100000 g.gz > cut.gz", "cut.gz"},
      // The trailer's CRC, then a byte inside the Deflate data.
      {"cp g.gz crc.gz && printf 'X' | dd of=crc.gz bs=1 seek=$(($(stat -c %s g.gz) - 6)) "
       "conv=notrunc status=none",
       "crc.gz"},
      {"cp g.gz mid.gz && printf 'XYZ' | dd of=mid.gz bs=1 seek=5000 conv=notrunc status=none",
       "mid.gz"},
      {"head -c 50000 b.bz2 > cut.bz2", "cut.bz2"},
      {"cp b.bz2 mid.bz2 && printf 'XYZ' | dd of=mid.bz2 bs=1 seek=5000 conv=notrunc status=none",
       "mid.bz2"},
      {"gzip -c data.txt > hcrc.gz && printf '\\012' | dd of=hcrc.gz bs=1 seek=3 conv=notrunc "
       "status=none",
       "hcrc.gz"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.damage);
    Sh(c.damage);
    EXPECT_NE(Cli({"test", c.file}).status, 0);
    EXPECT_EQ(Extracted(c.file, 1), Tree{});
  }
  // The header flag that once marked a continued member refuses the file by name.
  EXPECT_NE(Cli({"test", "hcrc.gz"}).err.find("Multi-Part GZIP files not supported"),
            std::string::npos);
}

TEST_F(Packed, StoredNamesStayInsideTheTarget) {
  // Hand-made headers: a FNAME that climbs, one of 300 bytes with a comment and an extra
  // field behind it.
  VK_REQUIRE_TOOL("gzip");
  WriteFileText(dir_ / "data.txt", "payload\n");
  Sh("gzip -n -c data.txt | tail -c +11 > deflated");
  const std::string longName(300, 'n');
  const struct {
    std::string header;
    std::string out;
  } cases[] = {
      {std::string("\x1F\x8B\x08\x08\0\0\0\0\0\3../../evil\0", 21), "evil"},
      {std::string("\x1F\x8B\x08\x1C\0\0\0\0\0\3\x03\0xyz", 15) + longName + '\0' + "comment" +
           '\0',
       longName.substr(0, 255)},
  };
  for (const auto& c : cases) {
    WriteFileBytes(dir_ / "h.gz",
                   {reinterpret_cast<const uint8_t*>(c.header.data()), c.header.size()});
    Sh("cat deflated >> h.gz && rm -rf out-h.gz");
    EXPECT_EQ(Extracted("h.gz"), (Tree{{c.out, "payload\n"}}));
  }
}

TEST_F(Packed, WhatItWritesPeersRead) {
  VK_REQUIRE_TOOL("gzip");
  VK_REQUIRE_TOOL("bzip2");
  for (const size_t size : {0, 1, 100000}) {
    SCOPED_TRACE(size);
    const std::string data = Text().substr(0, size);
    WriteFileText(dir_ / "f.txt", data);
    Sh("touch -d @1700000000 f.txt && rm -f w.gz w.bz2");
    ASSERT_EQ(Cli({"add", "w.gz", "f.txt"}).status, 0);
    ASSERT_EQ(Cli({"add", "w.bz2", "f.txt"}).status, 0);
    EXPECT_EQ(RunTool({"gzip", "-dc", "w.gz"}, dir_.Path()).out, data);
    EXPECT_EQ(RunTool({"bzip2", "-dc", "w.bz2"}, dir_.Path()).out, data);
    // ID, CM, FLG (name), MTIME, XFL, OS, the name.
    EXPECT_EQ(ReadFileText(dir_ / "w.gz").substr(0, 16),
              std::string("\x1F\x8B\x08\x08\x00\xF1\x53\x65\x02\x00"
                          "f.txt\0",
                          16));
  }
  // A second file replaces the first: the file holds one.
  WriteFileText(dir_ / "g.txt", "other\n");
  ASSERT_EQ(Cli({"add", "w.gz", "g.txt"}).status, 0);
  EXPECT_EQ(Extracted("w.gz"), (Tree{{"g.txt", "other\n"}}));
  EXPECT_NE(Cli({"add", "two.gz", "f.txt", "g.txt"}).status, 0);
  EXPECT_FALSE(fs::exists(dir_ / "two.gz"));
}

TEST(PackedNames, CompressionExtensionsComeOff) {
  const struct {
    TPackedKind kind;
    const char* stored;
    const char* file;
    const char* name;
  } cases[] = {
      {TPackedKind::Gzip, "", "/d/a.txt.gz", "a.txt"},
      {TPackedKind::Gzip, "", "/d/A.GZIP", "A"},
      {TPackedKind::Gzip, "", "/d/x.tgz", "x.tar"},
      {TPackedKind::Gzip, "", "x.Z", "x"},
      {TPackedKind::Gzip, "", "x.bin", "x.bin"},
      {TPackedKind::Gzip, "dir/../name.tgz", "/d/x.gz", "name.tar"},
      {TPackedKind::Gzip, "", "/d/backup_tar", "backup.tar"},
      {TPackedKind::Gzip, "", "/d/a.b_tar", "a.b_tar"},
      {TPackedKind::Bzip2, "", " /d/x.tbz2 ", "x.tar"},
      {TPackedKind::Bzip2, "", "/d/x.bz2", "x"},
      {TPackedKind::Bzip2, "", "/d/x.gz", "x.gz"},
  };
  for (const auto& c : cases) EXPECT_EQ(UnpackedName(c.kind, c.stored, c.file), c.name) << c.file;
}

}  // namespace
}  // namespace qel::test
