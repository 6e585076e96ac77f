// The main window's Options menu and toolbar: switches written at once, toolbar buttons by
// section Buttons, and the look the Configuration dialog reads and sets.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <memory>

#include "app/core/AppSettings.h"
#include "app/core/IniFile.h"
#include "app/gui/ExplorerPanel.h"
#include "app/gui/MainForm.h"
#include "app/gui/VrListView.h"
#include "tests/app/support/ScratchSettings.h"
#include "tests/support/PeerTools.h"

namespace vk::gui {
namespace {

class MainFormOptionsTest : public ::testing::Test {
 protected:
  void SetUp() override { form_ = std::make_unique<TMainForm>(app::TStartCommand{}, false); }
  void TearDown() override { form_.reset(); }
  QString Path(const QString& name) const { return scratch_.Path(name.toStdString()); }
  QToolButton* Button(const char* key) const {
    return form_->findChild<QToolButton*>(QStringLiteral("tb") + key);
  }

  test::TScratchSettings scratch_;
  app::TAppSettings* const settings_ = &scratch_.Settings();
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

TEST_F(MainFormOptionsTest, TheFirstStartShowsItsBarsCheckedAndEveryColumn) {
  form_->show();
  QApplication::processEvents();
  EXPECT_TRUE(form_->findChild<QToolBar*>("ToolBar")->isVisible());
  EXPECT_TRUE(form_->statusBar()->isVisible());
  EXPECT_TRUE(form_->Action("acViewToolbar")->isChecked());
  EXPECT_TRUE(form_->Action("acViewStatusBar")->isChecked());
  // As wide as the classic list's columns, unless the screen is narrower.
  form_->SetExplorerStyle(false);
  QApplication::processEvents();
  const int screen = form_->screen()->geometry().width();
  const TVrListView* list = form_->ActiveList();
  EXPECT_GE(list->ActiveView()->viewport()->width(),
            std::min(list->Header()->length(), screen - 40));
}

TEST_F(MainFormOptionsTest, ToolbarButtonsFollowSectionButtons) {
  form_->show();
  // First run: New, Open, Add, Extract, Test and Exit.
  for (size_t i = 0; i < app::kToolbarButtonCount; ++i)
    EXPECT_EQ(Button(app::kToolbarButtonKeys[i])->isVisible(), app::kDefaultToolbarButtons[i])
        << app::kToolbarButtonKeys[i];
  settings_->Buttons.fill(false);
  settings_->Buttons[1] = true;  // Open alone
  settings_->ShowToolbarCaptions = true;
  form_->ApplyButtons();
  EXPECT_EQ(Button("Open")->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
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

TEST_F(MainFormOptionsTest, ConfigurationKeepsEachListsOwnColumnsAndTheFolderTree) {
  form_->show();
  auto* explorer = form_->findChild<TExplorerPanel*>();
  QHeaderView* classic = form_->findChild<TVrListView*>("FileList")->Header();
  QHeaderView* tree = form_->findChild<TVrListView*>("ExplorerList")->Header();
  // What the user did since the start: the explorer list's Ratio (4) wider and its Folder
  // (8) moved first, Attributes (7) wider in the classic list and hidden in the other one,
  // the folder tree dragged wider.
  tree->resizeSection(4, 150);
  tree->moveSection(tree->visualIndex(8), 0);
  tree->setSectionHidden(7, true);
  classic->resizeSection(7, 200);
  explorer->SetTreeWidth(300);
  QApplication::processEvents();
  ASSERT_EQ(explorer->TreeWidth(), 300);

  settings_->Columns.Order = "0,1,2,3,4,5,6,7,8";  // as an earlier OK stored it
  TOptionsView view = form_->CurrentView();
  EXPECT_EQ(view.Columns.Attributes, 200);
  view.Columns.CRC = 0;  // the dialog hides CRC
  view.ToolbarVisible = false;
  view.GridLines = true;
  form_->SetView(view);
  QApplication::processEvents();

  EXPECT_FALSE(form_->findChild<QToolBar*>("ToolBar")->isVisible());
  EXPECT_TRUE(settings_->ShowGridLines);
  EXPECT_TRUE(classic->isSectionHidden(6));
  EXPECT_TRUE(tree->isSectionHidden(6));
  EXPECT_EQ(classic->sectionSize(7), 200);
  EXPECT_EQ(tree->sectionSize(7), 70) << "shown again at its first-run width";
  EXPECT_EQ(tree->sectionSize(4), 150);
  EXPECT_EQ(tree->visualIndex(8), 0);
  EXPECT_EQ(explorer->TreeWidth(), 300);
  EXPECT_EQ(form_->CurrentView().Columns.CRC, 0);
}

TEST_F(MainFormOptionsTest, ImportedSettingsTakeEffectOnTheShownWindow) {
  QImage strip(16 * app::kToolbarButtonCount, 16, QImage::Format_RGB32);
  strip.fill(Qt::red);
  ASSERT_TRUE(strip.save(Path("skin.png")));
  app::TIniFile exported;
  exported.WriteBool("Main", "AlwaysOnTop", true);
  exported.WriteString("Main", "Skin", Path("skin.png"));
  ASSERT_TRUE(exported.Save(Path("VorelSettings.cfg")));
  form_->show();
  ASSERT_TRUE(settings_->Import(Path("VorelSettings.cfg")));
  form_->ApplySettings();
  // Staying on top changes the window's flags, which takes a window off the screen.
  EXPECT_TRUE(form_->isVisible());
  EXPECT_TRUE(form_->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(form_->Action("acAlwaysOnTop")->isChecked());
  EXPECT_EQ(form_->Action("acNew")->icon().pixmap(16).toImage().pixelColor(8, 8), QColor(Qt::red));
  form_->Action("acAlwaysOnTop")->trigger();
  EXPECT_TRUE(form_->isVisible());
  EXPECT_FALSE(form_->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
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
