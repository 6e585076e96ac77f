// The window's archive commands with a fake window answering their questions: refusals,
// delete, extract and put-back rules, checked on archives zip made and read back with its
// tools.
#include "app/core/ArchiveCommands.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

#include "app/core/ArchiveComponents.h"
#include "app/core/ShellItem.h"
#include "app/core/Translation.h"
#include "app/prompts/EnginePrompts.h"
#include "engine/compress/CompBase.h"
#include "tests/app/core/ScriptedPrompter.h"
#include "tests/app/support/ScratchSettings.h"
#include "tests/support/PeerTools.h"

namespace vk::app {
namespace {

namespace fs = std::filesystem;
using qel::test::RunTool;
using qel::test::WriteFileText;

class TFakeCommandUi : public ICommandUi {
 public:
  TOpenArchive Open;
  QString Folder;                     // the explorer folder on show
  std::deque<bool> Answers;           // to the Yes/No questions; none left: No
  std::function<void()> WhileAsking;  // what happens while a question waits
  std::optional<TExtractChoices> Choices;
  QStringList Questions, Messages, OpenedFolders;
  std::vector<TBoxKind> Kinds;
  std::vector<std::optional<QString>> Changes;  // ArchiveChanged calls
  bool Closed = false;

  TOpenArchive Shown() const override { return Open; }
  QString ShownFolder() const override { return Folder; }
  bool TakesEdits() const override { return true; }
  TRunDisplay Display(bool) override { return {}; }
  int RunBusy(const std::function<int()>& work) override { return work(); }
  std::optional<QString> AskNewArchiveName() override { return std::nullopt; }
  std::optional<QString> AskAddFiles(TArchiveComponents&, qel::TArcType, const QString&) override {
    return std::nullopt;
  }
  std::optional<TExtractChoices> AskExtractChoices(const QString&, bool) override {
    Asking();
    return Choices;
  }
  std::optional<TViewChoice> AskViewer(const QString&) override { return std::nullopt; }
  bool Confirm(const QString& question) override {
    Questions << question;
    Asking();
    if (Answers.empty()) return false;
    const bool yes = Answers.front();
    Answers.pop_front();
    return yes;
  }
  void ShowMessage(const QString& text, TBoxKind kind) override {
    Messages << text;
    Kinds.push_back(kind);
  }
  bool CloseShownArchive() override { return true; }
  void ShowArchive(const QString&) override {}
  void ShowFolder(const QString&) override {}
  void ArchiveChanged(const std::optional<QString>& folder) override { Changes.push_back(folder); }
  void OpenFolder(const QString& folder) override { OpenedFolders << folder; }
  void CloseWindow() override { Closed = true; }
  bool Launch(const TLaunch&, QString&) override { return true; }

 private:
  void Asking() {
    if (WhileAsking) std::exchange(WhileAsking, {})();
  }
};

class ArchiveCommandRulesTest : public ::testing::Test {
 protected:
  ArchiveCommandRulesTest() {
    scratch_.Settings().ShowMessages = true;
    scratch_.Settings().AppTempFolder = Path("tmp");
    fs::create_directories(Dir() + "/tmp");
    for (const char* name : {"src/a.txt", "src/docs/a.txt", "src/docs/Sub/deep.txt"}) {
      fs::create_directories(fs::path(Dir() + "/" + name).parent_path());
      WriteFileText(Dir() + "/" + name, name);
    }
    // Without folder entries: deleting every file leaves the archive empty.
    EXPECT_TRUE(RunTool({"zip", "-q", "-r", "-D", Dir() + "/t.zip", "."}, Dir() + "/src").Ok());
    ui_.Open = {Path("t.zip"), qel::atZip};
  }
  std::string Dir() const { return scratch_.Folder().Path(); }
  QString Path(const std::string& name) const { return scratch_.Path(name); }
  std::set<std::string> Entries() const {
    std::set<std::string> names;
    const QString out = QString::fromStdString(RunTool({"zipinfo", "-1", Dir() + "/t.zip"}).out);
    for (const QString& name : out.split('\n', Qt::SkipEmptyParts))
      names.insert(name.toStdString());
    return names;
  }

