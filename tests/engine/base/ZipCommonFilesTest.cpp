#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/base/DateTime.h"
#include "engine/base/FileSystem.h"
#include "engine/base/Messages.h"
#include "engine/base/ZipCommon.h"
#include "tests/engine/base/TestComponent.h"
#include "tests/support/EnvVar.h"
#include "tests/support/Files.h"
#include "tests/support/TestFolder.h"
#include "tests/support/ZipImage.h"

namespace qel {
namespace {

namespace fs = std::filesystem;
using test::TestComponent;
using test::TestFolder;
using test::WriteFileText;
using Codes = std::vector<int>;

class CwdGuard {
 public:
  explicit CwdGuard(const std::string& dir) : old_(fs::current_path()) { fs::current_path(dir); }
  ~CwdGuard() { fs::current_path(old_); }

 private:
  fs::path old_;
};

struct Asked {
  std::string name;
  int volumeID;
  bool exists;
};

// --- RequestNextVolume ---

TEST(ZipCommonVolumes, VolumeNumberLimitAndEmptyName) {
  TestFolder dir;
  WriteFileText(dir / "set.999", "v");
  TestComponent c;
  std::string name = dir / "set.999";
  EXPECT_TRUE(c.RequestNextVolume(name, 999));
  EXPECT_EQ(c.VolumeCounter, 1);
  EXPECT_TRUE(c.Errors.empty());

  EXPECT_FALSE(c.RequestNextVolume(name, 1000));
  ASSERT_EQ(c.Codes(), (Codes{25245}));
  EXPECT_EQ(c.Errors[0].VolumeID, name);
  EXPECT_EQ(c.VolumeCounter, 1);

  c.Errors.clear();
  std::string empty;
  EXPECT_FALSE(c.RequestNextVolume(empty, 2));
  EXPECT_EQ(c.Codes(), (Codes{25235}));
}

TEST(ZipCommonVolumes, BareNameGetsTheCurrentFolder) {
  TestFolder dir;
  WriteFileText(dir / "set.z01", "v");
  CwdGuard cwd(dir.Path());
  TestComponent c;
  std::string name = "set.z01";
  EXPECT_TRUE(c.RequestNextVolume(name, 1));
  EXPECT_EQ(fs::path(name), fs::current_path() / "set.z01");
}

TEST(ZipCommonVolumes, WithoutHandler) {
  TestFolder dir;
  WriteFileText(dir / "set.z01", "v");
  TestComponent c;
  std::string name = dir / "set.z01";
  EXPECT_TRUE(c.RequestNextVolume(name, 1));
  EXPECT_EQ(c.VolumeCounter, 1);

  std::string missing = dir / "set.z02";
  EXPECT_FALSE(c.RequestNextVolume(missing, 2));
  ASSERT_EQ(c.Codes(), (Codes{25192}));  // nobody to ask: the volume is missing, by name
  EXPECT_EQ(c.Errors[0].FileName, missing);
  EXPECT_EQ(c.VolumeCounter, 1);
}

TEST(ZipCommonVolumes, HandlerIsAskedUntilTheFileExists) {
  TestFolder dir;
  WriteFileText(dir / "found.z03", "v");
  TestComponent c;
  std::vector<Asked> asked;
  c.OnNextVolume = [&](TZipCommon&, WideString& name, int id, bool exists, bool&) {
    asked.push_back({name, id, exists});
    name = asked.size() == 1 ? dir / "still-missing.z03" : dir / "found.z03";
  };
  std::string name = dir / "set.z03";
  EXPECT_TRUE(c.RequestNextVolume(name, 3));
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0].name, dir / "set.z03");
  EXPECT_EQ(asked[0].volumeID, 3);
  EXPECT_FALSE(asked[0].exists);
  EXPECT_EQ(asked[1].name, dir / "still-missing.z03");
  EXPECT_EQ(name, dir / "found.z03");
  EXPECT_EQ(c.VolumeCounter, 1);
  EXPECT_TRUE(c.Errors.empty());

  // An existing volume is still offered to the handler, which may accept it as it is.
  asked.clear();
  c.OnNextVolume = [&](TZipCommon&, WideString& n, int id, bool exists, bool&) {
    asked.push_back({n, id, exists});
  };
  EXPECT_TRUE(c.RequestNextVolume(name, 4));
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_TRUE(asked[0].exists);
  EXPECT_EQ(c.VolumeCounter, 2);
}

