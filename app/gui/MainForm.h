// The main window: menus, toolbar, status bar and the entry list. It owns the start-up
// state of an interactive run (the archive named on the command line, the single-instance
// component) and stores its view state in the settings when it closes.
#pragma once

#include <QIcon>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <array>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "app/core/AppSettings.h"
#include "app/core/ArchiveCommands.h"
#include "app/core/ArchiveListing.h"
#include "app/core/ProgramLauncher.h"
#include "app/core/ProgressReport.h"
#include "app/core/ShellItem.h"
#include "app/core/StartCommand.h"
#include "app/core/ViewedCopies.h"
#include "app/gui/OptionsDialog.h"
#include "app/prompts/EnginePrompts.h"

class QAction;
class QActionGroup;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QMenu;
class QSystemTrayIcon;
class QMimeData;
class QProgressBar;
class QStackedWidget;
class QToolBar;
class QTreeWidgetItem;

namespace vk::app {
class TArchiveComponents;
class TVrExtractor;
class TVrOneInstance;
}  // namespace vk::app

namespace vk::gui {

class TDialogPrompter;
class TEntryModel;
class TfrmErrors;
class TExplorerPanel;
class TVrListView;

class TMainForm : public QMainWindow, public IOptionsTarget, private app::ICommandUi {
  Q_OBJECT

 public:
  // `start` is what the command line asked for; with `checkInstance` the single-instance
  // check runs (interactive starts with Reuse on).
  explicit TMainForm(const app::TStartCommand& start, bool checkInstance,
                     QWidget* parent = nullptr);
  ~TMainForm() override;

  // False when another instance took over this start: the window is then not shown.
  bool InstanceAllowed() const { return instanceAllowed_; }

  void ApplySettings();
  void StoreViewState() override;

  // What the Configuration dialog edits of the window's look.
  TOptionsView CurrentView() const override;
  void SetView(const TOptionsView& view) override;
  bool LoadSkin(const QString& file) override;
  std::vector<TToolbarButtonRow> ToolbarButtons() const override;
  // Shows the toolbar buttons section Buttons asks for, and their captions and tips.
  void ApplyButtons() override;
  // Whether the window may close (or another archive open) now.
  bool ConfirmCloseArchive();
  void CloseArchive();
  // Deletes the program's leftovers in the temporary folder.
  void CleanTempFiles();
  // Busy state: commands wait, the status LED turns red.
  void BeginBusy();
  void EndBusy();
  bool Busy() const { return busy_ > 0; }

  // Every action by its objectName ("acNew", ...), for the command tables to come.
  QAction* Action(const QString& name) const;

  // Opens and lists an archive in the current style: classic (one flat list) or explorer
  // (folder tree beside one folder's content); OpenArchiveExplorer brings the explorer
  // style to the front first.
  void OpenArchive(const QString& path);
  void OpenArchiveExplorer(const QString& path);
  // (Re)lists the current archive with the current file mask; true when it was recognised.
  bool ListArchive(const QString& path);
  // Fills the status-bar totals, of the selected rows with `selectedOnly`.
  void ShowTotals(bool selectedOnly);
  // Sorts the entry list by SortColumn and SortAscending.
  void SortEntries();
  // The record behind a row of the active list; null beyond the list.
  app::TShellItem* EntryAt(int index) const;
  // The open archive ("" when none) and the list showing it.
  QString ArchiveFile() const { return archive_; }
  TVrListView* ActiveList() const;
  bool ExplorerStyle() const;
  // Switches between the classic and the explorer style, reopening the archive.
  void SetExplorerStyle(bool on);
  // Asks for a file mask and lists the archive again with it.
  void Filter();
  void SetFileMask(const QStringList& masks);
  // Explorer style: shows the content of a tree folder (by its path; "" for the root).
  void SelectFolder(const QString& path);
  void OneLevelUp();

  // How entries are handed to programs to open or view them; tests put a fake here.
  app::TLauncher Launcher = app::LaunchProgram;

