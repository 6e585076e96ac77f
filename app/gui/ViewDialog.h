// TFormView: how the View command shows an entry: with the desktop's program for its type,
// with the text editor, or with a viewer program the user names.
#pragma once

#include <QDialog>

class QLineEdit;
class QRadioButton;

namespace vk::gui {

class TFormView : public QDialog {
  Q_OBJECT

 public:
  enum TViewChoice { vcAssociated, vcNotepad, vcViewer };

  // `viewer` proposes the viewer program.
  explicit TFormView(const QString& viewer = {}, QWidget* parent = nullptr);

  TViewChoice Choice() const;
  QString Viewer() const;

 private:
  QRadioButton* associated_ = nullptr;
  QRadioButton* notepad_ = nullptr;
  QRadioButton* viewer_ = nullptr;
  QLineEdit* program_ = nullptr;
};

}  // namespace vk::gui
