// The main window's Options menu and toolbar: switches written at once, toolbar buttons by
// section Buttons, and the look the Configuration dialog reads and sets.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QToolBar>
#include <QToolButton>
#include <memory>

#include "app/core/AppSettings.h"
#include "app/core/IniFile.h"
#include "app/gui/MainForm.h"
#include "app/gui/VrListView.h"
#include "tests/support/PeerTools.h"

namespace vk::gui {
namespace {

using qel::test::TestFolder;

class MainFormOptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings_ = std::make_unique<app::TAppSettings>(Path("Settings.ini"));
    app::UseAppSettings(settings_.get());
    form_ = std::make_unique<TMainForm>(app::TStartCommand{}, false);
  }
  void TearDown() override {
    form_.reset();
    app::UseAppSettings(nullptr);
  }
  QString Path(const QString& name) const {
    return QString::fromStdString(folder_.Path()) + '/' + name;
  }
  QToolButton* Button(const char* key) const {
    return form_->findChild<QToolButton*>(QStringLiteral("tb") + key);
  }

  TestFolder folder_;
  std::unique_ptr<app::TAppSettings> settings_;
  std::unique_ptr<TMainForm> form_;
};

TEST_F(MainFormOptionsTest, ReuseIsWrittenAtOnceAndTheOtherSwitchesAreNot) {
  form_->Action("acReuse")->trigger();
  form_->Action("acMinToTray")->trigger();
  EXPECT_TRUE(settings_->Reuse);
  EXPECT_TRUE(settings_->MinToTray);
  app::TIniFile onDisk;
  ASSERT_TRUE(onDisk.Load(Path("Settings.ini")));
  EXPECT_TRUE(onDisk.ReadBool("Main", "Reuse", false));
  EXPECT_FALSE(onDisk.ReadBool("Main", "MinToTray", false));
  form_->Action("acReuse")->trigger();
  ASSERT_TRUE(onDisk.Load(Path("Settings.ini")));
  EXPECT_FALSE(onDisk.ReadBool("Main", "Reuse", true));
}

TEST_F(MainFormOptionsTest, ToolbarButtonsFollowSectionButtons) {
  form_->show();
  // First run: New, Open, Add, Extract, Test and Exit.
  for (size_t i = 0; i < app::kToolbarButtonCount; ++i)
    EXPECT_EQ(Button(app::kToolbarButtonKeys[i])->isVisible(), app::kDefaultToolbarButtons[i])
        << app::kToolbarButtonKeys[i];
  settings_->Buttons.fill(false);
  settings_->Buttons[1] = true;  // Open alone
  form_->ApplyButtons();
  QApplication::processEvents();  // the toolbar lays its buttons out afterwards
  EXPECT_TRUE(Button("Open")->isVisible());
  EXPECT_FALSE(Button("New")->isVisible());
  // The command itself stays in its menu.
  EXPECT_TRUE(form_->Action("acNew")->isVisible());
  const auto rows = form_->ToolbarButtons();
  ASSERT_EQ(rows.size(), size_t(app::kToolbarButtonCount));
  EXPECT_EQ(rows[1].Caption, "Open Archive");
  EXPECT_TRUE(rows[1].Visible);
  EXPECT_FALSE(rows[0].Visible);
}

TEST_F(MainFormOptionsTest, ViewRoundTripHidesColumnsOnBothLists) {
  form_->show();
  TOptionsView view = form_->CurrentView();
  EXPECT_EQ(view.Columns.FileName, 120);
  view.Columns.CRC = 0;
  view.Columns.Ratio = 77;
  view.ToolbarVisible = false;
  view.GridLines = true;
  form_->SetView(view);
  EXPECT_FALSE(form_->findChild<QToolBar*>("ToolBar")->isVisible());
  EXPECT_TRUE(settings_->ShowGridLines);
  for (const char* name : {"FileList", "ExplorerList"}) {
    const QHeaderView* header = form_->findChild<TVrListView*>(name)->Header();
    EXPECT_TRUE(header->isSectionHidden(6)) << name;  // CRC
    EXPECT_EQ(header->sectionSize(4), 77) << name;    // Ratio
  }
  const TOptionsView again = form_->CurrentView();
  EXPECT_EQ(again.Columns.CRC, 0);
  EXPECT_EQ(again.Columns.Ratio, 77);
  EXPECT_FALSE(again.ToolbarVisible);
}

TEST_F(MainFormOptionsTest, SkinStripReplacesButtonImagesUntilCleared) {
  const QIcon builtIn = form_->Action("acNew")->icon();
  QImage strip(16 * app::kToolbarButtonCount, 16, QImage::Format_RGB32);
  strip.fill(Qt::red);
  ASSERT_TRUE(strip.save(Path("skin.png")));
  QImage narrow(32, 16, QImage::Format_RGB32);
  narrow.fill(Qt::blue);
  ASSERT_TRUE(narrow.save(Path("narrow.png")));

  EXPECT_FALSE(form_->LoadSkin(Path("narrow.png")));  // not one image per button
  EXPECT_FALSE(form_->LoadSkin(Path("missing.png")));
  EXPECT_EQ(form_->Action("acNew")->icon().cacheKey(), builtIn.cacheKey());
  ASSERT_TRUE(form_->LoadSkin(Path("skin.png")));
  EXPECT_EQ(form_->Action("acExit")->icon().pixmap(16).toImage().pixelColor(8, 8), QColor(Qt::red));
  ASSERT_TRUE(form_->LoadSkin(""));
  EXPECT_EQ(form_->Action("acNew")->icon().cacheKey(), builtIn.cacheKey());
}

}  // namespace
}  // namespace vk::gui
