// What the Tools menu's dialogs share: a form of rows above a progress bar and the OK,
// Cancel and Help buttons, and the run of their work, during which the controls are locked,
// the hourglass shows, the bar follows the work and Cancel (or closing) only asks the work
// to stop.
#pragma once

#include <QDialog>
#include <functional>

#include "app/core/ArchiveTools.h"

class QFormLayout;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace vk::gui {

class TToolDialog : public QDialog {
  Q_OBJECT

 protected:
  TToolDialog(const QString& objectName, const QString& caption, app::TEnginePrompts& prompts,
              qel::TErrorEvent onError, QWidget* parent);

  QFormLayout* Rows() const { return rows_; }
  QPushButton* OkButton() const { return ok_; }
  // A row of a line edit `name` and a browse button `buttonName` that calls `browse`.
  QLineEdit* FileRow(const QString& label, const QString& name, const QString& buttonName,
                     std::function<void()> browse);
  // Runs `work`; answers what it answered.
  bool RunBusy(const std::function<bool(const app::TToolRun&)>& work);
  bool Busy() const { return busy_; }

  void reject() override;
  // OK pressed (while nothing runs).
  virtual void Accept() = 0;

 private:
  app::TEnginePrompts& prompts_;
  qel::TErrorEvent onError_;
  QFormLayout* rows_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QPushButton* ok_ = nullptr;
  bool busy_ = false;
  bool cancelled_ = false;
};

}  // namespace vk::gui
