#include "app/gui/ExtractDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/core/AppSettings.h"
#include "app/core/ArchiveNames.h"
#include "app/core/DialogSettings.h"
#include "app/core/Translation.h"
#include "app/gui/TranslateWindows.h"

namespace vk::gui {
namespace {

QCheckBox* NewCheckBox(QWidget* parent, const char* name, const QString& text, bool checked) {
  auto* box = new QCheckBox(text, parent);
  box->setObjectName(name);
  box->setChecked(checked);
  return box;
}

}  // namespace

TfrmExtract::TfrmExtract(const QString& archive, bool severalArchives, bool rowsSelected,
                         QWidget* parent)
    : QDialog(parent) {
  setObjectName("frmExtract");
  setWindowTitle(tr("Extract"));
  const app::TAppSettings& s = app::AppSettings();
  app::TExtractDialogSettings boxes;
  boxes.Read(s.ReadFile());

  path_ = new QComboBox(this);
  path_->setObjectName("cbExtractPath");
  path_->setEditable(true);
  path_->setEditText(app::ExtractDestination(s.ExtractType, archive, severalArchives,
                                             s.LastExtractFolder, s.AppExtractFolder));
  path_->setMinimumWidth(320);
  auto* pathLabel = new QLabel(tr("Extract to:"), this);
  pathLabel->setObjectName("lbExtractPath");
  pathLabel->setBuddy(path_);
  auto* browse = new QPushButton(tr("Select Folder"), this);
  browse->setObjectName("sbFolders");

  // The buttons are the group box's own children, so that the language file can address
  // them as its items.
  scope_ = new QGroupBox(tr("Extract:"), this);
  scope_->setObjectName("rgExtract");
  auto* scopeLayout = new QVBoxLayout(scope_);
  selected_ = new QRadioButton(tr("Selected Files"), scope_);
  all_ = new QRadioButton(tr("All Files"), scope_);
  scopeLayout->addWidget(selected_);
  scopeLayout->addWidget(all_);
  // Nothing selected leaves nothing else to extract. The rows cannot change while the
  // dialog is open, so the choice is made once rather than each time it is activated,
  // which would undo the user's choice after the folder browser closed.
  (rowsSelected ? selected_ : all_)->setChecked(true);
  scope_->setEnabled(rowsSelected);

  date_ = new QComboBox(this);
  date_->setObjectName("cbDateAttribs");
  date_->addItems({tr("File Date"), tr("System Date"), tr("Max File Date")});
  auto* dateLabel = new QLabel(tr("Date Attributes:"), this);
  dateLabel->setObjectName("lbDateAttribs");
  dateLabel->setBuddy(date_);

  auto* options = new QGroupBox(tr("Options:"), this);
  options->setObjectName("gbOptions");
  auto* optionsLayout = new QVBoxLayout(options);
  confirm_ = NewCheckBox(options, "chbConfFileOverrites", tr("Confirm File Overwites"),
                         boxes.chbConfFileOverrites);
  folders_ = NewCheckBox(options, "chbRestOrgnFolders", tr("Restore Original Folders"),
                         boxes.chbRestOrgnFolders);
  openFolder_ =
      NewCheckBox(options, "chbOpenFolder", tr("Open Folder After Extract"), boxes.chbOpenFolder);
  attributes_ = NewCheckBox(options, "chbRestoreFileAttribs", tr("Restore File Attributes"),
                            boxes.chbRestoreFileAttribs);
  close_ = NewCheckBox(options, "chbCloseAfterExtract", tr("Close Vorelkit After Extract"),
                       boxes.chbCloseAfterExtract);
  for (QCheckBox* box : {confirm_, folders_, openFolder_, attributes_, close_})
    optionsLayout->addWidget(box);

  auto* extract = new QPushButton(tr("&Extract"), this);
  extract->setObjectName("bbExtract");
  extract->setDefault(true);
  auto* cancel = new QPushButton(tr("&Cancel"), this);
  cancel->setObjectName("bbCancel");
  // There is no help file to open; the button waits for one.
  auto* help = new QPushButton(tr("&Help"), this);
  help->setObjectName("bbHelp");
  help->hide();

  auto* layout = new QGridLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  layout->addWidget(pathLabel, 0, 0, 1, 2);
  auto* pathRow = new QHBoxLayout;
  pathRow->addWidget(path_, 1);
  pathRow->addWidget(browse);
  layout->addLayout(pathRow, 1, 0, 1, 2);
  auto* left = new QVBoxLayout;
  left->addWidget(scope_);
  left->addWidget(dateLabel);
  left->addWidget(date_);
  left->addStretch(1);
  layout->addLayout(left, 2, 0);
  layout->addWidget(options, 2, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(extract);
  buttons->addWidget(cancel);
  buttons->addWidget(help);
  layout->addLayout(buttons, 3, 0, 1, 2);

  connect(browse, &QPushButton::clicked, this, [this] {
    const QString folder = QFileDialog::getExistingDirectory(this, {}, path_->currentText());
    if (!folder.isEmpty()) path_->setEditText(folder);
  });
  connect(extract, &QPushButton::clicked, this, &TfrmExtract::accept);
  connect(cancel, &QPushButton::clicked, this, &TfrmExtract::reject);
  TranslateWindows({this}, app::ActiveLanguageFile());
}

TfrmExtract::~TfrmExtract() {
  app::TExtractDialogSettings boxes;
  boxes.chbConfFileOverrites = confirm_->isChecked();
  boxes.chbRestOrgnFolders = folders_->isChecked();
  boxes.chbOpenFolder = openFolder_->isChecked();
  boxes.chbRestoreFileAttribs = attributes_->isChecked();
  boxes.chbCloseAfterExtract = close_->isChecked();
  app::AppSettings().UpdateFile([&boxes](app::TIniFile& ini) { boxes.Write(ini); });
}

app::TExtractChoices TfrmExtract::Choices() const {
  app::TExtractChoices c;
  c.Folder = path_->currentText();
  c.AllFiles = all_->isChecked();
  c.DateAttributes = date_->currentIndex();
  c.ConfirmOverwrites = confirm_->isChecked();
  c.RestoreFolders = folders_->isChecked();
  c.OpenFolder = openFolder_->isChecked();
  c.RestoreAttributes = attributes_->isChecked();
  c.CloseAfterExtract = close_->isChecked();
  return c;
}

void TfrmExtract::SetWrapperMode(bool sevenZip) {
  date_->setEnabled(false);
  attributes_->setEnabled(false);
  folders_->setEnabled(sevenZip);
}

}  // namespace vk::gui
