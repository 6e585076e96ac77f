// The main window: menus, toolbar, status bar and the entry list. It owns the start-up
// state of an interactive run (the archive named on the command line, the single-instance
// component) and stores its view state in the settings when it closes.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <map>

#include "app/core/StartCommand.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QSystemTrayIcon;
class QToolBar;
class QTreeWidget;

namespace vk::app {
class TVrOneInstance;
}

namespace vk::gui {

class TMainForm : public QMainWindow {
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
  void StoreViewState();
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

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void CreateActions();
  void CreateMenus();
  void CreateToolBar();
  void CreateStatusBar();
  void CreateList();
  void FillLanguageMenu();
  void LoadLanguage(const QString& path);
  void ApplyColumnWidths();
  void OpenStartupArchive();
  void ReceiveCommandLine(const QString& commandLine, const QString& folder);
  void ShowNotAvailable(const QString& what);
  void SetTrayVisible(bool inTray);

  app::TStartCommand start_;
  bool instanceAllowed_ = true;
  bool startupHandled_ = false;
  int busy_ = 0;
  std::map<QString, QAction*> actions_;
  QMenu* languageMenu_ = nullptr;
  QActionGroup* languageGroup_ = nullptr;
  QToolBar* toolBar_ = nullptr;
  QTreeWidget* list_ = nullptr;
  QLabel* ledGreen_ = nullptr;
  QLabel* ledRed_ = nullptr;
  QSystemTrayIcon* tray_ = nullptr;
  app::TVrOneInstance* instance_ = nullptr;
  QString pendingCommandLine_;
  QString pendingFolder_;
};

}  // namespace vk::gui
