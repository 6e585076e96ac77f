// The add and extract dialogs end to end: the real dialogs are driven as a user would, the
// ZIP writer or reader runs on what they leave as the commands run it, and the peer tools
// say what the archive or the extracted folder holds.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <QCheckBox>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>

#include "app/core/AddPasses.h"
#include "app/core/AppSettings.h"
#include "app/core/Translation.h"
#include "app/gui/AddDialog.h"
#include "app/gui/AddFileBrowser.h"
#include "app/gui/AddFileNameDialog.h"
#include "app/gui/ExtractDialog.h"
#include "app/prompts/EnginePrompts.h"
#include "engine/compress/CompBase.h"
#include "formats/zip/UnZip.h"
#include "tests/app/core/ScriptedPrompter.h"
#include "tests/app/gui/BrowserRows.h"
#include "tests/app/support/ModalSteps.h"
#include "tests/app/support/ScratchSettings.h"
#include "tests/support/PeerTools.h"

namespace vk::gui {
namespace {

namespace fs = std::filesystem;
using app::TComponentKind;
using qel::test::RunTool;
using qel::test::RunToolOk;
using qel::test::TestFolder;
using qel::test::WriteFileText;
using Strings = std::vector<std::string>;

// Local time, as a DOS time holds it.
int64_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;
  return int64_t(std::mktime(&t));
}

void SetTime(const std::string& path, int64_t time) {
  const utimbuf times{time_t(time), time_t(time)};
  ASSERT_EQ(::utime(path.c_str(), &times), 0) << path;
}

int64_t ModTime(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? int64_t(st.st_mtime) : -1;
}

int64_t Now() { return int64_t(std::time(nullptr)); }

// The entry names `zipinfo -1` lists, sorted.
Strings Names(const std::string& archive) {
  const qel::test::ToolRun run = RunTool({"zipinfo", "-1", archive});
  EXPECT_TRUE(run.Ok()) << run.err;
  Strings names;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);)
    if (!line.empty()) names.push_back(line);
  std::sort(names.begin(), names.end());
  return names;
}

// What `zipinfo -T` says of each entry: its method code (stor, defS, defF, defN, defX: the
// Deflate sub-type comes from flag bits 1-2) and its time.
struct TListed {
  std::string method;
  int64_t time = -1;
};
std::map<std::string, TListed> Listing(const std::string& archive) {
  const qel::test::ToolRun run = RunTool({"zipinfo", "-T", archive});
  EXPECT_TRUE(run.Ok()) << run.err;
  std::map<std::string, TListed> entries;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string attr, version, os, size, kind, method, when, name;
    if (!(fields >> attr >> version >> os >> size >> kind >> method >> when >> name)) continue;
    int y, mo, d, h, mi, s;
    if (std::sscanf(when.c_str(), "%4d%2d%2d.%2d%2d%2d", &y, &mo, &d, &h, &mi, &s) != 6) continue;
    entries[name] = {method, LocalTime(y, mo, d, h, mi, s)};
  }
  return entries;
}

// What the user chooses on the Add Files dialog's Options page.
struct TAddChoice {
  const char* compression = "Normal";
  const char* method = "Deflate";
  const char* action = "Add";
  const char* storedFolders = "Relative";
  const char* date = "File Date";
  const char* encryption = "None";
  bool subFolders = false;
  bool hidden = true;
};

class DialogArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qel::test::MakeTree(scratch_.Folder().Path(),
                        {{"tmp/", ""},
                         {"files/a.txt", std::string(4000, 'a')},
                         {"files/b.txt", "b"},
                         {"files/sub/c.txt", std::string(300, 'c')},
                         {"files/sub/deep/d.txt", std::string(300, 'd')}});
    scratch_.Settings().AppCurrentDir = Path("files");
    scratch_.Settings().AppTempFolder = Path("tmp");
    NewComponents();
  }
  void TearDown() override { components_.reset(); }
  QString Path(const std::string& name) const { return scratch_.Path(name); }
  std::string In(const std::string& name) const { return scratch_.Folder() / ("files/" + name); }

  // A window's components as the program sets them up, noting the writer's errors.
  void NewComponents() {
    components_ = std::make_unique<app::TArchiveComponents>();
    errors_.clear();
    components_->Writer(TComponentKind::Zip).OnError =
        [this](qel::TZipCommon&, const std::string&, const std::string&, const std::string&,
               int code) { errors_.push_back(code); };
  }
  qel::TCompBase& Zip() { return components_->Writer(TComponentKind::Zip); }

  // The Add or New command: the Add Files dialog for archive_ (open when it exists, new
  // otherwise), the choices made and `rows` selected, OK with "pw" for a password box; then
  // the writer's runs. Answers the files added, -1 when the dialog was not accepted.
  int Add(const TAddChoice& c, const QStringList& rows) {
    const bool exists = fs::exists(archive_);
    if (exists) {
      components_->Select(TComponentKind::Zip);
      Zip().SetArchiveFile(archive_);
    }
    TfrmAdd dialog(*components_, exists ? qel::atZip : qel::atNA, QString::fromStdString(archive_));
    dialog.show();
    auto* browser = dialog.findChild<TAddFileBrowser*>();
    const auto listed = [&] {
      QStringList names;
      for (const app::TBrowserItem& item : browser->Items()) names << item.Path.section('/', -1);
      return std::all_of(rows.begin(), rows.end(),
                         [&](const QString& r) { return names.contains(r); });
    };
    EXPECT_TRUE(QTest::qWaitFor(listed));
    const std::pair<const char*, const char*> combos[] = {
        {"cbMethod", c.method},    {"cbCompression", c.compression},
        {"cbAction", c.action},    {"cbStoredFolders", c.storedFolders},
        {"cbDateAttribs", c.date}, {"cbEncryption", c.encryption}};
    for (const auto& [name, text] : combos) {
      auto* combo = dialog.findChild<QComboBox*>(name);
      EXPECT_GE(combo->findText(text), 0) << name << " " << text;
      combo->setCurrentIndex(combo->findText(text));
    }
    dialog.findChild<QCheckBox*>("chbIncSubFolders")->setChecked(c.subFolders);
    dialog.findChild<QCheckBox*>("chbHidden")->setChecked(c.hidden);
    test::SelectBrowserRows(&dialog, rows);
    {
      test::TBoxAnswers answers({"pw", "pw"});
      dialog.findChild<QPushButton*>("bbOK")->click();
    }
    if (dialog.result() != QDialog::Accepted) return -1;
    if (!exists) components_->CurrentWriter->SetArchiveFile(archive_);
    return RunWriter();
  }

  // The writer's runs after the dialog: FileSpec, then with relative folder names the
  // folders on their own with the start folder's name kept, recursing.
  int RunWriter() {
    return app::RunAddPasses(*components_->CurrentWriter,
                             components_->RelativeFolders ? components_->FolderList : QStringList(),
                             true);
  }

  // The compact Add dialog with a compression position and a method, for the files a.txt
  // and b.txt handed over from outside.
  int AddCompact(int compression, const char* method) {
    TfrmAddFileName dialog(*components_);
    dialog.findChild<QLineEdit*>("edArcName")->setText(QString::fromStdString(archive_));
    dialog.findChild<QComboBox*>("cbCompression")->setCurrentIndex(compression);
    auto* methods = dialog.findChild<QComboBox*>("cbMethod");
    methods->setCurrentIndex(methods->findText(method));
    emit methods->activated(methods->currentIndex());
    dialog.findChild<QPushButton*>("bbAdd")->click();
    if (dialog.result() != QDialog::Accepted) return -1;
    qel::TCompBase& w = *components_->CurrentWriter;
    w.FileSpec = {In("a.txt"), In("b.txt")};
    w.SetArchiveFile(dialog.ArchiveName().toStdString());
    return w.Compress();
  }

  test::TScratchSettings scratch_;
  const std::string archive_ = scratch_.Folder() / "out.zip";
  std::unique_ptr<app::TArchiveComponents> components_;
  std::vector<int> errors_;
};

TEST_F(DialogArchiveTest, CompressionAndMethodReachEveryEntry) {
  VK_REQUIRE_TOOL("zipinfo");
  // a.txt compresses well; the single byte of b.txt would grow and is stored whatever the
  // choice. Super Fast stores: the ZIP writer never compresses at that level.
  const struct {
    int compression;
    const char* method;
    const char* a;
  } cases[] = {{0, "Deflate", "stor"}, {1, "Deflate", "defF"}, {2, "Deflate", "defN"},
               {3, "Deflate", "defX"}, {3, "Store", "stor"},   {0, "Bzip2", "stor"},
               {2, "Bzip2", "bzp2"}};
  const char* levels[] = {"Super Fast", "Fast", "Normal", "Maximal"};
  for (bool compact : {false, true}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(compact ? "compact " : "") + levels[c.compression] + c.method);
      fs::remove(archive_);
      NewComponents();
      TAddChoice choice;
      choice.compression = levels[c.compression];
      choice.method = c.method;
      ASSERT_EQ(compact ? AddCompact(c.compression, c.method) : Add(choice, {"a.txt", "b.txt"}), 2);
      const auto entries = Listing(archive_);
      ASSERT_EQ(entries.size(), 2u);
      EXPECT_EQ(entries.at("a.txt").method, c.a);
      EXPECT_EQ(entries.at("b.txt").method, "stor");
      EXPECT_TRUE(errors_.empty());
    }
  }
}

