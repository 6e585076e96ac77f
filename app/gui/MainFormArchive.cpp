// The main window's archive view: opening and listing an archive, the two display styles,
// sorting, totals and the filter.
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

#include "app/core/AppSettings.h"
#include "app/core/ArcTypeNames.h"
#include "app/core/ArchiveTest.h"
#include "app/core/ColumnFormat.h"
#include "app/core/CommandRules.h"
#include "app/core/EntryTotals.h"
#include "app/core/LibrarySelector.h"
#include "app/core/MarkedNames.h"
#include "app/core/ProgressReport.h"
#include "app/core/Translation.h"
#include "app/gui/EntryModel.h"
#include "app/gui/ErrorList.h"
#include "app/gui/ExplorerPanel.h"
#include "app/gui/MainForm.h"
#include "app/gui/MessageBox.h"
#include "app/gui/RepairDialog.h"
#include "app/gui/TestWindow.h"
#include "app/gui/VrListView.h"
#include "engine/registry/Formats.h"

namespace vk::gui {

void TMainForm::OpenArchiveExplorer(const QString& path) {
  views_->setCurrentWidget(explorer_);
  OpenArchive(path);
}

void TMainForm::OpenArchive(const QString& path) {
  if (!ConfirmCloseArchive()) return;
  const QFileInfo info(path);
  app::AppSettings().AppCurrentDir = info.absolutePath();
  prompts_->ForgetPassword();
  // Every name goes to the lister until the library wrappers arrive.
  if (app::SelectLister(path) != app::lkLister) {
    ShowNotAvailable(tr("Archives of this kind"));
    return;
  }
  fileMask_ = QStringList{QStringLiteral("*")};
  ListArchive(info.absoluteFilePath());
  if (listing_.Recognised() && !fileMask_.isEmpty()) {
    SetCaption(QStringLiteral("Vorelkit - ") + archive_);
    OfferFavorite();
    ShowCommentsOnOpen();
  } else {
    const bool unrecognised = !listing_.Recognised();
    CloseArchive();
    if (unrecognised) MessageBox(app::Message(960), mtCustom, {mbOK}, 0, this);
  }
  SortEntries();
}

bool TMainForm::ListArchive(const QString& archive) {
  const QString path = archive;  // the caller may pass archive_ itself, which is reset here
  const TBusyScope busy(*this);
  model_->SetRows({});
  folderRows_.clear();
  explorer_->ClearTree();
  TreeBuilt = false;
  errorLog_.ComponentActivated();
  archive_.clear();
  if (path.isEmpty()) {
    listing_.Clear();
  } else {
    listing_.Quell.OnError = ErrorHandler();
    prompts_->AttachLister(listing_.Quell);
    listing_.SetArchive(path);
    archive_ = listing_.ArchiveFile();
    if (listing_.Recognised()) {
      if (fileMask_.isEmpty()) fileMask_ = QStringList{QStringLiteral("*")};
      statusBar()->showMessage(app::Message(1050));
      statusBar()->repaint();
      listing_.List(fileMask_);
      ShowEntries();
    }
  }
  UpdateCommands();
  model_->SetRenamable(listing_.Recognised() && qel::Can(listing_.ArcType(), qel::capRename));
  ShowTotals(false);
  ActiveList()->ActiveView()->setFocus();
  return listing_.Recognised();
}

void TMainForm::ShowEntries() {
  if (!ExplorerStyle()) {
    std::vector<app::TShellItem*> rows;
    rows.reserve(listing_.Files().size());
    for (app::TShellItem& item : listing_.Files()) rows.push_back(&item);
    model_->SetRows(std::move(rows));
    return;
  }
  explorer_->FillTree(listing_.Tree());
  TreeBuilt = true;
  // Selecting the root shows its content.
  explorer_->Tree()->setCurrentItem(explorer_->Tree()->topLevelItem(0));
}

void TMainForm::TreeClick() {
  const app::TFolderNode* node = TExplorerPanel::NodeOf(explorer_->Tree()->currentItem());
  if (!node || !TreeBuilt) return;
  model_->SetRows({});  // before the folder rows it points to are replaced
  folderRows_ = app::FolderRows(*node);
  std::vector<app::TShellItem*> rows;
  for (app::TShellItem& folder : folderRows_) rows.push_back(&folder);
  for (app::TShellItem& item : listing_.Files())
    if (app::InFolder(item, *node)) rows.push_back(&item);
  model_->SetRows(std::move(rows));
  explorer_->SetFolderCaption(node->Data.Path);
  ShowTotals(false);
  SortEntries();
}

void TMainForm::SelectFolder(const QString& path) {
  if (QTreeWidgetItem* item = explorer_->ItemOf(path)) explorer_->Tree()->setCurrentItem(item);
}

void TMainForm::OneLevelUp() {
  if (!ExplorerStyle()) return;
  QTreeWidgetItem* item = explorer_->Tree()->currentItem();
  if (item && item->parent()) explorer_->Tree()->setCurrentItem(item->parent());
}

void TMainForm::RowActivated(int row) {
  const app::TShellItem* item = EntryAt(row);
  if (!item) return;
  if (item->IsFolder())
    SelectFolder(item->Folder);
  else if (Action("acOpenFile")->isEnabled())
    commands_->OpenEntry(*item, {});
}

app::TShellItem* TMainForm::EntryAt(int index) const { return model_->EntryAt(index); }

TVrListView* TMainForm::ActiveList() const { return ExplorerStyle() ? explorer_->List() : list_; }

bool TMainForm::ExplorerStyle() const { return views_->currentWidget() == explorer_; }

void TMainForm::SetExplorerStyle(bool on) {
  app::AppSettings().ExplorerView = on;
  Action(on ? "acExplorerStyle" : "acClassicStyle")->setChecked(true);
  if (on == ExplorerStyle()) return;
  const QString archive = archive_;
  views_->setCurrentWidget(on ? static_cast<QWidget*>(explorer_) : list_);
  if (!archive.isEmpty()) OpenArchive(archive);
}

void TMainForm::ColumnClick(int column) {
  if (column == SortColumn)
    SortAscending = !SortAscending;
  else {
    SortColumn = column;
    SortAscending = true;
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  SortEntries();
  QApplication::restoreOverrideCursor();
}

void TMainForm::SortEntries() {
  model_->Sort(SortColumn, SortAscending, ExplorerStyle());
  for (TVrListView* list : {list_, explorer_->List()})
    list->SetSortArrow(SortColumn,
                       SortAscending ? TVrListView::ssAscending : TVrListView::ssDescending);
}

void TMainForm::ShowTotals(bool selectedOnly) {
  const std::vector<int> selected = ActiveList()->SelectedRows();
  app::TTotals totals;
  if (selectedOnly && !selected.empty()) {
    std::vector<const app::TShellItem*> items;
    for (int row : selected) items.push_back(EntryAt(row));
    totals = app::SelectionTotals(items);
  } else {
    totals = app::ListingTotals(model_->Rows(), listing_.TotalPacked(), listing_.TotalUnpacked());
  }
  const QStringList texts = app::TotalsPanels(totals, app::ArcTypeDisplayName(listing_.ArcType()));
  for (size_t i = 0; i < panels_.size() && qsizetype(i) < texts.size(); ++i)
    panels_[i]->setText(texts[qsizetype(i)]);
  statusBar()->clearMessage();
}

void TMainForm::Filter() {
  QString mask = QStringLiteral("*");
  if (!InputBox(app::Message(360), app::Message(370), mask, this)) return;
  SetFileMask(mask.split(';', Qt::SkipEmptyParts));
}

void TMainForm::SetFileMask(const QStringList& masks) {
  fileMask_.clear();
  for (const QString& mask : masks)
    if (!mask.trimmed().isEmpty()) fileMask_ << QString(mask.trimmed()).replace('\\', '/');
  if (!listing_.Recognised()) return;
  ListArchive(archive_);
  SortEntries();
}

void TMainForm::UpdateCommands() {
  app::TArchiveState state;
  // The lister keeps the type of a closed archive: the window's archive says whether one is open.
  state.Open = !archive_.isEmpty() && listing_.Recognised();
  state.Type = listing_.ArcType();
  state.HasSetupFile = state.Open && app::HasSetupFile(listing_.Files());
  const app::TCommandAvailability rules = app::CommandAvailability(state);
  findChild<QMenu*>("mnActions")->menuAction()->setVisible(rules.ActionsMenu);
  // The commands whose work is built; the others stay disabled until theirs is.
  for (const char* name : {"acClose",           "acFilter",        "acSelectAll",
                           "acInvertSelection", "acTest",          "acAdd",
                           "acDelete",          "acExtract",       "acView",
                           "acViewWithNotepad", "acOpenFile",      "acRename",
                           "acMakeSFXFile",     "acSplit",         "acProperties",
                           "acFileProps",       "acComments",      "acPrint",
                           "acPrintToFile",     "acMail",          "acMoveArchive",
                           "acCopyArchive",     "acRenameArchive", "acDeleteArchive",
                           "acVirusScan",       "acCheckOut",      "acInstall"})
    Action(name)->setEnabled(rules.Enabled.at(name));
}

qel::TBeginEvent TMainForm::ShowBegin(bool compressing) {
  return [this, compressing](qel::TZipCommon&, const std::string& file, int, bool&) {
    const QString text = (compressing ? app::Message(540) : app::Message(555)) + u' ';
    const QFontMetrics metrics = statusBar()->fontMetrics();
    const int room =
        statusBar()->width() - progress_->width() - metrics.horizontalAdvance(text) - 40;
    statusBar()->showMessage(
        text + app::ShortenPath(QString::fromStdString(file), room, [&metrics](const QString& t) {
          return metrics.horizontalAdvance(t);
        }));
  };
}

qel::TProgressEvent TMainForm::ShowProgress(bool compressing) {
  return [this, compressing](qel::TZipCommon&, uint8_t, uint8_t byArchive) {
    progress_->show();
    progress_->setValue(std::max<int>(1, byArchive));
    setWindowTitle(app::ProgressTitle(compressing, byArchive));
    // The window repaints while the component works.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  };
}

qel::TNotifyEvent TMainForm::EndProgress() {
  return [this](qel::TZipCommon&) {
    progress_->setValue(1);
    progress_->hide();
    statusBar()->clearMessage();
    setWindowTitle(caption_);
  };
}

qel::TErrorEvent TMainForm::ErrorHandler() {
  return app::ReportingErrors(
      errorLog_, *prompts_, [this](const QString& notice) { notice_ = notice; },
      [this](const std::optional<QString>& line) {
        if (line) frmErrors_->ReportError(*line);
      });
}

void TMainForm::OfferFavorite() {
  app::TAppSettings& s = app::AppSettings();
  const QString folder = QFileInfo(archive_).absolutePath();
  if (s.FavoriteOptions == 2 || s.IsFavorite(folder)) return;
  if (s.FavoriteOptions == 1 &&
      MessageBox(
          app::FormatMessage(QStringLiteral("Do you want to add \"%s\" to your favorite folders?"),
                             {folder}),
          mtConfirmation, {mbYes, mbNo}, 0, this) != mrYes)
    return;
  s.AddFavorite(folder);
}

void TMainForm::ConnectViewActions() {
  auto exclusive = [this](std::initializer_list<const char*> names) {
    auto* group = new QActionGroup(this);
    for (const char* name : names) {
      Action(name)->setCheckable(true);
      group->addAction(Action(name));
    }
  };
  exclusive({"acClassicStyle", "acExplorerStyle"});
  exclusive({"acLargeIcons", "acSmallIcons", "acListStyle", "acDetails"});
  connect(Action("acClassicStyle"), &QAction::triggered, this, [this] { SetExplorerStyle(false); });
  connect(Action("acExplorerStyle"), &QAction::triggered, this, [this] { SetExplorerStyle(true); });
  const char* styles[] = {"acLargeIcons", "acSmallIcons", "acListStyle", "acDetails"};
  for (int style = 0; style < 4; ++style)
    connect(Action(styles[style]), &QAction::triggered, this, [this, style] {
      app::AppSettings().ViewStyle = style;
      for (TVrListView* list : {list_, explorer_->List()}) list->SetViewStyle(style);
    });
  for (const char* name : {"acViewToolbar", "acViewFolderBar", "acViewStatusBar"})
    Action(name)->setCheckable(true);
  connect(Action("acViewToolbar"), &QAction::toggled, this, [this](bool on) {
    app::AppSettings().ShowToolbar = on;
    toolBar_->setVisible(on);
  });
  connect(Action("acViewFolderBar"), &QAction::toggled, this, [this](bool on) {
    app::AppSettings().ViewExplorerTree = on;
    explorer_->SetTreeVisible(on);
  });
  connect(Action("acViewStatusBar"), &QAction::toggled, this, [this](bool on) {
    app::AppSettings().ShowStatusPanel = on;
    statusBar()->setVisible(on);
  });
  connect(Action("acOpen"), &QAction::triggered, this, [this] {
    const QString file =
        QFileDialog::getOpenFileName(this, tr("Open Archive"), app::AppSettings().AppCurrentDir,
                                     tr("All archives (%1);;All files (*)").arg(ArchivePatterns()));
    if (!file.isEmpty()) OpenArchive(file);
  });
  connect(Action("acClose"), &QAction::triggered, this, [this] {
    if (ConfirmCloseArchive()) CloseArchive();
  });
  connect(Action("acFilter"), &QAction::triggered, this, &TMainForm::Filter);
  connect(Action("acTest"), &QAction::triggered, this, [this] {
    errorLog_.ComponentActivated();
    TfrmTest test(archive_, listing_.ArcType(), app::TesterSetup(*prompts_, ErrorHandler()), this);
    test.exec();
  });
  connect(Action("acRepair"), &QAction::triggered, this, [this] {
    TfrmRepair repair(this);
    repair.exec();
  });
  connect(Action("acSelectAll"), &QAction::triggered, this, [this] { ActiveList()->SelectAll(); });
  connect(Action("acInvertSelection"), &QAction::triggered, this,
          [this] { ActiveList()->InvertSelection(); });
}

QString TMainForm::ArchivePatterns() const {
  QStringList patterns;
  for (const std::string& ext : listing_.Quell.ArchiveExts)
    patterns << "*" + QString::fromStdString(ext);
  return patterns.join(' ');
}

}  // namespace vk::gui
