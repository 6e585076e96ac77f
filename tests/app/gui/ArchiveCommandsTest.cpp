// The main window's entry commands on ZIP archives made by zip and by the program itself,
// with every dialog and question answered in turn, checked against zip's own tools.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/core/AppSettings.h"
#include "app/core/ProgressReport.h"
#include "app/core/Translation.h"
#include "app/gui/AddFileBrowser.h"
#include "app/gui/EntryModel.h"
#include "app/gui/ErrorList.h"
#include "app/gui/ExplorerPanel.h"
#include "app/gui/MainForm.h"
#include "app/gui/VrListView.h"
#include "engine/base/Messages.h"
#include "tests/app/gui/BrowserRows.h"
#include "tests/app/support/ModalSteps.h"
#include "tests/app/support/ScratchSettings.h"
#include "tests/support/EnvVar.h"
#include "tests/support/PeerTools.h"

namespace vk::gui {
namespace {

using qel::test::RunTool;
using qel::test::RunToolOk;
using qel::test::WriteFileText;

using test::Box;
using test::SaveAs;
using test::TModalSteps;
using test::TStep;

// The Add Files dialog on `folder` with the rows `names` selected.
TStep AddFiles(const QString& folder, const QStringList& names) {
  auto shown = std::make_shared<bool>(false);
  return [=](QWidget* modal) {
    if (modal->objectName() != "frmAdd") return false;
    auto* browser = modal->findChild<TAddFileBrowser*>();
    if (!*shown) {
      browser->SetFolder(folder);
      *shown = true;
      return false;
    }
    if (browser->Items().size() < size_t(names.size())) return false;
    test::SelectBrowserRows(modal, names);
    modal->findChild<QPushButton*>("bbOK")->click();
    return true;
  };
}

TStep Extract(const QString& folder, bool all) {
  return [=](QWidget* modal) {
    if (modal->objectName() != "frmExtract") return false;
    modal->findChild<QComboBox*>("cbExtractPath")->setEditText(folder);
    const QList<QRadioButton*> scope =
        modal->findChild<QWidget*>("rgExtract")->findChildren<QRadioButton*>();
    scope[all ? 1 : 0]->setChecked(true);
    for (const char* box : {"chbRestOrgnFolders"})
      modal->findChild<QAbstractButton*>(box)->setChecked(true);
    for (const char* box : {"chbOpenFolder", "chbCloseAfterExtract", "chbConfFileOverrites"})
      modal->findChild<QAbstractButton*>(box)->setChecked(false);
    modal->findChild<QPushButton*>("bbExtract")->click();
    return true;
  };
}

TStep Password(const QString& password) {
  return [=](QWidget* modal) {
    if (modal->objectName() != "frmInputPassword") return false;
    modal->findChild<QLineEdit*>("meEdit")->setText(password);
    static_cast<QDialog*>(modal)->accept();
    return true;
  };
}

TStep View(const char* choice, const QString& viewer = {}) {
  return [=](QWidget* modal) {
    if (modal->objectName() != "FormView") return false;
    modal->findChild<QRadioButton*>(choice)->setChecked(true);
    modal->findChild<QLineEdit*>("edViewer")->setText(viewer);
    modal->findChild<QPushButton*>("bbOK")->click();
    return true;
  };
}

// Opens `archive` in `form` while a window of a command waits, as an archive handed over by
// another start is, then takes `step`.
TStep OpenMeanwhile(TMainForm* form, const QString& archive, TStep step) {
  return [=](QWidget* modal) {
    if (form->ArchiveFile() != archive) form->OpenArchive(archive);
    return step(modal);
  };
}

class ArchiveCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"zip", "unzip", "zipinfo"}) VK_REQUIRE_TOOL(tool);
    app::TAppSettings& s = scratch_.Settings();
    s.FavoriteOptions = 2;
    s.ExplorerView = false;
    s.ShowMessages = true;
    s.AppTempFolder = Path("tmp");
    qel::test::MakeTree(scratch_.Folder().Path(), {{"tmp/", ""},
                                                   {"src/a.txt", "root a"},
                                                   {"src/top.bin", std::string(3000, 'x')},
                                                   {"src/docs/a.txt", "docs a"},
                                                   {"src/docs/readme.txt", "read me"},
                                                   {"src/docs/Sub/deep.txt", "deep"},
                                                   {"more/b.txt", "b"}});
    form_ = std::make_unique<TMainForm>(app::TStartCommand{}, false);
    form_->Launcher = [this](const app::TLaunch& launch, QString&) {
      launches_.push_back(launch);
      if (edit_) WriteFileText(launch.File.toStdString(), *edit_);
      return true;
    };
    form_->show();
  }
  void TearDown() override { form_.reset(); }

  std::string Folder(const std::string& name) const { return scratch_.Folder() / name; }
  QString Path(const std::string& name) const { return scratch_.Path(name); }
  QString ZipOfSources() {
    EXPECT_TRUE(RunToolOk({"zip", "-q", "-r", Folder("t.zip"), "."}, Folder("src")));
    return Path("t.zip");
  }
  // The names zip's own tools see in the archive, sorted.
  static QStringList Names(const QString& zip) {
    QStringList names = QString::fromStdString(RunTool({"zipinfo", "-1", zip.toStdString()}).out)
                            .split('\n', Qt::SkipEmptyParts);
    names.sort();
    return names;
  }
  QStringList Rows() const {
    QStringList rows;
    for (int row = 0; row < form_->ActiveList()->Model()->rowCount(); ++row)
      rows << form_->EntryAt(row)->Folder + form_->EntryAt(row)->Name;
    return rows;
  }
  // Selects the rows of the entries named (folder + name, or a folder row's path).
  void Select(const QStringList& entries) {
    TVrListView* list = form_->ActiveList();
    for (int row = 0; row < list->Model()->rowCount(); ++row) {
      const app::TShellItem* item = form_->EntryAt(row);
      const QString name = item->IsFolder() ? item->Folder : item->Folder + item->Name;
      if (entries.contains(name))
        list->SelectionModel()->select(list->Model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
  }
  void Trigger(const char* action) { form_->Action(action)->trigger(); }
  static std::set<std::string> Below(const std::string& folder) {
    return qel::test::PathsBelow(folder);
  }

  test::TScratchSettings scratch_;
  std::unique_ptr<TMainForm> form_;
  std::vector<app::TLaunch> launches_;
  std::optional<std::string> edit_;  // what the fake program writes into the file
  QStringList boxes_;
};

TEST_F(ArchiveCommandsTest, NewMakesTheArchiveTheAddDialogChose) {
  {
    TModalSteps steps(
        {SaveAs(Path("new.zip")), AddFiles(Path("src"), {"a.txt", "docs"}), Box(boxes_)});
    Trigger("acNew");
  }
  // The folder's files keep the folder's own name.
  EXPECT_EQ(Names(Path("new.zip")),
            QStringList({"a.txt", "docs/Sub/deep.txt", "docs/a.txt", "docs/readme.txt"}));
  EXPECT_EQ(boxes_, QStringList({app::FormatMessage(app::Message(101), {"4"})}));
  EXPECT_EQ(form_->ArchiveFile(), Path("new.zip"));
  EXPECT_TRUE(RunToolOk({"unzip", "-tq", Folder("new.zip")}));

  // Over an existing name: No opens that archive instead.
  boxes_.clear();
  {
    TModalSteps steps({SaveAs(Path("new.zip")), Box(boxes_, QMessageBox::No)});
    Trigger("acNew");
  }
  EXPECT_EQ(boxes_, QStringList({app::FormatMessage(app::Message(840), {Path("new.zip")}) + "\n" +
                                 app::Message(860)}));
  EXPECT_EQ(form_->ArchiveFile(), Path("new.zip"));
}

TEST_F(ArchiveCommandsTest, NewArchivesNameFollowsTheTypeChosen) {
  const TStep zipType = [](QWidget* modal) {
    if (modal->objectName() != "frmAdd") return false;
    auto* type = modal->findChild<QComboBox*>("cbArcType");
    type->setCurrentIndex(type->findText("ZIP"));
    return true;
  };
  {
    TModalSteps steps(
        {SaveAs(Path("fresh.7z")), zipType, AddFiles(Path("more"), {"b.txt"}), Box(boxes_)});
    Trigger("acNew");
  }
  EXPECT_FALSE(QFileInfo::exists(Path("fresh.7z")));
  EXPECT_EQ(Names(Path("fresh.zip")), QStringList({"b.txt"}));
  EXPECT_EQ(form_->ArchiveFile(), Path("fresh.zip"));
}

TEST_F(ArchiveCommandsTest, NewAsksAgainForTheNameTheWriterCompletedAndTrashesIt) {
  // The trash of this test's own.
  std::filesystem::create_directories(Folder("data"));
  WriteFileText(Folder("plain.zip"), "an older file");
  {
    const qel::test::TEnvVar trash("XDG_DATA_HOME", Folder("data"));
    // "plain" does not exist; the writer makes it "plain.zip", which does.
    TModalSteps steps({SaveAs(Path("plain")), AddFiles(Path("more"), {"b.txt"}),
                       Box(boxes_, QMessageBox::Yes), Box(boxes_)});
    Trigger("acNew");
  }
  ASSERT_EQ(boxes_.size(), 2);
  EXPECT_EQ(boxes_[0], app::FormatMessage(app::Message(840), {Path("plain.zip")}));
  EXPECT_EQ(Names(Path("plain.zip")), QStringList({"b.txt"}));
  EXPECT_TRUE(QFileInfo::exists(Path("data/Trash/files/plain.zip")));
  EXPECT_EQ(form_->ArchiveFile(), Path("plain.zip"));
}

TEST_F(ArchiveCommandsTest, AddPutsFilesIntoTheOpenArchive) {
  form_->OpenArchive(ZipOfSources());
  {
    TModalSteps steps({AddFiles(Path("more"), {"b.txt"}), Box(boxes_)});
    Trigger("acAdd");
  }
  EXPECT_TRUE(Names(Path("t.zip")).contains("b.txt"));
  EXPECT_TRUE(Rows().contains("b.txt"));
  EXPECT_EQ(boxes_, QStringList({app::Message(100)}));
  EXPECT_EQ(scratch_.Settings().LastAddFolder, Path("more"));
  EXPECT_TRUE(RunToolOk({"unzip", "-tq", Folder("t.zip")}));
  // The same file again changes nothing: said plainly, not as an error, and not in a box.
  {
    TModalSteps steps({AddFiles(Path("more"), {"b.txt"})});
    Trigger("acAdd");
  }
  EXPECT_EQ(boxes_.size(), 1);
  EXPECT_EQ(form_->statusBar()->currentMessage(),
            *app::NothingChangedNotice(qel::msg::NothingToDo));
  EXPECT_EQ(form_->findChild<TfrmErrors*>()->Count(), 0);
}

TEST_F(ArchiveCommandsTest, ExtractTakesTheSelectedRowsOrWhatTheFilterShows) {
  form_->OpenArchive(ZipOfSources());
  // A root file row does not take the file of that name in a subfolder.
  Select({"a.txt"});
  {
    TModalSteps steps({Extract(Path("one"), false), Box(boxes_)});
    Trigger("acExtract");
  }
  EXPECT_EQ(Below(Folder("one")), std::set<std::string>({"a.txt"}));
  form_->SetFileMask({"*.txt"});
  {
    TModalSteps steps({Extract(Path("all"), true), Box(boxes_)});
    Trigger("acExtract");
  }
  EXPECT_EQ(Below(Folder("all")),
            std::set<std::string>({"a.txt", "docs", "docs/a.txt", "docs/readme.txt", "docs/Sub",
                                   "docs/Sub/deep.txt"}));
  EXPECT_EQ(boxes_, QStringList({app::Message(170), app::FormatMessage(app::Message(180), {"4"})}));

  // Explorer style: a folder row takes everything below it.
  form_->SetFileMask({"*"});
  form_->SetExplorerStyle(true);
  Select({"docs/"});
  scratch_.Settings().ExtractType = 2;
  {
    TModalSteps steps({Extract(Path("folder"), false), Box(boxes_)});
    Trigger("acExtract");
  }
  EXPECT_EQ(Below(Folder("folder")), std::set<std::string>({"docs", "docs/a.txt", "docs/readme.txt",
                                                            "docs/Sub", "docs/Sub/deep.txt"}));
  EXPECT_EQ(scratch_.Settings().LastExtractFolder, Path("folder"));
}

TEST_F(ArchiveCommandsTest, DeleteRemovesTheSelectionAfterTheQuestion) {
  const QString zip = ZipOfSources();
  form_->OpenArchive(zip);
  {
    TModalSteps steps({Box(boxes_)});
    Trigger("acDelete");  // nothing selected
  }
  Select({"docs/a.txt", "top.bin"});
  {
    TModalSteps steps({Box(boxes_, QMessageBox::No)});
    Trigger("acDelete");
  }
  EXPECT_EQ(Names(zip).size(), 7);
  {
    TModalSteps steps({Box(boxes_, QMessageBox::Yes), Box(boxes_)});
    Trigger("acDelete");
  }
  EXPECT_EQ(boxes_, QStringList({app::Message(890), app::Message(880), app::Message(880),
                                 app::FormatMessage(app::Message(160), {"2"})}));
  EXPECT_EQ(Names(zip),
            QStringList({"a.txt", "docs/", "docs/Sub/", "docs/Sub/deep.txt", "docs/readme.txt"}));
  EXPECT_TRUE(RunToolOk({"unzip", "-tq", zip.toStdString()}));
  EXPECT_FALSE(Rows().contains("top.bin"));

  // The tree's Delete key takes the folder it shows.
  form_->SetExplorerStyle(true);
  form_->SelectFolder("docs/Sub/");
  {
    TModalSteps steps({Box(boxes_, QMessageBox::Yes), Box(boxes_)});
    QTreeWidget* tree = form_->findChild<TExplorerPanel*>()->Tree();
    QApplication::setActiveWindow(form_.get());
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Delete);
  }
  EXPECT_EQ(boxes_.mid(4),
            QStringList({app::Message(885), app::FormatMessage(app::Message(160), {"2"})}));
  EXPECT_EQ(Names(zip), QStringList({"a.txt", "docs/", "docs/readme.txt"}));
}

