// TfrmErrors: the error list. It lives for the whole run, shows itself with the first line,
// and keeps its lines until Close.
#pragma once

#include <QDialog>

class QLabel;
class QListWidget;

namespace vk::gui {

class TfrmErrors : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmErrors(QWidget* parent = nullptr);

  // Adds one line and shows the window.
  void ReportError(const QString& line);
  int Count() const;
  QStringList Lines() const;
  // Writes every line to `file` as UTF-8 text; false when it cannot be written.
  bool SaveTo(const QString& file) const;
  // Clears the list, stores the window's place and hides it.
  void CloseList();
  // Keeps the program going while the list is shown: what ends a job or the program waits
  // until the user has read the errors.
  void WaitUntilClosed() const;

 protected:
  // The window's close button does what Close does.
  void closeEvent(QCloseEvent* event) override;

 private:
  QLabel* count_ = nullptr;
  QListWidget* lines_ = nullptr;
};

}  // namespace vk::gui
