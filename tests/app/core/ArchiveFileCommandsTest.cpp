// The archive file's commands below the window: moves and copies that never replace a file
// unasked, CheckOut's names, launchers and clean-up, the scanner's arguments and the update
// document's addresses.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFileInfo>
#include <filesystem>
#include <set>

#include "app/core/ArchiveFileCommands.h"
#include "app/core/CheckOut.h"
#include "app/core/UpdateCheck.h"
#include "app/core/VirusScan.h"
#include "tests/support/EnvVar.h"
#include "tests/support/PeerTools.h"

namespace vk::app {
namespace {

namespace fs = std::filesystem;
using qel::test::PathsBelow;
using qel::test::ReadFileText;
using qel::test::TestFolder;
using qel::test::WriteFileText;

QString Q(const std::string& path) { return QString::fromStdString(path); }

void WriteScript(const std::string& path, const std::string& text) {
  WriteFileText(path, text);
  fs::permissions(path, fs::perms::owner_all);
}

TEST(ArchiveFileMove, NeverReplacesAFileUnasked) {
  TestFolder dir;
  const struct {
    bool copy, targetExists, replace, ok;
  } cases[] = {
      {false, false, false, true}, {false, true, false, false}, {false, true, true, true},
      {true, false, false, true},  {true, true, false, false},  {true, true, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "copy " << c.copy << " exists " << c.targetExists << " replace " << c.replace);
    fs::remove_all(dir / "to");
    WriteFileText(dir / "a.zip", "archive");
    WriteFileText(dir / "to/keep", "");
    if (c.targetExists) WriteFileText(dir / "to/a.zip", "other");
    const QString target = TargetInFolder(Q(dir / "a.zip"), Q(dir / "to"));
    EXPECT_EQ(target, Q(dir / "to/a.zip"));
    const TFileCommandResult done = c.copy ? CopyArchiveFile(Q(dir / "a.zip"), target, c.replace)
                                           : MoveArchiveFile(Q(dir / "a.zip"), target, c.replace);
    EXPECT_EQ(done.Ok, c.ok) << done.Error.toStdString();
    EXPECT_EQ(ReadFileText(dir / "to/a.zip"), c.ok ? "archive" : "other");
    EXPECT_EQ(fs::exists(dir / "a.zip"), c.copy || !c.ok);
    // No temporary copy is left behind.
    EXPECT_EQ(PathsBelow(dir / "to").size(), 2u);
  }
  // Onto itself: refused, and the archive is whole.
  for (bool copy : {false, true}) {
    const TFileCommandResult self = copy
                                        ? CopyArchiveFile(Q(dir / "a.zip"), Q(dir / "a.zip"), true)
                                        : MoveArchiveFile(Q(dir / "a.zip"), Q(dir / "a.zip"), true);
    EXPECT_FALSE(self.Ok);
    EXPECT_EQ(ReadFileText(dir / "a.zip"), "archive");
  }
}

TEST(ArchiveFileMove, AcrossFileSystemsTheCopyTakesTheName) {
  TestFolder dir;
  TestFolder other("shm", "/dev/shm");
  struct stat a, b;
  if (::stat(dir.Path().c_str(), &a) != 0 || ::stat(other.Path().c_str(), &b) != 0 ||
      a.st_dev == b.st_dev)
    GTEST_SKIP() << "no second file system";
  WriteFileText(dir / "a.zip", "archive");
  WriteFileText(other / "a.zip", "other");
  EXPECT_FALSE(MoveArchiveFile(Q(dir / "a.zip"), Q(other / "a.zip"), false).Ok);
  EXPECT_EQ(ReadFileText(other / "a.zip"), "other");
  EXPECT_TRUE(MoveArchiveFile(Q(dir / "a.zip"), Q(other / "a.zip"), true).Ok);
  EXPECT_EQ(ReadFileText(other / "a.zip"), "archive");
  EXPECT_FALSE(fs::exists(dir / "a.zip"));
  EXPECT_EQ(other.Count(), 1u);
}

TEST(ArchiveFileNames, RenameTargetsAndCheckOutNames) {
  const struct {
    const char *archive, *name, *target;
  } renames[] = {
      {"/d/a.zip", "new", "/d/new.zip"}, {"/d/a.tar.gz", "b", "/d/b.gz"}, {"/d/plain", "n", "/d/n"},
      {"/d/a.zip", "x/y", ""},           {"/d/a.zip", "..", ""},          {"/d/a.zip", "", ""},
  };
  for (const auto& r : renames)
    EXPECT_EQ(RenamedTarget(r.archive, r.name), r.target) << r.archive << " " << r.name;

  const struct {
    const char *archive, *base, *group, *folder;
  } checkOuts[] = {
      {"/d/a.zip", "", "a", "/d/a"},
      {"/d/a.tar.gz", "", "a", "/d/a"},
      {"/d/a.TAR.bz2", "/base", "a", "/base/a"},
      {"/d/a.7z.001", "/base/", "a", "/base/a"},
      {"/d/a.b.zip", "", "a.b", "/d/a.b"},
      {"/d/a.tar", "", "a", "/d/a"},
      {"/d/.tar.gz", "", ".tar", "/d/.tar"},
      {"/d/noext", "", "noext", "/d/noext"},
  };
  for (const auto& c : checkOuts) {
    EXPECT_EQ(CheckOutGroupName(c.archive), c.group) << c.archive;
    EXPECT_EQ(CheckOutDefaultFolder(c.archive, c.base), c.folder) << c.archive;
  }
}

TEST(CheckOutLaunchers, TheLimitCountsTheFilesLookedAt) {
  TestFolder dir;
  const qel::test::TEnvVar data("XDG_DATA_HOME", dir / "data");
  WriteScript(dir / "out/run.sh", "#!/bin/sh\n");
  WriteFileText(dir / "out/doc.txt", "");
  WriteFileText(dir / "out/data.bin", "");
  WriteFileText(dir / "out/sub/two.txt", "");
  const QStringList files = {"missing.txt", "run.sh", "doc.txt", "data.bin", "sub/two.txt"};
  const auto notBin = [](const QString& file) { return !file.endsWith(".bin"); };
  const struct {
    int limit;
    bool programsOnly;
    std::set<std::string> made;
  } cases[] = {
      {-1, false, {}},
      {0, false, {}},
      {3, true, {"run.sh.desktop", "doc.txt.desktop"}},
      {4, true, {"run.sh.desktop", "doc.txt.desktop"}},
      {4, false, {"run.sh.desktop", "doc.txt.desktop", "data.bin.desktop"}},
      {50, true, {"run.sh.desktop", "doc.txt.desktop", "sub", "sub/two.txt.desktop"}},
  };
  const QString group = GroupFolder("grp");
  EXPECT_EQ(group, Q(dir / "data/applications/grp"));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.limit);
    fs::remove_all(dir / "data");
    const TMadeTree made =
        MakeLaunchers(group, Q(dir / "out"), files, c.limit, c.programsOnly, notBin);
    EXPECT_EQ(PathsBelow(dir / "data/applications/grp"), c.made);
    EXPECT_EQ(made.Empty(), c.made.empty());
  }
  EXPECT_TRUE(ReadFileText(dir / "data/applications/grp/run.sh.desktop")
                  .find("Exec=\"" + dir.Path() + "/out/run.sh\"\n") != std::string::npos);
  // A launcher of the same name that was there is neither replaced nor noted as made.
  WriteFileText(dir / "data/applications/grp/doc.txt.desktop", "mine");
  fs::remove(dir / "data/applications/grp/run.sh.desktop");
  const TMadeTree again = MakeLaunchers(group, Q(dir / "out"), files, 3, false, notBin);
  EXPECT_EQ(ReadFileText(dir / "data/applications/grp/doc.txt.desktop"), "mine");
  EXPECT_EQ(again.Files, QStringList{Q(dir / "data/applications/grp/run.sh.desktop")});
  for (const char* bad : {"", ".", "..", "a/b"}) EXPECT_EQ(GroupFolder(bad), "") << bad;
}