TEST_F(ArchiveCommandsTest, DeletingEveryEntryRemovesTheArchiveAndClosesIt) {
  // Without folder entries, which the classic list does not show.
  const QString zip = Path("t.zip");
  ASSERT_TRUE(RunToolOk({"zip", "-q", "-r", "-D", zip.toStdString(), "."}, Folder("src")));
  form_->OpenArchive(zip);
  Trigger("acSelectAll");
  {
    TModalSteps steps({Box(boxes_, QMessageBox::Yes), Box(boxes_)});
    Trigger("acDelete");
  }
  EXPECT_FALSE(QFileInfo::exists(zip));
  EXPECT_TRUE(form_->ArchiveFile().isEmpty());
  EXPECT_EQ(form_->windowTitle(), "Vorelkit");
  EXPECT_FALSE(form_->Action("acAdd")->isEnabled());
}

TEST_F(ArchiveCommandsTest, AnArchiveOpenedWhileACommandAsksIsLeftAlone) {
  const QString zip = ZipOfSources();
  ASSERT_TRUE(RunToolOk({"zip", "-q", "-r", Folder("other.zip"), "."}, Folder("src")));
  const QString other = Path("other.zip");
  form_->OpenArchive(zip);
  Select({"a.txt", "docs/a.txt"});
  {
    TModalSteps steps({OpenMeanwhile(form_.get(), other, Box(boxes_, QMessageBox::Yes))});
    Trigger("acDelete");
  }
  form_->OpenArchive(zip);
  Select({"a.txt"});
  {
    TModalSteps steps({OpenMeanwhile(form_.get(), other, Extract(Path("out"), false))});
    Trigger("acExtract");
  }
  form_->OpenArchive(zip);
  form_->SetExplorerStyle(true);
  form_->SelectFolder("docs/");
  {
    TModalSteps steps({OpenMeanwhile(form_.get(), other, Box(boxes_, QMessageBox::Yes))});
    QTreeWidget* tree = form_->findChild<TExplorerPanel*>()->Tree();
    QApplication::setActiveWindow(form_.get());
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Delete);
  }
  EXPECT_EQ(Names(zip).size(), 7);
  EXPECT_EQ(Names(other).size(), 7);
  EXPECT_FALSE(QFileInfo::exists(Path("out")));
  EXPECT_EQ(boxes_, QStringList({app::Message(880), app::Message(885)}));
}

