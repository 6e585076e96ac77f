// Renaming entries inside ZIP archives: the names every peer then reads, the data bytes left
// as they were, and the editor's rules for what counts as a change and what is refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/base/Bytes.h"
#include "engine/base/Messages.h"
#include "engine/edit/ArchiveEditor.h"
#include "formats/zip/UnZip.h"
#include "formats/zip/ZipWriter.h"
#include "tests/support/CliRun.h"
#include "tests/support/PeerTools.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;

// Every entry's stored data (after its local header), by name.
std::map<std::string, Bytes> EntryData(const std::string& archive) {
  TZip zip;
  zip.SetExistingArchive(archive);
  TCompList list;
  EXPECT_TRUE(zip.ReadEntries(list));
  const Bytes bytes = ReadFileBytes(archive);
  std::map<std::string, Bytes> data;
  for (const TCompEntry& e : list) {
    const uint8_t* local = bytes.data() + e.Offset;
    const size_t start = size_t(e.Offset) + 30 + GetU16(local + 26) + GetU16(local + 28);
    const size_t packed = CentralRecordOf(e).Packed;
    data[e.StoredName] = Bytes(bytes.begin() + long(start), bytes.begin() + long(start + packed));
  }
  return data;
}

// The names as Python's zipfile reads them: UTF-8 where the flag says so, and no Unicode
// path field consulted, so a stale one cannot hide a rename.
std::set<std::string> PeerNames(const std::string& archive) {
  const ToolRun py = RunTool({"python3", "-c",
                              "import sys, zipfile\n"
                              "for n in zipfile.ZipFile(sys.argv[1]).namelist(): "
                              "sys.stdout.buffer.write(n.encode()+b'\\n')",
                              archive});
  EXPECT_TRUE(py.Ok()) << py.err;
  std::vector<std::string> lines = Split(py.out, '\n');
  lines.pop_back();
  return {lines.begin(), lines.end()};
}

void MakeInput(const TestFolder& dir) {
  fs::create_directories(dir / "in/docs");
  WriteFileText(dir / "in/a.txt", "first\n");
  WriteFileText(dir / "in/docs/b.txt", std::string(20000, 'b'));
  WriteFileText(dir / "in/docs/\xC3\xBC.txt", "umlaut\n");
  WriteFileText(dir / "in/keep.bin", "not a text\n");
}

struct PeerCase {
  const char* label;
  std::vector<std::string> make;  // run in "in", writing ../t.zip
  std::string password;
  bool unzipReads = true;  // Info-ZIP has no AES
  bool commented = false;
};