TEST_F(DialogArchiveTest, StoredFoldersNameTheEntries) {
  VK_REQUIRE_TOOL("zipinfo");
  const std::string abs = scratch_.Folder() / "files/";
  const std::string noRoot = abs.substr(1);
  const struct {
    const char* storedFolders;
    bool subFolders;
    Strings names;
  } cases[] = {
      {"None", false, {"a.txt", "c.txt"}},
      {"None", true, {"a.txt", "c.txt", "d.txt"}},
      {"Absolute", false, {abs + "a.txt", abs + "sub/c.txt"}},
      {"Absolute", true, {abs + "a.txt", abs + "sub/c.txt", abs + "sub/deep/d.txt"}},
      {"Absolute No Drive", false, {abs + "a.txt", abs + "sub/c.txt"}},
      {"Absolute No Root",
       true,
       {noRoot + "a.txt", noRoot + "sub/c.txt", noRoot + "sub/deep/d.txt"}},
      // The folders go in a pass of their own that keeps the folder's name and recurses.
      {"Relative", false, {"a.txt", "sub/c.txt", "sub/deep/d.txt"}},
      {"Relative", true, {"a.txt", "sub/c.txt", "sub/deep/d.txt"}},
      // One pass: each group is named from its folder's parent.
      {"Relative Store Start", false, {"files/a.txt", "sub/c.txt"}},
      {"Relative Store Start", true, {"files/a.txt", "sub/c.txt", "sub/deep/d.txt"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.storedFolders) + (c.subFolders ? " recursing" : ""));
    fs::remove(archive_);
    NewComponents();
    TAddChoice choice;
    choice.storedFolders = c.storedFolders;
    choice.subFolders = c.subFolders;
    EXPECT_EQ(Add(choice, {"a.txt", "sub"}), int(c.names.size()));
    EXPECT_EQ(Names(archive_), c.names);
    EXPECT_TRUE(errors_.empty());
  }
}

TEST_F(DialogArchiveTest, EncryptionIsWhatThePeersFind) {
  VK_REQUIRE_TOOL("7z");
  VK_REQUIRE_TOOL("unzip");
  const struct {
    const char* encryption;
    const char* method;  // 7-Zip's name for a.txt's method
    bool unzipReads;     // Info-ZIP has no AES
  } cases[] = {{"None", "Deflate", true},
               {"AES - 128 bit", "AES-128 Deflate", false},
               {"AES - 192 bit", "AES-192 Deflate", false},
               {"AES - 256 bit", "AES-256 Deflate", false},
               {"PK ZIP v2.0", "ZipCrypto Deflate", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.encryption);
    fs::remove(archive_);
    NewComponents();
    TAddChoice choice;
    choice.encryption = c.encryption;
    ASSERT_EQ(Add(choice, {"a.txt"}), 1);
    const qel::test::ToolRun list = RunTool({"7z", "l", "-slt", "-ppw", archive_});
    EXPECT_NE(list.out.find(std::string("Method = ") + c.method + "\n"), std::string::npos)
        << list.out;
    RunToolOk({"7z", "t", "-ppw", archive_});
    const bool enciphered = std::string(c.encryption) != "None";
    EXPECT_EQ(RunTool({"7z", "t", "-pwrong", archive_}).Ok(), !enciphered);
    if (c.unzipReads) RunToolOk({"unzip", "-P", "pw", "-t", archive_});
  }
}

