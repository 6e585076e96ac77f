// The File menu's commands on the whole archive, offscreen, on a ZIP made by zip: the list
// printed to a file, the comment window against zip's own comment tools, the properties,
// printing without a printer, and mailing through a stand-in xdg-email.
#include <gtest/gtest.h>
#include <zlib.h>

#include <QAction>
#include <QCheckBox>
#include <QItemSelectionModel>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "app/core/ArchiveInfo.h"
#include "app/gui/EntryModel.h"
#include "app/gui/MainForm.h"
#include "app/gui/PrintList.h"
#include "app/gui/PropertiesDialog.h"
#include "app/gui/VrListView.h"
#include "tests/app/support/ModalSteps.h"
#include "tests/app/support/ScratchSettings.h"
#include "tests/support/EnvVar.h"
#include "tests/support/PeerTools.h"

namespace vk::gui {
namespace {

using qel::test::ReadFileBytes;
using qel::test::RunTool;
using qel::test::RunToolOk;
using test::Box;
using test::SaveAs;
using test::TModalSteps;
using test::TStep;

const std::string kLongName = "a_very_long_file_name_here.txt";  // 30 characters

// A step on the window named `name`, which `act` deals with.
TStep On(const char* name, std::function<void(QWidget*)> act) {
  return [name, act](QWidget* modal) {
    if (modal->objectName() != name) return false;
    act(modal);
    return true;
  };
}

// Types `text` into the comments window and presses Save once the step has returned, so
// that a box Save opens is the next step's.
void SaveComment(QWidget* window, const QString& text) {
  window->findChild<QPlainTextEdit*>("Memo")->setPlainText(text);
  QTimer::singleShot(0, window->findChild<QPushButton*>("bbSave"), &QPushButton::click);
}

class ArchiveInfoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"zip", "unzip", "sh", "touch"}) VK_REQUIRE_TOOL(tool);
    // A locale whose dates have one width, whatever the system's.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    scratch_.Settings().ShowComments = false;
    scratch_.Settings().FavoriteOptions = 2;
    scratch_.Settings().ExplorerView = false;  // every file a row
    qel::test::MakeTree(
        Folder("src"),
        {{kLongName, std::string(1234, 'x')}, {"docs/b.txt", "b b b"}, {"secret.txt", "hidden!"}});
    for (const char* name : {kLongName.c_str(), "docs/b.txt", "secret.txt"})
      RunToolOk({"touch", "-d", "2021-03-04 05:06:08", name}, Folder("src"));
    RunToolOk({"zip", "-q", "-0", "-X", Folder("t.zip"), kLongName, "docs/b.txt"}, Folder("src"));
    RunToolOk({"zip", "-q", "-0", "-X", "-P", "pw", Folder("t.zip"), "secret.txt"}, Folder("src"));
    // zip takes the comment from its input; \351 is "é" in the ANSI code page.
    RunToolOk({"sh", "-c", "printf 'first line\\nsecond caf\\351\\n' | zip -q -z t.zip"},
              Folder(""));
    form_ = std::make_unique<TMainForm>(app::TStartCommand{}, false);
    form_->Launcher = [this](const app::TLaunch& launch, QString&) {
      launches_.push_back(launch);
      return true;
    };
    form_->show();
  }
  void TearDown() override {
    form_.reset();
    QLocale::setDefault(QLocale::system());
  }

  std::string Folder(const std::string& name) const { return scratch_.Folder() / name; }
  QString Path(const std::string& name) const { return scratch_.Path(name); }
  void Trigger(const char* action) {
    // Enabled here whatever the window's rules say, so that only the command is tested.
    form_->Action(action)->setEnabled(true);
    form_->Action(action)->trigger();
  }
  std::string UnzipComment() const { return RunTool({"unzip", "-z", Folder("t.zip")}).out; }

  test::TScratchSettings scratch_;
  std::unique_ptr<TMainForm> form_;
  std::vector<app::TLaunch> launches_;
  QStringList boxes_;
};