TEST(ZipRename, PeersReadTheNewNamesAndEveryDataByteStays) {
  for (const char* tool : {"zip", "unzip", "7z", "sh", "python3"}) VK_REQUIRE_TOOL(tool);
  const std::vector<PeerCase> cases = {
      {"zip", {"sh", "-c", "echo 'the comment' | zip -qr -z ../t.zip ."}, "", true, true},
      {"zipcrypto", {"zip", "-qr", "-P", "pw", "../t.zip", "."}, "pw"},
      {"aes", {"7z", "a", "-tzip", "-mem=AES256", "-ppw", "../t.zip", "."}, "pw", false},
      {"7z-utf8", {"7z", "a", "-tzip", "../t.zip", "."}, ""},
      // Written to a pipe: every entry has a data descriptor.
      {"streamed", {"sh", "-c", "zip -qr - . | cat > ../t.zip"}, ""},
  };
  for (const PeerCase& c : cases) {
    SCOPED_TRACE(c.label);
    TestFolder dir(c.label);
    MakeInput(dir);
    ASSERT_TRUE(RunToolOk(c.make, dir / "in"));
    const std::string zip = dir / "t.zip";
    const std::map<std::string, Bytes> data = EntryData(zip);

    TCliRun run = Cli({"rename", zip, "--mask", "*.txt", "*.md", "--recurse"});
    EXPECT_EQ(run.status, 0) << run.err;
    run = Cli({"rename", zip, "docs", "papers"});
    EXPECT_EQ(run.status, 0) << run.err;

    const std::map<std::string, std::string> renamed = {{"a.txt", "a.md"},
                                                        {"docs/", "papers/"},
                                                        {"docs/b.txt", "papers/b.md"},
                                                        {"docs/\xC3\xBC.txt", "papers/\xC3\xBC.md"},
                                                        {"keep.bin", "keep.bin"}};
    std::set<std::string> expected;
    for (const auto& [old, name] : data) {
      ASSERT_TRUE(renamed.count(old)) << old;
      expected.insert(renamed.at(old));
    }
    EXPECT_EQ(PeerNames(zip), expected);
    const std::map<std::string, Bytes> after = EntryData(zip);
    for (const auto& [old, bytes] : data) EXPECT_EQ(after.at(renamed.at(old)), bytes) << old;

    std::vector<std::string> unzip = {"unzip", "-tq"};
    std::vector<std::string> sevenZ = {"7z", "t"};
    if (!c.password.empty()) {
      unzip.insert(unzip.end(), {"-P", c.password});
      sevenZ.push_back("-p" + c.password);
    }
    unzip.push_back(zip);
    sevenZ.push_back(zip);
    if (c.unzipReads) {
      EXPECT_TRUE(RunToolOk(unzip));
    }
    EXPECT_TRUE(RunToolOk(sevenZ));
    if (c.commented) {
      EXPECT_NE(RunTool({"unzip", "-z", zip}).out.find("the comment"), std::string::npos);
    }
  }
}

TEST(ZipRename, EncipheredHeadersAreEncipheredAgain) {
  TestFolder dir;
  MakeInput(dir);
  TZip zip;
  zip.SetArchiveFile(dir / "t.zip");
  zip.SetTempDir(dir.Path());
  zip.EncryptHeaders = true;
  zip.FileSpec = {dir / "in/*"};
  ASSERT_EQ(zip.Compress(), 4);

  const TCliRun run = Cli({"rename", dir / "t.zip", "a.txt", "renamed.txt"});
  EXPECT_EQ(run.status, 0) << run.err;
  const Bytes bytes = ReadFileBytes(dir / "t.zip");
  const std::string text(bytes.begin(), bytes.end());
  EXPECT_EQ(text.find("PK\x03\x04"), std::string::npos);
  EXPECT_EQ(text.find("renamed"), std::string::npos);

  TUnZip reader;
  int passed = 0;
  reader.OnEnd = [&](TZipCommon&, const WideString&, bool pass) { passed += pass; };
  reader.SetArchiveFile(dir / "t.zip");
  reader.SetExtractDir(dir / "out");
  EXPECT_EQ(reader.Extract(), 4);
  EXPECT_EQ(passed, 4);
  EXPECT_EQ(ReadFileText(dir / "out/renamed.txt"), "first\n");
}

TEST(ZipRename, AStaleUnicodePathFieldGoesWithTheOldName) {
  VK_REQUIRE_TOOL("python3");
  TestFolder dir;
  // The field (version 1, CRC of the stored name, UTF-8 name) names the entry "ü.txt".
  ASSERT_TRUE(
      RunToolOk({"python3", "-c",
                 "import sys, zipfile, zlib, struct\n"
                 "u = 'ü.txt'.encode(); i = zipfile.ZipInfo('u.txt')\n"
                 "i.extra = struct.pack('<HHBI', 0x7075, 5 + len(u), 1, zlib.crc32(b'u.txt')) + u\n"
                 "zipfile.ZipFile(sys.argv[1], 'w').writestr(i, 'data')",
                 dir / "t.zip"}));
  TArchiveEditor editor;
  editor.SetArchiveFile(dir / "t.zip");
  ASSERT_TRUE(editor.Open());
  EXPECT_EQ(editor.EntryName(0), "\xC3\xBC.txt");
  ASSERT_TRUE(editor.RenameEntry(0, "new.txt"));
  ASSERT_TRUE(editor.Commit());

  TUnZip reader;
  reader.SetArchiveFile(dir / "t.zip");
  reader.SetExtractDir(dir / "out");
  EXPECT_EQ(reader.Extract(), 1);
  EXPECT_EQ(ReadFileText(dir / "out/new.txt"), "data");
  EXPECT_EQ(PeerNames(dir / "t.zip"), std::set<std::string>{"new.txt"});
}

