// TAR archives, plain and compressed, through vorelkit-cli: what GNU tar and bsdtar write
// extracts as `tar -x` extracts it (links aside), what the program writes they read back,
// updates keep what they do not touch, and hostile names stay inside the target.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "engine/base/ArcType.h"
#include "engine/base/ArchiveDetection.h"
#include "formats/tar/TarHeader.h"
#include "formats/tar/UnTar.h"
#include "tests/support/CliRun.h"
#include "tests/support/ProgramFolder.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;

using Tar = ProgramFolder;

// Names of every length the formats treat apart, a non-ASCII one, an empty folder, an
// empty file and an executable.
Tree Sample() {
  const std::string deep = std::string(60, 'd') + "/" + std::string(60, 'e') + "/";
  return {{"in/", ""},
          {"in/empty.txt", ""},
          {"in/run.sh", "#!/bin/sh\necho hi\n"},
          {"in/" + std::string(96, 'a'), "100 bytes of name\n"},
          {"in/" + std::string(97, 'b'), "101 bytes of name\n"},
          {"in/" + std::string(251, 'c'), "255\n"},
          {"in/" + deep, ""},
          {"in/" + deep + std::string(130, 'f'), "a path of 256\n"},
          {"in/" + deep + std::string(200, 'g') + ".txt", "deep and long\n"},
          {"in/s\xC3\xBC\xC3\x9F.txt", "non-ASCII\n"},
          {"in/hollow/", ""}};
}

// Modes and times as well as contents, for what `tar -x` and the program both restore.
std::map<std::string, std::string> Facts(const std::string& root) {
  std::map<std::string, std::string> facts;
  for (const auto& [path, content] : ReadTree(root)) {
    struct stat st {};
    ::lstat((root + "/" + path).c_str(), &st);
    const bool folder = path.back() == '/';
    facts[path] = content + "|" + std::to_string(st.st_mode & 0777) +
                  (folder ? "" : "|" + std::to_string(st.st_mtime));
  }
  return facts;
}

TEST_F(Tar, WhatPeersWriteExtractsAsTarDoes) {
  for (const char* tool : {"tar", "bsdtar", "gzip", "bzip2", "compress"}) VK_REQUIRE_TOOL(tool);
  MakeTree(dir_.Path(), Sample());
  Sh("chmod 755 in/run.sh && chmod 600 in/empty.txt && ln -s run.sh in/link && "
     "ln in/run.sh in/hard && find in -exec touch -h -d @1600000000 {} +");
  const char* makes[] = {
      "tar --format=gnu -cf a.tar in",
      "tar --format=oldgnu -cf a.tar in",
      "tar --format=posix -cf a.tar in",
      "tar --format=ustar -cf a.tar in 2>/dev/null",
      "tar --format=v7 -cf a.tar in 2>/dev/null",
      "bsdtar --format=pax -cf a.tar in",
      "bsdtar --format=ustar -cf a.tar in 2>/dev/null",
      "tar -czf a.tar in && mv a.tar a.tgz",
      "tar -cjf a.tar in && mv a.tar a.tbz",
      "tar -cZf a.tar in && mv a.tar a.tar.Z",
  };
  for (const char* make : makes) {
    SCOPED_TRACE(make);
    Sh(std::string("rm -rf a.* ours theirs && mkdir ours theirs && ") + make + " ; ls a.* > name");
    const std::string archive = Split(ReadFileText(dir_ / "name"), '\n')[0];
    Sh("tar -xf " + archive + " -C theirs && rm -f theirs/in/link theirs/in/hard");
    const ToolRun run = Cli({"extract", archive, "-o", "ours"});
    // The links are left out, and said so.
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("in/link"), std::string::npos) << run.err;
    EXPECT_EQ(Facts(dir_ / "ours"), Facts(dir_ / "theirs"));
    const ToolRun test = Cli({"test", archive});
    EXPECT_EQ(test.status, 0) << test.out << test.err;
  }
}

