// TFormUpdate ("Check for Update"): fetches the update document of the UpdateSite setting
// and offers the newer version's setup file in the browser.
#pragma once

#include <QDialog>

#include "app/core/UpdateCheck.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace vk::gui {

class TFormUpdate : public QDialog {
  Q_OBJECT

 public:
  explicit TFormUpdate(const QString& site = {}, QWidget* parent = nullptr);

  // Starts the check (done when the window is first shown); Checked() follows its end.
  void Check();
  QString Status() const;

 signals:
  void Checked(vk::app::TUpdateVerdict verdict);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Finished(app::TUpdateVerdict verdict);

  QString site_;
  bool started_ = false;
  app::TUpdateCheck check_;
  QLabel* status_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* yes_ = nullptr;
  QPushButton* no_ = nullptr;
  QPushButton* close_ = nullptr;
};

}  // namespace vk::gui
