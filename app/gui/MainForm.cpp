#include "app/gui/MainForm.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include "app/core/AboutText.h"
#include "app/core/AppPaths.h"
#include "app/core/AppSettings.h"
#include "app/core/ArchiveComponents.h"
#include "app/core/ColumnFormat.h"
#include "app/core/TempFiles.h"
#include "app/core/Translation.h"
#include "app/core/VrOneInstance.h"
#include "app/core/WindowGeometry.h"
#include "app/gui/DialogPrompter.h"
#include "app/gui/EntryModel.h"
#include "app/gui/ErrorList.h"
#include "app/gui/ExplorerPanel.h"
#include "app/gui/MessageBox.h"
#include "app/gui/TranslateWindows.h"
#include "app/gui/VrListView.h"

namespace vk::gui {
namespace {

constexpr char kTitle[] = "Vorelkit";
// The names the single-instance layer derives its lock file and socket from.
constexpr char kMapFileName[] = "{D7C34DB6-D23D-4230-9D7C-F6B0FAB75851}";
constexpr char kMutexName[] = "{37D373AE-D311-42BF-B8D4-AE77A0860207}";

struct ActionSpec {
  const char* name;
  const char* caption;
  const char* shortcut;
};

// Every command of the window, by menu, with its key. Favorite Folders has none: its menu key
// would be Filter's, and a key two actions share fires neither. Commands without a key of
// their own take their menu item's, except Check with VirusTotal, whose Alt+V is the View
// menu's.
const std::vector<std::pair<const char*, std::vector<ActionSpec>>>& MenuLayout() {
  static const std::vector<std::pair<const char*, std::vector<ActionSpec>>> kLayout = {
      {"mnFile",
       {{"acNew", "&New Archive...", "Ctrl+N"},
        {"acOpen", "&Open Archive...", "Ctrl+O"},
        {"acFavorites", "&Favorites...", ""},
        {"acClose", "&Close Archive", "Ctrl+Shift+L"},
        {nullptr, nullptr, nullptr},
        {"acMoveArchive", "&Move Archive...", "F7"},
        {"acCopyArchive", "Co&py Archive...", "F8"},
        {"acRenameArchive", "Re&name Archive...", "Ctrl+Shift+R"},
        {"acDeleteArchive", "&Delete Archive", ""},
        {nullptr, nullptr, nullptr},
        {"acProperties", "P&roperties", ""},
        {"acComments", "Co&mments...", "Ctrl+Shift+G"},
        {"acPrint", "Pr&int...", "Ctrl+P"},
        {"acPrintToFile", "Print to Fi&le...", ""},
        {"acMail", "Ma&il Archive...", "Ctrl+Shift+M"},
        {nullptr, nullptr, nullptr},
        {"acExit", "E&xit", "Alt+F4"}}},
      {"mnActions",
       {{"acAdd", "&Add...", "Ctrl+Shift+A"},
        {"acExtract", "&Extract...", "Ctrl+Shift+E"},
        {"acDelete", "&Delete...", "Ctrl+Shift+D"},
        {"acView", "&View", "Ctrl+Shift+V"},
        {"acViewWithNotepad", "View &with...", ""},
        {"acOpenFile", "&Open", ""},
        {"acFileProps", "File P&roperties...", ""},
        {"acRename", "Re&name", "F2"},
        {"acTest", "&Test", "Ctrl+Shift+T"},
        {nullptr, nullptr, nullptr},
        {"acSelectAll", "Select A&ll", "Ctrl+A"},
        {"acInvertSelection", "&Invert Selection", ""},
        {"acFilter", "&Filter...", "Ctrl+Shift+F"},
        {"acFindInArchives", "Find in Arc&hives...", "Ctrl+Alt+F"}}},
      {"mnTools",
       {{"acConvert", "&Convert Archive...", "Ctrl+Shift+J"},
        {"acMakeSFXFile", "Make &Self-Extracting File...", "Ctrl+Shift+K"},
        {"acUnSFX", "SFX to &Archive", "Ctrl+U"},
        {"acSplit", "S&plit...", "Ctrl+Shift+H"},
        {"acMerge", "&Merge...", "Ctrl+M"},
        {"acRepair", "&Repair...", "Ctrl+R"},
        {"acUUEncode", "&UUEncode...", "Ctrl+Shift+U"},
        {"acConvertCDImage", "Convert CD &Image...", "Ctrl+I"},
        {"acEncrypt", "&Encrypt...", "Ctrl+E"},
        {"acDecrypt", "&Decrypt...", "Ctrl+D"},
        {"acVirusScan", "&Virus Scan", "Alt+S"},
        {"acCheckVirusTotal", "Check with Virus&Total", ""},
        {"acCheckOut", "Check &Out...", "Ctrl+Shift+C"},
        {"acInstall", "I&nstall", "Ctrl+Shift+I"}}},
      {"mnView",
       {{"acClassicStyle", "&Classic Display Style", ""},
        {"acExplorerStyle", "&Explorer Display Style", ""},
        {nullptr, nullptr, nullptr},
        {"acLargeIcons", "Lar&ge Icons", ""},
        {"acSmallIcons", "S&mall Icons", ""},
        {"acListStyle", "&List", ""},
        {"acDetails", "&Details", ""},
        {nullptr, nullptr, nullptr},
        {"acViewToolbar", "&Toolbar", ""},
        {"acViewFolderBar", "&Folder Bar", ""},
        {"acViewStatusBar", "&Status Bar", ""}}},
      {"mnOptions",
       {{"acConfiguration", "&Configuration...", ""},
        {nullptr, nullptr, nullptr},
        {"acImportSettings", "&Import Settings...", ""},
        {"acExportSettings", "&Export Settings...", ""},
        {"acClearHistory", "Clear &History", ""},
        {nullptr, nullptr, nullptr},
        {"acReuse", "&Reuse Vorel Windows", ""},
        {"acMinToTray", "&Minimize to Tray", ""},
        {"acAlwaysOnTop", "Always on &Top", ""}}},
      {"mnHelp",
       {{"acContentsandIndex", "&Contents and Index", "F1"},
        {"acCheckforUpdate", "Check for &Update", ""},
        {"acAbout", "&About...", ""}}},
  };
  return kLayout;
}

const char* MenuCaption(const QString& menu) {
  if (menu == "mnFile") return "&File";
  if (menu == "mnActions") return "&Actions";
  if (menu == "mnTools") return "&Tools";
  if (menu == "mnView") return "&View";
  if (menu == "mnOptions") return "&Options";
  return "&Help";
}

// The commands that work with or without an archive; the archive's own commands follow
// the open archive, and the rest stay disabled until their parts arrive.
bool AvailableNow(const QString& action) {
  static const QStringList kAlways = {
      "acExit",           "acAbout",         "acOpen",           "acNew",
      "acClassicStyle",   "acExplorerStyle", "acLargeIcons",     "acSmallIcons",
      "acListStyle",      "acDetails",       "acViewToolbar",    "acViewFolderBar",
      "acViewStatusBar",  "acRepair",        "acConfiguration",  "acConvert",
      "acUnSFX",          "acMerge",         "acImportSettings", "acExportSettings",
      "acClearHistory",   "acReuse",         "acMinToTray",      "acAlwaysOnTop",
      "acCheckforUpdate", "acUUEncode"};
  return kAlways.contains(action);
}

}  // namespace

TMainForm::TMainForm(const app::TStartCommand& start, bool checkInstance, QWidget* parent)
    : QMainWindow(parent), start_(start) {
  setObjectName("MainForm");
  setWindowTitle(kTitle);
  prompter_ = std::make_unique<TDialogPrompter>(this);
  prompts_ = std::make_unique<app::TEnginePrompts>(*prompter_);
  components_ = std::make_unique<app::TArchiveComponents>();
  frmErrors_ = new TfrmErrors(this);
  CreateActions();
  CreateMenus();
  CreateToolBar();
  CreateStatusBar();
  CreateList();
  ConnectArchiveCommands();
  ConnectRename();
  ApplySettings();
  ApplyColumnWidths();
  setAcceptDrops(true);

  if (checkInstance) {
    instance_ = new app::TVrOneInstance(this);
    instance_->setObjectName("VrOneInstance");
    instance_->SetMapFileName(kMapFileName);
    instance_->SetMutexName(kMutexName);
    instance_->SetRestoreMaininstance(true);
    instanceAllowed_ = instance_->CheckInstance(QCoreApplication::arguments().mid(1));
    // A check that failed for another reason than a running first instance: go on as one,
    // rather than leave the user with nothing.
    if (!instanceAllowed_ && !instance_->HandedOver()) instanceAllowed_ = true;
    if (!instanceAllowed_) return;
    connect(instance_, &app::TVrOneInstance::RestoreRequested, this, [this] {
      SetTrayVisible(false);
      showNormal();
      raise();
      activateWindow();
    });
    connect(instance_, &app::TVrOneInstance::SharedDataWaiting, this, [this] {
      // Taken only when no operation runs; a busy window takes it when it ends.
      if (!Busy() && instance_->PollSharedData())
        ReceiveCommandLine(instance_->ReceivedCommandLine(), instance_->ReceivedArchive());
    });
  }
  FillLanguageMenu();
  CloseArchive();
}

TMainForm::~TMainForm() {
  // The rows point into the listing, which goes before the lists do: a shown window lays
  // its lists out again while it is taken down.
  model_->SetRows({});
}

QAction* TMainForm::Action(const QString& name) const {
  auto it = actions_.find(name);
  return it == actions_.end() ? nullptr : it->second;
}

void TMainForm::CreateActions() {
  for (const auto& [menu, specs] : MenuLayout()) {
    for (const ActionSpec& item : specs) {
      if (!item.name) continue;
      auto* action = new QAction(item.caption, this);
      action->setObjectName(item.name);
      if (*item.shortcut) action->setShortcut(QKeySequence(item.shortcut));
      action->setEnabled(AvailableNow(item.name));
      actions_[item.name] = action;
    }
  }
  connect(Action("acExit"), &QAction::triggered, this, &QWidget::close);
  ConnectViewActions();
  ConnectOptionsActions();
  ConnectToolActions();
  ConnectInfoActions();
  ConnectArchiveFileActions();
  connect(Action("acAbout"), &QAction::triggered, this,
          [this] { QMessageBox::about(this, kTitle, app::AboutText()); });
}

void TMainForm::CreateMenus() {
  for (const auto& [menuName, specs] : MenuLayout()) {
    QMenu* menu = menuBar()->addMenu(MenuCaption(menuName));
    menu->setObjectName(menuName);
    for (const ActionSpec& item : specs) {
      if (item.name)
        menu->addAction(Action(item.name));
      else
        menu->addSeparator();
    }
    if (QString(menuName) == "mnOptions") {
      languageMenu_ = menu->addMenu("&Language");
      languageMenu_->setObjectName("mnLanguage");
    }
  }
}

void TMainForm::CreateToolBar() {
  toolBar_ = addToolBar("Toolbar");
  toolBar_->setObjectName("ToolBar");
  toolBar_->setMovable(false);
  // One button per key of section Buttons, in its order; each can be hidden on its own
  // without hiding its command in the menus.
  struct Button {
    const char* action;
    const char* themeIcon;  // the desktop's icon when its theme has one
    QStyle::StandardPixmap fallback;
  };
  static constexpr std::array<Button, app::kToolbarButtonCount> kButtons = {{
      {"acNew", "document-new", QStyle::SP_FileIcon},
      {"acOpen", "document-open", QStyle::SP_DialogOpenButton},
      {"acFavorites", "bookmarks", QStyle::SP_DirHomeIcon},
      {"acProperties", "document-properties", QStyle::SP_FileDialogInfoView},
      {"acPrint", "document-print", QStyle::SP_FileDialogDetailedView},
      {"acMail", "mail-send", QStyle::SP_ArrowRight},
      {"acAdd", "list-add", QStyle::SP_FileDialogNewFolder},
      {"acExtract", "archive-extract", QStyle::SP_DialogSaveButton},
      {"acDelete", "edit-delete", QStyle::SP_TrashIcon},
      {"acView", "document-preview", QStyle::SP_FileDialogContentsView},
      {"acVirusScan", "security-high", QStyle::SP_MessageBoxWarning},
      {"acTest", "dialog-ok-apply", QStyle::SP_DialogApplyButton},
      {"acMakeSFXFile", "application-x-executable", QStyle::SP_ComputerIcon},
      {"acCheckOut", "folder-open", QStyle::SP_DirOpenIcon},
      {"acInstall", "system-software-install", QStyle::SP_DriveHDIcon},
      {"acSplit", "edit-cut", QStyle::SP_FileDialogListView},
      {"acContentsandIndex", "help-contents", QStyle::SP_DialogHelpButton},
      {"acExit", "application-exit", QStyle::SP_DialogCloseButton},
  }};
  for (size_t i = 0; i < kButtons.size(); ++i) {
    QAction* action = Action(kButtons[i].action);
    action->setIcon(
        QIcon::fromTheme(kButtons[i].themeIcon, style()->standardIcon(kButtons[i].fallback)));
    builtInIcons_[i] = action->icon();
    auto* button = new QToolButton(toolBar_);
    button->setObjectName(QStringLiteral("tb") + app::kToolbarButtonKeys[i]);
    button->setDefaultAction(action);
    toolButtons_[i] = toolBar_->addWidget(button);
  }
  toolBar_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(toolBar_, &QWidget::customContextMenuRequested, this, &TMainForm::ShowToolbarMenu);
}

void TMainForm::CreateStatusBar() {
  statusBar()->setObjectName("StatusBar");
  // Type, files, packed, size, ratio; a message shown while listing hides them.
  for (int i = 0; i < 5; ++i) {
    auto* panel = new QLabel(this);
    panel->setObjectName(QStringLiteral("pnStatus%1").arg(i));
    statusBar()->addWidget(panel, i == 0 ? 2 : 1);
    panels_.push_back(panel);
  }
  // The two status lights: green while idle, red while an operation runs.
  ledGreen_ = new QLabel(QStringLiteral("\u25CF"), this);
  ledGreen_->setObjectName("imgGreen");
  ledGreen_->setStyleSheet("color: #2a2;");
  ledRed_ = new QLabel(QStringLiteral("\u25CF"), this);
  ledRed_->setObjectName("imgRed");
  ledRed_->setStyleSheet("color: #c22;");
  ledRed_->hide();
  progress_ = new QProgressBar(this);
  progress_->setObjectName("pbTotal");
  progress_->setRange(1, 100);
  progress_->setMaximumWidth(160);
  progress_->hide();
  statusBar()->addPermanentWidget(progress_);
  statusBar()->addPermanentWidget(ledGreen_);
  statusBar()->addPermanentWidget(ledRed_);
}

void TMainForm::CreateList() {
  model_ = new TEntryModel(this);
  model_->MakeDragData = [this](const QModelIndexList& indexes) {
    std::vector<int> rows;
    for (const QModelIndex& index : indexes) rows.push_back(index.row());
    return MakeDragData(rows);
  };
  views_ = new QStackedWidget(this);
  views_->setObjectName("pnViews");
  list_ = new TVrListView("FileList", views_);
  explorer_ = new TExplorerPanel(views_);
  views_->addWidget(list_);
  views_->addWidget(explorer_);
  for (TVrListView* list : {list_, explorer_->List()}) {
    list->SetModel(model_);
    ConnectList(list);
  }
  connect(explorer_->Tree(), &QTreeWidget::currentItemChanged, this, [this] { TreeClick(); });
  connect(explorer_, &TExplorerPanel::UpClicked, this, &TMainForm::OneLevelUp);
  connect(explorer_, &TExplorerPanel::TreeBackspace, this, &TMainForm::OneLevelUp);
  connect(explorer_, &TExplorerPanel::TreeClosed, this, [this] {
    app::AppSettings().ViewExplorerTree = false;
    Action("acViewFolderBar")->setChecked(false);
  });
  setCentralWidget(views_);
}

void TMainForm::ConnectList(TVrListView* list) {
  connect(list, &TVrListView::ColumnClicked, this, &TMainForm::ColumnClick);
  connect(list, &TVrListView::RowActivated, this, &TMainForm::RowActivated);
  connect(list, &TVrListView::BackspacePressed, this, &TMainForm::OneLevelUp);
  connect(list, &TVrListView::SelectionChanged, this, [this] {
    if (!archive_.isEmpty()) ShowTotals(true);
  });
  connect(list, &TVrListView::FilesDropped, this, &TMainForm::FilesDroppedOnList);
  connect(list, &TVrListView::DragFinished, this, &TMainForm::DragFinished);
  connect(list, &TVrListView::MenuRequested, this, &TMainForm::ShowListMenu);
  connect(list, &TVrListView::DeletePressed, Action("acDelete"), &QAction::trigger);
  connect(list, &TVrListView::RenamePressed, Action("acRename"), &QAction::trigger);
}

void TMainForm::ApplyColumnWidths() {
  for (TVrListView* list : {list_, explorer_->List()}) ApplyColumnWidths(list);
}

void TMainForm::ApplyColumnWidths(TVrListView* list) {
  const app::TColumnWidths& w = app::AppSettings().Columns;
  const int widths[] = {w.FileName, w.FileType, w.DateTime,   w.Unpacked, w.Ratio,
                        w.Packed,   w.CRC,      w.Attributes, w.Folder};
  QHeaderView* header = list->Header();
  for (int i = 0; i < app::kColumnCount; ++i) {
    header->setSectionHidden(i, widths[i] == 0);
    if (widths[i] > 0) header->resizeSection(i, widths[i]);
  }
  // The stored order is used only when it names every column once.
  const QStringList order = w.Order.split(',', Qt::SkipEmptyParts);
  std::vector<int> columns;
  for (const QString& item : order) {
    bool ok = false;
    const int column = item.trimmed().toInt(&ok);
    if (ok && column >= 0 && column < app::kColumnCount &&
        std::find(columns.begin(), columns.end(), column) == columns.end())
      columns.push_back(column);
  }
  if (int(columns.size()) != app::kColumnCount) return;
  for (int visual = 0; visual < app::kColumnCount; ++visual)
    header->moveSection(header->visualIndex(columns[size_t(visual)]), visual);
}

void TMainForm::ApplyListOptions() {
  const app::TAppSettings& s = app::AppSettings();
  prompts_->SetAutoTar(s.AutoTar);
  for (TVrListView* list : {list_, explorer_->List()}) {
    list->SetViewStyle(s.ViewStyle);
    list->SetGridLines(s.ShowGridLines);
    list->SetFullRowSelect(s.FullRowSelect);
  }
  model_->SetColoredItems(s.ColoredItems);
  explorer_->SetTreeVisible(s.ViewExplorerTree);
  views_->setCurrentWidget(s.ExplorerView ? static_cast<QWidget*>(explorer_) : list_);
  Action(s.ExplorerView ? "acExplorerStyle" : "acClassicStyle")->setChecked(true);
  const char* styles[] = {"acLargeIcons", "acSmallIcons", "acListStyle", "acDetails"};
  Action(styles[list_->ViewStyle()])->setChecked(true);
  Action("acViewFolderBar")->setChecked(s.ViewExplorerTree);
}

void TMainForm::ApplySettings() {
  app::TAppSettings& s = app::AppSettings();
  ApplyListOptions();
  // Here rather than with the list options: the Configuration dialog's OK applies those,
  // and it leaves the folder tree where the user dragged it.
  explorer_->SetTreeWidth(s.SplitterPos);
  const QSize screen = QApplication::primaryScreen()
                           ? QApplication::primaryScreen()->geometry().size()
                           : QSize(1024, 768);
  const app::TWindowRect place = app::MainWindowRect(s, FirstRunSize().boundedTo(screen), screen);
  setGeometry(place.Left, place.Top, place.Width, place.Height);
  ApplyButtons();
  Action("acReuse")->setChecked(s.Reuse);
  Action("acMinToTray")->setChecked(s.MinToTray);
  Action("acAlwaysOnTop")->setChecked(s.AlwaysOnTop);
  if (!s.FirstRun) {
    toolBar_->setVisible(s.ShowToolbar);
    statusBar()->setVisible(s.ShowStatusPanel);
  }
  // The menu shows what the window shows, on the first run too.
  Action("acViewToolbar")->setChecked(!toolBar_->isHidden());
  Action("acViewStatusBar")->setChecked(!statusBar()->isHidden());
  if (s.FirstRun) return;  // everything else keeps the window's built-in look
  if (!s.Skin.isEmpty() && QFileInfo(s.Skin).isFile()) LoadSkin(s.Skin);
  if (s.StartUpType == 0) s.AppCurrentDir = app::ProgramFolder();
  if (s.StartUpType == 2) s.AppCurrentDir = s.AppStartUpFolder;
  if (s.AppCurrentDir.isEmpty() || !QFileInfo(s.AppCurrentDir).isDir())
    s.AppCurrentDir = QDir::currentPath();
  s.NormaliseTempFolder();
  SetStayOnTop(s.AlwaysOnTop);
}

QSize TMainForm::FirstRunSize() const {
  // Every column of the list at its first-run width, beside the list's scroll bar and frame,
  // and in the explorer style beside the folder tree.
  const app::TAppSettings& s = app::AppSettings();
  const app::TColumnWidths w;
  const int columns = w.FileName + w.FileType + w.DateTime + w.Unpacked + w.Ratio + w.Packed +
                      w.CRC + w.Attributes + w.Folder;
  const int frame = style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
                    4 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
  const int tree = s.ExplorerView && s.ViewExplorerTree ? s.SplitterPos + 2 * frame : 0;
  return {columns + frame + tree, 540};
}

void TMainForm::FillLanguageMenu() {
  languageMenu_->clear();
  delete languageGroup_;
  languageGroup_ = new QActionGroup(this);
  for (const app::TLanguageEntry& entry : app::ListLanguages()) {
    QAction* item = languageMenu_->addAction(entry.name);
    item->setCheckable(true);
    item->setData(entry.path);
    languageGroup_->addAction(item);
    connect(item, &QAction::triggered, this, [this, path = entry.path] { LoadLanguage(path); });
  }
  LoadLanguage(app::StartLanguagePath(app::AppSettings().AppLanguageFile));
}

void TMainForm::LoadLanguage(const QString& path) {
  if (!app::LoadLanguage(path)) return;
  app::AppSettings().AppLanguageFile = app::LanguageFileSetting(path);
  TranslateWindows({this}, app::ActiveLanguageFile());
  // The archive's caption and totals are the window's own, in the new language's words.
  if (!archive_.isEmpty()) {
    SetCaption(caption_);
    ShowTotals(false);
  }
  for (QAction* item : languageGroup_->actions())
    item->setChecked(item->data().toString() == app::ActiveLanguagePath());
}

void TMainForm::CloseArchive() {
  BeginBusy();
  model_->SetRows({});
  folderRows_.clear();
  explorer_->ClearTree();
  TreeBuilt = false;
  listing_.Clear();
  archive_.clear();
  EndBusy();
  for (QLabel* panel : panels_) panel->clear();
  statusBar()->showMessage(app::Message(220));  // "no archive open"
  SetCaption(kTitle);
  UpdateCommands();
}

void TMainForm::SetCaption(const QString& caption) {
  caption_ = caption;
  setWindowTitle(caption);
  if (tray_) tray_->setToolTip(caption);
}

bool TMainForm::ConfirmCloseArchive() {
  // An edited copy of an entry is not left behind unasked: its put-back is offered now.
  if (!archive_.isEmpty() && isVisible())
    for (const app::TViewedCopy& copy : viewed_->ChangedCopies(archive_))
      commands_->OfferPutBack(copy);
  return OfferCheckOutCleanup();
}

void TMainForm::CleanTempFiles() { app::CleanTempFolder(app::AppSettings().AppTempFolder); }

void TMainForm::StoreViewState() {
  app::TAppSettings& s = app::AppSettings();
  s.WindowState = isMinimized() ? 1 : isMaximized() ? 2 : 0;
  if (s.WindowState == 0) {
    s.Width = width();
    s.Height = height();
    s.Left = x();
    s.Top = y();
  }
  s.ShowToolbar = toolBar_->isVisible();
  s.ShowStatusPanel = statusBar()->isVisible();
  s.ViewStyle = list_->ViewStyle();
  s.ExplorerView = ExplorerStyle();
  if (explorer_->TreeWidth() > 0) s.SplitterPos = explorer_->TreeWidth();
  // The widths and order of the list the user sees.
  const QHeaderView* header = ActiveList()->Header();
  app::TColumnWidths& w = s.Columns;
  int* widths[] = {&w.FileName, &w.FileType, &w.DateTime,   &w.Unpacked, &w.Ratio,
                   &w.Packed,   &w.CRC,      &w.Attributes, &w.Folder};
  QStringList order;
  for (int i = 0; i < app::kColumnCount; ++i) {
    *widths[i] = header->isSectionHidden(i) ? 0 : header->sectionSize(i);
    order << QString::number(header->logicalIndex(i));
  }
  w.Order = order.join(',');
}

void TMainForm::BeginBusy() {
  if (busy_++ > 0) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  ledRed_->show();
  ledGreen_->hide();
}

void TMainForm::EndBusy() {
  if (busy_ == 0 || --busy_ > 0) return;
  QApplication::restoreOverrideCursor();
  ledGreen_->show();
  ledRed_->hide();
  // A hand-over that arrived during the operation is taken once the caller has finished
  // with the archive it was working on.
  if (instance_)
    QTimer::singleShot(0, this, [this] {
      if (!Busy() && instance_->PollSharedData())
        ReceiveCommandLine(instance_->ReceivedCommandLine(), instance_->ReceivedArchive());
    });
}

void TMainForm::ReceiveCommandLine(const QString& commandLine, const QString& archive) {
  if (commandLine.trimmed().isEmpty() || !ConfirmCloseArchive()) return;
  if (archive.isEmpty() || !QFileInfo(archive).isFile()) {
    ShowNotAvailable(tr("Commands from another start"));
    return;
  }
  OpenArchive(archive);
}

void TMainForm::OpenStartupArchive() {
  // Once only: opening it again at every activation would lose the user's place.
  startupHandled_ = true;
  const QString archive = start_.StartupArchive;
  start_.StartupArchive.clear();
  if (archive.isEmpty()) return;
  if (archive == "ADD") {
    ShowNotAvailable(tr("Adding files"));
    return;
  }
  if (QFileInfo(archive).isFile()) OpenArchive(archive);
}

void TMainForm::ShowNotAvailable(const QString& what) {
  // A box only: the status bar keeps the archive's totals.
  MessageBox(tr("%1 is not available yet in this version.").arg(what), mtInformation, {mbOK}, 0,
             this);
}

bool TMainForm::event(QEvent* e) {
  const bool handled = QMainWindow::event(e);
  if (e->type() == QEvent::WindowActivate && !startupHandled_) OpenStartupArchive();
  // Not every desktop activates a new window (nor does a bare X server): the first show
  // opens the archive too, once the window has painted.
  if (e->type() == QEvent::Show && !startupHandled_)
    QTimer::singleShot(0, this, [this] {
      if (!startupHandled_) OpenStartupArchive();
    });
  return handled;
}

void TMainForm::SetTrayVisible(bool inTray) {
  if (!inTray) {
    if (tray_) tray_->hide();
    return;
  }
  if (!tray_) {
    tray_ = new QSystemTrayIcon(windowIcon(), this);
    tray_->setObjectName("VrTrayIcon");
    connect(tray_, &QSystemTrayIcon::activated, this, [this] {
      SetTrayVisible(false);
      showNormal();
      activateWindow();
    });
  }
  tray_->setToolTip(windowTitle());
  tray_->show();
}

void TMainForm::changeEvent(QEvent* e) {
  QMainWindow::changeEvent(e);
  // Minimised to the tray only where the desktop has one; elsewhere a plain minimise.
  if (e->type() == QEvent::WindowStateChange && isMinimized() && app::AppSettings().MinToTray &&
      QSystemTrayIcon::isSystemTrayAvailable()) {
    SetTrayVisible(true);
    hide();
  }
}

void TMainForm::closeEvent(QCloseEvent* e) {
  if (!ConfirmCloseArchive()) {
    e->ignore();
    return;
  }
  // Copies of archives closed before were watched too: none is deleted unasked.
  for (const app::TViewedCopy& copy : viewed_->ChangedCopies()) commands_->OfferPutBack(copy);
  if (instanceAllowed_) {
    if (!app::AppSettings().Reuse) CleanTempFiles();
    StoreViewState();
  }
  e->accept();
}

}  // namespace vk::gui
