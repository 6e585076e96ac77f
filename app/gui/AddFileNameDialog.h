// TfrmAddFileName: the compact Add dialog for files handed to the program from outside. It
// asks for the archive's name and type and the add options, and writes them straight into
// the components: choosing a type makes its writer or wrapper current, and "&Add" leaves the
// options (and a password) in it. The caller reads ArchiveName() and runs the component.
#pragma once

#include <QDialog>
#include <QStringList>

#include "app/core/ArchiveComponents.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vk::gui {

class TfrmAddFileName : public QDialog {
  Q_OBJECT

 public:
  // Starts with the ZIP writer, then shows the type, method and compression the settings
  // name (DefArcType, DefType, the Def*Method keys, SolidArchive).
  explicit TfrmAddFileName(app::TArchiveComponents& components, QWidget* parent = nullptr);

  // Proposes the archive for `item` (a file, a folder or a mask), or for several items of
  // the folder `item`, with the chosen type's extension. A single item is named in the
  // information line; for several the caller says how many with SetInfo.
  void SetArchiveName(const QString& item, bool several);
  void SetInfo(const QString& text);
  QString ArchiveName() const;

  // What the browse button does with the chosen file: it becomes the name, and a suffix
  // naming a type chooses that type as the user would; otherwise the type's extension is
  // given to it.
  void TakeChosenFile(const QString& file);

  // "&Add": refuses an empty name and a type that cannot be written yet (the dialog stays
  // open, as it does when the user cancels the password an encryption needs); otherwise
  // gives the name its extension, leaves the choices in the current component and closes.
  void accept() override;

 private:
  void ChooseType(int entry);
  void ChooseMethod();
  void ShowTypeSettings();
  void Rename();
  void Browse();
  // The extension the current type gives `name`.
  QString Extension(const QString& name) const;

  app::TArchiveComponents& components_;
  QLabel* info_ = nullptr;
  QLineEdit* name_ = nullptr;
  QComboBox* action_ = nullptr;
  QComboBox* compression_ = nullptr;
  QComboBox* type_ = nullptr;
  QComboBox* method_ = nullptr;
  QComboBox* encryption_ = nullptr;
  QPushButton* password_ = nullptr;
  QCheckBox* solid_ = nullptr;
  // The method names behind the method list (its texts may be translated).
  QStringList methods_;
  // The encryption the user chose; a wrapper type only shows its own while it is chosen.
  int userEncryption_ = 0;
};

}  // namespace vk::gui