  int SortColumn = 0;
  bool SortAscending = true;
  bool TreeBuilt = false;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void CreateActions();
  void CreateMenus();
  void CreateToolBar();
  void CreateStatusBar();
  void CreateList();
  void ConnectList(TVrListView* list);
  void ApplyListOptions();
  void ApplyColumnWidths(TVrListView* list);
  void FillLanguageMenu();
  void LoadLanguage(const QString& path);
  void ApplyColumnWidths();
  void OpenStartupArchive();
  void ConnectViewActions();
  // The Options menu: the Configuration dialog, settings import and export, the switches.
  void ConnectOptionsActions();
  // The Tools menu's conversion, self-extractors, split and merge.
  void ConnectToolActions();
  // The File menu's commands on the archive as a whole (MainFormInfo.cpp): properties,
  // comments, printing, mail.
  void ConnectInfoActions();
  // After an open: a ZIP's comment shown, read-only, when ShowComments asks for it.
  void ShowCommentsOnOpen();
  // The commands on the archive file and the programs run on it (MainFormArchiveFile.cpp):
  // move, copy, rename and delete the archive, CheckOut, Install, Virus Scan, the update
  // check.
  void ConnectArchiveFileActions();
  // The in-list rename (MainFormRename.cpp).
  void ConnectRename();
  void RenameRow(const QString& path, const QString& name);
  // Before the archive closes: what CheckOut left is offered for deletion. False when the
  // archive is to stay open.
  bool OfferCheckOutCleanup();
  void ImportSettings();
  void ExportSettings();
  void ShowToolbarMenu(const QPoint& pos);
  // Always on Top; a window on screen stays there (changing its flags hides it).
  void SetStayOnTop(bool on);
  // The command of a toolbar button, by its place in section Buttons.
  QAction* ToolbarAction(size_t index) const;
  void SetCaption(const QString& caption);
  void ShowEntries();
  void FillTree();
  void TreeClick();
  void ColumnClick(int column);
  void RowActivated(int row);
  void FilesDroppedOnList(const QStringList& files);
  void UpdateCommands();
  // What a running component shows: the file it begins in the status bar, its progress in
  // the bar and the title, until it ends. `compressing` picks the title's word.
  qel::TBeginEvent ShowBegin(bool compressing);
  qel::TProgressEvent ShowProgress(bool compressing);
  qel::TNotifyEvent EndProgress();
  // The engine's errors, of every component: into the error list (a file's repeated
  // errors once), and the remembered password forgotten.
  qel::TErrorEvent ErrorHandler();
  // After an open: the archive's folder to the favourites, as the settings ask.
  void OfferFavorite();
  // The file-dialog patterns of every archive kind ("*.zip *.tar ...").
  QString ArchivePatterns() const;
  // An extractor of `archive` into `folder` with the window's questions, error list and
  // progress.
  void PrepareExtraction(app::TVrExtractor& extractor, const std::string& archive,
                         qel::TArcType type, const std::string& folder);
  // Drag out: the rows' data, extracted into a private temporary folder at drop time.
  QMimeData* MakeDragData(const std::vector<int>& rows);
  void DragFinished();
  // The lists' context menu: entry commands with a selection, the view's without.
  void ShowListMenu(const QPoint& globalPos);
  void ReceiveCommandLine(const QString& commandLine, const QString& folder);
  void ShowNotAvailable(const QString& what);
  void SetTrayVisible(bool inTray);
  // The archive commands on entries (MainFormCommands.cpp): the rules are the app core's
  // TArchiveCommands, the window answers its questions.
  void ConnectArchiveCommands();
  void DeleteEntries();
  void DeleteTreeFolder();
  // Opens the first selected row with the desktop's program (`viewer` empty) or in `viewer`.
  void OpenSelectedEntry(const QString& viewer);
  // Offers the changed copies back, once no question or operation is in the way.
  void OfferChangedCopies();
  std::vector<const app::TShellItem*> SelectedItems() const;
  app::TOpenArchive Shown() const override;
  QString ShownFolder() const override;
  bool TakesEdits() const override;
  app::TRunDisplay Display(bool compressing) override;
  int RunBusy(const std::function<int()>& work) override;
  std::optional<QString> AskNewArchiveName() override;
  std::optional<QString> AskAddFiles(app::TArchiveComponents& components, qel::TArcType type,
                                     const QString& newArchive) override;
  std::optional<app::TExtractChoices> AskExtractChoices(const QString& archive,
                                                        bool hasSelection) override;
  std::optional<app::TViewChoice> AskViewer(const QString& defaultViewer) override;
  bool Confirm(const QString& question) override;
  void ShowMessage(const QString& text, app::TBoxKind kind) override;
  bool CloseShownArchive() override;
  void ShowArchive(const QString& archive) override;
  void ShowFolder(const QString& path) override;
  // Lists the archive again after a command; explorer style keeps the folder it showed.
  void ArchiveChanged(const std::optional<QString>& folder) override;
  void OpenFolder(const QString& folder) override;
  void CloseWindow() override;
  bool Launch(const app::TLaunch& launch, QString& error) override;
  // The window's size at the first start: wide enough for every column of the classic list.
  QSize FirstRunSize() const;