// An editor over a fresh archive of the input, reporting its errors' codes.
struct Edited {
  explicit Edited(const TestFolder& dir) : archive(dir / "t.zip") {
    MakeInput(dir);
    TZip zip;
    zip.SetArchiveFile(archive);
    zip.SetTempDir(dir.Path());
    zip.FileSpec = {dir / "in/*"};
    EXPECT_EQ(zip.Compress(), 4);
    editor.SetTempDir(dir.Path());
    editor.OnError = [this](TZipCommon&, const WideString&, const WideString&, const WideString&,
                            int code) { codes.push_back(code); };
    editor.SetArchiveFile(archive);
    EXPECT_TRUE(editor.Open());
  }
  int Index(const std::string& name) const {
    for (int i = 0; i < editor.Count(); ++i)
      if (editor.EntryName(i) == name) return i;
    return -1;
  }
  bool Rename(const std::string& from, const std::string& to) {
    return editor.RenameEntry(Index(from), to);
  }
  std::string archive;
  TArchiveEditor editor;
  std::vector<int> codes;
};

TEST(ArchiveEditor, ModifiedComparesNamesNotSums) {
  TestFolder dir;
  Edited e(dir);
  // A rename and its undoing: nothing to write.
  e.Rename("a.txt", "x.txt");
  EXPECT_TRUE(e.editor.Modified());
  e.Rename("x.txt", "a.txt");
  EXPECT_FALSE(e.editor.Modified());
  // A case-only change counts only when case counts.
  e.Rename("a.txt", "A.TXT");
  EXPECT_FALSE(e.editor.Modified());
  e.editor.CaseSensitive = true;
  EXPECT_TRUE(e.editor.Modified());
  e.Rename("A.TXT", "a.txt");
  // Two names swapped through a third leave the same set of names: still a change.
  e.Rename("a.txt", "tmp");
  e.Rename("keep.bin", "a.txt");
  e.Rename("tmp", "keep.bin");
  EXPECT_TRUE(e.editor.Modified());
  const Bytes aData = EntryData(e.archive).at("a.txt");
  ASSERT_TRUE(e.editor.Commit());
  EXPECT_FALSE(e.editor.Modified());
  EXPECT_EQ(EntryData(e.archive).at("keep.bin"), aData);
}