TEST_F(DialogArchiveTest, RefreshReplacesOnlyChangedFilesAndMoveDeletesOnlyWhatWasStored) {
  VK_REQUIRE_TOOL("unzip");
  const int64_t old = LocalTime(2001, 2, 3, 4, 5, 6);
  SetTime(In("a.txt"), old);
  SetTime(In("b.txt"), old);
  ASSERT_EQ(Add({}, {"a.txt", "b.txt"}), 2);
  WriteFileText(In("a.txt"), "changed");
  SetTime(In("a.txt"), old + 3600);
  WriteFileText(In("n.txt"), "new");
  NewComponents();
  TAddChoice refresh;
  refresh.action = "Refresh";
  EXPECT_EQ(Add(refresh, {"a.txt", "b.txt", "n.txt"}), 1);
  EXPECT_EQ(Names(archive_), Strings({"a.txt", "b.txt"}));
  EXPECT_EQ(RunTool({"unzip", "-p", archive_, "a.txt"}).out, "changed");
  EXPECT_EQ(RunTool({"unzip", "-p", archive_, "b.txt"}).out, "b");

  // Moved files go through the trash hook, and only once the archive holds them: a run
  // cancelled while it compresses trashes nothing.
  const struct {
    bool cancel;
    Strings names;  // in the archive afterwards; none: no archive
    Strings trashed;
  } cases[] = {{true, {}, {}},
               {false,
                {"a.txt", "sub/c.txt", "sub/deep/d.txt"},
                {In("a.txt"), In("sub/c.txt"), In("sub/deep/d.txt")}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cancel);
    fs::remove(archive_);
    NewComponents();
    Strings trashed;
    Zip().MoveToTrash = [&trashed](const std::string& path) {
      trashed.push_back(path);
      return fs::remove(path);
    };
    if (c.cancel) {
      Zip().OnProgress = [](qel::TZipCommon& zip, uint8_t, uint8_t) { zip.SetCancel(true); };
    }
    TAddChoice move;
    move.action = "Move";
    move.subFolders = true;
    EXPECT_EQ(Add(move, {"a.txt", "sub"}), int(c.names.size()));
    EXPECT_EQ(fs::exists(archive_), !c.names.empty());
    if (!c.names.empty()) {
      EXPECT_EQ(Names(archive_), c.names);
    }
    std::sort(trashed.begin(), trashed.end());
    EXPECT_EQ(trashed, c.trashed);
    for (const char* name : {"a.txt", "sub/c.txt", "sub/deep/d.txt"})
      EXPECT_EQ(fs::exists(In(name)), c.trashed.empty()) << name;
    // The folders the move emptied go with their files.
    EXPECT_EQ(fs::exists(In("sub")), c.trashed.empty());
    EXPECT_TRUE(fs::exists(In("b.txt")));
  }
}

TEST_F(DialogArchiveTest, DateRuleAndAttributeFilter) {
  VK_REQUIRE_TOOL("zipinfo");
  const int64_t aTime = LocalTime(2001, 2, 3, 4, 5, 6);
  const int64_t bTime = LocalTime(2005, 6, 7, 8, 9, 10);
  SetTime(In("a.txt"), aTime);
  SetTime(In("b.txt"), bTime);
  const struct {
    const char* date;
    int64_t a, b;  // 0: the time of the add
  } cases[] = {{"File Date", aTime, bTime}, {"System Date", 0, 0}, {"Max File Date", bTime, bTime}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.date);
    fs::remove(archive_);
    NewComponents();
    TAddChoice choice;
    choice.date = c.date;
    const int64_t start = Now();
    ASSERT_EQ(Add(choice, {"a.txt", "b.txt"}), 2);
    const auto entries = Listing(archive_);
    for (const auto& [name, expected] : {std::pair{"a.txt", c.a}, std::pair{"b.txt", c.b}}) {
      const int64_t stored = entries.at(name).time;
      if (expected)
        EXPECT_NEAR(stored, expected, 2) << name;  // DOS times count in two seconds
      else
        EXPECT_TRUE(stored >= start - 2 && stored <= Now() + 2) << name;
    }
  }

  // Hidden off leaves out the dot-files; the folders are searched whatever they are called.
  fs::create_directories(In("sub/.hid"));
  WriteFileText(In("sub/.secret"), "s");
  WriteFileText(In("sub/.hid/x.txt"), "x");
  for (bool hidden : {true, false}) {
    SCOPED_TRACE(hidden);
    fs::remove(archive_);
    NewComponents();
    TAddChoice choice;
    choice.storedFolders = "Relative Store Start";
    choice.subFolders = true;
    choice.hidden = hidden;
    Strings names = {"sub/.hid/x.txt", "sub/c.txt", "sub/deep/d.txt"};
    if (hidden) names.insert(names.begin() + 1, "sub/.secret");
    EXPECT_EQ(Add(choice, {"sub"}), int(names.size()));
    EXPECT_EQ(Names(archive_), names);
  }
}

