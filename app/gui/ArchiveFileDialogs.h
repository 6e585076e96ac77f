// The dialogs of the commands on the archive file: TFormMove (the folder a move or copy
// goes to), TFormRename (the archive's new name), TFormCheckOut (where CheckOut extracts to
// and the program group it builds) and TFormInstall (the question before Install).
#pragma once

#include <QDialog>

#include "app/core/CheckOut.h"

class QCheckBox;
class QLineEdit;
class QSpinBox;

namespace vk::gui {

class TFormMove : public QDialog {
  Q_OBJECT

 public:
  // `copy` asks where a copy goes; the folder proposed is `folder`.
  explicit TFormMove(bool copy = false, const QString& folder = {}, QWidget* parent = nullptr);
  QString Folder() const;

 private:
  QLineEdit* folder_ = nullptr;
};

class TFormRename : public QDialog {
  Q_OBJECT

 public:
  explicit TFormRename(const QString& archive = {}, QWidget* parent = nullptr);
  // The new name as typed, without the extension.
  QString NewName() const;

 private:
  QLineEdit* name_ = nullptr;
};

class TFormCheckOut : public QDialog {
  Q_OBJECT

 public:
  // The group and folder proposed for `archive` (CheckOutBaseFolder taken into account).
  explicit TFormCheckOut(const QString& archive = {}, QWidget* parent = nullptr);
  QString Folder() const;
  QString Group() const;
  int MaxIcons() const;
  bool ProgramsOnly() const;

 private:
  QLineEdit* folder_ = nullptr;
  QLineEdit* group_ = nullptr;
  QSpinBox* icons_ = nullptr;
  QCheckBox* programsOnly_ = nullptr;
};

class TFormInstall : public QDialog {
  Q_OBJECT

 public:
  // `setup` is the setup program's path inside the archive.
  explicit TFormInstall(const QString& setup = {}, QWidget* parent = nullptr);
};

// What a CheckOut made, kept by the main window until it is deleted or forgotten.
struct TCheckOutState {
  QString Folder;
  QString Group;
  app::TMadeTree Files;      // below Folder
  app::TMadeTree Launchers;  // the group's folder of launchers
};

}  // namespace vk::gui
