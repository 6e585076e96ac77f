// The compact Add dialog, offscreen: what it shows for the settings, how the archive's name
// follows the type, and what "&Add" leaves in the writer, down to the archive it writes.
#include "app/gui/AddFileNameDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <memory>
#include <optional>
#include <vector>

#include "app/core/AppSettings.h"
#include "app/core/Translation.h"
#include "engine/compress/CompBase.h"
#include "tests/app/support/ModalSteps.h"
#include "tests/app/support/ScratchSettings.h"
#include "tests/support/PeerTools.h"

namespace vk::gui {
namespace {

using app::TComponentKind;
using qel::test::TestFolder;
using test::TBoxAnswers;

class AddFileNameDialogTest : public ::testing::Test {
 protected:
  QString Path(const std::string& name) const { return scratch_.Path(name); }
  app::TAppSettings& Settings() { return scratch_.Settings(); }

  test::TScratchSettings scratch_;
  app::TArchiveComponents components_;

 private:
};

// The dialog's controls, and the user's way of choosing in its lists.
struct TControls {
  explicit TControls(TfrmAddFileName& d)
      : name(d.findChild<QLineEdit*>("edArcName")),
        type(d.findChild<QComboBox*>("cbArcType")),
        method(d.findChild<QComboBox*>("cbMethod")),
        compression(d.findChild<QComboBox*>("cbCompression")),
        action(d.findChild<QComboBox*>("cbAction")),
        encryption(d.findChild<QComboBox*>("cbEncryption")),
        password(d.findChild<QPushButton*>("bnPassword")),
        solid(d.findChild<QCheckBox*>("chSolid")) {}
  static void Choose(QComboBox* combo, int index) {
    combo->setCurrentIndex(index);
    emit combo->activated(index);
  }
  QLineEdit* name;
  QComboBox *type, *method, *compression, *action, *encryption;
  QPushButton* password;
  QCheckBox* solid;
};

TEST_F(AddFileNameDialogTest, OpensWithTheTypeMethodAndCompressionOfTheSettings) {
  const struct {
    int defArcType, defMethod;  // the method key of that type
    const char* method;
    TComponentKind kind;
    bool compression, solid;
    const char* extension;  // given to the file report.txt
  } cases[] = {
      {6, 0, "Store", TComponentKind::Zip, false, false, ".zip"},
      {6, 2, "Bzip2", TComponentKind::Zip, true, false, ".zip"},
      {0, 1, "LZMA2", TComponentKind::SevenZip, false, true, ".7z"},
      {2, 1, "GZA", TComponentKind::Bga, true, false, ".gza"},
      {1, 1, "Fuse", TComponentKind::BlakHole, false, false, ".bh"},
      {3, 2, "Lzx", TComponentKind::MakeCab, false, false, ".cab"},
      {42, 1, "Deflate", TComponentKind::Zip, true, false, ".zip"},
  };
  qel::test::WriteFileText(scratch_.Folder() / "report.txt", "r");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.defArcType);
    app::TAppSettings& s = Settings();
    s.DefArcType = c.defArcType;
    s.DefZipMethod = s.Def7ZipMethod = s.DefBgaMethod = s.DefBhMethod = s.DefCabMethod =
        s.DefLhaMethod = c.defMethod;
    s.DefType = 1;
    s.SolidArchive = true;
    components_.Wrapper(TComponentKind::Bga).CompressionMethod = 0;
    TfrmAddFileName dialog(components_);
    TControls ui(dialog);
    EXPECT_EQ(app::CompactTypes()[size_t(ui.type->currentIndex())].Kind, c.kind);
    EXPECT_EQ(ui.method->currentText(), c.method);
    EXPECT_EQ(components_.CurrentKind(), c.kind);
    EXPECT_EQ(ui.compression->isEnabled(), c.compression);
    EXPECT_EQ(ui.compression->currentIndex(), 1);
    EXPECT_EQ(ui.action->currentIndex(), 0);
    EXPECT_EQ(ui.encryption->currentIndex(), c.kind == TComponentKind::SevenZip ? 3 : 0);
    EXPECT_EQ(!ui.solid->isHidden(), c.solid);
    EXPECT_TRUE(ui.solid->isChecked());
    // The ZIP writer stays current behind a wrapper, with the ZIP method of the settings.
    EXPECT_EQ(components_.CurrentWriter->CompressMethod(),
              c.kind == TComponentKind::Zip || app::IsWrapperKind(c.kind)
                  ? app::WriterMethods(TComponentKind::Zip)[size_t(c.defMethod)]
                  : app::MethodOfName(c.method));
    dialog.SetArchiveName(Path("report.txt"), false);
    EXPECT_EQ(dialog.ArchiveName(), Path("report") + c.extension);
  }
  // Several items: the folder's own name inside it.
  TfrmAddFileName dialog(components_);
  dialog.SetArchiveName("/d/photos", true);
  EXPECT_EQ(dialog.ArchiveName(), "/d/photos/photos.zip");
  // One item is named in the information line.
  dialog.SetArchiveName("/d/photos/*", false);
  EXPECT_EQ(dialog.ArchiveName(), "/d/photos.zip");
  EXPECT_EQ(dialog.findChild<QLabel*>("lbInfo")->text(),
            app::FormatMessage(app::Message(290), {"/d/photos/*"}));
}

