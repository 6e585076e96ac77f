// The Configuration dialog and its two sub-dialogs, offscreen, over a scratch settings object
// and a window stand-in that records what the dialog asks of it.
#include "app/gui/OptionsDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/core/AppSettings.h"
#include "app/core/Translation.h"
#include "app/gui/ExtractOptionsDialog.h"
#include "app/gui/ToolbarButtonsDialog.h"
#include "tests/support/PeerTools.h"

namespace vk::gui {
namespace {

struct FakeTarget : IOptionsTarget {
  TOptionsView view;
  std::vector<std::string> calls;
  bool skinLoads = true;
  bool failSetView = false;

  TOptionsView CurrentView() const override { return view; }
  void SetView(const TOptionsView& v) override {
    calls.push_back("SetView");
    if (failSetView) throw std::runtime_error("no view");
    view = v;
  }
  bool LoadSkin(const QString& file) override {
    calls.push_back("LoadSkin " + file.toStdString());
    return skinLoads;
  }
  std::vector<TToolbarButtonRow> ToolbarButtons() const override { return {}; }
  void ApplyButtons() override { calls.push_back("ApplyButtons"); }
  void StoreViewState() override { calls.push_back("StoreViewState"); }
};

class OptionsDialogTest : public ::testing::Test {
 protected:
  OptionsDialogTest() { app::UseAppSettings(&s); }
  ~OptionsDialogTest() override { app::UseAppSettings(nullptr); }