TEST(ZipCommonVolumes, HandlerCancels) {
  TestFolder dir;
  WriteFileText(dir / "set.z02", "v");
  TestComponent c;
  c.OnNextVolume = [](TZipCommon&, WideString&, int, bool, bool& cancel) { cancel = true; };
  std::string name = dir / "set.z02";
  EXPECT_FALSE(c.RequestNextVolume(name, 2));
  EXPECT_TRUE(c.Cancel());
  EXPECT_EQ(c.Codes(), (Codes{25361}));
  EXPECT_EQ(c.Restores, 1);
  EXPECT_EQ(c.VolumeCounter, 0);
}

TEST(ZipCommonVolumes, HandlerNamingMissingFilesIsAskedAtMost64Times) {
  TestFolder dir;
  TestComponent c;
  int asked = 0;
  c.OnNextVolume = [&](TZipCommon&, WideString&, int, bool, bool& cancel) {
    cancel = ++asked > 1000;  // keeps a faulty engine from looping for ever
  };
  std::string name = dir / "never.z02";
  EXPECT_FALSE(c.RequestNextVolume(name, 2));
  EXPECT_EQ(asked, 64);
  EXPECT_EQ(c.Codes(), (Codes{25192}));
  EXPECT_FALSE(c.Cancel());
  EXPECT_EQ(c.VolumeCounter, 0);
}

// --- CheckWriteAccess ---

TEST(ZipCommonWriteAccess, WritableFolderPasses) {
  TestFolder dir;
  TestComponent c;
  int asked = 0;
  c.OnLimitedUser = [&](TZipCommon&, const WideString&, WideString&, bool&) { ++asked; };
  std::string folder = dir.Path();
  EXPECT_TRUE(c.CheckWriteAccess(folder));
  EXPECT_EQ(folder, dir.Path());
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(dir.Count(), 0u);  // the probe file is gone
  EXPECT_TRUE(c.Errors.empty());
}

TEST(ZipCommonWriteAccess, WithoutHandler) {
  TestFolder dir;
  WriteFileText(dir / "arc.bin", "x");
  WriteFileText(dir / "plain-file", "x");
  TestComponent c;
  c.SetArchiveFile(dir / "arc.bin");
  c.Errors.clear();
  // The tests run as root, so an unwritable folder is a regular file or a missing folder.
  for (const std::string& bad : {dir / "plain-file", dir / "missing/folder"}) {
    SCOPED_TRACE(bad);
    c.Errors.clear();
    std::string folder = bad;
    EXPECT_FALSE(c.CheckWriteAccess(folder));
    ASSERT_EQ(c.Codes(), (Codes{25281}));
    EXPECT_EQ(c.Errors[0].ExtendedMsg, "OnLimitedUser/Permissions");
    EXPECT_EQ(c.Errors[0].VolumeID, dir / "arc.bin");
  }
  // Switched off: no check at all.
  c.CheckLimitedUser = false;
  std::string folder = dir / "plain-file";
  EXPECT_TRUE(c.CheckWriteAccess(folder));
}

TEST(ZipCommonWriteAccess, HandlerAnswers) {
  TestFolder dir;
  WriteFileText(dir / "plain-file", "x");
  fs::create_directory(dir / "user");
  TestComponent c;
  std::vector<std::string> protectedDirs;
  std::vector<std::string> answers = {dir / "nowhere", dir / "user//"};
  c.OnLimitedUser = [&](TZipCommon&, const WideString& prot, WideString& user, bool&) {
    protectedDirs.push_back(prot);
    user = answers[protectedDirs.size() - 1];
  };
  std::string folder = dir / "plain-file";
  EXPECT_TRUE(c.CheckWriteAccess(folder));
  EXPECT_EQ(folder, dir / "user/");
  EXPECT_EQ(protectedDirs, (std::vector<std::string>{dir / "plain-file", dir / "plain-file"}));
  EXPECT_EQ(c.Codes(), (Codes{25158}));

  c.Errors.clear();
  c.OnLimitedUser = [](TZipCommon&, const WideString&, WideString&, bool& cancel) {
    cancel = true;
  };
  folder = dir / "plain-file";
  EXPECT_FALSE(c.CheckWriteAccess(folder));
  EXPECT_EQ(c.Codes(), (Codes{25279}));
  EXPECT_EQ(folder, dir / "plain-file");
}

TEST(ZipCommonWriteAccess, HandlerIsAskedAtMost64Times) {
  TestFolder dir;
  WriteFileText(dir / "plain-file", "x");
  TestComponent c;
  int asked = 0;
  // A folder that does not exist, then one that exists but takes no files: both are
  // answers a handler can keep giving.
  for (const std::string& answer : {dir / "nowhere", std::string("/proc")}) {
    SCOPED_TRACE(answer);
    ASSERT_TRUE(answer != "/proc" || !CanCreateFilesIn("/proc"));
    asked = 0;
    c.Errors.clear();
    c.OnLimitedUser = [&](TZipCommon&, const WideString&, WideString& user, bool& cancel) {
      user = answer;
      cancel = ++asked > 1000;  // keeps a faulty engine from looping for ever
    };
    std::string folder = dir / "plain-file";
    EXPECT_FALSE(c.CheckWriteAccess(folder));
    EXPECT_EQ(asked, 64);
    ASSERT_FALSE(c.Errors.empty());
    EXPECT_NE(c.Errors.back().ECode, msg::InvalidDirectory);
  }
}

