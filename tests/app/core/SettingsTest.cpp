// Settings.ini through TAppSettings: the complete first-run file, both kinds of defaults,
// bad values, keeping what the program does not know, favourites, export and import, the
// immediate Reuse write, and where windows open.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <map>
#include <vector>

#include "app/core/AppPaths.h"
#include "app/core/AppSettings.h"
#include "app/core/DialogSettings.h"
#include "app/core/IniFile.h"
#include "app/core/WindowGeometry.h"
#include "engine/base/FileSystem.h"
#include "tests/support/PeerTools.h"

namespace vk::app {
namespace {

using qel::test::TestFolder;

enum class Kind { Bool, Int, Text };

struct Key {
  QString section, key;
  Kind kind;
  QString object, read;  // the values written by a first run, and after loading a bad value
};

// The keys and both defaults as the program must have them, grouped by equal defaults.
std::vector<Key> AllKeys() {
  struct Group {
    const char* section;
    Kind kind;
    const char* object;
    const char* read;
    std::vector<const char*> keys;
  };
  const std::vector<Group> groups = {
      {"Main",
       Kind::Int,
       "0",
       "0",
       {"WindowState", "Width", "Height", "Left", "Top", "AddType", "DefBhMethod", "Def7ZipMethod",
        "DefBgaMethod", "Threads"}},
      {"Main",
       Kind::Int,
       "1",
       "0",
       {"StartUpType", "ExtractType", "DefCabMethod", "DefZipMethod", "DefJarMethod"}},
      {"Main", Kind::Int, "2", "0", {"FavoriteOptions", "DefLhaMethod"}},
      {"Main", Kind::Int, "3", "0", {"DefType", "ViewStyle"}},
      {"Main", Kind::Int, "6", "0", {"DefArcType"}},
      {"Main", Kind::Int, "225", "0", {"SplitterPos"}},
      {"Main", Kind::Int, "1", "1", {"DCExtractFolderType"}},
      {"Main",
       Kind::Bool,
       "0",
       "0",
       {"ShowMessages", "ShowToolbar", "ShowToolbarCaptions", "ShowStatusPanel", "ShowGridLines",
        "FullRowSelect", "FlatScrollbars", "FlatToolButtons", "MinToTray", "Reuse",
        "ShowCompressMenusForArchives", "AlwaysOnTop", "SolidArchive", "DCExtract",
        "DCOpenAfterExtract", "VTEulaAccepted"}},
      {"Main",
       Kind::Bool,
       "1",
       "0",
       {"ShellAddToArc", "ShellAddToFileName", "ShellExtractTo", "ShellExtractHere",
        "ShellExtractToFolder", "ShellEMailArc", "ShellConvertArc", "ShellCreateSFX",
        "ShellOpenWith", "ShellTest", "ShowComments", "ColoredItems", "ExplorerView",
        "ViewExplorerTree", "ShowToolTips", "CascadeMenus", "ShowShellMenuIcons"}},
      {"Main", Kind::Bool, "1", "1", {"IncludeFolderInfo", "AutoTar"}},
      // AppTempFolder is the system temporary folder in memory and empty in the file.
      {"Main",
       Kind::Text,
       "",
       "",
       {"AppTempFolder", "AppStartUpFolder", "AppAddFolder", "AppExtractFolder",
        "LastExtractFolder", "LastAddFolder", "AppLanguageFile", "VirusScanner", "VSParams", "Skin",
        "CheckOutBaseFolder", "UpdateSite"}},
      {"Main", Kind::Text, "Notepad", "Notepad", {"DefViewer"}},  // empty means Notepad
      // The name column is never hidden; the others are, by a bad width.
      {"Columns", Kind::Int, "120", "120", {"FileName"}},
      {"Columns", Kind::Int, "150", "0", {"DateTime", "FileType"}},
      {"Columns", Kind::Int, "90", "0", {"Packed", "Unpacked"}},
      {"Columns", Kind::Int, "100", "0", {"Ratio", "Folder"}},
      {"Columns", Kind::Int, "70", "0", {"Attributes"}},
      {"Columns", Kind::Int, "90", "0", {"CRC"}},
      {"Columns", Kind::Text, "", "", {"Order"}},  // empty: the built-in column order
      {"Buttons", Kind::Bool, "1", "1", {"New", "Open", "Add", "Extract", "Test", "Exit"}},
      {"Buttons",
       Kind::Bool,
       "0",
       "1",
       {"Favorites", "Properties", "Print", "EMail", "Delete", "View", "VirusScan", "MakeExe",
        "CheckOut", "Install", "Split", "Help"}},
      {"frmConvert", Kind::Int, "0", "0", {"LastConvertOutputType"}},
  };
  std::vector<Key> keys = {{"Main", "AppCurrentDir", Kind::Text, ProgramFolder(), ""}};
  for (const Group& g : groups)
    for (const char* k : g.keys) keys.push_back({g.section, k, g.kind, g.object, g.read});
  return keys;
}

std::string S(const QString& text) { return text.toStdString(); }

QString Path(const TestFolder& folder, const char* name) {
  return QString::fromStdString(folder / name);
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

QString ReadText(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

TIniFile IniAt(const QString& path) {
  TIniFile ini;
  ini.Load(path);
  return ini;
}

// The file TAppSettings writes for `settings`, as a document.
TIniFile Saved(const TAppSettings& settings, const QString& path) {
  QFile::remove(path);
  EXPECT_TRUE(settings.Save(path));
  return IniAt(path);
}

// A first run's file, with non-default values in a few keys of each kind.
QString CompleteFile(const TestFolder& folder) {
  const QString path = Path(folder, "complete.ini");
  {
    TAppSettings s(path);
    s.ShowToolbar = true;
    s.DefArcType = 3;
    s.Columns.Ratio = 0;
    s.Buttons[2] = true;
    s.VSParams = "%f, /s; /x=1";
    s.Favorites = {"/srv/a", "/home/b c"};
  }
  return ReadText(path);
}

TEST(SettingsFile, FirstRunWritesEveryKeyWithTheObjectDefaults) {
  TestFolder folder;
  const QString path = Path(folder, "Settings.ini");
  {
    TAppSettings s(path);
    EXPECT_TRUE(s.FirstRun);
    // The program's private folder, never the shared one.
    EXPECT_EQ(s.AppTempFolder, QString::fromStdString(qel::SystemTempFolder()));
    EXPECT_FALSE(QFileInfo::exists(path));
  }
  const TIniFile ini = IniAt(path);
  std::map<QString, QStringList> expectedKeys;
  for (const Key& k : AllKeys()) {
    expectedKeys[k.section] << k.key;
    EXPECT_EQ(ini.Value(k.section, k.key).value_or("<missing>"), k.object) << S(k.key);
  }
  EXPECT_EQ(ini.Sections(), QStringList({"Main", "Columns", "Buttons", "frmConvert"}));
  for (const auto& [section, keys] : expectedKeys) {
    QStringList written = ini.Keys(section), wanted = keys;
    written.sort();
    wanted.sort();
    EXPECT_EQ(written, wanted) << S(section);
  }
  QStringList buttons;
  for (const char* k : kToolbarButtonKeys) buttons << k;
  EXPECT_EQ(ini.Keys("Buttons"), buttons);  // toolbar order
  EXPECT_FALSE(TAppSettings(path).FirstRun);
}

TEST(SettingsLoad, BadValuesGiveTheReadDefaults) {
  TestFolder folder;
  const QString in = Path(folder, "in.ini");
  const std::vector<Key> keys = AllKeys();
  { TAppSettings first(in); }  // every key present
  for (const char* bad : {"abc", "", "12x", "99999999999", "0x10"}) {
    TIniFile ini = IniAt(in);
    for (const Key& k : keys)
      if (k.kind != Kind::Text && !(k.kind == Kind::Bool && QString(bad) == "99999999999"))
        ini.WriteString(k.section, k.key, bad);
    ASSERT_TRUE(ini.Save(in));
    TAppSettings s(in);
    const TIniFile out = Saved(s, Path(folder, "out.ini"));
    for (const Key& k : keys) {
      if (k.kind == Kind::Text) continue;
      EXPECT_EQ(out.Value(k.section, k.key), k.read) << S(k.key) << " = " << bad;
    }
  }
  // Any non-zero number is true; numbers outside a key's range are bad values too.
  WriteBytes(in,
             "[Main]\nShowToolbar=2\nShowMessages=-1\nShellTest=0\nDefArcType=8\nExtractType=-1\n"
             "Left=-20\nSplitterPos=70000\n[Columns]\nCRC=65536\nFileName=5\n");
  TAppSettings s(in);
  EXPECT_TRUE(s.ShowToolbar);
  EXPECT_TRUE(s.ShowMessages);
  EXPECT_FALSE(s.ShellTest);
  EXPECT_EQ(s.DefArcType, 0);
  EXPECT_EQ(s.ExtractType, 0);
  EXPECT_EQ(s.Left, -20);
  EXPECT_EQ(s.SplitterPos, 0);
  EXPECT_EQ(s.Columns.CRC, 0);
  EXPECT_EQ(s.Columns.FileName, 120);
}

// A Reuse toggle writes at once; a program that then ends without its final save leaves a
// file holding only that key. The next start must still get a usable window and list.
TEST(SettingsLoad, PartialFileGetsReadDefaultsAndFirstRunColumns) {
  TestFolder folder;
  const QString path = Path(folder, "Settings.ini");
  TAppSettings first(path);
  first.Reuse = true;
  first.ShowToolbar = true;
  ASSERT_TRUE(first.SaveReuse());
  EXPECT_EQ(ReadText(path), "[Main]\nReuse=1\n");

  TAppSettings s(path);
  EXPECT_FALSE(s.FirstRun);
  const TIniFile out = Saved(s, Path(folder, "out.ini"));
  for (const Key& k : AllKeys()) {
    const QString want = k.key == "Reuse" ? "1" : k.section == "Columns" ? k.object : k.read;
    EXPECT_EQ(out.Value(k.section, k.key), want) << S(k.key);
  }
  EXPECT_EQ(MainWindowRect(s, QSize(640, 480), QSize(1000, 800)),
            TWindowRect({180, 160, 640, 480}));
}

TEST(SettingsFile, UnknownContentSurvivesSaveInPlaceAndInOrder) {
  TestFolder folder;
  const QString path = Path(folder, "Settings.ini");
  QString text = CompleteFile(folder);
  text.replace("[Columns]\n", "[Unknown]\nFoo=bar, baz; qux\n\n[Columns]\n; in pixels\n");
  text.replace("ShowGridLines=0\n", "ShowGridLines=0\nFutureKey=%s/x\n");
  text.prepend("; Vorelkit settings\n\n");
  WriteBytes(path, text.toUtf8());
  {
    TAppSettings s(path);
    ASSERT_FALSE(s.FirstRun);
  }
  EXPECT_EQ(ReadText(path), text);

  // A dialog writes its section while the program runs; the final save keeps it.
  TIniFile expected;
  expected.Parse(text);
  {
    TAppSettings s(path);
    s.ShowToolbar = false;
    TAddDialogSettings add;
    add.chbHidden = false;
    ASSERT_TRUE(s.UpdateFile([&](TIniFile& ini) {
      add.Write(ini);
      WriteDialogRect(ini, "frmAdd", {1, 2, 3, 4});
    }));
    add.Write(expected);
    WriteDialogRect(expected, "frmAdd", {1, 2, 3, 4});
    expected.WriteBool("Main", "ShowToolbar", false);
  }
  EXPECT_EQ(ReadText(path), expected.Text());
}

TEST(SettingsFile, CrlfAndByteOrderMarkReadAlike) {
  TestFolder folder;
  const QString lf = Path(folder, "lf.ini"), crlf = Path(folder, "crlf.ini");
  const QString text = CompleteFile(folder);
  WriteBytes(lf, text.toUtf8());
  WriteBytes(crlf, "\xEF\xBB\xBF" + QString(text).replace("\n", "\r\n").toUtf8());
  TAppSettings a(lf), b(crlf);
  EXPECT_EQ(b.Favorites, QStringList({"/srv/a", "/home/b c"}));
  EXPECT_EQ(b.VSParams, "%f, /s; /x=1");
  EXPECT_EQ(Saved(a, Path(folder, "a.ini")).Text(), Saved(b, Path(folder, "b.ini")).Text());
}

TEST(SettingsFavorites, FileOrderWithoutRepeatsAndRemovedOnesStayRemoved) {
  TestFolder folder;
  const QString path = Path(folder, "Settings.ini");
  WriteBytes(path, "[Favorites]\n1=/b\n0=/a/One\n2=/A/one\n3=\n7=/c\n");
  {
    TAppSettings s(path);
    EXPECT_EQ(s.Favorites, QStringList({"/b", "/a/One", "/c"}));
    EXPECT_TRUE(s.IsFavorite("/B"));
    s.AddFavorite("/C");
    s.AddFavorite("/d");
    EXPECT_EQ(s.Favorites, QStringList({"/b", "/a/One", "/c", "/d"}));
    s.Favorites = {"/d"};
  }
  const TIniFile ini = IniAt(path);
  EXPECT_EQ(ini.Keys("Favorites"), QStringList({"0"}));
  EXPECT_EQ(TAppSettings(path).Favorites, QStringList({"/d"}));
}

TEST(SettingsExchange, ExportImportRoundTripAndReuseWritesAlone) {
  TestFolder folder;
  const QString path = Path(folder, "Settings.ini"), cfg = Path(folder, kSettingsExchangeFileName);
  WriteBytes(path, CompleteFile(folder).toUtf8());
  TAppSettings a(path);
  a.Left = -5;
  a.AppStartUpFolder = "/srv/start";
  a.Columns.FileName = 300;
  ASSERT_TRUE(a.Export(cfg));

  TAppSettings b(Path(folder, "other.ini"));
  ASSERT_TRUE(b.FirstRun);
  EXPECT_FALSE(b.Import(Path(folder, "missing.cfg")));
  EXPECT_TRUE(b.FirstRun);
  ASSERT_TRUE(b.Import(cfg));
  EXPECT_FALSE(b.FirstRun);
  EXPECT_EQ(Saved(a, Path(folder, "a.ini")).Text(), Saved(b, Path(folder, "b.ini")).Text());

  // Toggling Reuse writes that one key into the file as it is on disk, nothing else.
  const QString before = ReadText(path);
  a.Reuse = true;
  ASSERT_TRUE(a.SaveReuse());
  EXPECT_EQ(ReadText(path), QString(before).replace("\nReuse=0\n", "\nReuse=1\n"));

  UseAppSettings(&b);
  EXPECT_EQ(&AppSettings(), &b);
  UseAppSettings(nullptr);
}

TEST(SettingsFile, TempFolderIsMadeAndTheSystemOneIsNotStored) {
  TestFolder folder;
  const QString path = Path(folder, "Settings.ini"), custom = Path(folder, "tmp/deep/er");
  WriteBytes(path, ("[Main]\nAppTempFolder=" + custom + "\n").toUtf8());
  TAppSettings s(path);
  EXPECT_TRUE(QFileInfo(custom).isDir());
  EXPECT_EQ(s.AppTempFolder, custom + "/");
  EXPECT_EQ(Saved(s, Path(folder, "a.ini")).Value("Main", "AppTempFolder"), custom + "/");
  s.AppTempFolder = QDir::tempPath();
  EXPECT_EQ(Saved(s, Path(folder, "b.ini")).Value("Main", "AppTempFolder"), "");
}

TEST(SettingsGeometry, WindowsOpenWhereStoredOrCentred) {
  const QSize screen(1000, 800);
  TIniFile ini;
  ini.Parse(
      "[frmTest]\nLeft=10\nTop=20\nWidth=500\nHeight=400\n[frmAdd]\nchbArchive=0\n"
      "[frmErrors]\nLeft=7\nWidth=0\nHeight=-3\n");
  EXPECT_EQ(DialogRect(ini, "frmComments", QSize(400, 300), screen),
            TWindowRect({300, 250, 400, 300}));
  EXPECT_EQ(DialogRect(ini, "FRMTEST", QSize(400, 300), screen), TWindowRect({10, 20, 500, 400}));
  EXPECT_EQ(DialogRect(ini, "frmAdd", QSize(400, 300), screen), TWindowRect({100, 100, 300, 200}));
  EXPECT_EQ(DialogRect(ini, "frmErrors", QSize(400, 300), screen), TWindowRect({7, 100, 300, 200}));

  TAddDialogSettings add;
  add.Read(ini);
  EXPECT_FALSE(add.chbArchive);
  EXPECT_TRUE(add.chbHidden);
  EXPECT_EQ(add.Column_2, 60);
  ini.Parse("[frmAdd]\nColumn_1=0\n[frmExtract]\nchbConfFileOverrites=1\n");
  add.Read(ini);
  EXPECT_EQ(add.Column_1, 300);
  TExtractDialogSettings extract;
  extract.Read(ini);
  EXPECT_TRUE(extract.chbConfFileOverrites);
  EXPECT_FALSE(extract.chbOpenFolder);

  TestFolder folder;
  TAppSettings s(Path(folder, "Settings.ini"));
  const QSize builtIn(640, 480);
  EXPECT_EQ(MainWindowRect(s, builtIn, screen), TWindowRect({180, 160, 640, 480}));
  s.FirstRun = false;
  s.Left = 30;
  s.Top = 40;
  s.Width = 700;
  s.Height = 500;
  EXPECT_EQ(MainWindowRect(s, builtIn, screen), TWindowRect({30, 40, 700, 500}));
  s.Left = 1200;  // beyond the screen
  EXPECT_EQ(MainWindowRect(s, builtIn, screen), TWindowRect({150, 150, 700, 500}));
}

}  // namespace
}  // namespace vk::app
