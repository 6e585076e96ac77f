// Extracting masks of entries into a folder: stored folders, passwords, types without a
// reader, names that try to leave the destination, and removing what was extracted.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "app/core/VrExtractor.h"
#include "tests/support/PeerTools.h"

namespace vk::app {
namespace {

namespace fs = std::filesystem;
using qel::test::PathsBelow;
using qel::test::ReadFileBytes;
using qel::test::WriteFileText;
using Paths = std::set<std::string>;

// sample.zip: "a.txt", "docs/readme.txt", "docs/sub/deep.txt" and their folders;
// enc.zip: "a.txt" under the password "right", in AES: ZipCrypto's one-byte check would let
// a wrong password through one time in 256.
class VrExtractorTest : public testing::Test {
 protected:
  void SetUp() override {
    VK_REQUIRE_TOOL("zip");
    VK_REQUIRE_TOOL("7z");
    fs::create_directories(dir / "src/docs/sub");
    WriteFileText(dir / "src/a.txt", "alpha");
    WriteFileText(dir / "src/docs/readme.txt", "read me");
    WriteFileText(dir / "src/docs/sub/deep.txt", "deep");
    qel::test::RunToolOk({"zip", "-qr", dir / "sample.zip", "."}, dir / "src");
    qel::test::RunToolOk(
        {"7z", "a", "-bd", "-tzip", "-mem=AES256", "-pright", dir / "enc.zip", "a.txt"},
        dir / "src");
  }

  // An extractor for `archive` (in the test folder) into a fresh folder of its own.
  TVrExtractor& Make(const std::string& archive, qel::TArcType type = qel::atZip) {
    x = std::make_unique<TVrExtractor>();
    x->ArchiveFile = dir / archive;
    x->ArcType = type;
    x->InitialDir = dir / ("out" + std::to_string(++runs));
    return *x;
  }

  qel::test::TestFolder dir;
  std::unique_ptr<TVrExtractor> x;
  int runs = 0;
};

TEST_F(VrExtractorTest, MasksAndPasswords) {
  const struct Case {
    std::string archive;
    qel::TStrings masks, passwords;
    bool storedDirs;
    Paths written;
    bool ok;
  } cases[] = {
      {"sample.zip", {"a.txt"}, {}, false, {"a.txt"}, true},
      {"sample.zip", {"docs/sub/deep.txt"}, {}, false, {"deep.txt"}, true},
      {"sample.zip",
       {"docs/*"},
       {},
       true,
       {"docs", "docs/readme.txt", "docs/sub", "docs/sub/deep.txt"},
       true},
      {"sample.zip", {"docs\\readme.txt"}, {}, true, {"docs", "docs/readme.txt"}, true},
      {"enc.zip", {}, {"wrong", "right"}, true, {"a.txt"}, true},
      // Once the list is used up the entry fails; nothing is asked, nothing written.
      {"enc.zip", {}, {"wrong", "also wrong"}, true, {}, false},
      {"enc.zip", {}, {}, true, {}, false},
  };
  for (const Case& c : cases) {
    TVrExtractor& e = Make(c.archive);
    SCOPED_TRACE(e.InitialDir);
    e.FileSpec = c.masks;
    e.Passwords = c.passwords;
    e.UseStoredDirs = c.storedDirs;
    const TExtractResult r = e.Extract();
    EXPECT_EQ(r.Ok(), c.ok);
    EXPECT_EQ(PathsBelow(e.InitialDir), c.written);
    const auto files = std::count_if(c.written.begin(), c.written.end(),
                                     [](const std::string& p) { return p.ends_with(".txt"); });
    EXPECT_EQ(r.Extracted, files);
    if (c.ok && !c.passwords.empty()) {
      EXPECT_EQ(ReadFileBytes(e.InitialDir + "/a.txt"), ReadFileBytes(dir / "src/a.txt"));
    }
  }
}

TEST_F(VrExtractorTest, RefusesWhatItCannotReadWithoutWriting) {
  WriteFileText(dir / "plain.txt", "not an archive");
  const struct Case {
    std::string archive;
    qel::TArcType type;
    std::string target;  // "" for a fresh folder
    TExtractStatus status;
  } cases[] = {
      {"sample.zip", qel::atRar, "", TExtractStatus::NoReader},
      {"sample.zip", qel::atZipMV, "", TExtractStatus::NoReader},
      {"plain.txt", qel::atZip, "", TExtractStatus::CannotOpen},
      {"missing.zip", qel::atZip, "", TExtractStatus::CannotOpen},
      // The files must not go to the current folder instead.
      {"sample.zip", qel::atZip, "plain.txt/below", TExtractStatus::NoDestination},
  };
  for (const Case& c : cases) {
    TVrExtractor& e = Make(c.archive, c.type);
    if (!c.target.empty()) e.InitialDir = dir / c.target;
    SCOPED_TRACE(c.archive + " " + std::string(qel::ArcTypeName(c.type)));
    const TExtractResult r = e.Extract();
    EXPECT_EQ(r.Status, c.status);
    EXPECT_FALSE(r.Ok());
    EXPECT_FALSE(fs::exists(e.InitialDir));
  }
}

TEST_F(VrExtractorTest, HostileNamesStayInsideTheDestination) {
  WriteFileText(dir / "zzzx", "escaped?");
  qel::test::RunToolOk({"zip", "-q", "evil.zip", "zzzx"}, dir.Path());
  // The stored name, in the local and the central header alike, becomes "../x".
  qel::test::Bytes bytes = ReadFileBytes(dir / "evil.zip");
  const std::string from = "zzzx", to = "../x";
  for (auto it = bytes.begin();
       (it = std::search(it, bytes.end(), from.begin(), from.end())) != bytes.end();)
    it = std::copy(to.begin(), to.end(), it);
  qel::test::WriteFileBytes(dir / "evil.zip", bytes);

  TVrExtractor& e = Make("evil.zip");
  e.InitialDir = dir / "deep/out";
  e.Extract();
  EXPECT_FALSE(fs::exists(dir / "deep/x"));
  EXPECT_EQ(PathsBelow(e.InitialDir), Paths{"x"});
}

TEST_F(VrExtractorTest, EventsOfARun) {
  TVrExtractor& e = Make("sample.zip");
  e.FileSpec = {"*.txt"};
  e.UseStoredDirs = false;
  fs::create_directories(e.InitialDir);
  WriteFileText(e.InitialDir + "/a.txt", "older");
  int activated = 0, deactivated = 0, ended = 0;
  std::vector<std::string> asked;
  e.OnExtractActivate = [&](qel::TZipCommon&) { ++activated; };
  e.OnExtractDeactivate = [&](qel::TZipCommon&) { ++deactivated; };
  e.OnExtractEnd = [&](qel::TZipCommon&, const std::string&, bool) { ++ended; };
  e.OnExtractFileExists = [&](qel::TZipCommon&, const std::string& file, std::string&,
                              qel::TOverwriteMode&) { asked.push_back(file); };
  EXPECT_EQ(e.Extract().Extracted, 3);
  EXPECT_EQ(std::tuple(activated, deactivated, ended), std::tuple(1, 1, 3));
  EXPECT_EQ(asked, std::vector<std::string>{e.InitialDir + "/a.txt"});
}

}  // namespace
}  // namespace vk::app
