// TfrmExtract: where and how an archive is extracted. The dialog only holds the choices; the
// command that showed it takes them with Choices(). Its five check boxes are kept in section
// frmExtract of Settings.ini, written when the dialog goes.
#pragma once

#include <QDialog>

#include "app/core/ExtractChoices.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QRadioButton;

namespace vk::gui {

class TfrmExtract : public QDialog {
  Q_OBJECT

 public:
  // Proposes the destination for `archive` by ExtractType (for several archives at once
  // never a folder named after one of them). Without `rowsSelected` (no entry selected in
  // the list the command extracts from) all files are extracted and the choice is locked.
  TfrmExtract(const QString& archive, bool severalArchives, bool rowsSelected,
              QWidget* parent = nullptr);
  ~TfrmExtract() override;

  app::TExtractChoices Choices() const;

  // For an archiver wrapper, which keeps dates and attributes its own way: only 7-Zip can
  // be told whether to restore the stored folders.
  void SetWrapperMode(bool sevenZip);

 private:
  QComboBox* path_ = nullptr;
  QGroupBox* scope_ = nullptr;
  QRadioButton* selected_ = nullptr;
  QRadioButton* all_ = nullptr;
  QComboBox* date_ = nullptr;
  QCheckBox* confirm_ = nullptr;
  QCheckBox* folders_ = nullptr;
  QCheckBox* openFolder_ = nullptr;
  QCheckBox* attributes_ = nullptr;
  QCheckBox* close_ = nullptr;
};

}  // namespace vk::gui
