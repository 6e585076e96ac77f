// TfrmRepair: rescues the intact entries of a damaged ZIP file into a new archive beside it
// and reports every entry found, ending with how many of them were intact.
#pragma once

#include <QDialog>
#include <vector>

#include "app/gui/ReportList.h"

class QLineEdit;
class QPushButton;

namespace vk::gui {

class TfrmRepair : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmRepair(QWidget* parent = nullptr);

  // The archive the rescued entries go to: `broken` with its extension replaced.
  static QString FixedName(const QString& broken);

  // Repairs the archive named in edArcName, as the Repair button does.
  void Repair();
  std::vector<TReportLine> Lines() const { return list_->Lines(); }

 private:
  QLineEdit* name_ = nullptr;
  QPushButton* repair_ = nullptr;
  TReportList* list_ = nullptr;
};

}  // namespace vk::gui
