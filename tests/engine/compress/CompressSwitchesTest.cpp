// What Compress does besides adding: reading the directory, renaming a duplicate, moving
// through the trash hook, and methods whose codec is not there.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/base/Messages.h"
#include "formats/zip/ZipWriter.h"
#include "tests/support/CliRun.h"
#include "tests/support/PeerTools.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;

struct Writer {
  explicit Writer(const TestFolder& dir) {
    fs::create_directories(dir / "in");
    zip.SetArchiveFile(dir / "a.zip");
    zip.SetTempDir(dir.Path());
    zip.StoredDirNames = TStoredDirNames::sdNone;
    zip.FileSpec = {dir / "in/*"};
    zip.OnError = [this](TZipCommon&, const WideString&, const WideString&, const WideString&,
                         int code) { codes.push_back(code); };
  }
  TZip zip;
  std::vector<int> codes;
};

TEST(CompressSwitches, ReadRenameAndTrash) {
  TestFolder dir;
  Writer w(dir);
  WriteFileText(dir / "in/a.txt", "one");
  WriteFileText(dir / "in/x.txt", "x");
  ASSERT_EQ(w.zip.Compress(), 2);

  // A changed file that is not to replace its entry goes in under the name proposed.
  WriteFileText(dir / "in/a.txt", "two, longer");
  w.zip.OnReplaceFile = [](TZipCommon&, const WideString&, const WideString&, TDateTime, TDateTime,
                           int64_t, int64_t, int, int, bool& replace) { replace = false; };
  std::vector<std::string> proposals = {"x.txt", "b.txt"};
  w.zip.OnRenameDupeFile = [&](TZipCommon&, const WideString&, WideString& name, bool& rename) {
    name = proposals.front();  // a name taken by another entry first: asked again
    proposals.erase(proposals.begin());
    rename = true;
  };
  EXPECT_EQ(w.zip.Compress(), 1);
  EXPECT_TRUE(proposals.empty());

  // swRead lists without writing; moving hands each file to the trash hook.
  std::vector<int> read;
  w.zip.OnRead = [&](TZipCommon&, int64_t, int count) { read.push_back(count); };
  w.zip.Switch = TSwitch::swRead;
  const Bytes before = ReadFileBytes(dir / "a.zip");
  EXPECT_EQ(w.zip.Compress(), 0);
  EXPECT_EQ(read, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(ReadFileBytes(dir / "a.zip"), before);

  WriteFileText(dir / "in/c.txt", "three");
  std::vector<std::string> trashed;
  w.zip.MoveToTrash = [&](const WideString& path) {
    trashed.push_back(fs::path(path).filename().string());
    return fs::remove(path);
  };
  w.zip.FileSpec = {dir / "in/c.txt"};
  w.zip.Switch = TSwitch::swMove;
  EXPECT_EQ(w.zip.Compress(), 1);
  EXPECT_EQ(trashed, std::vector<std::string>{"c.txt"});
  EXPECT_TRUE(w.codes.empty()) << w.codes.front();
}

TEST(CompressSwitches, CommentCommandShowsAndSets) {
  TestFolder dir;
  Writer w(dir);
  WriteFileText(dir / "in/a.txt", "a");
  ASSERT_EQ(w.zip.Compress(), 1);
  EXPECT_EQ(Cli({"comment", dir / "a.zip", "first line"}).status, 0);
  const auto shown = Cli({"comment", dir / "a.zip"});
  EXPECT_EQ(shown.status, 0);
  EXPECT_EQ(shown.out, "first line\n");
  EXPECT_EQ(Cli({"comment", dir / "missing.zip"}).status, 2);
}

}  // namespace
}  // namespace qel::test
