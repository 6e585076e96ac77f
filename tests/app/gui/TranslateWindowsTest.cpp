#include "app/gui/TranslateWindows.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextBlock>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/core/AppSettings.h"
#include "app/core/IniFile.h"
#include "app/core/Translation.h"
#include "app/gui/WindowRegistry.h"
#include "tests/support/PeerTools.h"

namespace vk::gui {
namespace {

template <typename T>
T* Add(QWidget* parent, const char* name) {
  auto* widget = new T(parent);
  widget->setObjectName(name);
  parent->layout()->addWidget(widget);
  return widget;
}

// A small window with one component of each kind the translation knows.
struct TestWindow {
  TestWindow() {
    window.setObjectName("frmTest");
    window.setWindowTitle("Built-in");
    new QVBoxLayout(&window);
    Add<QLabel>(&window, "lbName")->setText("Name:");
    Add<QPushButton>(&window, "bnOK")->setText("OK");
    Add<QLineEdit>(&window, "edName")->setText("typed");
    group = Add<QGroupBox>(&window, "rgMode");
    group->setTitle("Mode");
    new QVBoxLayout(group);
    for (const char* text : {"Fast", "Best"}) Add<QRadioButton>(group, "")->setText(text);
    Add<QComboBox>(&window, "cbType")->addItems({"a", "b", "c"});
    Add<QListWidget>(&window, "lbList")->addItems({"x", "y"});
    Add<QPlainTextEdit>(&window, "mMemo")->setPlainText("one\ntwo\nthree");
    Add<QTreeWidget>(&window, "lvFiles")->setHeaderLabels({"Name", "Size"});
    auto* table = Add<QTableWidget>(&window, "tbGrid");
    table->setColumnCount(2);
    table->setHorizontalHeaderLabels({"Key", "Value"});
    model.setHorizontalHeaderLabels({"Own", "Model"});
    Add<QTreeView>(&window, "tvModel")->setModel(&model);
    auto* tabs = Add<QTabWidget>(&window, "pcPages");
    auto* page = new QWidget;
    page->setObjectName("tsGeneral");
    tabs->addTab(page, "General");
    menu = new QMenu("File", &window);
    menu->setObjectName("mnFile");
    action = menu->addAction("Open");
    action->setObjectName("acOpen");
    // A dialog the window owns translates itself from a section of its own.
    auto* owned = new QDialog(&window);
    owned->setObjectName("frmOwned");
    auto* ownedLabel = new QLabel("Owned", owned);
    ownedLabel->setObjectName("lbOwned");
  }

  template <typename T>
  T* Find(const char* name) {
    return window.findChild<T*>(name);
  }
  QString Line(int i) {
    return Find<QPlainTextEdit>("mMemo")->document()->findBlockByNumber(i).text();
  }
  QString Header(QAbstractItemModel* m, int i) {
    return m->headerData(i, Qt::Horizontal).toString();
  }

