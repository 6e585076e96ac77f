// The Add Files dialog, offscreen: the type it proposes and what each type shows, the file
// browser, what OK leaves in the writer (down to the archive it writes), and what it keeps.
#include "app/gui/AddDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <filesystem>
#include <memory>
#include <optional>

#include "app/core/AppSettings.h"
#include "app/core/Translation.h"
#include "app/gui/AddFileBrowser.h"
#include "engine/compress/CompBase.h"
#include "tests/app/gui/BrowserRows.h"
#include "tests/app/support/ModalSteps.h"
#include "tests/app/support/ScratchSettings.h"
#include "tests/support/PeerTools.h"

namespace vk::gui {
namespace {

using app::TComponentKind;
using qel::test::TestFolder;
using test::TBoxAnswers;
using Strings = std::vector<std::string>;

QStringList Items(const QComboBox* combo) {
  QStringList items;
  for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
  return items;
}

class AddDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(scratch_.Folder() / "files/sub");
    qel::test::WriteFileText(scratch_.Folder() / "files/a.txt", std::string(4000, 'a'));
    qel::test::WriteFileText(scratch_.Folder() / "files/b.txt", "b");
    qel::test::WriteFileText(scratch_.Folder() / "files/sub/c.txt", "c");
    scratch_.Settings().AppCurrentDir = Path("files");
  }
  void TearDown() override { dialog_.reset(); }
  QString Path(const std::string& name) const { return scratch_.Path(name); }
  std::string InFiles(const char* name) const {
    return scratch_.Folder() / ("files/" + std::string(name));
  }

  // A shown dialog for the new archive `name` whose file list has `rows` rows.
  TfrmAdd& Open(const QString& name = "new.zip", size_t rows = 3,
                qel::TArcType listerType = qel::atNA) {
    dialog_ = std::make_unique<TfrmAdd>(components_, listerType, name);
    dialog_->show();
    EXPECT_TRUE(QTest::qWaitFor([this, rows] { return Browser()->Items().size() == rows; }));
    return *dialog_;
  }
  TAddFileBrowser* Browser() { return dialog_->findChild<TAddFileBrowser*>(); }
  template <class T = QComboBox>
  T* Find(const char* name) {
    return dialog_->findChild<T*>(name);
  }
  void Choose(const char* combo, const QString& text) {
    auto* box = Find(combo);
    ASSERT_GE(box->findText(text), 0) << combo << " " << text.toStdString();
    box->setCurrentIndex(box->findText(text));
  }
  void Select(const QStringList& names) { test::SelectBrowserRows(dialog_.get(), names); }
  QStringList Names() {
    QStringList names;
    for (const app::TBrowserItem& item : Browser()->Items())
      names << item.Path.section('/', -1) + (item.Selected ? "*" : "");
    return names;
  }
  // The type, method and encryption shown, and which of the controls that follow the type
  // are enabled ("chSolid": shown).
  QString Shown() {
    return QStringList({Find("cbArcType")->currentText(), Find("cbMethod")->currentText(),
                        Find("cbEncryption")->currentText()})
        .join('|');
  }
  QStringList Enabled() {
    QStringList enabled;
    for (const char* name : {"cbEncryption", "bnPassword", "cbCompression", "cbAction"})
      if (Find<QWidget>(name)->isEnabled()) enabled << name;
    if (!Find<QWidget>("chSolid")->isHidden()) enabled << "chSolid";
    return enabled;
  }
  qel::TCompBase& Writer() { return *components_.CurrentWriter; }
  std::string Folder() const { return dialog_->CurrentFolder().toStdString(); }

  test::TScratchSettings scratch_;
  app::TArchiveComponents components_;
  std::unique_ptr<TfrmAdd> dialog_;
};

