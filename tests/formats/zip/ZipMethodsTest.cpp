// ZIP methods 12 (bzip2) and 98 (PPMd): entries that zip and 7-Zip compress with them
// extract, and the ones vorelkit-cli writes pass their tests with every cipher, under the
// headers APPNOTE asks for.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/codecs/inflate/InflateHelpers.h"
#include "tests/formats/zip/OneEntryZip.h"
#include "tests/support/CliRun.h"
#include "tests/support/PeerTools.h"

namespace qel::test {
namespace {

// Two bzip2 blocks at the fast level's block size.
const Bytes& Text() {
  static const Bytes text = MakeSample(Sample::Text, 300000);
  return text;
}

// The name and method columns of `vorelkit-cli list --tsv` as "name=method", sorted.
std::vector<std::string> Methods(const std::string& archive) {
  const TCliRun run = Cli({"list", "--tsv", archive});
  EXPECT_EQ(run.status, 0) << run.err;
  std::vector<std::string> methods;
  for (const std::string& line : Split(run.out, '\n')) {
    const std::vector<std::string> f = Split(line, '\t');
    if (f.size() > 4) methods.push_back(f[0] + "=" + f[4]);
  }
  std::sort(methods.begin(), methods.end());
  return methods;
}

TEST(ZipMethods, PeerEntriesExtract) {
  // PPMd at several orders and memory sizes; 1 MB fills many times over.
  const struct {
    const char* tool;
    const char* method;
    std::vector<std::string> command;
  } cases[] = {
      {"zip", "BZip2", {"zip", "-q", "-Z", "bzip2", "p.zip", "text.txt", "empty.dat"}},
      {"7z", "BZip2", {"7z", "a", "-bd", "-tzip", "-mm=BZip2", "p.zip", "text.txt", "empty.dat"}},
      {"7z", "PPMDi1", {"7z", "a", "-bd", "-tzip", "-mm=PPMd", "p.zip", "text.txt", "empty.dat"}},
      {"7z",
       "PPMDi1",
       {"7z", "a", "-bd", "-tzip", "-mm=PPMd", "-mo=2", "-mmem=1m", "p.zip", "text.txt"}},
      {"7z",
       "PPMDi1",
       {"7z", "a", "-bd", "-tzip", "-mm=PPMd", "-mo=16", "-mmem=1m", "p.zip", "text.txt"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.command));
    VK_REQUIRE_TOOL(c.tool);
    TestFolder dir(c.tool);
    WriteFileBytes(dir / "in/text.txt", Text());
    WriteFileText(dir / "in/empty.dat", "");
    ASSERT_TRUE(RunToolOk(c.command, dir / "in"));
    const std::vector<std::string> methods = Methods(dir / "in/p.zip");
    EXPECT_NE(std::find(methods.begin(), methods.end(), std::string("text.txt=") + c.method),
              methods.end());
    const TCliRun run = Cli({"extract", dir / "in/p.zip", "-o", dir / "out", "text.txt"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFileBytes(dir / "out/text.txt"), Text());
  }
}

TEST(ZipMethods, OurEntriesPassPeersWithEveryCipher) {
  VK_REQUIRE_TOOL("7z");
  VK_REQUIRE_TOOL("unzip");
  // unzip reads no PPMd; the data of a plain entry starts with its block header or the
  // parameter word (order 16, 64 MB, restart).
  const struct {
    const char* name;    // --method
    uint16_t id;         // the real method
    const char* cipher;  // --encryption, "" for none
    uint16_t method;     // in the headers
    uint16_t version;    // needed to extract
    const char* start;   // of the data
  } cases[] = {{"bzip2", 12, "", 12, 46, "BZh2"},     {"bzip2", 12, "zipcrypto", 12, 46, ""},
               {"bzip2", 12, "aes256", 99, 46, ""},   {"ppmd", 98, "", 98, 63, "\xFF\x03"},
               {"ppmd", 98, "zipcrypto", 98, 63, ""}, {"ppmd", 98, "aes128", 99, 63, ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.name << " " << c.cipher);
    TestFolder dir(c.cipher);
    WriteFileBytes(dir / "text.txt", Text());
    std::vector<std::string> add = {VK_CLI_PATH, "add",     "a.zip", "--method",
                                    c.name,      "--level", "fast",  "text.txt"};
    const bool plain = *c.cipher == 0;
    if (!plain) add.insert(add.end(), {"-p", "secret", "--encryption", c.cipher});
    ASSERT_TRUE(RunToolOk(add, dir.Path()));

    EXPECT_TRUE(RunToolOk({"7z", "t", "-psecret", dir / "a.zip"}));
    if (c.method == 12) {
      EXPECT_TRUE(RunToolOk({"unzip", "-t", "-P", "secret", dir / "a.zip"}));
    }
    const TCliRun run = Cli({"extract", dir / "a.zip", "-o", dir / "out", "-p", "secret"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFileBytes(dir / "out/text.txt"), Text());

    const std::optional<ZipEntryView> e = FirstEntry(ReadFileBytes(dir / "a.zip"));
    ASSERT_TRUE(e);
    EXPECT_EQ(e->local.Method, c.method);
    EXPECT_EQ(e->central.Method, c.method);
    if (c.method == 99) {
      ASSERT_TRUE(e->extra.Aes);
      EXPECT_EQ(e->extra.Aes->Method, c.id);
    }
    EXPECT_EQ(e->local.VersionNeeded, c.version);
    EXPECT_EQ(e->central.VersionNeeded, c.version);
    EXPECT_EQ(e->local.Flags & 0x0006, 0);  // the Deflate option bits
    if (plain) {
      const std::string start = c.start;
      EXPECT_EQ(std::string(e->data.begin(), e->data.begin() + long(start.size())), start);
    }
  }
}

// Empty and incompressible files are stored; damage fails the entry and leaves no file.
TEST(ZipMethods, StoredWhereItWouldNotPayAndDamageFailsTheEntry) {
  TestFolder dir;
  WriteFileBytes(dir / "text.txt", Text());
  WriteFileBytes(dir / "noise.bin", MakeSample(Sample::Random, 5000));
  WriteFileText(dir / "empty.dat", "");
  ASSERT_TRUE(RunToolOk(
      {VK_CLI_PATH, "add", "a.zip", "--method", "bzip2", "text.txt", "noise.bin", "empty.dat"},
      dir.Path()));
  EXPECT_EQ(Methods(dir / "a.zip"),
            (std::vector<std::string>{"empty.dat=Stored", "noise.bin=Stored", "text.txt=BZip2"}));
  EXPECT_EQ(Cli({"test", dir / "a.zip"}).status, 0);

  ASSERT_TRUE(
      RunToolOk({VK_CLI_PATH, "add", "text.zip", "--method", "bzip2", "text.txt"}, dir.Path()));
  Bytes bytes = ReadFileBytes(dir / "text.zip");
  const std::optional<ZipEntryView> e = FirstEntry(bytes);
  ASSERT_TRUE(e);
  ASSERT_EQ(std::string(e->data.begin(), e->data.begin() + 4), "BZh6");  // the normal level
  bytes[size_t(e->central.LocalOffset) + zip::kLocalHeaderSize + e->local.NameLength +
        e->local.ExtraLength + e->data.size() / 2] ^= 0x20;
  WriteFileBytes(dir / "bad.zip", bytes);
  EXPECT_EQ(Cli({"test", dir / "bad.zip"}).status, 1);
  EXPECT_NE(Cli({"extract", dir / "bad.zip", "-o", dir / "out", "text.txt"}).status, 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "out/text.txt"));
}

}  // namespace
}  // namespace qel::test
