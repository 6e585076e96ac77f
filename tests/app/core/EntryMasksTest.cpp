// The masks of selected rows, the viewer a setting names, and when an edited entry is
// offered to be put back.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/core/EntryMasks.h"
#include "app/core/ProgramLauncher.h"
#include "app/core/ZipRun.h"
#include "tests/support/EnvVar.h"
#include "tests/support/PeerTools.h"

namespace vk::app {
namespace {

TShellItem File(const QString& folder, const QString& name, bool encrypted = false) {
  TShellItem item;
  item.Folder = folder;
  item.Name = name;
  item.Encrypted = encrypted;
  return item;
}

TShellItem Folder(const QString& path) {
  TShellItem item;
  item.Kind = TShellItem::kFolder;
  item.Folder = path;
  item.Name = path.section('/', -2, -2);
  return item;
}

TEST(EntryMasks, FilesNameOneEntryAndFoldersEverythingBelow) {
  const TShellItem rows[] = {File("", "a.txt"), File("docs/", "README"), File("", "C++", true),
                             Folder("docs/"),   File("", "a.txt"),       Folder("docs/Sub/")};
  std::vector<const TShellItem*> selected = {nullptr};
  for (const TShellItem& row : rows) selected.push_back(&row);
  const TEntryMasks masks = MasksOfRows(selected);
  // The encryption marker is the caption's, never the mask's; names without a dot stay whole.
  EXPECT_EQ(masks.FileMasks, QStringList({"a.txt", "docs/README", "C++"}));
  EXPECT_EQ(masks.FolderMasks, QStringList({"docs/*", "docs/Sub/*"}));
  EXPECT_FALSE(masks.Empty());
  EXPECT_TRUE(MasksOfRows({}).Empty());
}

TEST(EntryMasks, TheTextEditorStandInAndOtherViewers) {
  for (const char* name : {"Notepad", "NOTEPAD.EXE", "notepad.exe", " notepad "})
    EXPECT_TRUE(IsTextEditorStandIn(name)) << name;
  for (const char* name : {"notepad2", "/usr/bin/notepad", "gedit", ""})
    EXPECT_FALSE(IsTextEditorStandIn(name)) << name;
  EXPECT_EQ(ViewerCommand("/usr/bin/less", "/t/a b.txt"),
            QStringList({"/usr/bin/less", "/t/a b.txt"}));
}

TEST(EntryMasks, DesktopEntriesGiveTheEditorsCommand) {
  const QString entry =
      "[Desktop Entry]\nName=Editor\nExecutable=no\n Exec = gedit %U\n"
      "[Desktop Action new]\nExec=gedit --new-window\n";
  EXPECT_EQ(DesktopEntryExec(entry), "gedit %U");
  EXPECT_EQ(DesktopEntryExec("[Desktop Action x]\nExec=other\n"), "");
  const QString file = "/tmp/$$_run/a b.txt";
  const struct {
    const char* exec;
    QStringList command;
  } cases[] = {
      {"gedit %U", {"gedit", file}},
      {"\"/opt/My Editor/ed\" --new-window %f", {"/opt/My Editor/ed", "--new-window", file}},
      {"kate -b", {"kate", "-b", file}},
      {"app --icon %i --name=%c %F", {"app", "--icon", "--name=", file}},
      {"\"/opt/q\\\"x\" 100%%", {"/opt/q\"x", "100%", file}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(DesktopExecCommand(c.exec, file), c.command) << c.exec;
}

// The desktop's program for a type is found as xdg-open finds it, but run directly: its
// end is waited for, so an edit is there when the launch returns.
TEST(EntryMasks, TheDesktopsProgramIsRunDirectlyAndWaitedFor) {
  VK_REQUIRE_TOOL("xdg-mime");
  const qel::test::TestFolder folder;
  std::filesystem::create_directories(folder / "data/applications");
  std::filesystem::create_directories(folder / "config");
  const std::string editor = folder / "editor";
  qel::test::WriteFileText(editor, "#!/bin/sh\nsleep 0.3\nprintf edited > \"$1\"\n");
  std::filesystem::permissions(editor, std::filesystem::perms::owner_all);
  qel::test::WriteFileText(folder / "data/applications/vk-editor.desktop",
                           "[Desktop Entry]\nType=Application\nName=E\nExec=" + editor + " %f\n");
  qel::test::WriteFileText(folder / "config/mimeapps.list",
                           "[Default Applications]\ntext/plain=vk-editor.desktop\n");
  const std::string file = folder / "a.txt";
  qel::test::WriteFileText(file, "original");
  {
    const qel::test::TEnvVar data("XDG_DATA_HOME", folder / "data");
    const qel::test::TEnvVar config("XDG_CONFIG_HOME", folder / "config");
    QString error;
    EXPECT_TRUE(LaunchProgram({QString::fromStdString(file), {}, {}, true}, error))
        << error.toStdString();
  }
  const qel::test::Bytes text = qel::test::ReadFileBytes(file);
  EXPECT_EQ(std::string(text.begin(), text.end()), "edited");
}

TEST(EntryMasks, OnlyAChangedFileOfAZipArchiveIsPutBack) {
  const struct {
    qel::TArcType type;
    std::optional<int64_t> recorded, current;
    bool putBack;
  } cases[] = {
      {qel::atZip, 10, 11, true},
      {qel::atZipExe, 10, 9, true},
      {qel::atZip, 10, 10, false},
      {qel::atZip, std::nullopt, 11, false},
      {qel::atZip, 10, std::nullopt, false},  // deleted by the viewer
      {qel::atJar, 10, 11, false},
      {qel::atTar, 10, 11, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ShouldPutBack(c.type, c.recorded, c.current), c.putBack) << int(c.type);
}

}  // namespace
}  // namespace vk::app
