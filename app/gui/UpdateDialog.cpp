#include "app/gui/UpdateDialog.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/core/Translation.h"
#include "app/gui/TranslateWindows.h"

namespace vk::gui {

TFormUpdate::TFormUpdate(const QString& site, QWidget* parent)
    : QDialog(parent), site_(site.trimmed()) {
  setObjectName("FormUpdate");
  setWindowTitle(tr("Check for Update"));
  status_ = new QLabel(this);
  status_->setObjectName("lbStatus");
  status_->setWordWrap(true);
  status_->setMinimumWidth(360);
  progress_ = new QProgressBar(this);
  progress_->setObjectName("pbProgress");
  progress_->setRange(0, 5);
  progress_->setValue(0);
  yes_ = new QPushButton(tr("&Yes"), this);
  yes_->setObjectName("bbYes");
  no_ = new QPushButton(tr("&No"), this);
  no_->setObjectName("bbNo");
  close_ = new QPushButton(tr("&Close"), this);
  close_->setObjectName("bbClose");
  yes_->hide();
  no_->hide();

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(status_);
  layout->addWidget(progress_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(yes_);
  buttons->addWidget(no_);
  buttons->addWidget(close_);
  layout->addLayout(buttons);

  connect(&check_, &app::TUpdateCheck::Received, this, [this] {
    status_->setText(app::Message(990));
    progress_->setValue(5);
  });
  connect(&check_, &app::TUpdateCheck::Finished, this, &TFormUpdate::Finished);
  connect(yes_, &QPushButton::clicked, this, [this] {
    QDesktopServices::openUrl(app::SetupFileUrl(site_, check_.Info().SetupFile));
    accept();
  });
  connect(no_, &QPushButton::clicked, this, &QDialog::reject);
  connect(close_, &QPushButton::clicked, this, &QDialog::reject);
  TranslateWindows({this}, app::ActiveLanguageFile());
}

void TFormUpdate::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!started_) Check();
}

void TFormUpdate::Check() {
  started_ = true;
  yes_->hide();
  no_->hide();
  close_->show();
  progress_->setValue(0);
  if (site_.isEmpty()) {
    status_->setText(
        tr("No update site is set (UpdateSite in the settings file), so nothing "
           "was contacted."));
    emit Checked(app::TUpdateVerdict::Failed);
    return;
  }
  status_->setText(app::Message(980));
  progress_->setValue(1);
  check_.Start(site_);
}

QString TFormUpdate::Status() const { return status_->text(); }

void TFormUpdate::Finished(app::TUpdateVerdict verdict) {
  switch (verdict) {
    case app::TUpdateVerdict::Newer:
      status_->setText(app::Message(994) + u'\n' + app::Message(995));
      close_->hide();
      yes_->show();
      no_->show();
      yes_->setDefault(true);
      break;
    case app::TUpdateVerdict::Latest:
      status_->setText(app::Message(991));
      break;
    case app::TUpdateVerdict::Failed:
      status_->setText(app::Message(993) + u'\n' + check_.Error());
      progress_->setValue(0);
      break;
  }
  emit Checked(verdict);
}

}  // namespace vk::gui