TEST_F(AddFileNameDialogTest, TheNameFollowsTheTypeAndBgaMethod) {
  TfrmAddFileName dialog(components_);
  TControls ui(dialog);
  const struct {
    const char* before;
    int entry;
    const char* after;
  } cases[] = {{"report", 0, "report"},
               {"/d/report.zip", 0, "/d/report.7z"},
               {"/d/a.tar.gz", 9, "/d/a.zip"},
               {"/d/x.zip", 3, "/d/x.tar.bz2"},
               {"/d/x.tar.bz2", 8, "/d/x.tar.gz"},
               {"/d.v1/x.TAR", 2, "/d.v1/x.bza"}};
  for (const auto& c : cases) {
    ui.name->setText(c.before);
    TControls::Choose(ui.type, c.entry);
    EXPECT_EQ(dialog.ArchiveName(), c.after) << c.before;
  }
  TControls::Choose(ui.method, 1);  // GZA
  EXPECT_EQ(dialog.ArchiveName(), "/d.v1/x.gza");
  EXPECT_EQ(components_.CurrentWrapper->CompressionMethod, 1);
  // A writer again: the wrapper choice goes, and 7-ZIP's own AES does not become the
  // user's encryption for ZIP.
  TControls::Choose(ui.type, 0);
  EXPECT_EQ(ui.encryption->currentIndex(), 3);
  TControls::Choose(ui.type, 9);
  EXPECT_EQ(components_.CurrentWrapper, nullptr);
  EXPECT_EQ(ui.encryption->currentIndex(), 0);
  EXPECT_FALSE(ui.password->isEnabled());
  TControls::Choose(ui.encryption, 4);
  EXPECT_TRUE(ui.password->isEnabled());
}

TEST_F(AddFileNameDialogTest, AChosenFileSelectsTheTypeItsSuffixNames) {
  TfrmAddFileName dialog(components_);
  TControls ui(dialog);
  // The chosen archive keeps its name: it is the one to add to.
  const struct {
    const char* file;
    TComponentKind kind;
    const char* type;
    const char* method;
    const char* name;
  } cases[] = {
      {"/d/data.tar.gz", TComponentKind::TarGZ, "TAR-GZIP (.tar.gz)", "TarGz", "/d/data.tar.gz"},
      {"/d/old.LZH", TComponentKind::Lha, "LZH (.lha)", "Frozen6", "/d/old.LZH"},
      // No type named: the current type's extension is given.
      {"/d/notes.txt", TComponentKind::Lha, "LZH (.lha)", "Frozen6", "/d/notes.lha"},
      {"/d/pics.gza", TComponentKind::Bga, "BGA (.bza)", "GZA", "/d/pics.gza"},
      {"/d/pack.7z", TComponentKind::SevenZip, "7-ZIP (.7z)", "LZMA", "/d/pack.7z"},
  };
  for (const auto& c : cases) {
    dialog.TakeChosenFile(c.file);
    EXPECT_EQ(components_.CurrentKind(), c.kind) << c.file;
    EXPECT_EQ(ui.type->currentText(), c.type) << c.file;
    EXPECT_EQ(ui.method->currentText(), c.method) << c.file;
    EXPECT_EQ(dialog.ArchiveName(), c.name) << c.file;
  }
  EXPECT_FALSE(ui.solid->isHidden());
}