TEST_F(ArchiveCommandsTest, OpenAndViewHandTheEntryOver) {
  form_->OpenArchive(ZipOfSources());
  {
    TModalSteps steps({Box(boxes_)});
    Trigger("acView");  // nothing selected
  }
  EXPECT_EQ(boxes_, QStringList({app::Message(350)}));
  Select({"docs/readme.txt"});
  Trigger("acOpenFile");
  {
    TModalSteps steps({View("rbViewer", "/bin/cat")});
    Trigger("acView");
  }
  {
    TModalSteps steps({View("rbNotepad")});
    Trigger("acView");
  }
  ASSERT_EQ(launches_.size(), 3u);
  EXPECT_TRUE(launches_[0].Program.isEmpty());
  EXPECT_TRUE(launches_[0].Wait);  // a ZIP archive waits for its program
  EXPECT_TRUE(launches_[0].File.endsWith("/docs/readme.txt"));
  EXPECT_TRUE(QFileInfo(launches_[0].File).path().contains("/$$_"));
  EXPECT_EQ(launches_[1].Program, "/bin/cat");
  EXPECT_EQ(launches_[1].Arguments, QStringList({launches_[1].File}));
  EXPECT_EQ(launches_[2].File.section('/', -2), "docs/readme.txt");
  // Unchanged files ask nothing.
  EXPECT_EQ(boxes_.size(), 1);
  // A double-click on a file row opens it too.
  form_->ActiveList()->SelectRow(0);
  QMetaObject::invokeMethod(form_->ActiveList(), "RowActivated", Q_ARG(int, 0));
  EXPECT_EQ(launches_.size(), 4u);
  // The temporary folders go with the program's clean-up.
  form_->CleanTempFiles();
  EXPECT_TRUE(Below(Folder("tmp")).empty());
}