TEST(CheckOutCleanup, DeletesOnlyWhatItMade) {
  TestFolder dir;
  const qel::test::TEnvVar home("HOME", dir / "home");
  const qel::test::TEnvVar data("XDG_DATA_HOME", dir / "home/.local/share");
  fs::create_directories(dir / "home/.local/share/applications");
  // A folder that was there, with the user's own files; a link to a file outside.
  WriteFileText(dir / "there/mine.txt", "mine");
  fs::create_directories(dir / "there/old");
  WriteFileText(dir / "outside.txt", "outside");
  const QStringList made = {"mine.txt", "a.txt", "old/b.txt", "new/deep/c.txt", "link"};
  TMadeTree tree = PlanTree(Q(dir / "there"), made);
  for (const char* file : {"a.txt", "old/b.txt", "new/deep/c.txt"})
    WriteFileText(dir / "there/" + file, "made");
  fs::create_symlink(dir / "outside.txt", dir / "there/link");
  SettleTree(tree);
  EXPECT_TRUE(RemoveMadeTree(tree).isEmpty());
  EXPECT_EQ(PathsBelow(dir / "there"), (std::set<std::string>{"mine.txt", "old"}));
  EXPECT_EQ(ReadFileText(dir / "outside.txt"), "outside");

  // A folder it made goes whole; a link in it is removed, not followed.
  TMadeTree fresh = PlanTree(Q(dir / "fresh"), {"x/y.txt"});
  WriteFileText(dir / "fresh/x/y.txt", "made");
  fs::create_directory_symlink(dir / "there", dir / "fresh/x/into");
  SettleTree(fresh);
  EXPECT_TRUE(RemoveMadeTree(fresh).isEmpty());
  EXPECT_FALSE(fs::exists(dir / "fresh"));
  EXPECT_TRUE(fs::exists(dir / "there/mine.txt"));

  // Never these, whatever the record says.
  for (const char* root : {"/", "relative/x", ""}) EXPECT_FALSE(IsDeletableFolder(root));
  for (const std::string& root : {dir / "home", dir.Path(), dir / "home/.local/share/applications",
                                  dir / "home/.local/share/applications/../applications"}) {
    SCOPED_TRACE(root);
    EXPECT_FALSE(IsDeletableFolder(Q(root)));
    EXPECT_EQ(RemoveMadeTree({Q(root), false, {}, {}}), QStringList{Q(root)});
  }
  EXPECT_TRUE(fs::exists(dir / "home/.local/share/applications"));
  EXPECT_TRUE(IsDeletableFolder(Q(dir / "home/.local/share/applications/grp")));
}

