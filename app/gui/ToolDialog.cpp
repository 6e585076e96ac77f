#include "app/gui/ToolDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace vk::gui {

TToolDialog::TToolDialog(const QString& objectName, const QString& caption,
                         app::TEnginePrompts& prompts, qel::TErrorEvent onError, QWidget* parent)
    : QDialog(parent), prompts_(prompts), onError_(std::move(onError)) {
  setObjectName(objectName);
  setWindowTitle(caption);
  auto* layout = new QVBoxLayout(this);
  rows_ = new QFormLayout;
  layout->addLayout(rows_);
  bar_ = new QProgressBar(this);
  bar_->setObjectName("ProgressBar");
  bar_->setTextVisible(false);
  // Shown while the work runs: an empty bar beside the choices reads as something unfinished.
  bar_->hide();
  layout->addWidget(bar_);
  auto* buttons = new QDialogButtonBox(this);
  ok_ = buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
  ok_->setObjectName("bbOK");
  buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole)->setObjectName("bbCancel");
  // There is no help file yet: the button is left out rather than doing nothing.
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (!busy_) Accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &TToolDialog::reject);
}

QLineEdit* TToolDialog::FileRow(const QString& label, const QString& name,
                                const QString& buttonName, std::function<void()> browse) {
  auto* edit = new QLineEdit(this);
  edit->setObjectName(name);
  edit->setMinimumWidth(360);
  auto* button = new QToolButton(this);
  button->setObjectName(buttonName);
  button->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
  connect(button, &QToolButton::clicked, this, std::move(browse));
  auto* row = new QHBoxLayout;
  row->addWidget(edit);
  row->addWidget(button);
  rows_->addRow(label, row);
  return edit;
}

bool TToolDialog::RunBusy(const std::function<bool(const app::TToolRun&)>& work) {
  busy_ = true;
  cancelled_ = false;
  const QList<QWidget*> controls = findChildren<QWidget*>();
  QList<QWidget*> locked;
  for (QWidget* w : controls)
    if (w->isEnabled() && w->objectName() != "bbCancel" && w != bar_) {
      w->setEnabled(false);
      locked << w;
    }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  bar_->show();
  const app::TToolRun run{prompts_, onError_,
                          [this](int percent) {
                            bar_->setValue(percent);
                            QCoreApplication::processEvents();
                          },
                          [this] { return cancelled_; }};
  bool done = false;
  try {
    done = work(run);
  } catch (const std::exception&) {
    done = false;  // the engine reported it
  }
  QApplication::restoreOverrideCursor();
  for (QWidget* w : locked) w->setEnabled(true);
  bar_->setValue(0);
  bar_->hide();
  busy_ = false;
  return done && !cancelled_;
}

void TToolDialog::reject() {
  if (busy_) {
    cancelled_ = true;
    return;
  }
  QDialog::reject();
}

}  // namespace vk::gui
