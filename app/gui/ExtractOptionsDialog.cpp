#include "app/gui/ExtractOptionsDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/core/AppSettings.h"
#include "app/core/Translation.h"
#include "app/gui/TranslateWindows.h"

namespace vk::gui {

TfrmExtractOptions::TfrmExtractOptions(QWidget* parent) : QDialog(parent) {
  setObjectName("frmExtractOptions");
  setWindowTitle(tr("Extract Options"));
  // The buttons are the group box's own children, so that the language file can address
  // them as its items.
  auto* group = new QGroupBox(tr("Extract to new folder:"), this);
  group->setObjectName("rgNewFolder");
  auto* groupLayout = new QVBoxLayout(group);
  newFolder_ = new QButtonGroup(this);
  // Mode 1 makes a new folder unless the archive holds exactly one entry.
  const QString captions[] = {tr("Never"), tr("Unless there is only one file in archive"),
                              tr("Always")};
  for (int i = 0; i < 3; ++i) {
    auto* button = new QRadioButton(captions[i], group);
    groupLayout->addWidget(button);
    newFolder_->addButton(button, i);
  }
  openAfter_ = new QCheckBox(tr("Open folder after extract"), this);
  openAfter_->setObjectName("chbOpenAfterExtract");
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
  ok->setObjectName("bnOK");
  buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole)->setObjectName("bnCancel");
  connect(buttons, &QDialogButtonBox::accepted, this, &TfrmExtractOptions::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TfrmExtractOptions::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addWidget(openAfter_);
  layout->addStretch(1);
  layout->addWidget(buttons);

  const app::TAppSettings& s = app::AppSettings();
  // A value the file should not hold shows the usual mode.
  QAbstractButton* mode = newFolder_->button(s.DCExtractFolderType);
  (mode ? mode : newFolder_->button(1))->setChecked(true);
  openAfter_->setChecked(s.DCOpenAfterExtract);
}

void TfrmExtractOptions::accept() {
  app::TAppSettings& s = app::AppSettings();
  s.DCExtractFolderType = newFolder_->checkedId();
  s.DCOpenAfterExtract = openAfter_->isChecked();
  QDialog::accept();
}

void TfrmExtractOptions::showEvent(QShowEvent* event) {
  TranslateWindows({this}, app::ActiveLanguageFile());
  QDialog::showEvent(event);
}

}  // namespace vk::gui