TEST_F(Tar, WhatItWritesPeersRead) {
  for (const char* tool : {"tar", "bsdtar"}) VK_REQUIRE_TOOL(tool);
  MakeTree(dir_.Path(), Sample());
  Sh("chmod 755 in/run.sh && find in -exec touch -h -d @1600000000 {} +");
  for (const char* archive : {"w.tar", "w.tar.gz", "w.tbz", "w.tgz"}) {
    SCOPED_TRACE(archive);
    ASSERT_EQ(Cli({"add", archive, "-r", "in"}).status, 0);
    const std::string theirs = std::string("theirs-") + archive;
    Sh("mkdir " + theirs + " && tar -xf " + archive + " -C " + theirs + " && bsdtar -tf " +
       archive + " > /dev/null");
    // Folders that hold files get no entries of their own, so tar gives them its own times.
    std::map<std::string, std::string> ours = Facts(dir_.Path()), back = Facts(dir_ / theirs);
    std::erase_if(ours, [](const auto& f) { return f.first.rfind("in/", 0) != 0; });
    EXPECT_EQ(back, ours);
  }
  // The end: two zero blocks, then zeros to a whole record of 10240 bytes.
  EXPECT_EQ(fs::file_size(dir_ / "w.tar") % 10240, 0u);
}

TEST_F(Tar, UpdatesKeepWhatTheyDoNotTouch) {
  for (const char* tool : {"tar", "gzip"}) VK_REQUIRE_TOOL(tool);
  MakeTree(dir_.Path(), {{"in/a.txt", "a\n"}, {"in/" + std::string(150, 'l'), "long\n"}});
  // Two GZIP members that part in the middle of the TAR.
  Sh("ln -s a.txt in/link && tar -cf u.tar in && (head -c 1024 u.tar | gzip; tail -c +1025 u.tar "
     "| gzip) > u.tar.gz && echo new > new.txt");
  ASSERT_EQ(Cli({"add", "u.tar.gz", "new.txt"}).status, 0);
  ASSERT_EQ(Cli({"delete", "u.tar.gz", "in/a.txt"}).status, 0);
  const std::string listed = RunTool({"tar", "-tvzf", "u.tar.gz"}, dir_.Path()).out;
  EXPECT_NE(listed.find("in/link -> a.txt"), std::string::npos) << listed;
  EXPECT_NE(listed.find(std::string(150, 'l')), std::string::npos) << listed;
  EXPECT_NE(listed.find("new.txt"), std::string::npos) << listed;
  EXPECT_EQ(listed.find("in/a.txt"), std::string::npos) << listed;
  // Renamed short to long and long to short, the data goes along.
  ASSERT_EQ(Cli({"rename", "u.tar.gz", "new.txt", "in/" + std::string(120, 'r')}).status, 0);
  ASSERT_EQ(Cli({"rename", "u.tar.gz", "in/" + std::string(150, 'l'), "short"}).status, 0);
  Sh("mkdir x && tar -xzf u.tar.gz -C x");
  EXPECT_EQ(ReadFileText(dir_ / "x/in/" + std::string(120, 'r')), "new\n");
  EXPECT_EQ(ReadFileText(dir_ / "x/short"), "long\n");
  // Damage only the GZIP check finds (its CRC) is not carried into a new archive.
  Sh("printf 'X' | dd of=u.tar.gz bs=1 seek=$(($(stat -c %s u.tar.gz) - 6)) "
     "conv=notrunc status=none && cp u.tar.gz damaged");
  EXPECT_NE(Cli({"add", "u.tar.gz", "new.txt"}).status, 0);
  EXPECT_TRUE(ReadFileText(dir_ / "u.tar.gz") == ReadFileText(dir_ / "damaged"));
}

TEST_F(Tar, RenamingKeepsPaxRecords) {
  VK_REQUIRE_TOOL("tar");
  MakeTree(dir_.Path(), {{"s\xC3\xBC\xC3\x9F.txt", "pax\n"}});
  // GNU tar's pax archives carry the time to the nanosecond in a record of its own.
  Sh("touch -d @1600000000.5 s*.txt && tar --format=posix -cf p.tar s*.txt");
  ASSERT_EQ(Cli({"rename", "p.tar", "s\xC3\xBC\xC3\x9F.txt", "renamed.txt"}).status, 0);
  Sh("mkdir x && tar -xf p.tar -C x && stat -c %y x/renamed.txt > when");
  EXPECT_EQ(ReadFileText(dir_ / "x/renamed.txt"), "pax\n");
  EXPECT_NE(ReadFileText(dir_ / "when").find(":40.5"), std::string::npos)
      << ReadFileText(dir_ / "when");
}

