// TfrmAdd: the Add Files dialog of the Add and New commands. The Selection page picks the
// files and folders, the Options page how they are added. The choices go straight into the
// components: choosing a type makes its writer or wrapper current, and OK leaves the options,
// the password and the file lists in it for the command to run.
#pragma once

#include <QDialog>
#include <QStringList>
#include <vector>

#include "app/core/AddChoices.h"
#include "engine/base/ArcType.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace vk::gui {

class TAddFileBrowser;

class TfrmAdd : public QDialog {
  Q_OBJECT

 public:
  // The archive is the current writer's ArchiveFile (of the lister's type `listerType`) or
  // the current wrapper's; with neither it is the new archive `newArchiveName`, whose
  // extension proposes the type.
  TfrmAdd(app::TArchiveComponents& components, qel::TArcType listerType,
          const QString& newArchiveName, QWidget* parent = nullptr);
  // Keeps the check boxes, the column widths and the place in section frmAdd.
  ~TfrmAdd() override;

  // The folder the file list shows; the command remembers it as the last add folder.
  QString CurrentFolder() const;

  // Fills the type list and chooses the archive's type, making its component current. Done
  // when the dialog is first shown; the dialog becomes active again after the password box,
  // and then everything the user chose stays as it is.
  void Activate();

  // OK: refuses a type that cannot be written yet and stays open when the user cancels the
  // password an encryption needs; ends as cancelled when nothing is selected; otherwise
  // leaves the choices in the current component.
  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ChooseType(int entry);
  void ChooseMethod();
  void ShowTypeSettings();
  bool Refused(app::TComponentKind kind);
  app::TAddOptions Options() const;

  app::TArchiveComponents& components_;
  const qel::TArcType listerType_;
  const QString newArchiveName_;
  bool activated_ = false;
  std::vector<app::TTypeEntry> types_;  // behind the type list
  QStringList methods_;                 // behind the method list (its texts may be translated)
  // The encryption the user chose; a wrapper's type shows its own only while it is chosen.
  int userEncryption_ = 0;

  TAddFileBrowser* browser_ = nullptr;
  QComboBox* compression_ = nullptr;
  QComboBox* action_ = nullptr;
  QCheckBox* subFolders_ = nullptr;
  QComboBox* encryption_ = nullptr;
  QPushButton* password_ = nullptr;
  QCheckBox* archive_ = nullptr;
  QCheckBox* readOnly_ = nullptr;
  QCheckBox* hidden_ = nullptr;
  QCheckBox* sysFile_ = nullptr;
  QCheckBox* directory_ = nullptr;
  QComboBox* type_ = nullptr;
  QComboBox* method_ = nullptr;
  QComboBox* storedFolders_ = nullptr;
  QComboBox* dateAttributes_ = nullptr;
  QCheckBox* solid_ = nullptr;
};

}  // namespace vk::gui
