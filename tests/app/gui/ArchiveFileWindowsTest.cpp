// The main window's commands on the archive file, offscreen, every window answered in turn:
// move, copy, rename and delete, CheckOut and its clean-up, Install, Virus Scan, and the
// update check against a site on 127.0.0.1.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <filesystem>
#include <memory>

#include "app/core/Translation.h"
#include "app/gui/MainForm.h"
#include "app/gui/UpdateDialog.h"
#include "tests/app/support/ModalSteps.h"
#include "tests/app/support/ScratchSettings.h"
#include "tests/support/EnvVar.h"
#include "tests/support/PeerTools.h"

namespace vk::gui {
namespace {

namespace fs = std::filesystem;
using qel::test::PathsBelow;
using qel::test::ReadFileText;
using qel::test::WriteFileText;
using test::Box;
using test::TModalSteps;
using test::TStep;

// The dialog `window`: `act` fills it in, then its OK button is clicked.
TStep Answer(const QString& window, std::function<void(QWidget*)> act = nullptr) {
  return [=](QWidget* modal) {
    if (modal->objectName() != window) return false;
    if (act) act(modal);
    modal->findChild<QPushButton*>("bbOK")->click();
    return true;
  };
}

TStep Type(const QString& window, const char* edit, const QString& text) {
  return Answer(window, [=](QWidget* modal) { modal->findChild<QLineEdit*>(edit)->setText(text); });
}

void WriteScript(const std::string& path, const std::string& text) {
  WriteFileText(path, text);
  fs::permissions(path, fs::perms::owner_all);
}

class ArchiveFileWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!qel::test::RequireTool("zip")) GTEST_SKIP();
    WriteScript(Dir() + "/src/run.sh", "#!/bin/sh\n");
    WriteFileText(Dir() + "/src/docs/read.txt", "read me");
    WriteFileText(Dir() + "/src/z.bin", "z");
    ASSERT_TRUE(qel::test::RunToolOk({"zip", "-q", "../t.zip", "run.sh", "docs/read.txt", "z.bin"},
                                     Dir() + "/src"));
    form_ = std::make_unique<TMainForm>(app::TStartCommand{}, false);
    form_->Launcher = [this](const app::TLaunch& launch, QString&) {
      launches_.push_back(launch);
      return true;
    };
  }
  void TearDown() override { form_.reset(); }
  std::string Dir() const { return scratch_.Folder().Path(); }
  QString Q(const std::string& name) const { return QString::fromStdString(Dir() + "/" + name); }
  // Availability is the window's business; these commands are asked for directly.
  void Trigger(const char* action) {
    form_->Action(action)->setEnabled(true);
    form_->Action(action)->trigger();
  }

  test::TScratchSettings scratch_;
  std::unique_ptr<TMainForm> form_;
  std::vector<app::TLaunch> launches_;
  QStringList boxes_;
};

TEST_F(ArchiveFileWindows, MoveCopyRenameAndDelete) {
  fs::create_directories(Dir() + "/dest");
  form_->OpenArchive(Q("t.zip"));
  {
    TModalSteps steps({Type("FormMove", "edFolder", Q("dest"))});
    Trigger("acCopyArchive");
  }
  EXPECT_EQ(form_->ArchiveFile(), Q("dest/t.zip"));
  EXPECT_TRUE(fs::exists(Dir() + "/t.zip"));

  // A file of the name is replaced only when the user says so.
  form_->OpenArchive(Q("t.zip"));
  WriteFileText(Dir() + "/dest/t.zip", "older");
  {
    TModalSteps steps({Type("FormMove", "edFolder", Q("dest")), Box(boxes_, QMessageBox::No)});
    Trigger("acMoveArchive");
  }
  EXPECT_EQ(ReadFileText(Dir() + "/dest/t.zip"), "older");
  EXPECT_EQ(form_->ArchiveFile(), Q("t.zip"));
  {
    TModalSteps steps({Type("FormMove", "edFolder", Q("dest")), Box(boxes_, QMessageBox::Yes)});
    Trigger("acMoveArchive");
  }
  EXPECT_EQ(boxes_, QStringList(2, app::FormatMessage(app::Message(840), {Q("dest/t.zip")})));
  EXPECT_EQ(form_->ArchiveFile(), Q("dest/t.zip"));
  EXPECT_FALSE(fs::exists(Dir() + "/t.zip"));

  {
    TModalSteps steps({Type("FormRename", "edNewName", "renamed")});
    Trigger("acRenameArchive");
  }
  EXPECT_EQ(form_->ArchiveFile(), Q("dest/renamed.zip"));
  {
    TModalSteps steps({Type("FormRename", "edNewName", "../up"), Box(boxes_)});
    Trigger("acRenameArchive");
  }
  EXPECT_TRUE(boxes_.last().startsWith(app::Message(935)));
  EXPECT_EQ(form_->ArchiveFile(), Q("dest/renamed.zip"));

  fs::create_directories(Dir() + "/data");  // the trash of this test's own
  const qel::test::TEnvVar trash("XDG_DATA_HOME", Dir() + "/data");
  {
    TModalSteps steps({Box(boxes_, QMessageBox::Yes)});
    Trigger("acDeleteArchive");
  }
  EXPECT_EQ(boxes_.last(), app::Message(930));
  EXPECT_TRUE(form_->ArchiveFile().isEmpty());
  EXPECT_TRUE(fs::exists(Dir() + "/data/Trash/files/renamed.zip"));
}

