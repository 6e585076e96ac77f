// The add and extract operations on handed-over paths, with a fake window and scripted
// answers: the archives they make are read back with the peer tools, the extracted trees
// from the file system.
#include "app/core/ShellOperations.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <filesystem>
#include <set>
#include <utility>

#include "app/core/ArchiveComponents.h"
#include "app/core/Translation.h"
#include "app/prompts/EnginePrompts.h"
#include "engine/base/Messages.h"
#include "engine/base/ZipCommon.h"
#include "tests/app/core/ScriptedPrompter.h"
#include "tests/app/support/ScratchSettings.h"
#include "tests/support/PeerTools.h"

namespace vk::app {
namespace {

namespace fs = std::filesystem;
using qel::test::RunTool;
using qel::test::WriteFileText;
using Names = std::set<std::string>;

class TFakeUi : public IOperationUi {
 public:
  std::vector<int> Runs;  // the progress modes, one per component run
  QStringList Messages, Errors, Opened;
  // The compact Add dialog: the kind it chooses and the name it answers (none: Cancel).
  TComponentKind Kind = TComponentKind::Zip;
  std::optional<QString> Name;
  QString AskedItem;
  bool AskedSeveral = false;
  // The Extract dialog.
  std::optional<TExtractChoices> Choices;
  QString AskedArchive;
  bool CancelAtFirstFile = false;  // as a user pressing Cancel

  int RunWithProgress(int mode, qel::TZipCommon& component,
                      const std::function<int()>& work) override {
    Runs.push_back(mode);
    if (CancelAtFirstFile)
      component.OnBegin = [this](qel::TZipCommon& sender, const std::string&, int, bool&) {
        if (std::exchange(CancelAtFirstFile, false)) sender.SetCancel(true);
      };
    return work();
  }
  std::optional<QString> AskArchiveName(TArchiveComponents& c, const QString& item, bool several,
                                        int) override {
    AskedItem = item;
    AskedSeveral = several;
    c.Select(Kind);
    return Name;
  }
  std::optional<TExtractChoices> AskExtractChoices(const QString& archive, bool) override {
    AskedArchive = archive;
    return Choices;
  }
  void ShowMessage(const QString& text) override { Messages << text; }
  void ReportError(const QString& line) override { Errors << line; }
  void OpenFolder(const QString& folder) override { Opened << folder; }
};

class ShellOperationsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"zip", "unzip", "zipinfo", "tar"}) VK_REQUIRE_TOOL(tool);
  }
  TAppSettings& Settings() { return scratch_.Settings(); }
  std::string Dir() const { return scratch_.Folder().Path(); }
  QString Path(const std::string& name) const { return scratch_.Path(name); }
  // A file below the scratch folder, its folders made as needed.
  QString File(const std::string& name, const std::string& text = "data") {
    const std::string path = scratch_.Folder() / name;
    WriteFileText(path, text);
    return QString::fromStdString(path);
  }
  QString MakeZip(const std::string& zip, const std::vector<std::string>& files) {
    std::vector<std::string> argv = {"zip", "-q", "-r", zip};
    argv.insert(argv.end(), files.begin(), files.end());
    EXPECT_TRUE(RunTool(argv, Dir()).Ok());
    return Path(zip);
  }
  static Names Entries(const QString& zip) {
    const qel::test::ToolRun run = RunTool({"zipinfo", "-1", zip.toStdString()});
    Names names;
    std::string line;
    for (char c : run.out)
      if (c == '\n') {
        names.insert(std::exchange(line, {}));
      } else {
        line += c;
      }
    return names;
  }
  Names Tree(const std::string& folder) const {
    return qel::test::PathsBelow(scratch_.Folder() / folder);
  }

  gui::test::TScratchSettings scratch_;
  test::TScriptedPrompter prompter_;
  TEnginePrompts prompts_{prompter_};
  TArchiveComponents components_;
  TFakeUi ui_;
  TShellOperations ops_{components_, prompts_, ui_};
};