TEST_F(ArchiveCommandsTest, AnEditedEntryGoesBackAsItWas) {
  const QString zip = ZipOfSources();
  form_->OpenArchive(zip);
  Select({"docs/readme.txt"});
  edit_ = "edited text";
  {
    TModalSteps steps({Box(boxes_, QMessageBox::Yes)});
    Trigger("acOpenFile");
  }
  EXPECT_EQ(boxes_, QStringList({app::FormatMessage(app::Message(1190), {"docs/readme.txt"}) +
                                 "\n" + app::Message(1200)}));
  EXPECT_EQ(RunTool({"unzip", "-p", zip.toStdString(), "docs/readme.txt"}).out, "edited text");
  EXPECT_EQ(Names(zip).size(), 7);
  EXPECT_TRUE(RunToolOk({"unzip", "-tq", zip.toStdString()}));
  EXPECT_EQ(Rows().size(), 5);
}

// The desktop's launcher returns before the user has edited anything: the copy is watched,
// and each save is offered back, the last one when the archive is closed.
TEST_F(ArchiveCommandsTest, AnEntrySavedAfterItsLauncherReturnedIsOfferedBack) {
  const QString zip = ZipOfSources();
  form_->OpenArchive(zip);
  Select({"docs/readme.txt"});
  Trigger("acOpenFile");
  ASSERT_EQ(launches_.size(), 1u);
  const std::string copy = launches_[0].File.toStdString();
  const auto question =
      app::FormatMessage(app::Message(1190), {"docs/readme.txt"}) + "\n" + app::Message(1200);
  // Each save is a second after the one before, as a user's are, without waiting for it.
  const auto saveLater = [&copy](const char* text) {
    const auto later = std::filesystem::last_write_time(copy) + std::chrono::seconds(1);
    WriteFileText(copy, text);
    std::filesystem::last_write_time(copy, later);
  };
  {
    TModalSteps steps({Box(boxes_, QMessageBox::Yes)});
    saveLater("saved later");
    ASSERT_TRUE(QTest::qWaitFor([this] { return boxes_.size() == 1; }, 10000));
  }
  EXPECT_EQ(RunTool({"unzip", "-p", zip.toStdString(), "docs/readme.txt"}).out, "saved later");
  {
    TModalSteps steps({Box(boxes_, QMessageBox::Yes)});
    saveLater("saved before closing");
    Trigger("acClose");
  }
  EXPECT_EQ(boxes_, QStringList({question, question}));
  EXPECT_EQ(RunTool({"unzip", "-p", zip.toStdString(), "docs/readme.txt"}).out,
            "saved before closing");
  // Saved once the archive was closed: still offered, named with its archive.
  {
    TModalSteps steps({Box(boxes_, QMessageBox::Yes)});
    saveLater("saved after closing");
    ASSERT_TRUE(QTest::qWaitFor([this] { return boxes_.size() == 3; }, 10000));
  }
  EXPECT_EQ(boxes_.back(), app::FormatMessage(app::Message(1190),
                                              {QFileInfo(zip).fileName() + ": docs/readme.txt"}) +
                               "\n" + app::Message(1200));
  EXPECT_EQ(RunTool({"unzip", "-p", zip.toStdString(), "docs/readme.txt"}).out,
            "saved after closing");
}