TEST_F(ArchiveFileWindows, CheckOutMakesLaunchersAndDeletesOnlyWhatItMade) {
  const qel::test::TEnvVar data("XDG_DATA_HOME", Dir() + "/data");
  WriteFileText(Dir() + "/there/mine.txt", "mine");
  form_->OpenArchive(Q("t.zip"));
  {
    TModalSteps steps({Answer("FormCheckOut", [&](QWidget* modal) {
      auto* folder = modal->findChild<QLineEdit*>("edFolder");
      EXPECT_EQ(folder->text(), Q("t"));
      EXPECT_EQ(modal->findChild<QLineEdit*>("edGroup")->text(), "t");
      EXPECT_EQ(modal->findChild<QSpinBox*>("seMaxIcons")->value(), 50);
      folder->setText(Q("there"));
      modal->findChild<QSpinBox*>("seMaxIcons")->setValue(2);
      modal->findChild<QCheckBox*>("cbProgramsOnly")->setChecked(false);
    })});
    Trigger("acCheckOut");
  }
  EXPECT_EQ(PathsBelow(Dir() + "/there"),
            (std::set<std::string>{"mine.txt", "run.sh", "docs", "docs/read.txt", "z.bin"}));
  const std::string group = Dir() + "/data/applications/t";
  EXPECT_EQ(PathsBelow(group),
            (std::set<std::string>{"run.sh.desktop", "docs", "docs/read.txt.desktop"}));
  ASSERT_EQ(launches_.size(), 1u);
  EXPECT_EQ(launches_[0].File, QString::fromStdString(group));

  {
    TModalSteps steps({Box(boxes_, QMessageBox::Cancel)});
    EXPECT_FALSE(form_->ConfirmCloseArchive());
  }
  {
    TModalSteps steps({Box(boxes_, QMessageBox::Yes)});
    EXPECT_TRUE(form_->ConfirmCloseArchive());
  }
  EXPECT_EQ(boxes_, QStringList(2, app::FormatMessage(app::Message(900), {Q("there"), "t"})));
  EXPECT_EQ(PathsBelow(Dir() + "/there"), std::set<std::string>{"mine.txt"});
  EXPECT_FALSE(fs::exists(group));
  EXPECT_TRUE(fs::exists(Dir() + "/data/applications"));
  test::TBoxAnswers none;
  EXPECT_TRUE(form_->ConfirmCloseArchive());  // forgotten: asked once
  EXPECT_TRUE(none.Messages.isEmpty());
}

TEST_F(ArchiveFileWindows, InstallRunsTheSetupAndThenRemovesItsFolder) {
  WriteScript(Dir() + "/src/disk/SETUP.EXE", "#!/bin/sh\npwd > '" + Dir() + "/ran.txt'\n");
  ASSERT_TRUE(qel::test::RunToolOk({"zip", "-q", "../inst.zip", "z.bin", "disk/SETUP.EXE"},
                                   Dir() + "/src"));
  form_->Launcher = app::LaunchProgram;
  form_->OpenArchive(Q("inst.zip"));
  {
    TModalSteps steps({Answer("FormInstall"), Box(boxes_)});
    Trigger("acInstall");
  }
  EXPECT_EQ(boxes_, QStringList{app::Message(1170)});
  const QString ran = QString::fromStdString(ReadFileText(Dir() + "/ran.txt")).trimmed();
  EXPECT_TRUE(ran.contains("/$$_install") && ran.endsWith("/disk")) << ran.toStdString();
  EXPECT_FALSE(fs::exists(ran.chopped(5).toStdString()));
}