  app::TStartCommand start_;
  bool instanceAllowed_ = true;
  bool startupHandled_ = false;
  int busy_ = 0;
  std::map<QString, QAction*> actions_;
  QMenu* languageMenu_ = nullptr;
  QActionGroup* languageGroup_ = nullptr;
  QToolBar* toolBar_ = nullptr;
  // The toolbar's place of each button of section Buttons.
  std::array<QAction*, app::kToolbarButtonCount> toolButtons_{};
  std::array<QIcon, app::kToolbarButtonCount> builtInIcons_;
  QStackedWidget* views_ = nullptr;
  TVrListView* list_ = nullptr;  // the classic list
  TExplorerPanel* explorer_ = nullptr;
  TEntryModel* model_ = nullptr;
  std::vector<QLabel*> panels_;
  QProgressBar* progress_ = nullptr;
  app::TArchiveListing listing_;
  // The rows of the entry list: the listing's files (classic style), or one folder's
  // subfolder rows and files (explorer style).
  std::vector<app::TShellItem> folderRows_;
  QStringList fileMask_{QStringLiteral("*")};
  QString archive_;
  QString caption_;
  std::unique_ptr<TDialogPrompter> prompter_;
  // The answers to the engine's questions and what the run remembers of them.
  std::unique_ptr<app::TEnginePrompts> prompts_;
  app::TErrorLog errorLog_;
  // What the last writer said that is an outcome rather than an error ("nothing changed"),
  // shown once the archive is listed again.
  QString notice_;
  TfrmErrors* frmErrors_ = nullptr;
  QStringList dragPlaceholders_;
  QString dragFolder_;
  QLabel* ledGreen_ = nullptr;
  QLabel* ledRed_ = nullptr;
  QSystemTrayIcon* tray_ = nullptr;
  app::TVrOneInstance* instance_ = nullptr;
  QString pendingCommandLine_;
  QString pendingFolder_;
  // The writers the Add, New and Delete commands choose from.
  std::unique_ptr<app::TArchiveComponents> components_;
  // The open archive's entries handed to programs, watched for their edits.
  app::TViewedCopies* viewed_ = nullptr;
  std::unique_ptr<app::TArchiveCommands> commands_;
  // --- MainFormInfo.cpp's state ---
  // The file list as printed: the archive's totals, the shown rows in their order, and the
  // ZIP comment.
  QString PrintedList();
  // --- MainFormArchiveFile.cpp's state ---
  // What the last CheckOut made (ArchiveFileDialogs.h), until it is deleted or forgotten.
  std::shared_ptr<struct TCheckOutState> checkOut_;
};

// The window is busy (red light, hourglass) while a component runs, however it ends.
class TBusyScope {
 public:
  explicit TBusyScope(TMainForm& form) : form_(form) { form_.BeginBusy(); }
  ~TBusyScope() { form_.EndBusy(); }
  TBusyScope(const TBusyScope&) = delete;
  TBusyScope& operator=(const TBusyScope&) = delete;

 private:
  TMainForm& form_;
};

}  // namespace vk::gui