  QStandardItemModel model;  // outlives the view that shows it
  QDialog window;
  QGroupBox* group;
  QMenu* menu;
  QAction* action;
};

app::TIniFile Parse(const char* text) {
  app::TIniFile file;
  file.Parse(QString::fromUtf8(text));
  return file;
}

TEST(TranslateWindowsTest, AppliesEachKindOfKey) {
  TestWindow t;
  const app::TIniFile file = Parse(
      "[frmTest]\n"
      "frmTest.Caption=Test of Vorel\n"
      "frmTest.lbName.Caption=Vorel name:\n"
      "frmTest.bnOK.Caption=\n"
      "frmTest.bnOK.Hint=Press vorel\n"
      "frmTest.edName.Caption=not a caption\n"
      "frmTest.rgMode.Caption=Speed\n"
      "frmTest.rgMode.items[1]=Smallest\n"
      "frmTest.cbType.items[1]=Vorel B\n"
      "frmTest.cbType.items[2]=\n"
      "frmTest.lbList.items[0]=X\n"
      "frmTest.mMemo.lines[0]=First\n"
      "frmTest.mMemo.lines[1]=\n"
      "frmTest.lvFiles.Columns[1].Caption=Bytes\n"
      "frmTest.tbGrid.Columns[0].Caption=Name\n"
      "frmTest.tvModel.Columns[1].Caption=Data\n"
      "frmTest.tsGeneral.Caption=Vorel\n"
      "frmTest.mnFile.Caption=&File\n"
      "frmTest.acOpen.Caption=&Open...\n"
      "frmTest.acOpen.Hint=Open an archive\n"
      "frmTest.lbOwned.Caption=Taken from the wrong section\n");
  TranslateWindows({&t.window}, &file);

  EXPECT_EQ(t.window.windowTitle(), "Test of Vorelkit");
  EXPECT_EQ(t.Find<QLabel>("lbName")->text(), "Vorelkit name:");
  EXPECT_EQ(t.Find<QPushButton>("bnOK")->text(), "OK");  // empty value: kept
  EXPECT_EQ(t.Find<QPushButton>("bnOK")->toolTip(), "Press Vorelkit");
  EXPECT_EQ(t.Find<QLineEdit>("edName")->text(), "typed");  // a line edit has no caption
  EXPECT_EQ(t.Find<QLabel>("lbOwned")->text(), "Owned");
  EXPECT_EQ(t.group->title(), "Speed");
  const auto radios = t.group->findChildren<QRadioButton*>();
  EXPECT_EQ(radios[0]->text(), "Fast");
  EXPECT_EQ(radios[1]->text(), "Smallest");
  // Items, lines and columns are taken as they stand, without the edition's name.
  auto* combo = t.Find<QComboBox>("cbType");
  EXPECT_EQ(QStringList({combo->itemText(0), combo->itemText(1), combo->itemText(2)}),
            QStringList({"a", "Vorel B", "c"}));
  EXPECT_EQ(t.Find<QListWidget>("lbList")->item(0)->text(), "X");
  EXPECT_EQ(QStringList({t.Line(0), t.Line(1), t.Line(2)}), QStringList({"First", "", "three"}));
  EXPECT_EQ(t.Header(t.Find<QTreeWidget>("lvFiles")->model(), 1), "Bytes");
  EXPECT_EQ(t.Header(t.Find<QTableWidget>("tbGrid")->model(), 0), "Name");
  EXPECT_EQ(t.Header(&t.model, 0), "Own");
  EXPECT_EQ(t.Header(&t.model, 1), "Data");
  EXPECT_EQ(t.Find<QTabWidget>("pcPages")->tabText(0), "Vorelkit");
  EXPECT_EQ(t.menu->title(), "&File");
  EXPECT_EQ(t.action->text(), "&Open...");
  EXPECT_EQ(t.action->toolTip(), "Open an archive");
  // Nothing is added to components that lack a property.
  for (QObject* c : t.window.findChildren<QObject*>())
    EXPECT_TRUE(c->dynamicPropertyNames().isEmpty()) << c->objectName().toStdString();
}

TEST(TranslateWindowsTest, WithoutKeysOrFileNothingChanges) {
  TestWindow t;
  const app::TIniFile empty = Parse("[frmTest]\n");
  TranslateWindows({&t.window}, &empty);
  TranslateWindows({&t.window}, nullptr);
  EXPECT_EQ(t.window.windowTitle(), "Built-in");
  EXPECT_EQ(t.Find<QLabel>("lbName")->text(), "Name:");
  EXPECT_EQ(t.Find<QPushButton>("bnOK")->toolTip(), "");
  EXPECT_EQ(t.Line(1), "two");
  EXPECT_EQ(t.menu->title(), "File");
  EXPECT_FALSE(SetTextProperty(&t.window, "noSuchProperty", "text"));
  EXPECT_TRUE(t.window.dynamicPropertyNames().isEmpty());
}

TEST(TranslateWindowsTest, UnusedKeysAreTheOnesThatAddressNothing) {
  TestWindow t;
  const app::TIniFile file = Parse(
      "[frmTest]\n"
      "frmTest.Caption=x\n"
      "FRMTEST.LBNAME.CAPTION=x\n"
      "frmTest.mMemo.lines[2]=x\n"
      "frmTest.cbType.items[2]=x\n"
      "frmTest.acOpen.Hint=x\n"
      "frmTest.lbMissing.Caption=x\n"
      "frmTest.mMemo.lines[3]=x\n"
      "frmTest.cbType.items[3]=x\n"
      "frmTest.lvFiles.Columns[2].Caption=x\n"
      "frmTest.edName.Caption=x\n"
      "frmTest.lbName.lines[0]=x\n"
      "frmTest.lbOwned.Caption=x\n");
  EXPECT_EQ(
      UnusedWindowKeys(&t.window, file),
      QStringList({"frmTest.lbMissing.Caption", "frmTest.mMemo.lines[3]", "frmTest.cbType.items[3]",
                   "frmTest.lvFiles.Columns[2].Caption", "frmTest.edName.Caption",
                   "frmTest.lbName.lines[0]", "frmTest.lbOwned.Caption"}));
  EXPECT_EQ(t.window.windowTitle(), "Built-in");  // looking changes nothing
}

// Every window section of the shipped English file addresses a window of the program, and
// every key in it a component of that window that takes it.
TEST(TranslateWindowsTest, EnglishFileAddressesRealComponents) {
  app::TIniFile english;
  ASSERT_TRUE(english.Load(VK_SOURCE_DIR "/data/Languages/English.lng"));
  // The windows read and write settings: a scratch file, not the build folder's.
  qel::test::TestFolder folder;
  app::TAppSettings settings(QString::fromStdString(folder / "Settings.ini"));
  app::UseAppSettings(&settings);
  const QString language = app::ActiveLanguagePath();
  for (const QString& section : english.Sections()) {
    if (section == "Messages" || section == "Info") continue;
    std::unique_ptr<QWidget> window = CreateWindowByName(section);
    if (!window) {
      ADD_FAILURE() << "no window named " << section.toStdString();
      continue;
    }
    EXPECT_EQ(UnusedWindowKeys(window.get(), english).join(", ").toStdString(), "")
        << "keys of section " << section.toStdString() << " that address nothing";
  }
  app::UseAppSettings(nullptr);
  app::LoadLanguage(language);
}

}  // namespace
}  // namespace vk::gui
