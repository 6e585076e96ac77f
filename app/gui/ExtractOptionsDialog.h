// TfrmExtractOptions: how an archive given to the program with double-click extraction on is
// extracted: whether into a new folder named after it, and whether that folder is opened.
#pragma once

#include <QDialog>

class QButtonGroup;
class QCheckBox;

namespace vk::gui {

class TfrmExtractOptions : public QDialog {
  Q_OBJECT

 public:
  // Shows DCExtractFolderType and DCOpenAfterExtract of the settings.
  explicit TfrmExtractOptions(QWidget* parent = nullptr);

  // Stores the choice in the settings and closes, as the OK button does.
  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QButtonGroup* newFolder_ = nullptr;
  QCheckBox* openAfter_ = nullptr;
};

}  // namespace vk::gui