TEST(ShellOperationsNamesTest, DefaultArchiveNameFollowsThePaths) {
  const struct {
    QStringList paths;
    const char* name;
  } rows[] = {
      {{"/data/photos/*"}, "/data/photos.zip"},
      {{"/data/notes.txt"}, "/data/notes.zip"},
      {{"/data/a.txt", "/data/b.txt"}, "/data/data.zip"},
      // Beside a folder about to be added, not inside it.
      {{"/data/photos/*", "/data/a.txt"}, "/data/data.zip"},
      {{"/*"}, "/Root.zip"},
      {{"/a.txt", "/b.txt"}, "/Root.zip"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(DefaultArchiveName(row.paths, ".zip"), row.name) << row.paths.join(',').toStdString();
}

// Files added with the password that opened an entry are enciphered like that entry.
TEST(ShellOperationsNamesTest, AddingEncryptionFollowsTheViewedEntry) {
  using enum qel::TEncryptionMethod;
  const std::pair<qel::TEncryptionMethod, qel::TEncryptionMethod> cases[] = {
      {emAes1_192, emAes2_192},
      {emPkAes2_128, emAes2_128},
      {emAes2_256, emAes2_256},
      {emZip_V2, emZip_V2},
      {emNone, emNone}};
  for (const auto& [viewed, adding] : cases) EXPECT_EQ(AddingEncryption(viewed), adding);
}

TEST_F(ShellOperationsTest, OperationPathsTakeFoldersAsTheirContent) {
  File("d/a.txt");
  QDir::setCurrent(Path("d"));
  EXPECT_EQ(OperationPaths({"", "a.txt", Path("d"), Path("d") + "/*.*", Path("d") + "/"}),
            QStringList({Path("d/a.txt"), Path("d/*"), Path("d/*"), Path("d/*")}));
  QDir::setCurrent("/");
}

TEST_F(ShellOperationsTest, AddToDefaultArchiveNamesTheArchiveAfterThePaths) {
  File("x/a.txt");
  File("x/b.txt");
  File("x/photos/p.jpg");
  EXPECT_EQ(ops_.AddToDefaultArchive({Path("x/photos") + "/*.*"}), 1);
  EXPECT_EQ(Entries(Path("x/photos.zip")), Names({"photos/p.jpg"}));
  EXPECT_EQ(ops_.AddToDefaultArchive({Path("x/a.txt")}), 1);
  EXPECT_EQ(Entries(Path("x/a.zip")), Names({"a.txt"}));
  EXPECT_EQ(ops_.AddToDefaultArchive({Path("x/a.txt"), Path("x/b.txt")}), 2);
  EXPECT_EQ(Entries(Path("x/x.zip")), Names({"a.txt", "b.txt"}));
  EXPECT_TRUE(RunTool({"unzip", "-tq", Path("x/x.zip").toStdString()}).Ok());
  EXPECT_EQ(ui_.Runs, std::vector<int>({0, 0, 0}));
  EXPECT_FALSE(ops_.Failed());
}

TEST_F(ShellOperationsTest, AnArchiveIsNeverAddedIntoItself) {
  File("x/b.txt");
  File("x/c.txt");
  MakeZip("x/x.zip", {"x/c.txt"});
  // The archive named after the list is one of the paths.
  ops_.AddToDefaultArchive({Path("x/x.zip"), Path("x/b.txt")});
  EXPECT_EQ(Entries(Path("x/x.zip")), Names({"x/c.txt", "b.txt"}));
  // The archive is the only path: nothing changes, which is no error; the archive untouched.
  MakeZip("a.zip", {"x/c.txt"});
  Settings().ShowMessages = true;
  EXPECT_EQ(ops_.AddToDefaultArchive({Path("a.zip")}), 0);
  EXPECT_EQ(Entries(Path("a.zip")), Names({"x/c.txt"}));
  EXPECT_FALSE(ops_.Failed());
  EXPECT_TRUE(ui_.Errors.isEmpty());
  EXPECT_EQ(ui_.Messages, QStringList({*NothingChangedNotice(qel::msg::NothingToDo)}));
}

TEST_F(ShellOperationsTest, DefaultTypeAndMethodComeFromTheSettings) {
  const struct {
    int arcType, method;
    const char* archive;
    const char* shown;  // the method as unzip -v shows it
  } rows[] = {{6, 0, "s/f.zip", "Stored"}, {6, 1, "s/f.zip", "Defl"}, {4, 0, "s/f.jar", "Stored"}};
  for (const auto& row : rows) {
    fs::remove_all(Dir() + "/s");
    File("s/f.txt", std::string(4000, 'a'));
    Settings().DefArcType = row.arcType;
    Settings().DefZipMethod = Settings().DefJarMethod = row.method;
    ops_.AddToDefaultArchive({Path("s/f.txt")});
    const qel::test::ToolRun run = RunTool({"unzip", "-v", Path(row.archive).toStdString()});
    EXPECT_NE(run.out.find(row.shown), std::string::npos) << row.archive << "\n" << run.out;
  }
}

TEST_F(ShellOperationsTest, FilesThenFoldersInTwoPasses) {
  for (bool folderInfo : {true, false}) {
    fs::remove_all(Dir() + "/p");
    File("p/a.txt");
    File("p/dir/c.txt");
    File("p/dir/sub/d.txt");
    fs::create_directories(Dir() + "/p/dir/empty");
    Settings().IncludeFolderInfo = folderInfo;
    EXPECT_EQ(ops_.AddToDefaultArchive({Path("p/a.txt"), Path("p/dir")}), 4);
    const Names expected = folderInfo ? Names{"a.txt", "dir/c.txt", "dir/sub/d.txt", "dir/empty/"}
                                      : Names{"a.txt", "c.txt", "sub/d.txt", "empty/"};
    EXPECT_EQ(Entries(Path("p/p.zip")), expected) << folderInfo;
  }
  // Both passes share one progress display.
  EXPECT_EQ(ui_.Runs.size(), 2u);
}

TEST_F(ShellOperationsTest, ACancelledFilePassEndsTheAdd) {
  File("k/a.txt");
  File("k/dir/c.txt");
  ui_.CancelAtFirstFile = true;
  EXPECT_EQ(ops_.AddToDefaultArchive({Path("k/a.txt"), Path("k/dir")}), 0);
  // The folder pass does not run after it.
  EXPECT_FALSE(fs::exists(Dir() + "/k/k.zip"));
  EXPECT_TRUE(ops_.Failed());
}

TEST_F(ShellOperationsTest, AddToOpenArchiveKeepsItsEntriesAndCounts) {
  File("o/old.txt");
  File("o/new.txt");
  File("o/dir/in.txt");
  const QString zip = MakeZip("o.zip", {"o/old.txt"});
  Settings().ShowMessages = true;
  EXPECT_EQ(ops_.AddToArchive({Path("o/new.txt"), Path("o/dir")}, {zip, qel::atZip}), 2);
  EXPECT_EQ(Entries(zip), Names({"o/old.txt", "new.txt", "dir/in.txt"}));
  EXPECT_EQ(ui_.Messages, QStringList({FormatMessage(Message(101), {"2"})}));
  // One file: message 100; without ShowMessages none.
  File("o/one.txt");
  ops_.AddToArchive({Path("o/one.txt")}, {zip, qel::atZip});
  Settings().ShowMessages = false;
  File("o/two.txt");
  ops_.AddToArchive({Path("o/two.txt")}, {zip, qel::atZip});
  EXPECT_EQ(ui_.Messages.size(), 2);
  EXPECT_EQ(ui_.Messages.last(), Message(100));
  EXPECT_FALSE(ops_.Failed());
}

TEST_F(ShellOperationsTest, TypesThatCannotBeAddedToAreRefused) {
  File("r/a.txt");
  // A split set has no writer; a cabinet's writer would replace the whole cabinet.
  for (qel::TArcType type : {qel::atZipMV, qel::atCab}) {
    const QString archive = File("r/set.bin", "unchanged");
    ui_.Messages.clear();
    EXPECT_EQ(ops_.AddToArchive({Path("r/a.txt")}, {archive, type}), 0);
    EXPECT_EQ(ui_.Messages, QStringList({Message(210)}));
    EXPECT_EQ(qel::test::ReadFileBytes(archive.toStdString()).size(), 9u);
  }
  EXPECT_TRUE(ops_.Failed());
}

TEST_F(ShellOperationsTest, DefaultTypesNotBuiltAreRefusedByName) {
  File("u/a.txt");
  const struct {
    int arcType;
    const char* format;
  } rows[] = {{0, "7-Zip"}, {2, "BGA"}, {7, "YZ1"}};
  for (const auto& row : rows) {
    ui_.Messages.clear();
    Settings().DefArcType = row.arcType;
    EXPECT_EQ(ops_.AddToDefaultArchive({Path("u/a.txt")}), 0);
    EXPECT_EQ(ui_.Messages, QStringList({FormatMessage(Message(215), {row.format})}));
  }
  EXPECT_EQ(Tree("u"), Names({"a.txt"}));
  EXPECT_TRUE(ui_.Runs.empty());
}

TEST_F(ShellOperationsTest, CompactDialogNamesTheNewArchive) {
  File("c/a.txt");
  File("c/b.txt");
  // Cancel adds nothing; several paths propose from the folder holding them.
  EXPECT_EQ(ops_.AddToArchive({Path("c/a.txt"), Path("c/b.txt")}), 0);
  EXPECT_EQ(ui_.AskedItem, Path("c"));
  EXPECT_TRUE(ui_.AskedSeveral);
  ui_.Name = Path("c/new.zip");
  EXPECT_EQ(ops_.AddToArchive({Path("c/a.txt")}), 1);
  EXPECT_EQ(ui_.AskedItem, Path("c/a.txt"));
  EXPECT_EQ(Entries(Path("c/new.zip")), Names({"a.txt"}));
  // A type without a writer yet is refused rather than written as another.
  ui_.Kind = TComponentKind::SevenZip;
  ui_.Name = Path("c/new.7z");
  EXPECT_EQ(ops_.AddToArchive({Path("c/a.txt")}), 0);
  EXPECT_EQ(ui_.Messages, QStringList({FormatMessage(Message(215), {"7-Zip"})}));
  EXPECT_FALSE(fs::exists(Dir() + "/c/new.7z"));
}

class ShellOperationsExtractTest : public ShellOperationsTest {
 protected:
  void SetUp() override {
    ShellOperationsTest::SetUp();
    if (IsSkipped()) return;
    File("src/one.txt", "1");
    File("src/a.txt", "a");
    File("src/b.txt", "b");
    MakeZip("x.zip", {"src/a.txt", "src/b.txt"});
    EXPECT_TRUE(RunTool({"zip", "-q", "-j", Dir() + "/y.zip", Dir() + "/src/one.txt"}).Ok());
    // An archive no reader takes.
    File("t.7z", std::string("7z\xBC\xAF\x27\x1C", 6) + std::string(40, 'x'));
  }
};

TEST_F(ShellOperationsExtractTest, ExtractDirectModesChooseTheFolder) {
  const struct {
    int mode;
    Names tree;
    const char* last;
  } rows[] = {
      {0, {"src", "src/a.txt", "src/b.txt", "one.txt"}, "out"},
      {2, {"x", "x/src", "x/src/a.txt", "x/src/b.txt", "y", "y/one.txt"}, "out/y"},
      // An archive of one entry needs no folder of its own.
      {1, {"x", "x/src", "x/src/a.txt", "x/src/b.txt", "one.txt"}, "out"},
  };
  for (const auto& row : rows) {
    fs::remove_all(Dir() + "/out");
    const QString last = ops_.ExtractDirect({Path("x.zip"), Path("y.zip")}, Path("out"), row.mode);
    EXPECT_EQ(Tree("out"), row.tree) << row.mode;
    EXPECT_EQ(QDir::cleanPath(last), Path(row.last)) << row.mode;
  }
  EXPECT_FALSE(ops_.Failed());
}

TEST_F(ShellOperationsExtractTest, AnArchiveNamedOfDotsStaysInTheChosenFolder) {
  // "...zip" leaves ".." once its extension goes: not a folder to extract into.
  fs::copy_file(Dir() + "/y.zip", Dir() + "/...zip");
  const Names own = {"in",
                     "in/x",
                     "in/x/src",
                     "in/x/src/a.txt",
                     "in/x/src/b.txt",
                     "in/...zip",
                     "in/...zip/one.txt"};
  ops_.ExtractDirect({Path("x.zip"), Path("...zip")}, Path("out/in"), 2);
  EXPECT_EQ(Tree("out"), own);
  fs::remove_all(Dir() + "/out");
  TExtractChoices choices;
  choices.Folder = Path("out/in");
  choices.RestoreFolders = true;
  ui_.Choices = choices;
  ops_.ExtractWithDialog({Path("x.zip"), Path("...zip")}, Path("out/in"));
  EXPECT_EQ(Tree("out"), own);
}

TEST_F(ShellOperationsExtractTest, AnUnreadableArchiveStopsTheRest) {
  Settings().ShowMessages = true;
  ops_.ExtractDirect({Path("x.zip"), Path("t.7z"), Path("y.zip")}, Path("out"), 2);
  EXPECT_EQ(Tree("out"), Names({"x", "x/src", "x/src/a.txt", "x/src/b.txt"}));
  EXPECT_EQ(ui_.Messages, QStringList({Message(200), FormatMessage(Message(180), {"2"})}));
  EXPECT_TRUE(ops_.Failed());
  // A missing archive is an error of its own, and the next one follows.
  fs::remove_all(Dir() + "/out");
  ops_.ExtractDirect({Path("gone.zip"), Path("y.zip")}, Path("out"), 0);
  EXPECT_EQ(Tree("out"), Names({"one.txt"}));
  EXPECT_EQ(ui_.Errors.size(), 1);
}

TEST_F(ShellOperationsExtractTest, OverwriteAnswersLastOneOperation) {
  ops_.ExtractDirect({Path("x.zip")}, Path("out"), 0);
  File("out/src/a.txt", "mine");
  File("out/src/b.txt", "mine");
  // "No to all" at the first file keeps both and asks no more in this run...
  prompter_.Replies = {{TAnswer::NoToAll, {}}};
  ops_.ExtractDirect({Path("x.zip")}, Path("out"), 0);
  EXPECT_EQ(prompter_.ReplaceQuestions.size(), 1u);
  EXPECT_EQ(qel::test::ReadFileBytes(Dir() + "/out/src/b.txt").size(), 4u);
  EXPECT_TRUE(prompts_.Memory().AskOverwrite);
  EXPECT_FALSE(prompts_.Memory().SkipAllExisting);
  // ...but the next operation asks again.
  prompter_.Replies = {{TAnswer::YesToAll, {}}};
  ops_.ExtractDirect({Path("x.zip")}, Path("out"), 0);
  EXPECT_EQ(prompter_.ReplaceQuestions.size(), 2u);
  EXPECT_EQ(qel::test::ReadFileBytes(Dir() + "/out/src/b.txt").size(), 1u);
}

TEST_F(ShellOperationsExtractTest, ExtractWithDialogTakesTheChoices) {
  TExtractChoices choices;
  choices.Folder = Path("out");
  choices.OpenFolder = true;
  Settings().ExtractType = 2;
  for (bool folders : {false, true}) {
    fs::remove_all(Dir() + "/out");
    choices.RestoreFolders = folders;
    ui_.Choices = choices;
    ops_.ExtractWithDialog({Path("x.zip"), Path("y.zip")}, Path("target"));
    const Names tree = folders ? Names{"x", "x/src", "x/src/a.txt", "x/src/b.txt", "y", "y/one.txt"}
                               : Names{"a.txt", "b.txt", "one.txt"};
    EXPECT_EQ(Tree("out"), tree) << folders;
  }
  EXPECT_EQ(ui_.AskedArchive, Path("target/x.zip"));
  EXPECT_EQ(ui_.Opened, QStringList({Path("out"), Path("out")}));
  EXPECT_EQ(Settings().LastExtractFolder, Path("out"));
  // Cancel extracts nothing.
  ui_.Choices.reset();
  fs::remove_all(Dir() + "/out");
  ops_.ExtractWithDialog({Path("x.zip")}, Path("target"));
  EXPECT_FALSE(fs::exists(Dir() + "/out"));
}

}  // namespace
}  // namespace vk::app