// Other starts share the temporary folder: the clean-up takes this window's own files and
// leftovers that nothing holds, never another start's work in progress.
TEST_F(ArchiveCommandsTest, TheCleanUpLeavesOtherStartsFilesAlone) {
  form_->OpenArchive(ZipOfSources());
  Select({"a.txt"});
  Trigger("acOpenFile");
  const auto make = [this](const std::string& name, bool old) {
    const std::string path = Folder("tmp/" + name);
    if (name.ends_with(".tmp"))
      WriteFileText(path, "x");
    else
      std::filesystem::create_directories(path);
    if (old)
      std::filesystem::last_write_time(
          path, std::filesystem::last_write_time(path) - std::chrono::hours(1));
  };
  const std::string living = "$$_run" + std::to_string(getppid()) + "-aaaaaa";
  make("$$_Held01.tmp", true);  // another start's temporary archive, being written
  make("$$_Gone01.tmp", true);  // a killed writer's
  make("$$_New001.tmp", false);
  make(living, true);
  make("$$_run2147483600-bbbbbb", true);  // its start has ended
  {
    QFile held(Path("tmp/$$_Held01.tmp"));
    ASSERT_TRUE(held.open(QIODevice::ReadOnly));
    ASSERT_EQ(::flock(held.handle(), LOCK_EX), 0);  // as a writer holds its temporary archive
    form_->CleanTempFiles();
  }
  EXPECT_EQ(Below(Folder("tmp")),
            std::set<std::string>({"$$_Held01.tmp", "$$_New001.tmp", living}));
}