TEST(ArchiveEditor, RefusesNamesThatCleanToNothingOrClash) {
  TestFolder dir;
  Edited e(dir);
  // Nothing left, or bytes that are not UTF-8 (stored under the UTF-8 flag, they would make
  // the archive unreadable to strict readers).
  for (const char* bad : {"", "..", "/", "docs/..", "c:\\", "\xFC.txt"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(e.Rename("a.txt", bad));
  }
  EXPECT_FALSE(e.editor.RenamePath("", "x"));
  EXPECT_EQ(e.editor.BatchRename("*.txt", "../*.md", ""), 0);
  EXPECT_FALSE(e.Rename("a.txt", "dir/"));  // a file cannot become a folder entry
  // Leading separators and parent steps go, "\" separates folders.
  EXPECT_TRUE(e.Rename("a.txt", "/../up\\a.txt"));
  EXPECT_EQ(e.editor.EntryName(e.Index("up/a.txt")), "up/a.txt");

  // A name another entry keeps is refused at the commit, and nothing is written.
  const int keep = e.Index("keep.bin");
  const Bytes before = ReadFileBytes(e.archive);
  e.Rename("up/a.txt", "keep.bin");
  e.codes.clear();
  EXPECT_FALSE(e.editor.Commit());
  EXPECT_EQ(e.codes, std::vector<int>{msg::DuplicateName});
  EXPECT_EQ(ReadFileBytes(e.archive), before);
  // Unless that entry moves away in the same commit.
  e.editor.RenameEntry(keep, "kept.bin");
  EXPECT_TRUE(e.editor.Commit()) << e.codes.size();
  // A file where a folder is, or a folder below a file: no file system holds both.
  for (const auto& [from, to] : {std::pair{"keep.bin", "docs"}, {"docs/b.txt", "kept.bin/b.txt"}}) {
    ASSERT_TRUE(e.Rename(from, to));
    EXPECT_FALSE(e.editor.CheckNames()) << to;
    ASSERT_TRUE(e.Rename(to, from));
  }
}

TEST(ArchiveEditor, ACommitThatFailsLeavesTheArchiveAsItWas) {
  TestFolder dir;
  Edited e(dir);
  e.Rename("a.txt", "z.txt");
  // Changed behind the editor's back: its names would land on other entries.
  {
    TZip zip;
    zip.SetArchiveFile(e.archive);
    zip.SetTempDir(dir.Path());
    zip.Switch = TSwitch::swDelete;
    zip.FileSpec = {"keep.bin"};
    ASSERT_EQ(zip.Compress(), 0);
  }
  const Bytes changed = ReadFileBytes(e.archive);
  EXPECT_FALSE(e.editor.Commit());
  EXPECT_EQ(e.codes, std::vector<int>{msg::ArchiveChanged});
  EXPECT_EQ(ReadFileBytes(e.archive), changed);

  // An entry that cannot be copied ends the commit halfway.
  TestFolder dir2("damaged");
  Edited damaged(dir2);
  Bytes bytes = ReadFileBytes(damaged.archive);
  const std::string text(bytes.begin(), bytes.end());
  bytes[text.rfind("PK\x03\x04")] = 'X';  // the last entry's local header
  WriteFileBytes(damaged.archive, bytes);
  damaged.Rename("a.txt", "z.txt");
  EXPECT_FALSE(damaged.editor.Commit());
  EXPECT_EQ(ReadFileBytes(damaged.archive), bytes);
}

TEST(ArchiveEditor, BatchRenameMapsTheFilePartAndAsksFirst) {
  const struct {
    const char *name, *source, *target, *expected;
  } maps[] = {
      {"docs/report.txt", "*.txt", "*.md", "docs/report.md"},
      {"a.b.txt", "*.txt", "*.bak", "a.b.bak"},
      {"README", "*", "*.md", "README.md"},
      {"report.txt", "*.txt", "??_*", "re_ort.txt"},
      {"report.txt", "r*", "x*", "xeport.txt"},
      {"same.txt", "*.txt", "*.txt", "same.txt"},
      {"\xC3\xBC"
       "ber.txt",
       "*", "?x*", "\xC3\xBCxer.txt"},
  };
  for (const auto& m : maps) EXPECT_EQ(MapName(m.name, m.source, m.target), m.expected) << m.name;

  TestFolder dir;
  Edited e(dir);
  std::vector<std::string> asked;
  e.editor.OnBatchSkipFile = [&](TArchiveEditor&, const WideString& old, const WideString&, int,
                                 bool& skip) {
    asked.push_back(old);
    skip = old == "docs/b.txt";
  };
  // Without RecurseDirs only the folder given is searched.
  EXPECT_EQ(e.editor.BatchRename("*.txt", "*.md", ""), 1);
  e.editor.RecurseDirs = true;
  asked.clear();
  EXPECT_EQ(e.editor.BatchRename("*.txt", "*.md", ""), 1);
  EXPECT_EQ(asked.size(), 2u);
  EXPECT_GE(e.Index("docs/\xC3\xBC.md"), 0);
  EXPECT_GE(e.Index("docs/b.txt"), 0);
}

}  // namespace
}  // namespace qel::test
