// The window side of the shell operations: a component run shows its progress window and
// leaves the component without handlers pointing at the window that is gone; files dropped
// on an open archive are added to it, and the window lists it again.
#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>

#include "app/core/ColumnFormat.h"
#include "app/core/Translation.h"
#include "app/gui/EntryModel.h"
#include "app/gui/ErrorList.h"
#include "app/gui/MainForm.h"
#include "app/gui/OperationWindows.h"
#include "app/gui/ProgressWindow.h"
#include "app/gui/VrListView.h"
#include "formats/zip/ZipWriter.h"
#include "tests/app/support/ModalSteps.h"
#include "tests/app/support/ScratchSettings.h"

namespace vk::gui {
namespace {

TEST(OneShotWindowsTest, ProgressWindowLastsOneComponentRun) {
  test::TScratchSettings scratch;
  qel::test::WriteFileText(scratch.Folder() / "a.txt", std::string(100000, 'a'));
  TfrmErrors errors;
  TOperationWindows ui(nullptr, errors);
  qel::TZip writer;
  writer.SetArchiveFile(scratch.Folder() / "a.zip");
  writer.FileSpec = {scratch.Folder() / "a.txt"};
  bool shown = false;
  const int count = ui.RunWithProgress(0, writer, [&] {
    for (QWidget* w : QApplication::topLevelWidgets())
      shown |= qobject_cast<TfrmProgress*>(w) && w->isVisible();
    return writer.Compress();
  });
  EXPECT_EQ(count, 1);
  EXPECT_TRUE(shown);

  // Over a window, that window takes no command while the component runs.
  QWidget owner;
  owner.show();
  TOperationWindows over(&owner, errors);
  bool blocked = false;
  over.RunWithProgress(0, writer, [&] {
    blocked = qobject_cast<TfrmProgress*>(QApplication::activeModalWidget());
    return 0;
  });
  EXPECT_TRUE(blocked);
  EXPECT_FALSE(writer.OnBegin);
  EXPECT_FALSE(writer.OnProgress);
  for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_FALSE(qobject_cast<TfrmProgress*>(w));
}

TEST(OneShotWindowsTest, FilesDroppedOnAnOpenArchiveAreAdded) {
  VK_REQUIRE_TOOL("zip");
  VK_REQUIRE_TOOL("unzip");
  test::TScratchSettings scratch;
  scratch.Settings().FavoriteOptions = 2;
  scratch.Settings().ExplorerView = false;
  const std::string dir = scratch.Folder().Path();
  qel::test::WriteFileText(dir + "/old.txt", "old");
  qel::test::WriteFileText(dir + "/new.txt", "new");
  std::filesystem::create_directories(dir + "/folder");
  qel::test::WriteFileText(dir + "/folder/in.txt", "in");
  ASSERT_TRUE(qel::test::RunToolOk({"zip", "-q", "a.zip", "old.txt"}, dir));
  TMainForm form(app::TStartCommand{}, false);
  form.OpenArchive(scratch.Path("a.zip"));
  TVrListView* list = form.ActiveList();
  emit list->FilesDropped({scratch.Path("new.txt"), scratch.Path("folder")});
  QStringList names;
  for (int row = 0; row < list->Model()->rowCount(); ++row)
    names
        << list->Model()->data(list->Model()->index(row, app::colName), Qt::DisplayRole).toString();
  names.sort();
  EXPECT_EQ(names.join(','), "in.txt,new.txt,old.txt");
  EXPECT_TRUE(qel::test::RunToolOk({"unzip", "-tq", dir + "/a.zip"}));

  // A split set cannot be added to: said, and left alone.
  ASSERT_TRUE(qel::test::RunToolOk({"zip", "-q", "-s", "64k", "big.zip", "new.txt"}, dir));
  form.OpenArchive(scratch.Path("big.zip"));
  test::TBoxAnswers boxes;
  emit form.ActiveList()->FilesDropped({scratch.Path("old.txt")});
  EXPECT_EQ(boxes.Messages, QStringList({app::Message(210)}));
}

}  // namespace
}  // namespace vk::gui
