// The Extract dialog, offscreen: the destination it proposes, the locked choice without a
// selection, its check boxes kept in Settings.ini, and its choices driving a real extraction.
#include "app/gui/ExtractDialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <filesystem>
#include <memory>

#include "app/core/AppSettings.h"
#include "app/core/DialogSettings.h"
#include "formats/zip/UnZip.h"
#include "tests/support/PeerTools.h"

namespace vk::gui {
namespace {

namespace fs = std::filesystem;
using qel::test::TestFolder;

class ExtractDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings_ = std::make_unique<app::TAppSettings>(Path("Settings.ini"));
    app::UseAppSettings(settings_.get());
  }
  void TearDown() override { app::UseAppSettings(nullptr); }
  QString Path(const std::string& name) const { return QString::fromStdString(folder_ / name); }
  app::TAppSettings& Settings() { return *settings_; }

  TestFolder folder_;

 private:
  std::unique_ptr<app::TAppSettings> settings_;
};

TEST_F(ExtractDialogTest, ProposesTheDestinationOfTheExtractType) {
  Settings().LastExtractFolder = "/last";
  Settings().AppExtractFolder = "/fixed";
  const struct {
    int extractType;
    bool several;
    const char* folder;
  } cases[] = {{0, false, "/in/"},  {1, false, "/in/set"}, {1, true, "/in/"},
               {2, false, "/last"}, {3, true, "/fixed"},   {7, false, "/in/"}};
  for (const auto& c : cases) {
    Settings().ExtractType = c.extractType;
    TfrmExtract dialog("/in/set.tar.bz2", c.several, true);
    EXPECT_EQ(dialog.Choices().Folder, c.folder) << c.extractType << c.several;
  }
}

TEST_F(ExtractDialogTest, WithoutSelectedRowsAllFilesIsChosenAndLocked) {
  for (bool rows : {false, true}) {
    TfrmExtract dialog("/in/a.zip", false, rows);
    EXPECT_EQ(dialog.Choices().AllFiles, !rows);
    EXPECT_EQ(dialog.findChild<QGroupBox*>("rgExtract")->isEnabled(), rows);
  }
}

TEST_F(ExtractDialogTest, CheckBoxesComeFromAndGoBackToSettingsAtOnce) {
  const char* names[] = {"chbConfFileOverrites", "chbRestOrgnFolders", "chbOpenFolder",
                         "chbRestoreFileAttribs", "chbCloseAfterExtract"};
  Settings().UpdateFile([](app::TIniFile& ini) {
    ini.WriteBool("frmExtract", "chbRestOrgnFolders", true);
    ini.WriteBool("frmExtract", "chbCloseAfterExtract", true);
  });
  {
    TfrmExtract dialog("/in/a.zip", false, true);
    const app::TExtractChoices c = dialog.Choices();
    EXPECT_FALSE(c.ConfirmOverwrites);
    EXPECT_TRUE(c.RestoreFolders);
    EXPECT_FALSE(c.OpenFolder);
    EXPECT_FALSE(c.RestoreAttributes);
    EXPECT_TRUE(c.CloseAfterExtract);
    for (const char* name : names) {
      auto* box = dialog.findChild<QCheckBox*>(name);
      box->setChecked(!box->isChecked());
    }
  }
  // Written when the dialog went, without waiting for the settings to be saved.
  app::TExtractDialogSettings stored;
  stored.Read(Settings().ReadFile());
  EXPECT_TRUE(stored.chbConfFileOverrites);
  EXPECT_FALSE(stored.chbRestOrgnFolders);
  EXPECT_TRUE(stored.chbOpenFolder);
  EXPECT_TRUE(stored.chbRestoreFileAttribs);
  EXPECT_FALSE(stored.chbCloseAfterExtract);
}

TEST_F(ExtractDialogTest, TheChoicesExtractIntoTheFolderWithOrWithoutStoredFolders) {
  VK_REQUIRE_TOOL("zip");
  fs::create_directories(folder_ / "src/docs");
  fs::create_directories(folder_ / "tmp");
  qel::test::WriteFileText(folder_ / "src/a.txt", "top");
  qel::test::WriteFileText(folder_ / "src/docs/b.txt", "inside");
  ASSERT_TRUE(
      qel::test::RunToolOk({"zip", "-q", "-r", "../a.zip", "a.txt", "docs"}, folder_ / "src"));
  Settings().ExtractType = 1;
  for (bool folders : {true, false}) {
    SCOPED_TRACE(folders);
    fs::remove_all(folder_ / "a");
    TfrmExtract dialog(Path("a.zip"), false, false);
    dialog.findChild<QCheckBox*>("chbRestOrgnFolders")->setChecked(folders);
    const app::TExtractChoices choices = dialog.Choices();
    ASSERT_EQ(choices.Folder, Path("a"));
    qel::TUnZip reader;
    reader.SetArchiveFile(folder_ / "a.zip");
    app::ApplyExtractChoices(choices, reader, Path("tmp"));
    reader.FileSpec = {"*"};
    reader.Extract();
    EXPECT_TRUE(fs::is_regular_file(folder_ / "a/a.txt"));
    EXPECT_EQ(fs::is_regular_file(folder_ / "a/docs/b.txt"), folders);
    EXPECT_EQ(fs::is_regular_file(folder_ / "a/b.txt"), !folders);
  }
}

}  // namespace
}  // namespace vk::gui
