// The main window's commands on the open archive's entries: add, create a new archive,
// extract, delete, view and open an entry, and put an edited entry back.
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QShortcut>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <memory>
#include <utility>

#include "app/core/AddPasses.h"
#include "app/core/AppSettings.h"
#include "app/core/ArchiveComponents.h"
#include "app/core/ArchiveListing.h"
#include "app/core/CommandRules.h"
#include "app/core/EntryMasks.h"
#include "app/core/ExtractChoices.h"
#include "app/core/ShellOperations.h"
#include "app/core/Translation.h"
#include "app/core/ZipRun.h"
#include "app/gui/AddDialog.h"
#include "app/gui/ErrorList.h"
#include "app/gui/ExplorerPanel.h"
#include "app/gui/ExtractDialog.h"
#include "app/gui/MainForm.h"
#include "app/gui/MessageBox.h"
#include "app/gui/ViewDialog.h"
#include "app/gui/VrListView.h"
#include "engine/base/Errors.h"
#include "engine/compress/CompBase.h"
#include "engine/extract/DecompressClass.h"
#include "engine/registry/Formats.h"

namespace vk::gui {
namespace {

// The engine keeps an archive whose last entry was deleted as an empty archive; the
// command removes it, as an archive of nothing is of no use to anyone.
bool HoldsNoEntries(const QString& archive) {
  app::TArchiveListing listing;
  if (!qel::IsRecognised(listing.SetArchive(archive)) || !listing.List({QStringLiteral("*")}))
    return false;
  return listing.Files().empty() && listing.Tree().Root().Children.empty();
}

bool IsZipType(qel::TArcType type) { return type == qel::atZip || type == qel::atZipExe; }

}  // namespace

void TMainForm::ConnectArchiveCommands() {
  viewed_ = new app::TViewedCopies(this);
  connect(viewed_, &app::TViewedCopies::Changed, this, &TMainForm::OfferChangedCopies);
  connect(Action("acAdd"), &QAction::triggered, this, &TMainForm::AddFiles);
  connect(Action("acNew"), &QAction::triggered, this, &TMainForm::NewArchive);
  connect(Action("acExtract"), &QAction::triggered, this, &TMainForm::ExtractFiles);
  connect(Action("acDelete"), &QAction::triggered, this, &TMainForm::DeleteEntries);
  connect(Action("acView"), &QAction::triggered, this, &TMainForm::ViewEntry);
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

void TMainForm::PrepareWriter(qel::TCompBase& writer) {
  errorLog_.ComponentActivated();
  notice_.clear();
  writer.SetTempDir(app::AppSettings().AppTempFolder.toStdString());
  writer.OnError = ErrorHandler();
  writer.OnBegin = ShowBegin(true);
  writer.OnProgress = ShowProgress(true);
  writer.OnDeactivate = EndProgress();
  writer.OnActivate = [this](qel::TZipCommon&) { prompts_->WriterActivated(false); };
  prompts_->AttachWriter(writer);
}

void TMainForm::PrepareReader(qel::TDecompressClass& reader) {
  errorLog_.ComponentActivated();
  reader.OnError = ErrorHandler();
  reader.OnBegin = ShowBegin(false);
  reader.OnProgress = ShowProgress(false);
  reader.OnDeactivate = EndProgress();
  prompts_->AttachReader(reader);
  prompts_->BeginExtraction();
}

void TMainForm::ReportCount(int count, const QString& one, const QString& many) {
  if (count <= 0 || !app::AppSettings().ShowMessages) return;
  MessageBox(count == 1 ? one : app::FormatMessage(many, {QString::number(count)}), mtCustom,
             {mbOK}, 0, this);
}

void TMainForm::Relist() {
  const QString archive = archive_;
  if (archive.isEmpty()) return;
  QString folder;
  if (ExplorerStyle())
    if (const app::TFolderNode* node = TExplorerPanel::NodeOf(explorer_->Tree()->currentItem()))
      folder = node->Data.Path;
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

int TMainForm::RunAdd(qel::TCompBase& writer) {
  PrepareWriter(writer);
  const TBusyScope busy(*this);
  // The second pass of one add goes on with the first pass's "to all" answers.
  return app::RunAddPasses(writer, components_->FolderList, components_->RelativeFolders,
                           [this, &writer](bool secondPass) {
                             writer.OnActivate = [this, secondPass](qel::TZipCommon&) {
                               prompts_->WriterActivated(secondPass);
                             };
                           });
}

void TMainForm::AddFiles() {
  if (archive_.isEmpty()) return;
  const qel::TArcType type = listing_.ArcType();
  if (!app::WriterForType(type)) {
    MessageBox(app::Message(210), mtWarning, {mbOK}, 0, this);
    return;
  }
  components_->Select(*app::WriterForType(type));
  qel::TCompBase& writer = *components_->CurrentWriter;
  writer.SetArchiveFile(archive_.toStdString());
  writer.SetTempDir(app::AppSettings().AppTempFolder.toStdString());
  TfrmAdd dialog(*components_, type, {}, this);
  if (dialog.exec() != QDialog::Accepted) return;
  app::AppSettings().LastAddFolder = dialog.CurrentFolder();
  if (components_->CurrentWrapper || !components_->CurrentWriter) return;
  const int count = RunAdd(*components_->CurrentWriter);
  ReportCount(count, app::Message(100), app::Message(101));
  Relist();
}

void TMainForm::NewArchive() {
  app::TAppSettings& s = app::AppSettings();
  QFileDialog ask(this, app::Message(260), s.AppCurrentDir);
  ask.setObjectName("dlgNewArchive");
  ask.setAcceptMode(QFileDialog::AcceptSave);
  // Replacing an existing file is asked below, in the program's words.
  ask.setOption(QFileDialog::DontConfirmOverwrite);
  ask.setNameFilters({tr("All archives (%1)").arg(ArchivePatterns()), tr("All files (*)")});
  if (ask.exec() != QDialog::Accepted || ask.selectedFiles().isEmpty()) return;
  const QString name = QFileInfo(ask.selectedFiles().first()).absoluteFilePath();
  if (!ConfirmCloseArchive()) return;
  CloseArchive();
  if (QFileInfo::exists(name) &&
      MessageBox(app::FormatMessage(app::Message(840), {name}) + u'\n' + app::Message(860),
                 mtConfirmation, {mbYes, mbNo}, 0, this) != mrYes) {
    OpenArchive(name);
    return;
  }
  components_->CurrentWriter = nullptr;
  components_->CurrentWrapper = nullptr;
  s.AppCurrentDir = QFileInfo(name).absolutePath();
  TfrmAdd dialog(*components_, qel::atNA, name, this);
  if (dialog.exec() != QDialog::Accepted) return;
  if (components_->CurrentWrapper || !components_->CurrentWriter) return;
  qel::TCompBase& writer = *components_->CurrentWriter;
  // The name follows the type chosen (and a name without an extension gets the writer's):
  // that file was not the one confirmed.
  writer.SetArchiveFile(app::NewArchiveName(name, components_->KindOf(writer)).toStdString());
  const QString target = QString::fromStdString(writer.ArchiveFile());
  if (QFileInfo::exists(target) || QFileInfo(target).isSymLink()) {
    if (target != name && MessageBox(app::FormatMessage(app::Message(840), {target}),
                                     mtConfirmation, {mbYes, mbNo}, 0, this) != mrYes)
      return;
    if (!QFile::moveToTrash(target)) {
      MessageBox(app::FormatMessage(app::Message(870), {target}), mtError, {mbOK}, 0, this);
      return;
    }
    writer.SetArchiveFile(target.toStdString());  // it no longer exists
  }
  const int count = RunAdd(writer);
  if (QFileInfo(target).isFile()) OpenArchive(target);
  ReportCount(count, app::Message(100), app::Message(101));
}

void TMainForm::ExtractFiles() {
  if (archive_.isEmpty()) return;
  const qel::TMakeReader make = qel::ReaderFor(listing_.ArcType());
  if (!make) {
    MessageBox(app::Message(200), mtCustom, {mbOK}, 0, this);
    return;
  }
  // Taken before the dialog: the rows go when another archive is opened meanwhile (one
  // handed over by another start), and then this command ends.
  const QString archive = archive_;
  const std::vector<const app::TShellItem*> rows = SelectedItems();
  const app::TEntryMasks selected = app::MasksOfRows(rows);
  TfrmExtract dialog(archive, false, !rows.empty(), this);
  if (dialog.exec() != QDialog::Accepted || archive_ != archive) return;
  const app::TExtractChoices choices = dialog.Choices();
  // All files are the files the filter shows, in every folder.
  const app::TEntryMasks masks =
      choices.AllFiles || selected.Empty() ? app::TEntryMasks{{}, fileMask_} : selected;
  int count = 0;
  {
    const TBusyScope busy(*this);
    std::unique_ptr<qel::TDecompressClass> reader = make();
    PrepareReader(*reader);
    try {
      reader->SetArchiveFile(archive_.toStdString());
    } catch (const qel::E_RAISE&) {
      return;  // reported through the error list
    }
    app::ApplyExtractChoices(choices, *reader, app::AppSettings().AppTempFolder);
    for (const auto& [list, recurse] :
         {std::pair{&masks.FileMasks, false}, std::pair{&masks.FolderMasks, true}}) {
      if (list->isEmpty() || reader->Cancel()) continue;
      reader->FileSpec.clear();
      for (const QString& mask : *list) reader->FileSpec.push_back(mask.toStdString());
      reader->RecurseDirs = recurse;
      count += reader->Extract();
    }
  }
  ReportCount(count, app::Message(170), app::Message(180));
  app::TAppSettings& s = app::AppSettings();
  if (s.ExtractType == 2) s.LastExtractFolder = choices.Folder;
  if (choices.OpenFolder) QDesktopServices::openUrl(QUrl::fromLocalFile(choices.Folder));
  if (choices.CloseAfterExtract) {
    frmErrors_->WaitUntilClosed();
    close();
  }
}

int TMainForm::DeleteMasks(const QStringList& fileMasks, const QStringList& folderMasks) {
  const std::optional<app::TComponentKind> kind = app::WriterForType(listing_.ArcType());
  if (!kind) {
    MessageBox(app::Message(210), mtWarning, {mbOK}, 0, this);
    return 0;
  }
  qel::TCompBase& writer = components_->Writer(*kind);
  writer.SetArchiveFile(archive_.toStdString());
  PrepareWriter(writer);
  // What an earlier add left in the writer comes back afterwards.
  const qel::TStrings fileSpec = writer.FileSpec;
  const qel::TStrings excludeSpec = writer.ExcludeSpec;
  const qel::TSwitch operation = writer.Switch;
  const bool recurse = writer.RecurseDirs;
  int total = 0;
  int deleted = 0;
  writer.OnDeleteFile = [&deleted](qel::TZipCommon&, const std::string&, int count, int) {
    deleted = count;
  };
  writer.ExcludeSpec.clear();
  writer.Switch = qel::TSwitch::swDelete;
  {
    const TBusyScope busy(*this);
    bool secondPass = false;
    for (const auto& [list, recurseDirs] :
         {std::pair{&fileMasks, false}, std::pair{&folderMasks, true}}) {
      if (list->isEmpty() || !QFileInfo(archive_).isFile()) continue;
      writer.FileSpec.clear();
      for (const QString& mask : *list) writer.FileSpec.push_back(mask.toStdString());
      writer.RecurseDirs = recurseDirs;
      writer.OnActivate = [this, secondPass](qel::TZipCommon&) {
        prompts_->WriterActivated(secondPass);
      };
      deleted = 0;
      writer.SetArchiveFile(archive_.toStdString());
      writer.Compress();
      total += deleted;
      secondPass = true;
    }
  }
  writer.OnDeleteFile = nullptr;
  writer.FileSpec = fileSpec;
  writer.ExcludeSpec = excludeSpec;
  writer.Switch = operation;
  writer.RecurseDirs = recurse;
  return total;
}

void TMainForm::DeleteEntries() {
  if (archive_.isEmpty() || !Action("acDelete")->isEnabled()) return;
  // The Delete key in the explorer's tree deletes the folder it shows.
  if (ExplorerStyle() && explorer_->Tree()->hasFocus()) {
    DeleteTreeFolder();
    return;
  }
  const app::TEntryMasks masks = app::MasksOfRows(SelectedItems());
  if (masks.Empty()) {
    MessageBox(app::Message(890), mtInformation, {mbOK}, 0, this);
    return;
  }
  // The masks are this archive's: another one opened while the question waits (handed over
  // by another start) loses nothing.
  const QString archive = archive_;
  if (MessageBox(app::Message(880), mtConfirmation, {mbYes, mbNo}, 0, this) != mrYes ||
      archive_ != archive)
    return;
  const int count = DeleteMasks(masks.FileMasks, masks.FolderMasks);
  ReportCount(count, app::Message(150), app::Message(160));
  if (QFileInfo(archive).isFile() && HoldsNoEntries(archive)) QFile::remove(archive);
  Relist();
}

void TMainForm::DeleteTreeFolder() {
  if (archive_.isEmpty() || !ExplorerStyle() || !Action("acDelete")->isEnabled()) return;
  QTreeWidgetItem* item = explorer_->Tree()->currentItem();
  const app::TFolderNode* node = TExplorerPanel::NodeOf(item);
  if (!node || !node->Parent) {
    MessageBox(app::Message(890), mtInformation, {mbOK}, 0, this);
    return;
  }
  // The tree is built again when another archive is opened while the question waits: the
  // folder must still be the one shown in this archive.
  const QString archive = archive_;
  const QString path = node->Data.Path;
  if (MessageBox(app::Message(885), mtConfirmation, {mbYes, mbNo}, 0, this) != mrYes ||
      archive_ != archive)
    return;
  item = explorer_->Tree()->currentItem();
  node = TExplorerPanel::NodeOf(item);
  if (!node || node->Data.Path != path) return;
  const int count = DeleteMasks({}, {path + u'*'});
  ReportCount(count, app::Message(150), app::Message(160));
  // The folder is gone: its parent is shown instead.
  explorer_->Tree()->setCurrentItem(item->parent());
  if (QFileInfo(archive).isFile() && HoldsNoEntries(archive)) QFile::remove(archive);
  Relist();
}

void TMainForm::ViewEntry() {
  std::optional<app::TShellItem> file;
  for (const app::TShellItem* item : SelectedItems())
    if (!item->IsFolder()) {
      file = *item;  // a copy: the rows go when another archive is opened meanwhile
      break;
    }
  if (!file) {
    MessageBox(app::Message(350), mtInformation, {mbOK}, 0, this);
    return;
  }
  const QString archive = archive_;
  const QString defaultViewer = app::AppSettings().DefViewer;
  TFormView dialog(app::IsTextEditorStandIn(defaultViewer) ? QString() : defaultViewer, this);
  if (dialog.exec() != QDialog::Accepted || archive_ != archive) return;
  const app::TShellItem& entry = *file;
  switch (dialog.Choice()) {
    case TFormView::vcAssociated:
      OpenEntry(entry, {});
      break;
    case TFormView::vcNotepad:
      OpenEntry(entry, app::kDefaultViewer);
      break;
    case TFormView::vcViewer: {
      const QString viewer = dialog.Viewer();
      if (QFileInfo(viewer).isFile() || !QStandardPaths::findExecutable(viewer).isEmpty())
        OpenEntry(entry, viewer);
      break;
    }
  }
}

void TMainForm::OpenSelectedEntry(const QString& viewer) {
  const std::vector<const app::TShellItem*> rows = SelectedItems();
  if (rows.empty()) return;
  const app::TShellItem entry = *rows.front();
  OpenEntry(entry, viewer);
}

void TMainForm::OpenEntry(const app::TShellItem& item, const QString& viewer) {
  if (item.IsFolder()) {
    SelectFolder(item.Folder);
    return;
  }
  // The row may be gone once the program ends (the list can be refreshed meanwhile).
  const QString entry = item.Folder + item.Name;
  const bool encrypted = item.Encrypted;
  const QString archive = archive_;
  const qel::TArcType type = listing_.ArcType();
  if (archive.isEmpty() || !qel::ReaderFor(type)) {
    MessageBox(app::Message(200), mtCustom, {mbOK}, 0, this);
    return;
  }
  app::TZipRun run;
  run.ArchiveFile = archive.toStdString();
  run.ArcType = type;
  run.TempDir = app::AppSettings().AppTempFolder.toStdString();
  run.RecurseDirs = false;
  run.FileSpec = {entry.toStdString()};
  // Only a ZIP archive takes an edited entry back, so only there is the program waited for.
  run.ExecutionMethod = IsZipType(type) ? app::TExecutionMethod::emExecuteAndWait
                                        : app::TExecutionMethod::emExecuteNoWait;
  if (!viewer.isEmpty()) {
    run.OpenMethod = app::TOpenMethod::omOpenWithFile;
    run.CommandLineParams = viewer;
  }
  run.Launcher = Launcher;
  run.OnPrepareReader = [this](qel::TDecompressClass& reader) { PrepareReader(reader); };
  // This run's own record: while its program runs, another entry may be opened and waited
  // for, and must not take this one's place.
  app::TViewedCopy copy;
  copy.Archive = archive;
  copy.Type = type;
  copy.Entry = entry;
  run.OnBeforeExecute = [&copy](app::TZipRun&, const QString& file, bool&) {
    copy.File = file;
    copy.Age = app::FileAge(file);
    // Only a ZIP archive takes an edit back: elsewhere the copy says it is read-only, so
    // that no edit is made to be lost.
    if (!IsZipType(copy.Type)) QFile::setPermissions(file, QFile::ReadOwner);
  };
  const bool launched = run.Run();
  viewEncryption_ = run.Encryption();
  if (!launched) {
    if (!run.LaunchError().isEmpty()) MessageBox(run.LaunchError(), mtError, {mbOK}, 0, this);
    return;
  }
  // Nothing is put back into an archive that was closed or replaced while the program ran,
  // nor while the window is closing.
  if (!IsZipType(type) || archive_ != archive || !isVisible()) return;
  copy.Folder = run.ExtractFolder();
  copy.Encryption = run.Encryption();
  copy.Password = encrypted ? run.Password() : std::string();
  // The program may save the copy later still (it returned before the user was done, or
  // handed the file to a copy of itself): it is watched while the archive is open.
  viewed_->Add(copy);
  if (app::ShouldPutBack(type, copy.Age, app::FileAge(copy.File))) OfferPutBack(copy);
}

void TMainForm::OfferChangedCopies() {
  if (!isVisible()) return;
  // Not over a question or an operation in progress: asked once they are done.
  if (Busy() || QApplication::activeModalWidget()) {
    QTimer::singleShot(500, this, &TMainForm::OfferChangedCopies);
    return;
  }
  for (const app::TViewedCopy& copy : viewed_->ChangedCopies()) OfferPutBack(copy);
}

void TMainForm::OfferPutBack(const app::TViewedCopy& copy) {
  // This save is asked about once, whatever the answer; a later save is asked about again.
  viewed_->Settle(copy.File);
  // An entry of an archive that is no longer shown is named with its archive.
  const QString entry = copy.Archive == archive_
                            ? copy.Entry
                            : QFileInfo(copy.Archive).fileName() + QStringLiteral(": ") + copy.Entry;
  if (MessageBox(app::FormatMessage(app::Message(1190), {entry}) + u'\n' + app::Message(1200),
                 mtConfirmation, {mbYes, mbNo}, 0, this) == mrYes)
    PutBack(copy);
}

void TMainForm::PutBack(const app::TViewedCopy& copy) {
  if (!QFileInfo(copy.File).isFile()) return;
  const std::optional<app::TComponentKind> kind = app::WriterForType(copy.Type);
  if (!kind) return;
  // A writer of its own: nothing an earlier Add dialog left in the window's writers applies.
  app::TArchiveComponents components;
  qel::TCompBase& writer = components.Writer(*kind);
  writer.SetArchiveFile(copy.Archive.toStdString());
  PrepareWriter(writer);
  // The file's path below the folder it was extracted into is the entry's stored name.
  const QString base = copy.Folder.isEmpty() || !copy.File.startsWith(copy.Folder)
                           ? QFileInfo(copy.File).absolutePath() + u'/'
                           : copy.Folder;
  writer.FileSpec = {copy.File.toStdString()};
  writer.StoredDirNames = qel::TStoredDirNames::sdExplorer_UserDefineDefaultDir;
  writer.DefaultDir = base.toStdString();
  // An encrypted entry stays encrypted as it was, with the password that opened it.
  writer.EncryptionMethod = copy.Password.empty() ? qel::TEncryptionMethod::emNone
                                                  : app::AddingEncryption(copy.Encryption);
  writer.SetPassword(copy.Password);
  prompts_->SetInteractiveAdd(false);
  {
    const TBusyScope busy(*this);
    writer.Compress();
  }
  prompts_->SetInteractiveAdd(true);
  if (copy.Archive == archive_) Relist();
}

}  // namespace vk::gui