TEST_F(AddFileNameDialogTest, AddRefusesAMissingNameAndUnwritableTypesAndStaysOpen) {
  TfrmAddFileName dialog(components_);
  TControls ui(dialog);
  dialog.show();
  const struct {
    const char* name;
    int entry;
    QString message;
  } cases[] = {{"", 9, app::Message(440)},
               {"/d/folder/", 9, app::Message(440)},
               {"/d/x.zip", 2, app::FormatMessage(app::Message(215), {"BGA"})},
               {"/d/x.zip", 0, app::FormatMessage(app::Message(215), {"7-Zip"})}};
  for (const auto& c : cases) {
    TControls::Choose(ui.type, c.entry);
    ui.name->setText(c.name);
    TBoxAnswers boxes;
    dialog.accept();
    EXPECT_EQ(boxes.Messages, QStringList{c.message}) << c.name;
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
  }
}

TEST_F(AddFileNameDialogTest, AddLeavesTheChoicesInTheWriterAndCancelNothing) {
  qel::TCompBase& zip = components_.Writer(TComponentKind::Zip);
  {
    TfrmAddFileName dialog(components_);
    TControls ui(dialog);
    ui.action->setCurrentIndex(1);
    ui.compression->setCurrentIndex(0);
    TControls::Choose(ui.encryption, 4);
    dialog.findChild<QPushButton*>("bbCancel")->click();
  }
  EXPECT_EQ(zip.Switch, qel::TSwitch::swAdd);
  EXPECT_EQ(zip.DeflateType, qel::TDeflateType::dtDeflateN);
  EXPECT_TRUE(zip.Password().empty());
  EXPECT_EQ(zip.EncryptionMethod, qel::TEncryptionMethod::emNone);

  TfrmAddFileName dialog(components_);
  TControls ui(dialog);
  ui.name->setText(Path("report.old"));
  ui.action->setCurrentIndex(1);
  ui.compression->setCurrentIndex(0);
  TControls::Choose(ui.encryption, 3);
  {
    // The password is asked for; cancelling it adds nothing.
    TBoxAnswers boxes({std::nullopt});
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
  }
  {
    // Two different entries are told apart and asked again.
    TBoxAnswers boxes({"pw", "other", "pw", "pw"});
    dialog.accept();
    EXPECT_EQ(boxes.Messages.size(), 1);
  }
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.ArchiveName(), Path("report.zip"));
  EXPECT_EQ(components_.CurrentWriter, &zip);
  EXPECT_EQ(zip.Switch, qel::TSwitch::swRefresh);
  EXPECT_EQ(zip.DeflateType, qel::TDeflateType::dtDeflateS);
  EXPECT_EQ(QString::fromStdString(zip.TempDir()), Settings().AppTempFolder);
  EXPECT_EQ(zip.EncryptionMethod, qel::TEncryptionMethod::emAes2_256);
  EXPECT_EQ(zip.Password(), "pw");
}

TEST_F(AddFileNameDialogTest, AnAcceptedZipAddWritesAnArchiveTheZipToolOpens) {
  VK_REQUIRE_TOOL("unzip");
  qel::test::WriteFileText(scratch_.Folder() / "notes.txt", std::string(5000, 'n'));
  TfrmAddFileName dialog(components_);
  TControls ui(dialog);
  dialog.SetArchiveName(Path("notes.txt"), false);
  TControls::Choose(ui.encryption, 4);  // PK ZIP v2.0
  {
    TBoxAnswers boxes({"pw", "pw"});
    dialog.accept();
  }
  ASSERT_EQ(dialog.result(), QDialog::Accepted);
  ASSERT_EQ(dialog.ArchiveName(), Path("notes.zip"));
  qel::TCompBase& writer = *components_.CurrentWriter;
  writer.FileSpec = {scratch_.Folder() / "notes.txt"};
  writer.SetArchiveFile(dialog.ArchiveName().toStdString());
  EXPECT_EQ(writer.Compress(), 1);
  qel::test::RunToolOk({"unzip", "-P", "pw", "-t", scratch_.Folder() / "notes.zip"});
  EXPECT_FALSE(
      qel::test::RunTool({"unzip", "-P", "wrong", "-t", scratch_.Folder() / "notes.zip"}).Ok());
}

}  // namespace
}  // namespace vk::gui