TEST_F(DialogArchiveTest, ExtractChoicesShapeTheFolder) {
  VK_REQUIRE_TOOL("zip");
  fs::create_directories(scratch_.Folder() / "src/docs");
  fs::create_directories(scratch_.Folder() / "in");
  WriteFileText(scratch_.Folder() / "src/a.txt", "top");
  WriteFileText(scratch_.Folder() / "src/docs/b.txt", "inside");
  WriteFileText(scratch_.Folder() / "src/ro.txt", "locked");
  const int64_t stored = LocalTime(2003, 4, 5, 6, 7, 8);
  SetTime(scratch_.Folder() / "src/a.txt", stored);
  fs::permissions(scratch_.Folder() / "src/ro.txt",
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  ASSERT_TRUE(RunToolOk({"zip", "-q", "-r", "../in/arc.zip", "a.txt", "ro.txt", "docs"},
                        scratch_.Folder() / "src"));
  const std::string arc = scratch_.Folder() / "in/arc.zip";
  scratch_.Settings().LastExtractFolder = Path("last");
  scratch_.Settings().AppExtractFolder = Path("fixed");
  const auto writable = [](const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && (st.st_mode & S_IWUSR);
  };

  const struct {
    int extractType;
    const char* folder;  // where the files go
    bool folders, systemDate, attributes;
  } cases[] = {{0, "in", true, false, true},
               {1, "in/arc", false, true, false},
               {2, "last", true, true, false},
               {3, "fixed", false, false, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.extractType);
    scratch_.Settings().ExtractType = c.extractType;
    app::TExtractChoices choices;
    {
      TfrmExtract dialog(QString::fromStdString(arc), false, false);
      dialog.findChild<QCheckBox*>("chbRestOrgnFolders")->setChecked(c.folders);
      dialog.findChild<QCheckBox*>("chbRestoreFileAttribs")->setChecked(c.attributes);
      dialog.findChild<QCheckBox*>("chbConfFileOverrites")->setChecked(false);
      dialog.findChild<QComboBox*>("cbDateAttribs")->setCurrentIndex(c.systemDate ? 1 : 0);
      choices = dialog.Choices();
    }
    qel::TUnZip reader;
    reader.SetArchiveFile(arc);
    app::ApplyExtractChoices(choices, reader, Path("tmp"));
    reader.FileSpec = {"*"};
    const int64_t start = Now();
    reader.Extract();
    const std::string out = scratch_.Folder() / c.folder;
    EXPECT_EQ(qel::test::ReadFileText(out + "/a.txt"), "top");
    EXPECT_EQ(fs::is_regular_file(out + "/docs/b.txt"), c.folders);
    EXPECT_EQ(fs::is_regular_file(out + "/b.txt"), !c.folders);
    if (c.systemDate)
      EXPECT_GE(ModTime(out + "/a.txt"), start - 1);
    else
      EXPECT_NEAR(ModTime(out + "/a.txt"), stored, 2);
    EXPECT_EQ(writable(out + "/ro.txt"), !c.attributes);
  }

  // Replacing a file that is there: asked (and answered) with the box on, done without it.
  const struct {
    bool confirm;
    app::TAnswer answer;
    const char* content;
  } overwrites[] = {{true, app::TAnswer::No, "mine"},
                    {true, app::TAnswer::Yes, "top"},
                    {false, app::TAnswer::No, "top"}};
  for (const auto& o : overwrites) {
    SCOPED_TRACE(std::string(o.confirm ? "confirm " : "") +
                 (o.answer == app::TAnswer::Yes ? "yes" : "no"));
    fs::remove_all(scratch_.Folder() / "in/arc");
    fs::create_directories(scratch_.Folder() / "in/arc");
    WriteFileText(scratch_.Folder() / "in/arc/a.txt", "mine");
    scratch_.Settings().ExtractType = 1;
    app::TExtractChoices choices;
    {
      TfrmExtract dialog(QString::fromStdString(arc), false, false);
      dialog.findChild<QCheckBox*>("chbConfFileOverrites")->setChecked(o.confirm);
      dialog.findChild<QCheckBox*>("chbRestOrgnFolders")->setChecked(false);
      choices = dialog.Choices();
    }
    app::test::TScriptedPrompter prompter;
    prompter.Replies = {{o.answer, ""}};
    app::TEnginePrompts prompts(prompter);
    qel::TUnZip reader;
    prompts.AttachReader(reader);
    prompts.BeginExtraction();
    reader.SetArchiveFile(arc);
    app::ApplyExtractChoices(choices, reader, Path("tmp"));
    reader.FileSpec = {"*"};
    reader.Extract();
    EXPECT_EQ(qel::test::ReadFileText(scratch_.Folder() / "in/arc/a.txt"), o.content);
    EXPECT_EQ(prompter.Asked,
              o.confirm ? Strings({"replace " + scratch_.Folder() / "in/arc/a.txt"}) : Strings());
    EXPECT_EQ(qel::test::ReadFileText(scratch_.Folder() / "in/arc/b.txt"), "inside");
  }
}

}  // namespace
}  // namespace vk::gui
