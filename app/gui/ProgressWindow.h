// TfrmProgress: the progress of a one-shot operation run without the main window, with a
// background mode that leaves only a tray icon (or a minimised window where the desktop has
// no tray) and lowers the process's priority.
#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QMenu;
class QProgressBar;
class QSystemTrayIcon;

namespace vk::gui {

class TfrmProgress : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmProgress(QWidget* parent = nullptr);
  ~TfrmProgress() override;

  // 0 while adding, 1 while extracting: which message introduces a file.
  int Mode = 0;
  // Asked when the user confirms Cancel: cancels the component that runs.
  std::function<void()> OnCancel;

  // A file begins: its name without folders.
  void BeginFile(const QString& fileName);
  // The archive's percentage done.
  void SetPercentage(int percent);
  // Background mode and back; both store the settings file at once.
  void GoBackground();
  void Restore();
  bool InBackground() const;
  // The tray image shown for the current percentage (0 to 5).
  int TrayImage() const { return trayImage_; }

 protected:
  void reject() override;  // Escape and the close button ask like Cancel

 private:
  void AskCancel();

  QLabel* fileName_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QSystemTrayIcon* tray_ = nullptr;
  QMenu* trayMenu_ = nullptr;
  int trayImage_ = 0;
  bool loweredPriority_ = false;
};

}  // namespace vk::gui
