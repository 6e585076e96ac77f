#include "app/gui/ArchiveFileDialogs.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QToolButton>

#include "app/core/AppSettings.h"
#include "app/core/ArchiveFileCommands.h"
#include "app/core/Translation.h"
#include "app/gui/TranslateWindows.h"

namespace vk::gui {
namespace {

// OK and Cancel at the bottom right of `layout`, in `row`.
void AddButtons(QDialog* dialog, QGridLayout* layout, int row) {
  auto* ok = Named(new QPushButton(QDialog::tr("&OK"), dialog), "bbOK");
  ok->setDefault(true);
  auto* cancel = Named(new QPushButton(QDialog::tr("&Cancel"), dialog), "bbCancel");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons, row, 0, 1, layout->columnCount());
  QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
}

// A folder edit with its browse button in `row` of `layout`.
QLineEdit* AddFolderRow(QDialog* dialog, QGridLayout* layout, int row, const QString& folder) {
  auto* edit = Named(new QLineEdit(folder, dialog), "edFolder");
  auto* browse = Named(new QToolButton(dialog), "sbBrowse");
  browse->setIcon(dialog->style()->standardIcon(QStyle::SP_DirOpenIcon));
  layout->addWidget(edit, row, 0);
  layout->addWidget(browse, row, 1);
  QObject::connect(browse, &QToolButton::clicked, dialog, [dialog, edit] {
    const QString chosen = QFileDialog::getExistingDirectory(dialog, {}, edit->text());
    if (!chosen.isEmpty()) edit->setText(chosen);
  });
  return edit;
}

}  // namespace

TFormMove::TFormMove(bool copy, const QString& folder, QWidget* parent) : QDialog(parent) {
  setObjectName("FormMove");
  setWindowTitle(tr("Move Archive"));
  auto* label = Named(new QLabel(app::Message(910), this), "lbFolder");
  auto* layout = new QGridLayout(this);
  layout->addWidget(label, 0, 0, 1, 2);
  folder_ = AddFolderRow(this, layout, 1, folder);
  label->setBuddy(folder_);
  layout->setColumnMinimumWidth(0, 360);
  AddButtons(this, layout, 2);
  TranslateWindows({this}, app::ActiveLanguageFile());
  // One window for both commands; the copy's own words once the language has spoken.
  if (copy) {
    setWindowTitle(tr("Copy Archive"));
    label->setText(app::Message(920));
  }
}

QString TFormMove::Folder() const { return folder_->text().trimmed(); }

TFormRename::TFormRename(const QString& archive, QWidget* parent) : QDialog(parent) {
  setObjectName("FormRename");
  setWindowTitle(tr("Rename Archive"));
  const QString name = app::NameWithoutExtension(archive);
  auto* layout = new QGridLayout(this);
  layout->addWidget(Named(new QLabel(tr("Name:"), this), "lbName"), 0, 0);
  layout->addWidget(Named(new QLabel(name, this), "stName"), 0, 1);
  layout->addWidget(Named(new QLabel(tr("Extension:"), this), "lbExtension"), 1, 0);
  layout->addWidget(Named(new QLabel(app::ExtensionOf(archive), this), "stExtension"), 1, 1);
  auto* prompt = Named(new QLabel(app::Message(925), this), "lbNewName");
  layout->addWidget(prompt, 2, 0, 1, 2);
  name_ = Named(new QLineEdit(name, this), "edNewName");
  name_->selectAll();
  prompt->setBuddy(name_);
  layout->addWidget(name_, 3, 0, 1, 2);
  layout->setColumnMinimumWidth(1, 280);
  AddButtons(this, layout, 4);
  TranslateWindows({this}, app::ActiveLanguageFile());
}

QString TFormRename::NewName() const { return name_->text().trimmed(); }

TFormCheckOut::TFormCheckOut(const QString& archive, QWidget* parent) : QDialog(parent) {
  setObjectName("FormCheckOut");
  setWindowTitle(tr("CheckOut"));
  auto* info = Named(new QLabel(tr("All files will be extracted to the specified folder, and a "
                                   "program group will be build."),
                                this),
                     "lbInfo");
  info->setWordWrap(true);
  auto* layout = new QGridLayout(this);
  layout->addWidget(info, 0, 0, 1, 2);
  auto* folderLabel = Named(new QLabel(tr("Folder"), this), "lbFolder");
  layout->addWidget(folderLabel, 1, 0, 1, 2);
  folder_ = AddFolderRow(this, layout, 2,
                         archive.isEmpty() ? QString()
                                           : app::CheckOutDefaultFolder(
                                                 archive, app::AppSettings().CheckOutBaseFolder));
  folderLabel->setBuddy(folder_);
  auto* groupLabel = Named(new QLabel(tr("Group Name"), this), "lbGroup");
  layout->addWidget(groupLabel, 3, 0, 1, 2);
  group_ = Named(new QLineEdit(app::CheckOutGroupName(archive), this), "edGroup");
  groupLabel->setBuddy(group_);
  layout->addWidget(group_, 4, 0, 1, 2);
  auto* iconsLabel = Named(new QLabel(tr("Maximium Icons"), this), "lbMaxIcons");
  icons_ = Named(new QSpinBox(this), "seMaxIcons");
  icons_->setRange(0, 9999);  // never negative
  icons_->setValue(50);
  iconsLabel->setBuddy(icons_);
  auto* icons = new QHBoxLayout;
  icons->addWidget(iconsLabel);
  icons->addWidget(icons_);
  icons->addStretch(1);
  layout->addLayout(icons, 5, 0, 1, 2);
  programsOnly_ = Named(new QCheckBox(tr("Create icons for programs and documents only"), this),
                        "cbProgramsOnly");
  programsOnly_->setChecked(true);
  layout->addWidget(programsOnly_, 6, 0, 1, 2);
  layout->setColumnMinimumWidth(0, 360);
  AddButtons(this, layout, 7);
  TranslateWindows({this}, app::ActiveLanguageFile());
}

QString TFormCheckOut::Folder() const { return folder_->text().trimmed(); }
QString TFormCheckOut::Group() const { return group_->text().trimmed(); }
int TFormCheckOut::MaxIcons() const { return icons_->value(); }
bool TFormCheckOut::ProgramsOnly() const { return programsOnly_->isChecked(); }

TFormInstall::TFormInstall(const QString& setup, QWidget* parent) : QDialog(parent) {
  setObjectName("FormInstall");
  setWindowTitle(tr("Install"));
  auto* info = Named(new QLabel(tr("All files will be extracted to a temporary folder, and the "
                                   "setup program will be run. The temporary files are deleted "
                                   "when it has ended."),
                                this),
                     "lbInfo");
  info->setWordWrap(true);
  auto* layout = new QGridLayout(this);
  layout->addWidget(info, 0, 0);
  layout->addWidget(Named(new QLabel(setup, this), "stSetup"), 1, 0);
  layout->setColumnMinimumWidth(0, 360);
  AddButtons(this, layout, 2);
  TranslateWindows({this}, app::ActiveLanguageFile());
}

}  // namespace vk::gui
