// The commands on the archive file and the programs run on it: move, copy, rename and
// delete the archive, CheckOut, Install, Virus Scan, the update check.
#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/core/AppSettings.h"
#include "app/core/ArchiveFileCommands.h"
#include "app/core/CheckOut.h"
#include "app/core/SetupRun.h"
#include "app/core/TempFiles.h"
#include "app/core/Translation.h"
#include "app/core/VirusScan.h"
#include "app/core/VrExtractor.h"
#include "app/gui/ArchiveFileDialogs.h"
#include "app/gui/MainForm.h"
#include "app/gui/MessageBox.h"
#include "app/gui/UpdateDialog.h"

namespace vk::gui {
namespace {

// Message 935 and the reason.
QString FailureText(const QString& why) { return app::Message(935) + QStringLiteral("\n\n") + why; }

QString ExtractFailure(app::TExtractStatus status, const QString& folder) {
  switch (status) {
    case app::TExtractStatus::NoReader:
      return QDialog::tr("Archives of this kind cannot be extracted yet.");
    case app::TExtractStatus::CannotOpen:
      return QDialog::tr("The archive could not be opened.");
    case app::TExtractStatus::NoDestination:
      return QDialog::tr("The folder \"%1\" could not be made.").arg(folder);
    case app::TExtractStatus::Done:
      break;
  }
  return {};
}

// What a scanner without a terminal of its own printed.
void ShowScanReport(const QString& text, QWidget* parent) {
  QDialog report(parent);
  report.setObjectName("FormScanReport");
  report.setWindowTitle(QDialog::tr("Virus Scan"));
  auto* lines = new QPlainTextEdit(text, &report);
  lines->setReadOnly(true);
  lines->setLineWrapMode(QPlainTextEdit::NoWrap);
  auto* close = new QPushButton(QDialog::tr("&Close"), &report);
  QObject::connect(close, &QPushButton::clicked, &report, &QDialog::accept);
  auto* layout = new QVBoxLayout(&report);
  layout->addWidget(lines);
  layout->addWidget(close, 0, Qt::AlignRight);
  report.resize(640, 400);
  report.exec();
}

}  // namespace

void TMainForm::ConnectArchiveFileActions() {
  // Every entry of the open archive into `folder` with its stored path, with the window's
  // questions, error list and progress.
  const auto extractAll = [this](const QString& folder) {
    app::TVrExtractor extractor;
    PrepareExtraction(extractor, archive_.toStdString(), listing_.ArcType(), folder.toStdString());
    extractor.UseStoredDirs = true;
    const TBusyScope busy(*this);
    return extractor.Extract();
  };

  // The archive moved or copied onto `target`, and opened from there. The archive is closed
  // for the file operation; when that fails it stays closed, and the box says why.
  const auto relocate = [this](const QString& target, bool copy) {
    const QString archive = archive_;
    if (const QString problem = app::TargetProblem(archive, target); !problem.isEmpty()) {
      MessageBox(FailureText(problem), mtError, {mbOK}, 0, this);
      return;
    }
    const bool replace = QFileInfo::exists(target);
    if (replace && MessageBox(app::FormatMessage(app::Message(840), {target}), mtConfirmation,
                              {mbYes, mbNo}, 0, this) != mrYes)
      return;
    CloseArchive();
    const app::TFileCommandResult done = copy ? app::CopyArchiveFile(archive, target, replace)
                                              : app::MoveArchiveFile(archive, target, replace);
    if (!done.Ok) {
      MessageBox(FailureText(done.Error), mtError, {mbOK}, 0, this);
      return;
    }
    OpenArchive(target);
  };

  const auto moveOrCopy = [this, relocate](bool copy) {
    if (archive_.isEmpty() || !ConfirmCloseArchive()) return;
    TFormMove dialog(copy, QFileInfo(archive_).absolutePath(), this);
    if (dialog.exec() != QDialog::Accepted || dialog.Folder().isEmpty() || archive_.isEmpty())
      return;
    if (!QFileInfo(dialog.Folder()).isDir()) {
      MessageBox(FailureText(tr("The folder \"%1\" does not exist.").arg(dialog.Folder())), mtError,
                 {mbOK}, 0, this);
      return;
    }
    relocate(app::TargetInFolder(archive_, dialog.Folder()), copy);
  };
  connect(Action("acMoveArchive"), &QAction::triggered, this, [moveOrCopy] { moveOrCopy(false); });
  connect(Action("acCopyArchive"), &QAction::triggered, this, [moveOrCopy] { moveOrCopy(true); });

  connect(Action("acRenameArchive"), &QAction::triggered, this, [this, relocate] {
    if (archive_.isEmpty() || !ConfirmCloseArchive()) return;
    TFormRename dialog(archive_, this);
    if (dialog.exec() != QDialog::Accepted || archive_.isEmpty()) return;
    const QString name = dialog.NewName();
    if (name.isEmpty() || name == app::NameWithoutExtension(archive_)) return;
    const QString target = app::RenamedTarget(archive_, name);
    if (target.isEmpty()) {
      MessageBox(FailureText(tr("\"%1\" is not a file name: it must not hold \"/\".").arg(name)),
                 mtError, {mbOK}, 0, this);
      return;
    }
    relocate(target, false);
  });

  connect(Action("acDeleteArchive"), &QAction::triggered, this, [this] {
    if (archive_.isEmpty() || !ConfirmCloseArchive()) return;
    if (MessageBox(app::Message(930), mtConfirmation, {mbYes, mbNo}, 0, this) != mrYes) return;
    QFile file(archive_);
    if (!file.moveToTrash()) MessageBox(FailureText(file.errorString()), mtError, {mbOK}, 0, this);
    if (!QFileInfo::exists(archive_)) CloseArchive();
  });

  connect(Action("acCheckOut"), &QAction::triggered, this, [this, extractAll] {
    if (archive_.isEmpty() || !ConfirmCloseArchive()) return;
    TFormCheckOut dialog(archive_, this);
    if (dialog.exec() != QDialog::Accepted || dialog.Folder().isEmpty() || archive_.isEmpty())
      return;
    QStringList entries;  // in list order
    for (const app::TShellItem& item : listing_.Files()) entries << item.Folder + item.Name;
    auto state = std::make_shared<TCheckOutState>();
    state->Folder = QDir(dialog.Folder()).absolutePath();
    state->Group = dialog.Group();
    state->Files = app::PlanTree(state->Folder, entries);
    const app::TExtractResult result = extractAll(state->Folder);
    app::SettleTree(state->Files);
    if (result.Status != app::TExtractStatus::Done) {
      if (!state->Files.Empty()) checkOut_ = state;
      MessageBox(ExtractFailure(result.Status, state->Folder), mtError, {mbOK}, 0, this);
      return;
    }
    const QString group = app::GroupFolder(state->Group);
    state->Launchers = app::MakeLaunchers(group, state->Folder, entries, dialog.MaxIcons(),
                                          dialog.ProgramsOnly(), app::DesktopProgramTest());
    if (!state->Files.Empty() || !state->Launchers.Empty()) checkOut_ = state;
    if (!group.isEmpty() && QFileInfo(group).isDir()) {
      QString error;
      Launcher({group, {}, {}, false}, error);  // the file manager; nothing to wait for
    }
  });

  connect(Action("acInstall"), &QAction::triggered, this, [this, extractAll] {
    if (archive_.isEmpty() || !ConfirmCloseArchive()) return;
    const QString setup = app::SetupEntry(listing_.Files());
    if (setup.isEmpty()) return;
    TFormInstall dialog(setup, this);
    if (dialog.exec() != QDialog::Accepted || archive_.isEmpty()) return;
    const QString folder = app::MakeOwnTempFolder(app::AppSettings().AppTempFolder, "install");
    if (folder.isEmpty()) {
      MessageBox(
          ExtractFailure(app::TExtractStatus::NoDestination, app::AppSettings().AppTempFolder),
          mtError, {mbOK}, 0, this);
      return;
    }
    const app::TExtractResult result = extractAll(folder);
    const QString file = QDir(folder).filePath(setup);
    if (result.Status != app::TExtractStatus::Done) {
      MessageBox(ExtractFailure(result.Status, folder), mtError, {mbOK}, 0, this);
    } else if (!QFileInfo(file).isFile()) {
      MessageBox(tr("The setup program \"%1\" could not be extracted.").arg(setup), mtError, {mbOK},
                 0, this);
    } else {
      const app::TSetupRun run = app::SetupLaunch(file);
      QString error;
      bool started = false;
      {
        const TBusyScope busy(*this);
        started = Launcher(run.Launch, error);
      }
      if (!started) {
        MessageBox(tr("The setup program could not be started: %1").arg(error), mtError, {mbOK}, 0,
                   this);
      } else {
        // Its files must stay until it has ended, which only the user can tell here.
        const QString wait = run.Waited ? QString()
                                        : tr("The setup program was handed to the desktop, "
                                             "which cannot tell when it ends. Press OK once "
                                             "setup has ended.") +
                                              QStringLiteral("\n\n");
        MessageBox(wait + app::Message(1170), mtConfirmation, {mbOK}, 0, this);
      }
    }
    QDir(folder).removeRecursively();
    if (isMinimized()) showNormal();
    activateWindow();
  });

  connect(Action("acVirusScan"), &QAction::triggered, this, [this] {
    if (archive_.isEmpty()) return;
    const app::TAppSettings& s = app::AppSettings();
    const QString scanner = app::FindVirusScanner(s.VirusScanner);
    if (scanner.isEmpty()) {
      if (MessageBox(app::Message(1100) + QStringLiteral("\n\n") + app::Message(1101),
                     mtConfirmation, {mbYes, mbNo}, 0, this) == mrYes) {
        TfrmOptions options(this, TfrmOptions::pgProgramLocations, this);
        options.exec();
      }
      return;
    }
    const QStringList arguments = app::VirusScanArguments(s.VSParams, archive_);
    QString error;
    bool ran = false;
    if (const QString terminal = app::FindTerminal(); !terminal.isEmpty()) {
      ran = Launcher(app::TerminalLaunch(terminal, archive_, scanner, arguments), error);
    } else {
      QString output;
      {
        const TBusyScope busy(*this);
        ran = app::RunCaptured(scanner, arguments, output, error);
      }
      if (ran) ShowScanReport(output, this);
    }
    if (!ran) {
      MessageBox(tr("The virus scanner could not be started: %1").arg(error), mtError, {mbOK}, 0,
                 this);
      return;
    }
    MessageBox(app::Message(1110) + QStringLiteral("\n\n") + app::Message(1111), mtInformation,
               {mbOK, mbHelp}, 310, this);
  });

  connect(Action("acCheckforUpdate"), &QAction::triggered, this, [this] {
    TFormUpdate update(app::AppSettings().UpdateSite, this);
    update.exec();
  });
}

bool TMainForm::OfferCheckOutCleanup() {
  if (!checkOut_) return true;
  const QString text = app::FormatMessage(app::Message(900), {checkOut_->Folder, checkOut_->Group});
  switch (MessageBox(text, mtConfirmation, {mbYes, mbNo, mbCancel}, 0, this)) {
    case mrYes: {
      const QStringList stayed =
          app::RemoveMadeTree(checkOut_->Files) + app::RemoveMadeTree(checkOut_->Launchers);
      if (!stayed.isEmpty())
        MessageBox(tr("These were not deleted:") + u'\n' + stayed.join(u'\n'), mtWarning, {mbOK}, 0,
                   this);
      break;
    }
    case mrNo:
      break;
    default:
      return false;
  }
  checkOut_.reset();
  return true;
}

}  // namespace vk::gui