// --- TempDir and settings ---

TEST(ZipCommonTempDir, FallsBackToThePerUserTempFolder) {
  TestFolder tmp;
  test::TEnvVar env("TMPDIR", tmp.Path());
  const std::string own = tmp / ("vorelkit-" + std::to_string(getuid())) + "/";
  TestComponent c;
  EXPECT_EQ(c.TempDir(), own);
  struct stat st {};
  ASSERT_EQ(stat(own.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  fs::create_directory(tmp / "mine");
  c.SetTempDir(tmp / "mine//");
  EXPECT_EQ(c.TempDir(), tmp / "mine/");
  c.SetTempDir(tmp / "mine");
  EXPECT_EQ(c.TempDir(), tmp / "mine/");

  c.SetTempDir(tmp / "missing");
  EXPECT_EQ(c.TempDir(), own);

  // A stored folder that disappears later is replaced when read.
  c.SetTempDir(tmp / "mine");
  fs::remove(tmp / "mine");
  EXPECT_EQ(c.TempDir(), own);
}

TEST(ZipCommonTempDir, ForeignEntryInThePerUserPlaceIsNotUsed) {
  TestFolder tmp;
  TestFolder elsewhere("elsewhere");
  test::TEnvVar env("TMPDIR", tmp.Path());
  fs::create_directory_symlink(elsewhere.Path(), tmp / ("vorelkit-" + std::to_string(getuid())));
  TestComponent c;
  EXPECT_EQ(c.TempDir(), tmp.Path() + "/");
}

TEST(ZipCommonSettings, PasswordSetsTheEncryptionMethod) {
  TestComponent c;
  EXPECT_EQ(c.EncryptionMethod, TEncryptionMethod::emNone);
  c.SetPassword("secret");
  EXPECT_EQ(c.Password(), "secret");
  EXPECT_EQ(c.EncryptionMethod, TEncryptionMethod::emZip_V2);
  c.SetPassword("");
  EXPECT_EQ(c.EncryptionMethod, TEncryptionMethod::emNone);
  c.EncryptionMethod = TEncryptionMethod::emAes2_256;
  c.SetPassword("other");
  EXPECT_EQ(c.EncryptionMethod, TEncryptionMethod::emAes2_256);
  c.SetPassword("");
  EXPECT_EQ(c.EncryptionMethod, TEncryptionMethod::emNone);
}

// --- The archive file ---

TEST(ZipCommonArchiveFile, MissingFileOrFolder) {
  TestFolder dir;
  TestComponent c;
  c.SetArchiveFile(dir / "missing.zip");
  EXPECT_EQ(c.ArcType(), atNA);
  EXPECT_EQ(c.ArchiveFile(), "");

  // A folder exists but is no file the engine opens.
  c.SetArchiveFile(dir.Path());
  EXPECT_EQ(c.ArcType(), atNA);
  ASSERT_EQ(c.Codes(), (Codes{25215}));
  EXPECT_EQ(c.Errors[0].FileName, dir.Path());
}

TEST(ZipCommonArchiveFile, DetectionAndArcType) {
  test::TEnvVar zone("TZ", "UTC");
  TestFolder dir;
  const test::Bytes zip = test::BuildStoredZip(test::TwoEntries()).bytes;
  const std::string path = dir / "a.zip";
  WriteFileText(path, std::string(zip.begin(), zip.end()));
  TestComponent c;
  c.SetArchiveFile(path);
  EXPECT_EQ(c.ArchiveFile(), path);
  EXPECT_EQ(c.ArcType(), atZip);
  EXPECT_TRUE(c.Errors.empty());
  EXPECT_TRUE(IsValidDosDateTime(c.ArchiveDate()));
  EXPECT_NEAR(double(DosDateTimeToUnix(c.ArchiveDate())), double(std::time(nullptr)), 5.0);

  // With a file the type is detected again, whatever is asked for.
  c.SetArcType(atRar);
  EXPECT_EQ(c.ArcType(), atZip);
  fs::remove(path);
  c.SetArcType(atZip);
  EXPECT_EQ(c.ArcType(), atFileOpenErr);

  TestComponent bare;
  bare.SetArcType(atRar);
  EXPECT_EQ(bare.ArcType(), atRar);
}

}  // namespace
}  // namespace qel
