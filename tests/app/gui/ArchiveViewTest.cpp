// The main window with archives made by zip: both styles, sorting, the filter, totals,
// encrypted names, split and self-extracting archives, and dragging entries out.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <memory>

#include "app/core/AppSettings.h"
#include "app/core/ColumnFormat.h"
#include "app/gui/EntryModel.h"
#include "app/gui/ErrorList.h"
#include "app/gui/ExplorerPanel.h"
#include "app/gui/MainForm.h"
#include "app/gui/TestWindow.h"
#include "app/gui/VrListView.h"
#include "codecs/checksum/Crc.h"
#include "tests/app/support/ModalSteps.h"
#include "tests/support/PeerTools.h"
#include "tests/support/ZipImage.h"

namespace vk::gui {
namespace {

using qel::test::RunToolOk;
using qel::test::TestFolder;
using qel::test::WriteFileText;

// Closes every message box that opens while it lives, keeping their texts.
class BoxCloser {
 public:
  BoxCloser() {
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (box && box->isVisible()) {
          texts << box->text();
          box->done(QMessageBox::No);
        }
      }
    });
    timer_.start();
  }
  QStringList texts;

 private:
  QTimer timer_;
};

class ArchiveViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings_ = std::make_unique<app::TAppSettings>(Path("Settings.ini"));
    settings_->FavoriteOptions = 2;
    settings_->ExplorerView = false;
    settings_->ViewStyle = 3;
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
  // A tree of files zipped with `options`; answers the archive's path.
  QString MakeZip(const std::vector<std::string>& options, const QString& name = "t.zip") {
    const std::string src = folder_.Path() + "/src";
    qel::test::MakeTree(src, {{"top.bin", std::string(3000, 'x')},
                              {"docs/readme.txt", "read me\n"},
                              {"docs/Sub/deep.txt", std::string(100, 'd')},
                              {"C++", "plus"}});
    std::vector<std::string> argv = {"zip", "-q", "-r"};
    argv.insert(argv.end(), options.begin(), options.end());
    argv.push_back(Path(name).toStdString());
    argv.push_back(".");
    EXPECT_TRUE(RunToolOk(argv, src));
    return Path(name);
  }

  TEntryModel* Model() const { return form_->ActiveList()->Model(); }
  TExplorerPanel* Explorer() const { return form_->findChild<TExplorerPanel*>("ExplorerPanel"); }
  QString Text(int row, int column) const {
    return Model()->data(Model()->index(row, column), Qt::DisplayRole).toString();
  }
  QStringList Captions() const {
    QStringList names;
    for (int row = 0; row < Model()->rowCount(); ++row) names << Text(row, app::colName);
    return names;
  }
  // F2 on the row captioned `caption`, `name` typed into its editor and Enter; waits until
  // the archive is listed again.
  void RenameRow(const QString& caption, const QString& name) {
    const int row = int(Captions().indexOf(caption));
    ASSERT_GE(row, 0) << caption.toStdString();
    form_->ActiveList()->SelectRow(row);
    QAbstractItemView* view = form_->ActiveList()->ActiveView();
    QTest::keyClick(view, Qt::Key_F2);
    auto* editor = view->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText(name);
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Captions().contains(name); }));
  }
  QString Panel(int i) const {
    return form_->findChild<QLabel*>(QStringLiteral("pnStatus%1").arg(i))->text();
  }

  TestFolder folder_;
  std::unique_ptr<app::TAppSettings> settings_;
  std::unique_ptr<TMainForm> form_;
};