TEST(VirusScan, ArgumentsReachTheScannerAsTheyStand) {
  TestFolder dir;
  const std::string scanner = dir / "scan dir/scanner";
  WriteScript(scanner, "#!/bin/sh\nprintf '[%s]\\n' \"$@\"\npwd\n");
  const QString archive = Q(dir / "a b;$(touch pwned) `x` 'q' \"d\" &|*.zip");
  const QStringList arguments =
      VirusScanArguments(QStringLiteral("--report \"%f\" -x%f \"two words\""), archive);
  EXPECT_EQ(arguments, QStringList({"--report", archive, "-x" + archive, "two words"}));
  const QString expected = "[--report]\n[" + archive + "]\n[-x" + archive + "]\n[two words]\n";

  QString output, error;
  ASSERT_TRUE(RunCaptured(Q(scanner), arguments, output, error)) << error.toStdString();
  EXPECT_EQ(output, expected + Q(dir / "scan dir") + "\n");
  // Through a terminal, which here only runs what follows its "-e".
  const std::string terminal = dir / "terminal";
  WriteScript(terminal, "#!/bin/sh\n[ \"$1\" = -e ] || exit 9\nshift\nexec \"$@\" </dev/null\n");
  const TLaunch launch = TerminalLaunch(Q(terminal), archive, Q(scanner), arguments);
  ASSERT_TRUE(RunCaptured(launch.Program, launch.Arguments, output, error));
  EXPECT_TRUE(output.startsWith(expected)) << output.toStdString();
  EXPECT_TRUE(output.endsWith("\r\nPress any key to continue...")) << output.toStdString();
  EXPECT_FALSE(fs::exists(dir / "pwned"));
  EXPECT_FALSE(fs::exists(dir / "scan dir/pwned"));

  EXPECT_EQ(FindVirusScanner(Q(scanner)), Q(scanner));
  EXPECT_FALSE(FindVirusScanner("sh").isEmpty());
  for (const std::string& missing : {std::string(""), dir / "nothing", dir / "a.zip",
                                     std::string("scan dir/scanner"), std::string("SCAN32.EXE")})
    EXPECT_EQ(FindVirusScanner(Q(missing)), "") << missing;
}

TEST(UpdateAddresses, TheSetupFileStaysInTheDownloadFolder) {
  EXPECT_EQ(UpdateDocumentUrl("http://127.0.0.1:8080/"),
            QUrl("http://127.0.0.1:8080/download/update.ini"));
  for (const char* site : {"", "ftp://host", "file:///etc", "no site"})
    EXPECT_FALSE(UpdateDocumentUrl(site).isValid()) << site;
  const QString site = "https://example.org/vk";
  for (const auto& [file, url] : std::initializer_list<std::pair<const char*, const char*>>{
           {"setup-4.6.exe", "https://example.org/vk/download/setup-4.6.exe"},
           {"../other.exe", "https://example.org/vk/download/"},
           {"sub/x.exe", "https://example.org/vk/download/"},
           {"http://evil.example/x.exe", "https://example.org/vk/download/"},
           {"x.exe?y", "https://example.org/vk/download/"},
           {"", "https://example.org/vk/download/"}})
    EXPECT_EQ(SetupFileUrl(site, file), QUrl(url)) << file;
  for (const auto& [version, newer] :
       std::initializer_list<std::pair<const char*, bool>>{{"4.6", true},
                                                           {"4.5", false},
                                                           {"3.8", false},
                                                           {"4.10", true},
                                                           {"5", true},
                                                           {"x", false}})
    EXPECT_EQ(IsNewerVersion(version), newer) << version;
}

}  // namespace
}  // namespace vk::app