TEST_F(Tar, CompressedTarComesOutWholeWhenAsked) {
  VK_REQUIRE_TOOL("tar");
  MakeTree(dir_.Path(), {{"in/a.txt", "a\n"}});
  Sh("tar -cf inner.tar in && gzip -c inner.tar > c.tgz");
  for (const bool members : {false, true}) {
    TUnTar reader;
    reader.SetArchiveFile(dir_ / "c.tgz");
    ASSERT_EQ(reader.ArcType(), atTarGz);
    ASSERT_TRUE(reader.SetExtractDir(dir_ / (members ? "members" : "whole")));
    std::vector<std::string> asked;
    reader.OnNestedTarFile = [&](TZipCommon&, const WideString& name, bool& extract) {
      asked.push_back(name);
      extract = members;
    };
    EXPECT_GT(reader.Extract(), 0);
    EXPECT_EQ(asked, std::vector<std::string>{"inner.tar"});
  }
  EXPECT_TRUE(ReadFileText(dir_ / "whole/inner.tar") == ReadFileText(dir_ / "inner.tar"));
  EXPECT_EQ(ReadTree(dir_ / "members"), (Tree{{"in/", ""}, {"in/a.txt", "a\n"}}));
}

TEST_F(Tar, HeadersOutweighShortSignatures) {
  VK_REQUIRE_TOOL("tar");
  for (const char* first : {"HAPPY.txt", "ZOOM.txt", "PKGBUILD", "my-list.txt", "\x1F\x8Bz"}) {
    SCOPED_TRACE(first);
    MakeTree(dir_.Path(), {{std::string("d/") + first, "x\n"}});
    Sh("cd d && tar -cf ../s.tar * && cd .. && rm -rf d");
    EXPECT_EQ(DetectedArcType(dir_ / "s.tar"), atTar);
    fs::remove(dir_ / "s.tar");
  }
  // A GZIP of text is a GZIP file; of a TAR, a compressed TAR.
  Sh("echo text > t.txt && gzip t.txt && tar -cf in.tar t.txt.gz && gzip in.tar");
  EXPECT_EQ(DetectedArcType(dir_ / "t.txt.gz"), atGZip);
  EXPECT_EQ(DetectedArcType(dir_ / "in.tar.gz"), atTarGz);
  // A TAR of nothing is its end blocks alone; its name says what it is.
  Sh("tar -cf empty.tar -T /dev/null && cp empty.tar empty.bin");
  EXPECT_EQ(DetectedArcType(dir_ / "empty.tar"), atTar);
  EXPECT_EQ(DetectedArcType(dir_ / "empty.bin"), atNA);
}

TEST_F(Tar, HostileNamesAndSizesStayInside) {
  const auto member = [](const std::string& name, const std::string& data) {
    tar::TTarFields f;
    f.Name = name;
    f.Size = int64_t(data.size());
    std::vector<uint8_t> v = tar::MemberHeaders(f);
    v.insert(v.end(), data.begin(), data.end());
    v.resize((v.size() + 511) / 512 * 512);
    return v;
  };
  std::vector<uint8_t> archive;
  // The last one has a long name, so it goes through a long-name block.
  for (const std::string& name : {std::string("../evil1"), std::string("/tmp/evil2"),
                                  "a/../../evil3" + std::string(120, 'x')}) {
    const std::vector<uint8_t> m = member(name, "bad\n");
    archive.insert(archive.end(), m.begin(), m.end());
  }
  archive.resize(archive.size() + 1024);
  WriteFileBytes(dir_ / "h.tar", archive);
  EXPECT_EQ(Cli({"extract", "h.tar", "-o", "out"}).status, 0);
  for (const std::string& path : PathsBelow(dir_.Path()))
    if (path.find("evil") != std::string::npos) {
      EXPECT_EQ(path.rfind("out/", 0), 0u) << path;
    }
  const Tree out = ReadTree(dir_ / "out");
  EXPECT_EQ(
      std::count_if(out.begin(), out.end(), [](const auto& f) { return f.second == "bad\n"; }), 3);
}

}  // namespace
}  // namespace qel::test