TEST_F(ArchiveInfoTest, PrintToFileWritesTheListAndOpensIt) {
  form_->OpenArchive(Path("t.zip"));
  {
    TModalSteps steps({SaveAs(Path("list"))});
    Trigger("acPrintToFile");
  }
  const std::string rule(116, '=');
  // Columns at 26, 51, 71 and 91; the long name runs straight into the date.
  const std::string expected =
      "Content of Archive: t.zip, Archive Size: 1,258 Decompressed Size: 1,246 Total 3 "
      "Files.\n"
      "\n" +
      rule +
      "\n"
      "FILE NAME                 DATE                     PACKED SIZE         SIZE"
      "                PATH\n" +
      rule +
      "\n"
      "\n"
      "a_very_long_file_name_here.txt04.03.21 05:06:08    1,234               1,234"
      "               \n"
      "b.txt                     04.03.21 05:06:08        5                   5"
      "                   docs/\n"
      "secret.txt+               04.03.21 05:06:08        7                   7"
      "                   \n"
      "\n" +
      rule +
      "\n"
      "Archive Comments:\n"
      "first line\n"
      "second caf\xC3\xA9\n";
  EXPECT_EQ(qel::test::ReadFileText(Folder("list.txt")), expected);
  ASSERT_EQ(launches_.size(), 1u);
  EXPECT_EQ(launches_[0].File, Path("list.txt"));
  EXPECT_TRUE(launches_[0].Program.isEmpty()) << "the desktop's program for text";
}

TEST_F(ArchiveInfoTest, CommentsRoundTripWithZipsOwnTools) {
  // Shown by itself after the open, read-only; the check box goes into the settings.
  scratch_.Settings().ShowComments = true;
  QString shown;
  {
    TModalSteps steps({On("frmComments", [&](QWidget* window) {
      auto* memo = window->findChild<QPlainTextEdit*>("Memo");
      shown = memo->toPlainText();
      EXPECT_TRUE(memo->isReadOnly());
      EXPECT_FALSE(window->findChild<QPushButton*>("bbSave")->isVisible());
      window->findChild<QCheckBox*>("chbShowComments")->setChecked(false);
      window->findChild<QPushButton*>("bbClose")->click();
    })});
    form_->OpenArchive(Path("t.zip"));
  }
  // zip keeps no newline at the end.
  EXPECT_EQ(shown, QString::fromUtf8("first line\nsecond caf\xC3\xA9"));
  EXPECT_FALSE(scratch_.Settings().ShowComments);

  // A new comment, stored in the ANSI code page as the last bytes of the archive.
  {
    TModalSteps steps({On("frmComments", [](QWidget* window) {
      SaveComment(window, QString::fromUtf8("new comment\nzweite Zeile \xC3\xBC"));
    })});
    Trigger("acComments");
  }
  const std::string stored = "new comment\nzweite Zeile \xFC";
  const qel::test::Bytes bytes = ReadFileBytes(Folder("t.zip"));
  EXPECT_EQ(std::string(bytes.end() - long(stored.size()), bytes.end()), stored);
  EXPECT_NE(UnzipComment().find("new comment\nzweite Zeile"), std::string::npos) << UnzipComment();
  EXPECT_TRUE(RunToolOk({"unzip", "-tq", "-P", "pw", Folder("t.zip")}));

  // What the code page cannot hold is refused with the window left open; an empty memo
  // removes the comment.
  {
    TModalSteps steps({On("frmComments",
                          [&](QWidget* window) {
                            shown = window->findChild<QPlainTextEdit*>("Memo")->toPlainText();
                            SaveComment(window, QString::fromUtf8("\xE2\x9C\x93"));
                          }),
                       Box(boxes_),
                       On("frmComments", [](QWidget* window) { SaveComment(window, ""); })});
    Trigger("acComments");
  }
  EXPECT_EQ(shown, QString::fromUtf8("new comment\nzweite Zeile \xC3\xBC"));
  EXPECT_EQ(boxes_.size(), 1);
  EXPECT_EQ(UnzipComment().find("new comment"), std::string::npos) << UnzipComment();
  EXPECT_EQ(app::ReadArchiveComment(Path("t.zip"), nullptr), QString());
}

