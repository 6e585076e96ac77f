#include "app/gui/ErrorList.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

#include "app/core/Translation.h"
#include "app/gui/DialogPlace.h"
#include "app/gui/TranslateWindows.h"

namespace vk::gui {

TfrmErrors::TfrmErrors(QWidget* parent) : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
  setObjectName("frmErrors");
  setWindowTitle(tr("Errors"));
  auto* total = new QLabel(tr("Total Errors:"), this);
  total->setObjectName("lbTotal");
  count_ = new QLabel(QStringLiteral("0"), this);
  count_->setObjectName("lbCount");
  lines_ = new QListWidget(this);
  lines_->setObjectName("lvErrors");
  auto* save = new QPushButton(tr("&Save"), this);
  save->setObjectName("bnSave");
  auto* close = new QPushButton(tr("&Close"), this);
  close->setObjectName("bnClose");

  auto* top = new QHBoxLayout;
  top->addWidget(total);
  top->addWidget(count_, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(save);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(lines_, 1);
  layout->addLayout(buttons);

  connect(save, &QPushButton::clicked, this, [this] {
    const QString file = QFileDialog::getSaveFileName(
        this, tr("Save"), {}, tr("Error Messages (*.TXT *.txt);;All Files (*)"));
    if (file.isEmpty()) return;
    SaveTo(file.contains('.') ? file : file + ".txt");
  });
  connect(close, &QPushButton::clicked, this, &TfrmErrors::CloseList);
  RestorePlace(this, QSize(460, 260));
  TranslateWindows({this}, app::ActiveLanguageFile());
}

void TfrmErrors::ReportError(const QString& line) {
  lines_->addItem(line);
  lines_->scrollToBottom();
  count_->setText(QString::number(lines_->count()));
  if (!isVisible()) show();
}

int TfrmErrors::Count() const { return lines_->count(); }

QStringList TfrmErrors::Lines() const {
  QStringList lines;
  for (int i = 0; i < lines_->count(); ++i) lines << lines_->item(i)->text();
  return lines;
}

bool TfrmErrors::SaveTo(const QString& file) const {
  QSaveFile out(file);
  if (!out.open(QIODevice::WriteOnly)) return false;
  for (const QString& line : Lines()) out.write((line + '\n').toUtf8());
  return out.commit();
}

void TfrmErrors::closeEvent(QCloseEvent* event) {
  CloseList();
  QDialog::closeEvent(event);
}

void TfrmErrors::CloseList() {
  lines_->clear();
  count_->setText(QStringLiteral("0"));
  StorePlace(this);
  hide();
}

void TfrmErrors::WaitUntilClosed() const {
  while (isVisible()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

}  // namespace vk::gui
