#include "app/gui/ViewDialog.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>

#include "app/core/Translation.h"
#include "app/gui/TranslateWindows.h"

namespace vk::gui {

TFormView::TFormView(const QString& viewer, QWidget* parent) : QDialog(parent) {
  setObjectName("FormView");
  setWindowTitle(tr("View File"));
  associated_ = Named(new QRadioButton(tr("&Associated Program"), this), "rbAssociated");
  notepad_ = Named(new QRadioButton(tr("&Text Editor"), this), "rbNotepad");
  viewer_ = Named(new QRadioButton(tr("&Viewer Program:"), this), "rbViewer");
  program_ = Named(new QLineEdit(viewer, this), "edViewer");
  auto* browse = Named(new QToolButton(this), "sbBrowse");
  browse->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
  auto* ok = Named(new QPushButton(tr("&OK"), this), "bbOK");
  ok->setDefault(true);
  auto* cancel = Named(new QPushButton(tr("&Cancel"), this), "bbCancel");
  associated_->setChecked(true);

  auto* layout = new QGridLayout(this);
  layout->addWidget(associated_, 0, 0, 1, 2);
  layout->addWidget(notepad_, 1, 0, 1, 2);
  layout->addWidget(viewer_, 2, 0, 1, 2);
  layout->addWidget(program_, 3, 0);
  layout->addWidget(browse, 3, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons, 4, 0, 1, 2);
  layout->setColumnMinimumWidth(0, 280);

  auto follow = [this] {
    program_->setEnabled(viewer_->isChecked());
    findChild<QToolButton*>("sbBrowse")->setEnabled(viewer_->isChecked());
  };
  connect(viewer_, &QRadioButton::toggled, this, follow);
  follow();
  connect(browse, &QToolButton::clicked, this, [this] {
    const QString file = QFileDialog::getOpenFileName(this, {}, program_->text());
    if (!file.isEmpty()) program_->setText(file);
  });
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  TranslateWindows({this}, app::ActiveLanguageFile());
}

TFormView::TViewChoice TFormView::Choice() const {
  return viewer_->isChecked() ? vcViewer : notepad_->isChecked() ? vcNotepad : vcAssociated;
}

QString TFormView::Viewer() const { return program_->text().trimmed(); }

}  // namespace vk::gui