TEST_F(ArchiveCommandsTest, AnEntryOpenedWhileAnotherIsShownGoesBackToo) {
  const QString zip = ZipOfSources();
  form_->OpenArchive(zip);
  Select({"docs/readme.txt"});
  form_->Launcher = [this](const app::TLaunch& launch, QString&) {
    // While the first program runs, the user opens another entry, edits and closes it.
    if (launches_.empty()) {
      launches_.push_back(launch);
      form_->ActiveList()->SelectionModel()->clearSelection();
      Select({"a.txt"});
      Trigger("acOpenFile");
    }
    WriteFileText(launch.File.toStdString(),
                  "edited " + launch.File.section('/', -1).toStdString());
    return true;
  };
  {
    TModalSteps steps({Box(boxes_, QMessageBox::Yes), Box(boxes_, QMessageBox::Yes)});
    Trigger("acOpenFile");
  }
  const auto question = [](const QString& entry) {
    return app::FormatMessage(app::Message(1190), {entry}) + "\n" + app::Message(1200);
  };
  EXPECT_EQ(boxes_, QStringList({question("a.txt"), question("docs/readme.txt")}));
  EXPECT_EQ(RunTool({"unzip", "-p", zip.toStdString(), "a.txt"}).out, "edited a.txt");
  EXPECT_EQ(RunTool({"unzip", "-p", zip.toStdString(), "docs/readme.txt"}).out,
            "edited readme.txt");
}