TEST_F(ArchiveInfoTest, PropertiesOfTheArchiveAndOfAnEntry) {
  RunToolOk({"zip", "-q", "-9", "-X", Folder("big.zip"), kLongName}, Folder("src"));
  RunToolOk({"touch", "-d", "2022-01-02 03:04:06", "big.zip"}, Folder(""));
  const auto size = std::filesystem::file_size(Folder("big.zip"));
  ASSERT_TRUE(size >= 100 && size < 1000) << size;  // three digits: no grouping
  form_->OpenArchive(Path("big.zip"));
  {
    TModalSteps steps({On("FormProperties", [&](QWidget* window) {
      auto* dialog = static_cast<TFormProperties*>(window);
      EXPECT_EQ(dialog->windowTitle(), app::Message(300));
      EXPECT_EQ(dialog->Value("Name"), "big.zip");
      EXPECT_EQ(dialog->Value("Folder"), QString::fromStdString(scratch_.Folder().Path()));
      EXPECT_EQ(dialog->Value("FileSize"), QString::number(size));
      EXPECT_EQ(dialog->Value("Files"), "1");
      EXPECT_GT(dialog->BarProgress(), 90);
      EXPECT_EQ(dialog->Value("Compression"), QString::number(dialog->BarProgress()) + "%");
      EXPECT_EQ(dialog->Value("DateTime"), "02.01.22 03:04:06");
      dialog->accept();
    })});
    Trigger("acProperties");
  }

  // An entry: the enciphered one, with its marker.
  form_->OpenArchive(Path("t.zip"));
  TVrListView* list = form_->ActiveList();
  list->SelectionModel()->select(list->Model()->index(2, 0),
                                 QItemSelectionModel::Select | QItemSelectionModel::Rows);
  char crc[9];
  snprintf(crc, sizeof crc, "%08lX", crc32(0, reinterpret_cast<const Bytef*>("hidden!"), 7));
  {
    TModalSteps steps({On("FormProperties", [&](QWidget* window) {
      auto* dialog = static_cast<TFormProperties*>(window);
      EXPECT_EQ(dialog->windowTitle(), app::Message(310));
      const std::pair<const char*, QString> shown[] = {{"File", "secret.txt+"},
                                                       {"Path", ""},
                                                       {"Size", "7"},
                                                       {"Packed", "7"},
                                                       {"Ratio", "0%"},
                                                       {"Modified", "04.03.21 05:06:08"},
                                                       {"CRC", crc}};
      for (const auto& [key, text] : shown) EXPECT_EQ(dialog->Value(key), text) << key;
      dialog->accept();
    })});
    Trigger("acFileProps");
  }
}

TEST_F(ArchiveInfoTest, PrintingPaginatesAndFallsBackToPdf) {
  QString text;
  for (int i = 0; i < 300; ++i) text += QStringLiteral("line %1\n").arg(i);
  QPdfWriter pdf(Path("pages.pdf"));
  EXPECT_GT(PaintListText(pdf, text), 1);
  QPdfWriter one(Path("one.pdf"));
  EXPECT_EQ(PaintListText(one, "a\nb\n"), 1);

  if (!QPrinterInfo::availablePrinters().isEmpty()) GTEST_SKIP() << "a printer is installed";
  form_->OpenArchive(Path("t.zip"));
  {
    TModalSteps steps({SaveAs(Path("list"))});
    Trigger("acPrint");
  }
  EXPECT_EQ(qel::test::ReadFileText(Folder("list.pdf")).substr(0, 4), "%PDF");
}

TEST_F(ArchiveInfoTest, MailHandsTheArchiveToXdgEmail) {
  std::filesystem::copy_file(Folder("t.zip"), Folder("mail me.zip"));
  std::filesystem::create_directories(Folder("bin"));
  const std::string fake = Folder("bin/xdg-email");
  // Notes each argument on a line of its own beside itself.
  const auto writeFake = [&](int status) {
    qel::test::WriteFileText(fake,
                             "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > "
                             "\"${0%/*}/argv.txt\"\nexit " +
                                 std::to_string(status) + "\n");
    std::filesystem::permissions(fake, std::filesystem::perms::owner_all);
  };
  const qel::test::TEnvVar path("PATH", Folder("bin"));
  form_->OpenArchive(Path("mail me.zip"));
  const struct {
    int status;  // -1: no xdg-email at all
    bool box;
  } cases[] = {{0, false}, {4, true}, {-1, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    std::filesystem::remove(Folder("bin/argv.txt"));
    std::filesystem::remove(fake);
    if (c.status >= 0) writeFake(c.status);
    boxes_.clear();
    {
      TModalSteps steps(c.box ? std::vector<TStep>{Box(boxes_)} : std::vector<TStep>{});
      Trigger("acMail");
      // The program ends, and its box comes, while the window goes on.
      if (c.status >= 0) {
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return std::filesystem::exists(Folder("bin/argv.txt")); }));
      }
      if (c.box) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !boxes_.isEmpty(); }));
      }
      QTest::qWait(100);  // a box that should not come has had its chance
    }
    if (c.status >= 0) {
      EXPECT_EQ(qel::test::ReadFileText(Folder("bin/argv.txt")),
                "--attach\n" + Folder("mail me.zip") + "\n");
    }
    if (c.box) {
      ASSERT_EQ(boxes_.size(), 1);
      EXPECT_TRUE(boxes_[0].contains("xdg-email")) << boxes_[0].toStdString();
    } else {
      EXPECT_TRUE(boxes_.isEmpty());
    }
  }
}

}  // namespace
}  // namespace vk::gui
