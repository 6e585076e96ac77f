// The main window's side of the archive commands: the dialogs and boxes the app core's
// TArchiveCommands asks for, the choices forwarded to it, and the window's state it reads.
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <utility>

#include "app/core/AppSettings.h"
#include "app/core/ArchiveComponents.h"
#include "app/core/EntryMasks.h"
#include "app/core/Translation.h"
#include "app/gui/AddDialog.h"
#include "app/gui/ErrorList.h"
#include "app/gui/ExplorerPanel.h"
#include "app/gui/ExtractDialog.h"
#include "app/gui/MainForm.h"
#include "app/gui/MessageBox.h"
#include "app/gui/ViewDialog.h"
#include "app/gui/VrListView.h"

namespace vk::gui {

void TMainForm::ConnectArchiveCommands() {
  viewed_ = new app::TViewedCopies(this);
  app::ICommandUi& ui = *this;
  commands_ = std::make_unique<app::TArchiveCommands>(*components_, *prompts_, *viewed_, ui);
  connect(viewed_, &app::TViewedCopies::Changed, this, &TMainForm::OfferChangedCopies);
  connect(Action("acAdd"), &QAction::triggered, this, [this] { commands_->Add(); });
  connect(Action("acNew"), &QAction::triggered, this, [this] { commands_->NewArchive(); });
  connect(Action("acExtract"), &QAction::triggered, this, [this] {
    // Taken before the dialog: the rows go when another archive is opened meanwhile (one
    // handed over by another start), and then this command ends.
    commands_->Extract(app::MasksOfRows(SelectedItems()), fileMask_);
  });
  connect(Action("acDelete"), &QAction::triggered, this, &TMainForm::DeleteEntries);
  connect(Action("acView"), &QAction::triggered, this,
          [this] { commands_->View(SelectedItems()); });
  connect(Action("acOpenFile"), &QAction::triggered, this, [this] { OpenSelectedEntry({}); });
  connect(Action("acViewWithNotepad"), &QAction::triggered, this,
          [this] { OpenSelectedEntry(app::AppSettings().DefViewer); });
  auto* treeDelete =
      new QShortcut(QKeySequence::Delete, explorer_->Tree(), nullptr, nullptr, Qt::WidgetShortcut);
  connect(treeDelete, &QShortcut::activated, this, &TMainForm::DeleteTreeFolder);
}

std::vector<const app::TShellItem*> TMainForm::SelectedItems() const {
  std::vector<const app::TShellItem*> items;
  for (int row : ActiveList()->SelectedRows())
    if (const app::TShellItem* item = EntryAt(row)) items.push_back(item);
  return items;
}

void TMainForm::DeleteEntries() {
  if (archive_.isEmpty() || !Action("acDelete")->isEnabled()) return;
  // The Delete key in the explorer's tree deletes the folder it shows.
  if (ExplorerStyle() && explorer_->Tree()->hasFocus()) {
    DeleteTreeFolder();
    return;
  }
  commands_->Delete(app::MasksOfRows(SelectedItems()));
}

void TMainForm::DeleteTreeFolder() {
  if (archive_.isEmpty() || !ExplorerStyle() || !Action("acDelete")->isEnabled()) return;
  commands_->DeleteShownFolder();
}

void TMainForm::OpenSelectedEntry(const QString& viewer) {
  const std::vector<const app::TShellItem*> rows = SelectedItems();
  if (rows.empty()) return;
  const app::TShellItem entry = *rows.front();
  commands_->OpenEntry(entry, viewer);
}

void TMainForm::OfferChangedCopies() {
  if (!isVisible()) return;
  // Not over a question or an operation in progress: asked once they are done.
  if (Busy() || QApplication::activeModalWidget()) {
    QTimer::singleShot(500, this, &TMainForm::OfferChangedCopies);
    return;
  }
  for (const app::TViewedCopy& copy : viewed_->ChangedCopies()) commands_->OfferPutBack(copy);
}

app::TOpenArchive TMainForm::Shown() const {
  return {archive_, listing_.ArcType(), commands_->ViewEncryption()};
}

QString TMainForm::ShownFolder() const {
  if (!ExplorerStyle()) return {};
  const app::TFolderNode* node = TExplorerPanel::NodeOf(explorer_->Tree()->currentItem());
  return node && node->Parent ? node->Data.Path : QString();
}

bool TMainForm::TakesEdits() const { return isVisible(); }

app::TRunDisplay TMainForm::Display(bool compressing) {
  errorLog_.ComponentActivated();
  notice_.clear();
  return {ErrorHandler(), ShowBegin(compressing), ShowProgress(compressing), EndProgress()};
}

int TMainForm::RunBusy(const std::function<int()>& work) {
  const TBusyScope busy(*this);
  return work();
}

std::optional<QString> TMainForm::AskNewArchiveName() {
  QFileDialog ask(this, app::Message(260), app::AppSettings().AppCurrentDir);
  ask.setObjectName("dlgNewArchive");
  ask.setAcceptMode(QFileDialog::AcceptSave);
  // Replacing an existing file is asked afterwards, in the program's words.
  ask.setOption(QFileDialog::DontConfirmOverwrite);
  ask.setNameFilters({tr("All archives (%1)").arg(ArchivePatterns()), tr("All files (*)")});
  if (ask.exec() != QDialog::Accepted || ask.selectedFiles().isEmpty()) return std::nullopt;
  return ask.selectedFiles().first();
}

std::optional<QString> TMainForm::AskAddFiles(app::TArchiveComponents& components,
                                              qel::TArcType type, const QString& newArchive) {
  TfrmAdd dialog(components, type, newArchive, this);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.CurrentFolder();
}

std::optional<app::TExtractChoices> TMainForm::AskExtractChoices(const QString& archive,
                                                                 bool hasSelection) {
  TfrmExtract dialog(archive, false, hasSelection, this);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Choices();
}

std::optional<app::TViewChoice> TMainForm::AskViewer(const QString& defaultViewer) {
  TFormView dialog(defaultViewer, this);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  switch (dialog.Choice()) {
    case TFormView::vcAssociated:
      return app::TViewChoice{app::TViewChoice::Desktop, {}};
    case TFormView::vcNotepad:
      return app::TViewChoice{app::TViewChoice::TextEditor, {}};
    case TFormView::vcViewer:
      break;
  }
  return app::TViewChoice{app::TViewChoice::Named, dialog.Viewer()};
}

bool TMainForm::Confirm(const QString& question) {
  return MessageBox(question, mtConfirmation, {mbYes, mbNo}, 0, this) == mrYes;
}

void TMainForm::ShowMessage(const QString& text, app::TBoxKind kind) {
  constexpr TMsgDlgType kTypes[] = {mtCustom, mtInformation, mtWarning, mtError};
  MessageBox(text, kTypes[int(kind)], {mbOK}, 0, this);
}

bool TMainForm::CloseShownArchive() {
  if (!ConfirmCloseArchive()) return false;
  CloseArchive();
  return true;
}

void TMainForm::ShowArchive(const QString& archive) { OpenArchive(archive); }

void TMainForm::ShowFolder(const QString& path) { SelectFolder(path); }

void TMainForm::ArchiveChanged(const std::optional<QString>& shownFolder) {
  const QString archive = archive_;
  if (archive.isEmpty()) return;
  QString folder;
  if (ExplorerStyle()) {
    if (shownFolder)
      folder = *shownFolder;
    else if (const app::TFolderNode* node =
                 TExplorerPanel::NodeOf(explorer_->Tree()->currentItem()))
      folder = node->Data.Path;
  }
  if (!QFileInfo(archive).isFile()) {
    CloseArchive();
    return;
  }
  ListArchive(archive);
  if (ExplorerStyle() && !folder.isEmpty()) SelectFolder(folder);
  SortEntries();
  // Said where the totals are, for a while: nothing to answer, nothing to wait for.
  if (!notice_.isEmpty()) statusBar()->showMessage(std::exchange(notice_, {}), 10000);
}

void TMainForm::OpenFolder(const QString& folder) {
  QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

void TMainForm::CloseWindow() {
  frmErrors_->WaitUntilClosed();
  close();
}

bool TMainForm::Launch(const app::TLaunch& launch, QString& error) {
  return Launcher(launch, error);
}

}  // namespace vk::gui