TEST_F(ArchiveCommandsTest, AnEncryptedEntryGoesBackEncrypted) {
  VK_REQUIRE_TOOL("7z");
  ASSERT_TRUE(RunToolOk({"zip", "-q", "-P", "pw", Folder("e.zip"), "a.txt"}, Folder("src")));
  form_->OpenArchive(Path("e.zip"));
  Select({"a.txt"});
  edit_ = "secret edit";
  {
    TModalSteps steps({Password("pw"), Box(boxes_, QMessageBox::Yes)});
    Trigger("acOpenFile");
  }
  EXPECT_EQ(RunTool({"7z", "x", "-so", "-ppw", Folder("e.zip"), "a.txt"}).out, "secret edit");
  EXPECT_FALSE(RunTool({"7z", "x", "-so", "-pwrong", Folder("e.zip"), "a.txt"}).Ok());
  // Enciphered as it was, so the tools that read it before still do.
  EXPECT_NE(RunTool({"7z", "l", "-slt", Folder("e.zip")}).out.find("Method = ZipCrypto"),
            std::string::npos);
  EXPECT_EQ(RunTool({"unzip", "-P", "pw", "-p", Folder("e.zip"), "a.txt"}).out, "secret edit");
}

TEST_F(ArchiveCommandsTest, CommandsFollowTheArchiveAndKeysAreUnique) {
  const char* entryCommands[] = {"acAdd",  "acExtract",  "acDelete",
                                 "acView", "acOpenFile", "acViewWithNotepad"};
  QMenu* actions = form_->findChild<QMenu*>("mnActions");
  for (const char* name : entryCommands) EXPECT_FALSE(form_->Action(name)->isEnabled()) << name;
  EXPECT_FALSE(actions->menuAction()->isVisible());
  EXPECT_TRUE(form_->Action("acNew")->isEnabled());
  form_->OpenArchive(ZipOfSources());
  for (const char* name : entryCommands) EXPECT_TRUE(form_->Action(name)->isEnabled()) << name;
  EXPECT_TRUE(actions->menuAction()->isVisible());
  for (const char* name : {"acRename", "acProperties", "acCheckOut", "acMoveArchive"})
    EXPECT_TRUE(form_->Action(name)->isEnabled()) << name;
  // Nothing to install; and what is not built yet is disabled rather than refusing.
  for (const char* name : {"acInstall", "acEncrypt"})
    EXPECT_FALSE(form_->Action(name)->isEnabled()) << name;

  EXPECT_EQ(form_->Action("acAdd")->shortcut(), QKeySequence("Ctrl+Shift+A"));
  EXPECT_EQ(form_->Action("acFilter")->shortcut(), QKeySequence("Ctrl+Shift+F"));
  EXPECT_EQ(form_->Action("acSelectAll")->shortcut(), QKeySequence("Ctrl+A"));
  EXPECT_EQ(form_->Action("acEncrypt")->shortcut(), QKeySequence("Ctrl+E"));
  EXPECT_TRUE(form_->Action("acFavorites")->shortcut().isEmpty());
  QSet<QKeySequence> keys;
  for (QAction* action : form_->findChildren<QAction*>()) {
    if (action->shortcut().isEmpty()) continue;
    EXPECT_FALSE(keys.contains(action->shortcut()))
        << action->objectName().toStdString() << " " << action->shortcut().toString().toStdString();
    keys.insert(action->shortcut());
  }
}

}  // namespace
}  // namespace vk::gui