TEST_F(ArchiveFileWindows, VirusScanRunsTheScannerOrOffersItsSettings) {
  form_->OpenArchive(Q("t.zip"));
  scratch_.Settings().VirusScanner = "SCAN32.EXE";
  int page = -1;
  {
    TModalSteps steps({Box(boxes_, QMessageBox::Yes), [&](QWidget* modal) {
                         if (modal->objectName() != "frmOptions") return false;
                         page = modal->findChild<QTabWidget*>("pcOptions")->currentIndex();
                         static_cast<QDialog*>(modal)->reject();
                         return true;
                       }});
    Trigger("acVirusScan");
  }
  EXPECT_EQ(boxes_, QStringList{app::Message(1100) + "\n\n" + app::Message(1101)});
  EXPECT_EQ(page, 5);

  // A scanner on the search path, and a terminal to show it in.
  WriteScript(Dir() + "/bin/x-terminal-emulator", "#!/bin/sh\n");
  WriteScript(Dir() + "/bin/fakescan", "#!/bin/sh\n");
  const qel::test::TEnvVar path("PATH", Dir() + "/bin:" + qgetenv("PATH").toStdString());
  scratch_.Settings().VirusScanner = "fakescan";
  scratch_.Settings().VSParams = "-r %f";
  {
    TModalSteps steps({Box(boxes_)});
    Trigger("acVirusScan");
  }
  ASSERT_EQ(launches_.size(), 1u);
  EXPECT_EQ(launches_[0].Program, Q("bin/x-terminal-emulator"));
  EXPECT_EQ(launches_[0].Arguments.mid(4), QStringList({Q("bin/fakescan"), "-r", Q("t.zip")}));
  EXPECT_EQ(boxes_.last(), app::Message(1110) + "\n\n" + app::Message(1111));
}

// Serves `Body` as "/download/update.ini" on 127.0.0.1 (404 without one, or for any other
// path), one request per connection.
struct TUpdateSite {
  TUpdateSite() {
    server.listen(QHostAddress::LocalHost);
    QObject::connect(&server, &QTcpServer::newConnection, [this] {
      while (QTcpSocket* socket = server.nextPendingConnection()) {
        auto request = std::make_shared<QByteArray>();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
          *request += socket->readAll();
          if (!request->contains("\r\n\r\n")) return;
          const bool found = Body && request->startsWith("GET /download/update.ini ");
          const QByteArray body = found ? *Body : QByteArray();
          socket->write((found ? "HTTP/1.1 200 OK" : "HTTP/1.1 404 Not Found") +
                        QByteArray("\r\nConnection: close\r\nContent-Length: ") +
                        QByteArray::number(body.size()) + "\r\n\r\n" + body);
          socket->disconnectFromHost();
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      }
    });
  }
  QString Address() const { return "http://127.0.0.1:" + QString::number(server.serverPort()); }

  QTcpServer server;
  std::optional<QByteArray> Body;
};

TEST(UpdateWindow, AsksTheSiteAndOffersOnlyANewerVersion) {
  test::TScratchSettings scratch;
  TUpdateSite site;
  ASSERT_TRUE(site.server.isListening());
  quint16 closedPort = 0;
  {
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost);
    closedPort = closed.serverPort();
  }
  const QString offer = app::Message(994) + "\n" + app::Message(995);
  const struct {
    std::optional<QByteArray> body;
    QString address, status;
    bool offered;
  } cases[] = {
      {"[Vorelkit]\nVersion=4.6\nSetupFile=setup.exe\n", site.Address(), offer, true},
      {"[Vorelkit]\nVersion=4.5\n", site.Address(), app::Message(991), false},
      {"[Other]\nVersion=9.9\n", site.Address(), app::Message(991), false},  // 3.8
      {std::nullopt, site.Address(), app::Message(993), false},
      {"[Vorelkit]\nVersion=4.6\n", "http://127.0.0.1:" + QString::number(closedPort),
       app::Message(993), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.body.value_or("404").toStdString());
    site.Body = c.body;
    TFormUpdate form(c.address);
    QSignalSpy checked(&form, &TFormUpdate::Checked);
    form.Check();
    EXPECT_EQ(form.Status(), app::Message(980));
    ASSERT_TRUE(checked.wait(20000));
    EXPECT_TRUE(form.Status().startsWith(c.status)) << form.Status().toStdString();
    EXPECT_EQ(form.findChild<QPushButton*>("bbYes")->isVisibleTo(&form), c.offered);
  }
  // Without a site nothing is contacted.
  TFormUpdate none;
  QSignalSpy checked(&none, &TFormUpdate::Checked);
  none.Check();
  EXPECT_EQ(checked.count(), 1);
  EXPECT_FALSE(none.Status().contains(app::Message(980)));
}

}  // namespace
}  // namespace vk::gui