  gui::test::TScratchSettings scratch_;
  test::TScriptedPrompter prompter_;
  TEnginePrompts prompts_{prompter_};
  TArchiveComponents components_;
  TViewedCopies viewed_;
  TFakeCommandUi ui_;
  TArchiveCommands commands_{components_, prompts_, viewed_, ui_};
};

TEST_F(ArchiveCommandRulesTest, WhatACommandCannotDoIsSaidInsteadOfTried) {
  TShellItem folder;
  folder.Kind = TShellItem::kFolder;
  folder.Folder = "docs/";
  const struct {
    qel::TArcType type;
    std::function<void(TArchiveCommands&)> command;
    int message;
    TBoxKind kind;
  } rows[] = {
      {qel::atCab, [](TArchiveCommands& c) { c.Add(); }, 210, TBoxKind::Warning},
      {qel::atZipMV, [](TArchiveCommands& c) { c.Add(); }, 210, TBoxKind::Warning},
      {qel::at7Zip, [](TArchiveCommands& c) { c.Extract({}, {"*"}); }, 200, TBoxKind::Plain},
      {qel::at7Zip, [](TArchiveCommands& c) { c.OpenEntry({}, {}); }, 200, TBoxKind::Plain},
      {qel::atZip, [](TArchiveCommands& c) { c.Delete({}); }, 890, TBoxKind::Information},
      {qel::atZip, [](TArchiveCommands& c) { c.DeleteShownFolder(); }, 890, TBoxKind::Information},
      {qel::atZip, [&](TArchiveCommands& c) { c.View({&folder}); }, 350, TBoxKind::Information},
  };
  for (const auto& row : rows) {
    ui_.Open.Type = row.type;
    ui_.Messages.clear();
    ui_.Kinds.clear();
    row.command(commands_);
    EXPECT_EQ(ui_.Messages, QStringList({Message(row.message)})) << row.message;
    EXPECT_EQ(ui_.Kinds, std::vector<TBoxKind>({row.kind})) << row.message;
  }
  EXPECT_TRUE(ui_.Questions.isEmpty());
  EXPECT_EQ(Entries().size(), 3u);
}

TEST_F(ArchiveCommandRulesTest, DeleteAsksFirstAndLeavesOtherArchivesAlone) {
  const struct {
    bool yes;
    bool otherMeanwhile;  // another archive opened while the question waits
    size_t left;
  } rows[] = {{false, false, 3}, {true, true, 3}, {true, false, 2}};
  for (const auto& row : rows) {
    ui_.Answers = {row.yes};
    if (row.otherMeanwhile) ui_.WhileAsking = [this] { ui_.Open.File = Path("other.zip"); };
    commands_.Delete({{"a.txt"}, {}});
    ui_.Open.File = Path("t.zip");
    EXPECT_EQ(Entries().size(), row.left) << row.yes << row.otherMeanwhile;
  }
  EXPECT_EQ(ui_.Questions, QStringList(3, Message(880)));
  EXPECT_EQ(ui_.Messages, QStringList({Message(150)}));
}

TEST_F(ArchiveCommandRulesTest, DeleteRunsFileThenFolderMasksAndRestoresTheWritersAdd) {
  // What an earlier Add left in the writer.
  qel::TCompBase& zip = components_.Writer(TComponentKind::Zip);
  zip.FileSpec = {"/x/kept.txt"};
  zip.ExcludeSpec = {"*.bak"};
  zip.Switch = qel::TSwitch::swAdd;
  fs::create_directories(Dir() + "/src/docs/Old");
  WriteFileText(Dir() + "/src/docs/Old/o.txt", "old");
  ASSERT_TRUE(RunTool({"zip", "-q", Dir() + "/t.zip", "docs/Old/o.txt"}, Dir() + "/src").Ok());
  ui_.Answers = {true, true, true};
  // A file row's mask does not reach into subfolders; a folder's does.
  commands_.Delete({{"a.txt"}, {"docs/Sub/*"}});
  EXPECT_EQ(Entries(), std::set<std::string>({"docs/a.txt", "docs/Old/o.txt"}));
  EXPECT_EQ(zip.FileSpec, qel::TStrings({"/x/kept.txt"}));
  EXPECT_EQ(zip.ExcludeSpec, qel::TStrings({"*.bak"}));
  EXPECT_EQ(zip.Switch, qel::TSwitch::swAdd);
  EXPECT_FALSE(zip.RecurseDirs);
  // The explorer's folder: its parent is shown afterwards, and an archive of nothing goes.
  for (const char* folder : {"docs/Old/", "docs/"}) {
    ui_.Folder = folder;
    commands_.DeleteShownFolder();
  }
  EXPECT_FALSE(fs::exists(Dir() + "/t.zip"));
  EXPECT_EQ(ui_.Questions, QStringList({Message(880), Message(885), Message(885)}));
  EXPECT_EQ(ui_.Messages,
            QStringList({FormatMessage(Message(160), {"2"}), Message(150), Message(150)}));
  EXPECT_EQ(ui_.Changes,
            std::vector<std::optional<QString>>({std::nullopt, QString("docs/"), QString()}));
}

TEST_F(ArchiveCommandRulesTest, ExtractTakesTheSelectionOrTheFilterAndTheChoicesAfterwards) {
  const struct {
    bool allFiles;
    int extractType;
    bool remembered;
    std::set<std::string> tree;
  } rows[] = {
      {false, 2, true, {"a.txt"}},
      {true, 0, false, {"a.txt", "docs", "docs/a.txt", "docs/Sub", "docs/Sub/deep.txt"}},
  };
  for (const auto& row : rows) {
    fs::remove_all(Dir() + "/out");
    scratch_.Settings().LastExtractFolder.clear();
    scratch_.Settings().ExtractType = row.extractType;
    TExtractChoices choices;
    choices.Folder = Path("out");
    choices.AllFiles = row.allFiles;
    choices.RestoreFolders = true;
    choices.OpenFolder = choices.CloseAfterExtract = true;
    ui_.Choices = choices;
    commands_.Extract({{"a.txt"}, {}}, {"*.txt"});
    EXPECT_EQ(qel::test::PathsBelow(Dir() + "/out"), row.tree) << row.allFiles;
    EXPECT_EQ(scratch_.Settings().LastExtractFolder.isEmpty(), !row.remembered);
  }
  EXPECT_EQ(ui_.Messages, QStringList({Message(170), FormatMessage(Message(180), {"3"})}));
  EXPECT_EQ(ui_.OpenedFolders, QStringList(2, Path("out")));
  EXPECT_TRUE(ui_.Closed);
  // Another archive opened while the dialog waited: nothing is extracted.
  fs::remove_all(Dir() + "/out");
  ui_.WhileAsking = [this] { ui_.Open.File = Path("other.zip"); };
  commands_.Extract({}, {"*"});
  EXPECT_FALSE(fs::exists(Dir() + "/out"));
}

TEST_F(ArchiveCommandRulesTest, AnEditedCopyGoesBackUnderItsStoredName) {
  fs::create_directories(Dir() + "/run/docs");
  WriteFileText(Dir() + "/run/docs/a.txt", "edited");
  TViewedCopy copy;
  copy.Archive = Path("t.zip");
  copy.Type = qel::atZip;
  copy.Entry = "docs/a.txt";
  copy.File = Path("run/docs/a.txt");
  const struct {
    QString shown;   // the archive on show when asked
    QString folder;  // extracted into
    bool yes;
    const char* named;
    const char* stored;
  } rows[] = {
      {Path("t.zip"), Path("run/"), false, "docs/a.txt", "docs/a.txt"},
      {Path("t.zip"), Path("run/"), true, "docs/a.txt", "docs/a.txt"},
      // Named with its archive once that is no longer shown; a copy outside its folder
      // goes back by its bare name.
      {QString(), QString(), true, "t.zip: docs/a.txt", "a.txt"},
  };
  for (const auto& row : rows) {
    ui_.Open.File = row.shown;
    ui_.Questions.clear();
    ui_.Answers = {row.yes};
    copy.Folder = row.folder;
    commands_.OfferPutBack(copy);
    EXPECT_EQ(ui_.Questions,
              QStringList({FormatMessage(Message(1190), {row.named}) + "\n" + Message(1200)}));
    const std::string text = RunTool({"unzip", "-p", Dir() + "/t.zip", row.stored}).out;
    EXPECT_EQ(text, row.yes ? "edited" : "src/docs/a.txt") << row.stored;
  }
  EXPECT_EQ(Entries(), std::set<std::string>({"a.txt", "docs/a.txt", "docs/Sub/deep.txt"}));
}

}  // namespace
}  // namespace vk::app