TEST_F(AddDialogTest, TheNewArchivesNameProposesTheTypeAndItsSettings) {
  scratch_.Settings().SolidArchive = true;
  const struct {
    const char *name, *shown;
    TComponentKind kind;
    QStringList methods, enabled;
  } cases[] = {
      {"x.tgz", "TAR-GZIP|TarGz|None", TComponentKind::TarGZ, {"TarGz"}, {"cbAction"}},
      {"x.7z",
       "7-ZIP|LZMA|AES - 256 bit",
       TComponentKind::SevenZip,
       {"LZMA", "LZMA2", "PPMd"},
       {"bnPassword", "cbCompression", "chSolid"}},
      {"X.CAB",
       "CAB|MsZip|None",
       TComponentKind::MakeCab,
       {"Store", "MsZip", "Lzx", "Quantum"},
       {"cbAction"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    components_.CurrentWrapper = nullptr;
    Open(c.name);
    EXPECT_EQ(Items(Find("cbArcType")).size(), 13);
    EXPECT_EQ(components_.CurrentKind(), c.kind);
    EXPECT_EQ(Items(Find("cbMethod")), c.methods);
    EXPECT_EQ(Shown(), c.shown);
    EXPECT_EQ(Enabled(), c.enabled);
    EXPECT_TRUE(Find<QCheckBox>("chSolid")->isChecked());
  }
}

TEST_F(AddDialogTest, AnOpenArchiveOffersOnlyItsOwnType) {
  const struct {
    TComponentKind writer;
    qel::TArcType listerType;
    QStringList types;
    QStringList methods;
  } cases[] = {
      {TComponentKind::MakeCab, qel::atCab, {"CAB"}, {"Store", "MsZip", "Lzx", "Quantum"}},
      // A type the dialog cannot name: no type, but the command's writer and its methods.
      {TComponentKind::Jar, qel::atJarExe, {}, {"Store", "Deflate"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.writer));
    components_.Select(TComponentKind::Zip);
    components_.Writer(c.writer).SetArchiveFile(Path("open.arc").toStdString());
    components_.Select(c.writer);
    Open("ignored.7z", 3, c.listerType);
    EXPECT_EQ(Items(Find("cbArcType")), c.types);
    EXPECT_EQ(components_.CurrentKind(), c.writer);
    EXPECT_EQ(Items(Find("cbMethod")), c.methods);
  }
  // An archive a wrapper opened.
  components_.Select(TComponentKind::Bga);
  components_.CurrentWrapper->CompressionMethod = 1;
  Open();
  EXPECT_EQ(Items(Find("cbArcType")), QStringList({"BGA"}));
  EXPECT_EQ(Find("cbMethod")->currentText(), "GZA");
}

TEST_F(AddDialogTest, UserChoicesFollowTheCurrentComponent) {
  Open("x.zip");
  const struct {
    const char *combo, *choice, *shown;
    QStringList enabled;
  } steps[] = {
      {"cbEncryption",
       "AES - 128 bit",
       "ZIP|Deflate|AES - 128 bit",
       {"cbEncryption", "bnPassword", "cbCompression", "cbAction"}},
      {"cbArcType",
       "7-ZIP",
       "7-ZIP|LZMA|AES - 256 bit",
       {"bnPassword", "cbCompression", "chSolid"}},
      {"cbMethod", "LZMA2", "7-ZIP|LZMA2|AES - 256 bit", {"bnPassword", "chSolid"}},
      {"cbMethod", "LZMA", "7-ZIP|LZMA|AES - 256 bit", {"bnPassword", "cbCompression", "chSolid"}},
      // Back in the ZIP family the user's own encryption is there again...
      {"cbArcType",
       "JAR",
       "JAR|Deflate|AES - 128 bit",
       {"cbEncryption", "bnPassword", "cbCompression", "cbAction"}},
      {"cbMethod", "Store", "JAR|Store|AES - 128 bit", {"cbEncryption", "bnPassword", "cbAction"}},
      // ...but a type outside it takes the encryption back to "None".
      {"cbArcType", "TAR", "TAR|Tar|None", {"cbAction"}},
      {"cbArcType", "ZIP", "ZIP|Deflate|None", {"cbEncryption", "cbCompression", "cbAction"}},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.choice);
    Choose(s.combo, s.choice);
    EXPECT_EQ(Shown(), s.shown);
    EXPECT_EQ(Enabled(), s.enabled);
  }
  EXPECT_EQ(components_.Wrapper(TComponentKind::SevenZip).CompressionMethod, 0);
  EXPECT_EQ(components_.Writer(TComponentKind::Jar).CompressMethod(),
            qel::TCompressMethod::cmStore);
}

TEST_F(AddDialogTest, OkLeavesTheChoicesAndTheFilesInTheWriter) {
  const struct {
    const char* storedFolders;
    Strings fileSpec;
    QStringList folderList;
  } cases[] = {{"Relative", {InFiles("a.txt")}, {Path("files/sub/*")}},
               {"Absolute No Root", {InFiles("sub/*"), InFiles("a.txt")}, {}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.storedFolders);
    Open("x.zip");
    Select({"a.txt", "sub"});
    Choose("cbCompression", "Fast");
    Choose("cbAction", "Refresh");
    Choose("cbStoredFolders", c.storedFolders);
    Choose("cbDateAttribs", "Max File Date");
    Choose("cbMethod", "Bzip2");
    Choose("cbEncryption", "PK ZIP v2.0");
    Find<QCheckBox>("chbHidden")->setChecked(false);
    // The first two entries differ: the user is told and asked again.
    TBoxAnswers answers({"one", "two", "pw", "pw"});
    Find<QPushButton>("bbOK")->click();
    EXPECT_EQ(dialog_->result(), QDialog::Accepted);
    EXPECT_EQ(answers.Messages, QStringList({app::Message(787) + "\n" + app::Message(788)}));
    EXPECT_EQ(Writer().FileSpec, c.fileSpec);
    EXPECT_EQ(Writer().ExcludeSpec, Strings({InFiles("b.txt/*")}));
    EXPECT_EQ(components_.FolderList, c.folderList);
    EXPECT_EQ(Writer().Switch, qel::TSwitch::swRefresh);
    EXPECT_EQ(Writer().DeflateType, qel::TDeflateType::dtDeflateF);
    EXPECT_EQ(Writer().DateAttribute, qel::TDateAttribute::daMaxFileDate);
    EXPECT_EQ(Writer().CompressMethod(), qel::TCompressMethod::cmBz2);
    EXPECT_EQ(Writer().EncryptionMethod, qel::TEncryptionMethod::emZip_V2);
    EXPECT_EQ(Writer().Password(), "pw");
    EXPECT_FALSE(Writer().Attributes.Has(qel::TqelFileAttribute::fsHidden));
    EXPECT_EQ(Folder(), scratch_.Folder() / "files");
    Writer().SetPassword({});
  }
}

TEST_F(AddDialogTest, NothingChangesWithoutASelectionACancelOrACancelledPassword) {
  Open("x.zip");
  Writer().FileSpec = {"kept"};
  Choose("cbEncryption", "AES - 256 bit");
  {
    // Nothing selected: the dialog ends as cancelled, without asking for a password.
    TBoxAnswers answers({"pw", "pw"});
    Find<QPushButton>("bbOK")->click();
    EXPECT_FALSE(dialog_->isVisible());
    EXPECT_EQ(answers.PasswordBoxes, 0);
  }
  Open("x.zip");
  Choose("cbEncryption", "AES - 256 bit");
  Choose("cbAction", "Move");
  Select({"a.txt"});
  {
    TBoxAnswers answers;  // the password box is cancelled
    Find<QPushButton>("bbOK")->click();
    EXPECT_TRUE(dialog_->isVisible());
    EXPECT_EQ(answers.PasswordBoxes, 1);
  }
  Find<QPushButton>("bbCancel")->click();
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(Writer().FileSpec, Strings({"kept"}));
  EXPECT_EQ(Writer().Switch, qel::TSwitch::swAdd);
}

TEST_F(AddDialogTest, TypesThatCannotBeWrittenYetAreRefused) {
  const struct {
    const char* name;
    const char* format;
  } cases[] = {{"x.yz1", "YZ1"}, {"x.7z", "7-Zip"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    components_.CurrentWrapper = nullptr;
    Open(c.name);
    Select({"a.txt"});
    TBoxAnswers answers;
    Find<QPushButton>("bbOK")->click();
    EXPECT_TRUE(dialog_->isVisible());
    EXPECT_EQ(answers.Messages, QStringList({app::FormatMessage(app::Message(215), {c.format})}));
  }
}

TEST_F(AddDialogTest, TheBrowserSortsFoldersFirstAndHidesDotNames) {
  std::filesystem::create_directories(scratch_.Folder() / "files/Dir1");
  qel::test::WriteFileText(scratch_.Folder() / "files/m.txt", std::string(10, 'm'));
  qel::test::WriteFileText(scratch_.Folder() / "files/.hidden", "");
  Open("x.zip", 5);
  TAddFileBrowser* browser = Browser();
  const QStringList byName = {"Dir1", "sub", "a.txt", "b.txt", "m.txt"};
  EXPECT_EQ(Names(), byName);
  browser->SortByColumn(0);  // the first click sorts ascending
  EXPECT_EQ(Names(), byName);
  browser->SortByColumn(1);  // the next one descending: the exact reverse, files first
  EXPECT_EQ(Names(), QStringList({"a.txt", "m.txt", "b.txt", "sub", "Dir1"}));
  browser->SortByColumn(1);
  EXPECT_EQ(Names(), QStringList({"Dir1", "sub", "b.txt", "m.txt", "a.txt"}));

  browser->SetShowHidden(true);
  EXPECT_TRUE(QTest::qWaitFor([&] { return Names().contains(".hidden"); }));
  QTest::keyClick(Find<QTreeView>("ShellList"), Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(Names(), QStringList({"Dir1*", "sub*", ".hidden*", "b.txt*", "m.txt*", "a.txt*"}));
  // The selection belongs to the list, whichever view shows it.
  Find<QToolButton>("sbList")->click();
  EXPECT_FALSE(browser->ReportView());
  EXPECT_TRUE(browser->Items().front().Selected);

  Find<QToolButton>("sbUpLevel")->click();
  EXPECT_EQ(Folder(), scratch_.Folder().Path());
  // Enter in the folder box goes to the folder typed; it does not end the dialog.
  auto* folderBox = Find("ShellCombo");
  folderBox->setEditText(Path("files/sub"));
  QTest::keyClick(folderBox->lineEdit(), Qt::Key_Return);
  EXPECT_EQ(Folder(), scratch_.Folder() / "files/sub");
  EXPECT_TRUE(dialog_->isVisible());
  EXPECT_TRUE(QTest::qWaitFor([&] { return Names() == QStringList({"c.txt"}); }));
}

TEST_F(AddDialogTest, StartFolderCheckBoxesAndColumnsAreKept) {
  scratch_.Settings().LastAddFolder = Path("files/sub");
  const struct {
    int addType;
    QString folder;
  } cases[] = {{0, Path("files")}, {1, Path("files/sub")}, {2, QDir::homePath()}};
  for (const auto& c : cases) {
    scratch_.Settings().AddType = c.addType;
    dialog_ = std::make_unique<TfrmAdd>(components_, qel::atNA, "x.zip");
    EXPECT_EQ(Folder(), c.folder.toStdString()) << c.addType;
  }
  EXPECT_TRUE(Find<QCheckBox>("chbArchive")->isChecked());
  EXPECT_FALSE(Find<QCheckBox>("chbIncSubFolders")->isChecked());
  Find<QCheckBox>("chbArchive")->setChecked(false);
  Find<QCheckBox>("chbIncSubFolders")->setChecked(true);
  Find<QTreeView>("ShellList")->header()->resizeSection(1, 77);
  dialog_.reset();
  const app::TIniFile ini = scratch_.Settings().ReadFile();
  EXPECT_EQ(ini.ReadInteger("frmAdd", "Column_2", 0), 77);
  EXPECT_TRUE(ini.ReadInteger("frmAdd", "Width", 0) >= 529);
  dialog_ = std::make_unique<TfrmAdd>(components_, qel::atNA, "x.zip");
  EXPECT_FALSE(Find<QCheckBox>("chbArchive")->isChecked());
  EXPECT_TRUE(Find<QCheckBox>("chbIncSubFolders")->isChecked());
  EXPECT_EQ(Browser()->ColumnWidths()[1], 77);
}

TEST_F(AddDialogTest, AnAcceptedDialogWritesAnEncryptedZip) {
  VK_REQUIRE_TOOL("7z");
  Open("x.zip");
  Select({"a.txt"});
  Choose("cbEncryption", "AES - 256 bit");
  {
    // The password button asks for it; OK then has nothing more to ask.
    TBoxAnswers answers({"secret", "secret"});
    Find<QPushButton>("bnPassword")->click();
    Find<QPushButton>("bbOK")->click();
    EXPECT_EQ(answers.PasswordBoxes, 2);
  }
  ASSERT_EQ(dialog_->result(), QDialog::Accepted);
  const std::string archive = scratch_.Folder() / "out.zip";
  Writer().SetArchiveFile(archive);
  EXPECT_EQ(Writer().Compress(), 1);
  const qel::test::ToolRun list = qel::test::RunTool({"7z", "l", "-slt", "-psecret", archive});
  EXPECT_NE(list.out.find("Method = AES-256 Deflate"), std::string::npos) << list.out;
  qel::test::RunToolOk({"7z", "t", "-psecret", archive});
}

}  // namespace
}  // namespace vk::gui