  template <typename T>
  static T* Find(QWidget& dialog, const char* name) {
    T* widget = dialog.findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  static bool Checked(QWidget& dialog, const char* name) {
    return Find<QAbstractButton>(dialog, name)->isChecked();
  }
  QString Path(const std::string& name) const { return QString::fromStdString(folder / name); }

  qel::test::TestFolder folder;
  app::TAppSettings s{Path("Settings.ini")};
  FakeTarget target;
};

TEST_F(OptionsDialogTest, LoadsTheSettingsAndTheWindowsLook) {
  s.ShowMessages = true;
  s.ShowToolbar = false;  // the window's own state wins
  s.VirusScanner = "clamscan";
  s.VSParams = "-r %f";
  s.DefViewer = "less";
  s.DCExtract = false;
  target.view.ToolbarVisible = true;
  target.view.Columns.DateTime = 1;  // 1 counts as hidden, 2 as shown
  target.view.Columns.CRC = 2;
  TfrmOptions dialog(&target);
  EXPECT_TRUE(Checked(dialog, "chbShowAcMsgs"));
  EXPECT_TRUE(Checked(dialog, "chbShowToolbar"));
  EXPECT_FALSE(Checked(dialog, "chbDateTime"));
  EXPECT_TRUE(Checked(dialog, "chbCrc"));
  EXPECT_EQ(Find<QLineEdit>(dialog, "edViewer")->text(), "less");
  EXPECT_FALSE(Find<QPushButton>(dialog, "bnMoreOptions")->isEnabled());
  Find<QCheckBox>(dialog, "chbDCExtract")->setChecked(true);
  EXPECT_TRUE(Find<QPushButton>(dialog, "bnMoreOptions")->isEnabled());

  // Loading the scanner keeps its parameters; choosing a preset brings the preset's.
  auto* scanner = Find<QComboBox>(dialog, "cbVirusScanner");
  auto* params = Find<QLineEdit>(dialog, "edParams");
  EXPECT_EQ(scanner->currentText(), "clamscan");
  EXPECT_EQ(params->text(), "-r %f");
  scanner->setCurrentIndex(4);
  emit scanner->activated(4);
  EXPECT_EQ(params->text(), "%f /noboot /nomem /list");
}

// Laid out by layouts: the Method box is a box's height, and the View page's room to spare
// goes below its groups, not between their rows.
TEST_F(OptionsDialogTest, TheViewPagesBoxesKeepTheirHeight) {
  TfrmOptions dialog(&target);
  dialog.resize(dialog.width(), dialog.height() + 200);
  dialog.show();
  QApplication::processEvents();
  const int box = Find<QComboBox>(dialog, "cbDefArcType")->height();
  EXPECT_EQ(Find<QWidget>(dialog, "nbMethods")->height(), box);
  const auto* first = Find<QCheckBox>(dialog, "chbFileName");
  const auto* second = Find<QCheckBox>(dialog, "chbDateTime");
  EXPECT_LT(std::abs(second->y() - first->y()), 2 * first->height());
}

TEST_F(OptionsDialogTest, RadioGroupsShowTheirUsualChoiceForUnknownValues) {
  const struct {
    int startUp, add, extract;
    const char *startUpButton, *addButton, *extractButton;
  } cases[] = {
      {0, 2, 3, "rbSFSystemDef", "rbAFFolder", "rbEFFolder"},
      {2, 0, 0, "rbSFFolder", "rbAFOpenArc", "rbEFOpenArc"},
      {7, -1, 9, "rbSFLastOpen", "rbAFLastAdd", "rbEFLastExtract"},
  };
  for (const auto& c : cases) {
    s.StartUpType = c.startUp;
    s.AddType = c.add;
    s.ExtractType = c.extract;
    TfrmOptions dialog(&target);
    for (const char* name : {c.startUpButton, c.addButton, c.extractButton})
      EXPECT_TRUE(Checked(dialog, name)) << name << " for " << c.startUp;
  }
}

TEST_F(OptionsDialogTest, ApplyStoresTheControlsAndSetsTheView) {
  s.DefViewer = "less";
  s.DefZipMethod = 9;  // shows no method and stays as it is
  s.ExtractType = 0;
  target.view.Columns.FileName = 0;  // the name column is never hidden
  target.view.Columns.DateTime = 0;
  target.view.Columns.Packed = 1;
  target.view.Columns.Ratio = 333;
  target.view.Columns.CRC = 44;
  target.view.Columns.Order = "8,7,6,5,4,3,2,1,0";
  TfrmOptions dialog(&target);
  for (const char* name : {"chbDateTime", "chbPacked", "chbRatio", "chbShowGridLines"})
    Find<QCheckBox>(dialog, name)->setChecked(true);
  Find<QCheckBox>(dialog, "chbCrc")->setChecked(false);
  Find<QCheckBox>(dialog, "chbTest")->setChecked(false);  // a key of a hidden page
  Find<QLineEdit>(dialog, "edViewer")->clear();
  const QString temp = Path("tmp/deeper");
  Find<QLineEdit>(dialog, "edTempFolder")->setText(temp);
  Find<QComboBox>(dialog, "cbDefArcType")->setCurrentIndex(0);
  Find<QComboBox>(dialog, "cb7ZipDefMethod")->setCurrentIndex(2);
  Find<QComboBox>(dialog, "cbVirusScanner")->setEditText("/opt/scan");
  // A group left without a choice keeps its key.
  auto* extractTo = Find<QRadioButton>(dialog, "rbEFOpenArc");
  extractTo->setAutoExclusive(false);
  extractTo->setChecked(false);
  Find<QRadioButton>(dialog, "rbSFFolder")->setChecked(true);
  dialog.Apply();

  EXPECT_EQ(target.calls, (std::vector<std::string>{"SetView", "StoreViewState"}));
  const app::TColumnWidths& w = target.view.Columns;
  EXPECT_EQ((std::vector<int>{w.FileName, w.DateTime, w.Packed, w.Ratio, w.CRC}),
            (std::vector<int>{120, 150, 90, 333, 0}));
  EXPECT_TRUE(target.view.GridLines);
  EXPECT_EQ(s.Columns.Ratio, 333);
  EXPECT_EQ(s.Columns.Order, "") << "the column order is the window's to store";
  EXPECT_TRUE(s.ShowGridLines);
  EXPECT_FALSE(s.ShellTest);
  EXPECT_EQ(s.DefViewer, "Notepad");
  EXPECT_EQ(s.VirusScanner, "/opt/scan");
  EXPECT_EQ(s.AppTempFolder, temp + "/");
  EXPECT_TRUE(QFileInfo(temp).isDir());
  EXPECT_EQ(s.DefArcType, 0);
  EXPECT_EQ(s.Def7ZipMethod, 2);
  EXPECT_EQ(s.DefZipMethod, 9);
  EXPECT_EQ(s.StartUpType, 2);
  EXPECT_EQ(s.ExtractType, 0);
}

TEST_F(OptionsDialogTest, SkinIsStoredOnlyWhenTheWindowTookIt) {
  const QString image = Path("skin.png");
  QImage(32, 16, QImage::Format_RGB32).save(image);
  const struct {
    QString stored, field;
    bool loads;
    QString result;
    std::vector<std::string> skinCalls;
  } cases[] = {
      {"", image, true, image, {"LoadSkin " + image.toStdString()}},
      {"old.bmp", image, false, "old.bmp", {"LoadSkin " + image.toStdString()}},
      {"old.bmp", Path("missing.png"), true, "old.bmp", {}},
      {"old.bmp", "", true, "", {"LoadSkin "}},  // back to the built-in images
      {"", "", true, "", {}},
  };
  for (const auto& c : cases) {
    s.Skin = c.stored;
    target.calls.clear();
    target.skinLoads = c.loads;
    TfrmOptions dialog(&target);
    Find<QLineEdit>(dialog, "edSkin")->setText(c.field);
    EXPECT_EQ(Find<QLabel>(dialog, "imgSkin")->pixmap().isNull(), c.field != image);
    dialog.Apply();
    std::vector<std::string> calls = {"SetView"};
    calls.insert(calls.end(), c.skinCalls.begin(), c.skinCalls.end());
    calls.push_back("StoreViewState");
    EXPECT_EQ(target.calls, calls) << c.field.toStdString();
    EXPECT_EQ(s.Skin, c.result) << c.field.toStdString();
  }
}

TEST_F(OptionsDialogTest, AFailingWindowStillGetsItsViewStateStoredAndTheCursorBack) {
  target.failSetView = true;
  TfrmOptions dialog(&target);
  Find<QCheckBox>(dialog, "chbShowAcMsgs")->setChecked(true);
  EXPECT_THROW(dialog.Apply(), std::runtime_error);
  EXPECT_EQ(target.calls, (std::vector<std::string>{"SetView", "StoreViewState"}));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(s.ShowMessages) << "the settings come before the window";
}

TEST_F(OptionsDialogTest, ArchiveTypeChoosesMethodsCompressionSolidAndTheCaption) {
  const struct {
    int type;
    const char* methods;
    bool compression, solid;
    const char* extension;
  } cases[] = {
      {0, "cb7ZipDefMethod", true, true, ".7z"},  {1, "cbBhDefMethod", true, false, ".bh"},
      {2, "cbBgaDefMethod", true, false, ".bga"}, {3, "cbCabDefMethod", false, false, ".cab"},
      {4, "cbJarDefMethod", true, false, ".jar"}, {5, "cbLhaDefMethod", false, false, ".lzh"},
      {6, "cbZipDefMethod", true, false, ".zip"}, {7, "cbYz1DefMethod", true, false, ".yz1"},
  };
  TfrmOptions dialog(&target);
  auto* type = Find<QComboBox>(dialog, "cbDefArcType");
  for (const auto& c : cases) {
    type->setCurrentIndex(c.type);
    EXPECT_EQ(Find<QStackedWidget>(dialog, "nbMethods")->currentWidget()->objectName(), c.methods);
    EXPECT_EQ(Find<QComboBox>(dialog, "cbDefCompression")->isEnabled(), c.compression);
    EXPECT_EQ(!Find<QCheckBox>(dialog, "chbSolid")->isHidden(), c.solid) << c.type;
    EXPECT_EQ(Find<QCheckBox>(dialog, "chbAddToFileName")->text(),
              QString("Add to <archive name>") + c.extension);
  }
}

TEST_F(OptionsDialogTest, TranslatedCaptionsKeepTheirPartsFromElsewhere) {
  // The solid caption is the Add dialog's; the archive name takes the type's extension.
  const QString language = app::ActiveLanguagePath();
  const QString file = Path("Test.lng");
  app::TIniFile texts;
  texts.WriteString("frmAdd", "frmAdd.chSolid.Caption", "Fest");
  texts.WriteString("frmOptions", "frmOptions.chbAddToFileName.Caption", "Nach Name.ZIP packen");
  ASSERT_TRUE(texts.Save(file));
  ASSERT_TRUE(app::LoadLanguage(file));
  s.DefArcType = 0;
  TfrmOptions dialog(&target);
  dialog.show();
  EXPECT_EQ(Find<QCheckBox>(dialog, "chbSolid")->text(), "Fest");
  EXPECT_EQ(Find<QCheckBox>(dialog, "chbAddToFileName")->text(), "Nach Name.7z packen");
  dialog.hide();
  app::LoadLanguage(language);
}

TEST_F(OptionsDialogTest, OpensOnAShownPage) {
  const int cases[][2] = {{0, 0}, {1, 1}, {2, 2}, {3, 0}, {4, 0}, {5, 5}, {-1, 0}, {6, 0}};
  for (const auto& c : cases) {
    TfrmOptions dialog(&target, c[0]);
    dialog.show();
    auto* pages = Find<QTabWidget>(dialog, "pcOptions");
    EXPECT_EQ(pages->currentIndex(), c[1]) << c[0];
    EXPECT_EQ(pages->count(), 6);
    EXPECT_FALSE(pages->isTabVisible(3));
    EXPECT_FALSE(pages->isTabVisible(4));
    dialog.hide();
  }
}

TEST_F(OptionsDialogTest, ToolbarButtonsDialog) {
  std::vector<TToolbarButtonRow> rows(app::kToolbarButtonCount);
  for (size_t i = 0; i < rows.size(); ++i) rows[i] = {QString("B%1").arg(i), {}, i % 2 == 0};
  s.Buttons.fill(false);
  s.Buttons[13] = true;  // CheckOut and Install: from the settings, whatever the toolbar shows
  const auto checks = [](TFormToolbarButtonsDlg& dialog) {
    std::string marks;
    auto* list = Find<QListWidget>(dialog, "lbButtons");
    for (int i = 0; i < list->count(); ++i)
      marks += list->item(i)->checkState() == Qt::Checked ? 'x' : '.';
    return marks;
  };
  {
    TFormToolbarButtonsDlg dialog(rows);
    EXPECT_EQ(dialog.findChild<QListWidget*>("lbButtons")->item(3)->text(), "B3");
    EXPECT_EQ(checks(dialog), "x.x.x.x.x.x.xx..x.");
    dialog.reject();
    EXPECT_FALSE(s.Buttons[0]);
    dialog.Reset();
    EXPECT_EQ(checks(dialog), "xx....xx...x.....x");
    dialog.accept();
    EXPECT_EQ(s.Buttons, app::kDefaultToolbarButtons);
  }
  // Without rows from the window (as a language check makes it) the settings decide.
  TFormToolbarButtonsDlg bare;
  EXPECT_EQ(checks(bare), "xx....xx...x.....x");
}

TEST_F(OptionsDialogTest, ExtractOptionsAreStoredOnlyOnOk) {
  s.DCExtractFolderType = 5;  // shows the usual mode
  s.DCOpenAfterExtract = false;
  for (const bool ok : {false, true}) {
    TfrmExtractOptions dialog;
    auto buttons = Find<QWidget>(dialog, "rgNewFolder")->findChildren<QRadioButton*>();
    ASSERT_EQ(buttons.size(), 3);
    EXPECT_TRUE(buttons[1]->isChecked());
    buttons[2]->setChecked(true);
    Find<QCheckBox>(dialog, "chbOpenAfterExtract")->setChecked(true);
    ok ? dialog.accept() : dialog.reject();
    EXPECT_EQ(s.DCExtractFolderType, ok ? 2 : 5);
    EXPECT_EQ(s.DCOpenAfterExtract, ok);
  }
}

}  // namespace
}  // namespace vk::gui
