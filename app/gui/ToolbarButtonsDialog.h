// TFormToolbarButtonsDlg: which of the main window's toolbar buttons are shown. The choice
// goes into the settings' Buttons; the main window then shows and hides its buttons by it.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QString>
#include <vector>

class QListWidget;

namespace vk::gui {

// One toolbar button as the main window shows it, in toolbar order.
struct TToolbarButtonRow {
  QString Caption;
  QIcon Icon;
  bool Visible = false;
};

class TFormToolbarButtonsDlg : public QDialog {
  Q_OBJECT

 public:
  // One checkable row per button of kToolbarButtonKeys, from `buttons` in the same order;
  // a button `buttons` lacks gets its key as caption and its check from the settings.
  // CheckOut and Install are always checked from the settings: whether they show also
  // depends on the open archive.
  explicit TFormToolbarButtonsDlg(const std::vector<TToolbarButtonRow>& buttons = {},
                                  QWidget* parent = nullptr);

  // Checks exactly the first-run buttons, as the Reset button does.
  void Reset();
  // Copies the checks into AppSettings().Buttons and closes, as the OK button does.
  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QListWidget* list_ = nullptr;
};

}  // namespace vk::gui