TEST_F(ArchiveViewTest, ClassicStyleShowsEveryFileWithItsColumns) {
  VK_REQUIRE_TOOL("zip");
  const QString zip = MakeZip({});
  form_->OpenArchive(zip);
  EXPECT_EQ(form_->windowTitle(), "Vorelkit - " + zip);
  QAbstractItemModelTester tester(Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
  // Folder entries of the archive give no rows; files of every folder do.
  EXPECT_EQ(Model()->rowCount(), 4);
  form_->SortColumn = app::colName;
  form_->SortAscending = true;
  form_->SortEntries();
  EXPECT_EQ(Captions(), QStringList({"C++", "deep.txt", "readme.txt", "top.bin"}));
  const int deep = 1;
  EXPECT_EQ(Text(deep, app::colSize), "100");
  EXPECT_EQ(Text(deep, app::colFolder), "docs/Sub/");
  const std::string data(100, 'd');
  EXPECT_EQ(Text(deep, app::colCRC),
            QStringLiteral("%1")
                .arg(qel::Crc32(0, data.data(), data.size()), 8, 16, QChar('0'))
                .toUpper());
  EXPECT_TRUE(Text(deep, app::colRatio).endsWith('%'));
  EXPECT_FALSE(Text(deep, app::colModified).isEmpty());
  EXPECT_FALSE(Text(deep, app::colFileType).isEmpty());
  EXPECT_EQ(Text(3, app::colSize), "3,000");
  // Totals of the archive, then of a selection.
  EXPECT_TRUE(Panel(0).contains("ZIP archive"));
  EXPECT_TRUE(Panel(1).endsWith(" 4"));
  EXPECT_TRUE(Panel(3).endsWith(" 3,112"));
  form_->ActiveList()->SelectRow(3);
  EXPECT_TRUE(Panel(1).endsWith(" 1"));
  EXPECT_TRUE(Panel(3).endsWith(" 3,000"));
}

TEST_F(ArchiveViewTest, SortingBySizeTogglesAndArrowsFollow) {
  VK_REQUIRE_TOOL("zip");
  form_->OpenArchive(MakeZip({}));
  auto ascending = [this] {
    std::vector<int64_t> values;
    for (app::TShellItem* item : Model()->Rows()) values.push_back(item->Size);
    return std::is_sorted(values.begin(), values.end());
  };
  auto descending = [this] {
    std::vector<int64_t> values;
    for (app::TShellItem* item : Model()->Rows()) values.push_back(item->Size);
    return std::is_sorted(values.rbegin(), values.rend());
  };
  form_->SortColumn = 0;
  QMetaObject::invokeMethod(form_->ActiveList(), "ColumnClicked", Q_ARG(int, app::colSize));
  EXPECT_TRUE(ascending());
  const QHeaderView* header = form_->ActiveList()->Header();
  EXPECT_EQ(header->sortIndicatorSection(), app::colSize);
  EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
  QMetaObject::invokeMethod(form_->ActiveList(), "ColumnClicked", Q_ARG(int, app::colSize));
  EXPECT_TRUE(descending());
  EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
}

TEST_F(ArchiveViewTest, ExplorerStyleWalksTheFolderTree) {
  VK_REQUIRE_TOOL("zip");
  const QString zip = MakeZip({});
  form_->OpenArchiveExplorer(zip);
  ASSERT_TRUE(form_->ExplorerStyle());
  QTreeWidget* tree = Explorer()->Tree();
  ASSERT_EQ(tree->topLevelItemCount(), 1);
  EXPECT_EQ(tree->topLevelItem(0)->text(0), "t.zip");
  // The root: the subfolder first, then the files, in either direction.
  for (bool ascending : {true, false}) {
    form_->SortAscending = ascending;
    form_->SortEntries();
    EXPECT_EQ(Captions().first(), "docs");
    EXPECT_TRUE(form_->EntryAt(0)->IsFolder());
  }
  EXPECT_EQ(Model()->rowCount(), 3);
  EXPECT_EQ(Text(0, app::colFileType), "Folder");
  EXPECT_EQ(Text(0, app::colAttributes), "D");
  EXPECT_TRUE(Text(0, app::colSize).isEmpty());
  // Into docs (as a double-click on its row does), then one level up.
  form_->SelectFolder("DOCS/");
  form_->SortAscending = true;
  form_->SortEntries();
  EXPECT_EQ(Captions(), QStringList({"Sub", "readme.txt"}));
  form_->OneLevelUp();
  EXPECT_EQ(Model()->rowCount(), 3);
  // Back to the classic style: the same archive, flat.
  form_->SetExplorerStyle(false);
  EXPECT_EQ(Model()->rowCount(), 4);
  EXPECT_EQ(form_->ArchiveFile(), zip);
}

TEST_F(ArchiveViewTest, F2RenamesEntriesAndFoldersInBothStyles) {
  VK_REQUIRE_TOOL("unzip");
  const QString zip = MakeZip({});
  form_->show();
  form_->OpenArchive(zip);
  RenameRow("top.bin", "renamed.bin");
  form_->SetExplorerStyle(true);
  RenameRow("docs", "papers");
  const qel::test::ToolRun names = qel::test::RunTool({"unzip", "-Z1", zip.toStdString()});
  EXPECT_NE(names.out.find("papers/Sub/deep.txt\n"), std::string::npos) << names.out;
  EXPECT_NE(names.out.find("renamed.bin\n"), std::string::npos);
  EXPECT_EQ(names.out.find("docs/"), std::string::npos);
  EXPECT_TRUE(RunToolOk({"unzip", "-tq", zip.toStdString()}));
}

TEST_F(ArchiveViewTest, FilterListsMatchingEntriesOnly) {
  VK_REQUIRE_TOOL("zip");
  form_->OpenArchive(MakeZip({}));
  form_->SetFileMask({"*.txt"});
  EXPECT_EQ(Model()->rowCount(), 2);
  form_->SetFileMask({"docs\\Sub\\*"});  // typed with backslashes
  EXPECT_EQ(Captions(), QStringList({"deep.txt"}));
}

TEST_F(ArchiveViewTest, EncryptedNamesCarryTheMarkOnlyOnScreen) {
  VK_REQUIRE_TOOL("zip");
  form_->OpenArchive(MakeZip({"-P", "secret"}));
  form_->SortEntries();
  ASSERT_EQ(Model()->rowCount(), 4);
  EXPECT_EQ(Text(0, app::colName), "C+++");
  EXPECT_EQ(form_->EntryAt(0)->Name, "C++");
  EXPECT_TRUE(form_->EntryAt(0)->Encrypted);
}

TEST_F(ArchiveViewTest, SplitAndSelfExtractingArchivesOpen) {
  VK_REQUIRE_TOOL("zip");
  const std::string big = folder_.Path() + "/big";
  std::filesystem::create_directories(big);
  std::string noise;
  for (int i = 0; i < 200000; ++i) noise += char('a' + (i * 7919) % 26);
  WriteFileText(big + "/noise.txt", noise);
  WriteFileText(big + "/small.txt", "small");
  ASSERT_TRUE(RunToolOk(
      {"zip", "-q", "-0", "-s", "64k", Path("split.zip").toStdString(), "noise.txt", "small.txt"},
      big));
  form_->OpenArchive(Path("split.zip"));
  EXPECT_EQ(Model()->rowCount(), 2);

  // A self-extractor: any program in front of the archive, offsets adjusted.
  const QString plain = MakeZip({}, "plain.zip");
  qel::test::ConcatenateFiles(Path("sfx.exe").toStdString(), {"/bin/true", plain.toStdString()});
  ASSERT_TRUE(RunToolOk({"zip", "-q", "-A", Path("sfx.exe").toStdString()}));
  form_->OpenArchive(Path("sfx.exe"));
  EXPECT_EQ(Model()->rowCount(), 4);
  EXPECT_TRUE(Panel(0).contains("self-extractor")) << Panel(0).toStdString();
}

TEST_F(ArchiveViewTest, AFileThatIsNoArchiveLeavesTheWindowEmpty) {
  WriteFileText(Path("notes.txt").toStdString(), "just some text, not an archive at all\n");
  BoxCloser boxes;
  form_->OpenArchive(Path("notes.txt"));
  EXPECT_EQ(boxes.texts.size(), 1);
  EXPECT_EQ(form_->windowTitle(), "Vorelkit");
  EXPECT_EQ(Model()->rowCount(), 0);
  EXPECT_TRUE(form_->ArchiveFile().isEmpty());
}

TEST_F(ArchiveViewTest, DraggedEntriesAreExtractedWhenDropped) {
  VK_REQUIRE_TOOL("zip");
  form_->OpenArchiveExplorer(MakeZip({}));
  form_->SortEntries();  // "docs" folder row, then the files
  QModelIndexList rows;
  for (int row = 0; row < Model()->rowCount(); ++row) rows << Model()->index(row, 0);
  std::unique_ptr<QMimeData> data(Model()->mimeData(rows));
  ASSERT_TRUE(data);
  const QList<QUrl> urls = data->urls();
  ASSERT_EQ(urls.size(), 3);
  QStringList names;
  for (const QUrl& url : urls) names << QFileInfo(url.toLocalFile()).fileName();
  EXPECT_TRUE(names.contains("docs") && names.contains("C++") && names.contains("top.bin"));
  for (const QUrl& url : urls) {
    const QString path = url.toLocalFile();
    if (path.endsWith("/docs")) {
      EXPECT_TRUE(QFileInfo::exists(path + "/Sub/deep.txt"));
    } else if (path.endsWith("/top.bin")) {
      EXPECT_EQ(QFileInfo(path).size(), 3000);
    }
  }
}

TEST_F(ArchiveViewTest, ViewStylesShareRowsAndSelection) {
  VK_REQUIRE_TOOL("zip");
  form_->OpenArchive(MakeZip({}));
  TVrListView* list = form_->ActiveList();
  list->SelectRow(2);
  const char* actions[] = {"acLargeIcons", "acSmallIcons", "acListStyle", "acDetails"};
  for (int style = 0; style < 4; ++style) {
    form_->Action(actions[style])->trigger();
    EXPECT_EQ(list->ViewStyle(), style);
    EXPECT_EQ(settings_->ViewStyle, style);
    QAbstractItemView* view = list->ActiveView();
    EXPECT_EQ(view->model(), Model());
    EXPECT_EQ(QString(view->metaObject()->className()).contains("Tree"), style == 3);
    EXPECT_EQ(list->SelectedRows(), std::vector<int>{2});
  }
}

TEST_F(ArchiveViewTest, TheStartUpArchiveOpensWhenTheWindowFirstShows) {
  VK_REQUIRE_TOOL("zip");
  app::TStartCommand start;
  start.StartupArchive = MakeZip({});
  form_ = std::make_unique<TMainForm>(start, false);
  form_->show();
  for (int i = 0; i < 5 && form_->ArchiveFile().isEmpty(); ++i) QApplication::processEvents();
  EXPECT_EQ(form_->ArchiveFile(), start.StartupArchive);
  EXPECT_EQ(Model()->rowCount(), 4);
}

TEST_F(ArchiveViewTest, OddFolderSpellingsStillLandInTheirTreeFolder) {
  // Names as a careless or hostile tool stores them: a leading "/", doubled separators,
  // a folder spelled in two cases.
  const qel::test::Bytes zip =
      qel::test::BuildStoredZip(
          {{"/abs/x.txt", "x"}, {"abs//y.txt", "y"}, {"ABS/z.txt", "z"}, {"/top.txt", "t"}}, {})
          .bytes;
  qel::test::WriteFileBytes(Path("odd.zip").toStdString(), zip);
  form_->OpenArchiveExplorer(Path("odd.zip"));
  form_->SortEntries();
  EXPECT_EQ(Captions(), QStringList({"abs", "top.txt"}));
  form_->SelectFolder("abs/");
  form_->SortEntries();
  EXPECT_EQ(Captions(), QStringList({"x.txt", "y.txt", "z.txt"}));
}

TEST_F(ArchiveViewTest, DraggingOneOfTwoSameNamedFilesGivesThatOne) {
  VK_REQUIRE_TOOL("zip");
  const std::string src = folder_.Path() + "/same";
  std::filesystem::create_directories(src + "/a");
  std::filesystem::create_directories(src + "/b");
  WriteFileText(src + "/a/x.txt", "from a");
  WriteFileText(src + "/b/x.txt", "from b");
  ASSERT_TRUE(RunToolOk({"zip", "-q", "-r", Path("same.zip").toStdString(), "a", "b"}, src));
  form_->OpenArchive(Path("same.zip"));
  form_->SortColumn = app::colFolder;
  form_->SortAscending = false;  // b/x.txt first
  form_->SortEntries();
  ASSERT_EQ(form_->EntryAt(0)->Folder, "b/");
  std::unique_ptr<QMimeData> data(Model()->mimeData({Model()->index(0, 0)}));
  ASSERT_TRUE(data);
  const QList<QUrl> urls = data->urls();
  ASSERT_EQ(urls.size(), 1);
  EXPECT_EQ(qel::test::ReadFileBytes(urls[0].toLocalFile().toStdString()),
            qel::test::Bytes({'f', 'r', 'o', 'm', ' ', 'b'}));
}

TEST_F(ArchiveViewTest, TestCommandReportsDamageInTheErrorList) {
  VK_REQUIRE_TOOL("zip");
  const QString zip = MakeZip({});
  qel::test::Bytes bytes = qel::test::ReadFileBytes(zip.toStdString());
  // The first byte of top.bin's data (3,000 "x", deflated to a few bytes): its local
  // header's name comes first in the file, the extra field and the data after it.
  const std::string name = "top.bin";
  const auto at = std::search(bytes.begin(), bytes.end(), name.begin(), name.end());
  ASSERT_NE(at, bytes.end());
  const size_t nameAt = size_t(at - bytes.begin());
  const size_t extra = bytes[nameAt - 2] | size_t(bytes[nameAt - 1]) << 8;
  bytes[nameAt + name.size() + extra] ^= 0x55;
  qel::test::WriteFileBytes(zip.toStdString(), bytes);
  form_->OpenArchive(zip);
  ASSERT_TRUE(form_->Action("acTest")->isEnabled());
  int failed = -1;
  {
    test::TModalSteps steps({[&](QWidget* modal) {
      auto* window = qobject_cast<TfrmTest*>(modal);
      if (!window || !window->Finished()) return false;
      failed = window->FailedCount();
      static_cast<QDialog*>(window)->done(QDialog::Accepted);
      return true;
    }});
    form_->Action("acTest")->trigger();
  }
  EXPECT_EQ(failed, 1);
  const auto* errors = form_->findChild<TfrmErrors*>("frmErrors");
  ASSERT_TRUE(errors);
  EXPECT_GE(errors->Count(), 1);
  EXPECT_TRUE(errors->Lines().join('\n').contains("top.bin"));
}

TEST_F(ArchiveViewTest, ColumnWidthsAndOrderAreKept) {
  QHeaderView* header = form_->ActiveList()->Header();
  header->resizeSection(app::colCRC, 77);
  header->moveSection(header->visualIndex(app::colFolder), 0);
  form_->StoreViewState();
  EXPECT_EQ(settings_->Columns.CRC, 77);
  EXPECT_TRUE(settings_->Columns.Order.startsWith("8,0,"));
  // A new window takes them back.
  form_ = std::make_unique<TMainForm>(app::TStartCommand{}, false);
  const QHeaderView* again = form_->ActiveList()->Header();
  EXPECT_EQ(again->sectionSize(app::colCRC), 77);
  EXPECT_EQ(again->logicalIndex(0), app::colFolder);
}

}  // namespace
}  // namespace vk::gui
