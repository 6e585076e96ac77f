#include "app/gui/RepairDialog.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

#include "app/core/Translation.h"
#include "app/core/ZipRepair.h"
#include "app/gui/TranslateWindows.h"

namespace vk::gui {
namespace {

const QString kRule = QString(25, u'=');

}  // namespace

TfrmRepair::TfrmRepair(QWidget* parent) : QDialog(parent) {
  setObjectName("frmRepair");
  setWindowTitle(tr("Repair Archive"));
  auto* label = new QLabel(tr("Broken Archive:"), this);
  label->setObjectName("lbArcName");
  name_ = new QLineEdit(this);
  name_->setObjectName("edArcName");
  label->setBuddy(name_);
  auto* open = new QToolButton(this);
  open->setObjectName("sbOpen");
  open->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
  list_ = new TReportList(this);
  list_->setObjectName("ListView");
  repair_ = new QPushButton(tr("&Repair"), this);
  repair_->setObjectName("bbRepair");
  repair_->setEnabled(false);
  auto* close = new QPushButton(tr("&Close"), this);
  close->setObjectName("bbClose");
  auto* help = new QPushButton(tr("&Help"), this);
  help->setObjectName("bbHelp");

  auto* layout = new QGridLayout(this);
  layout->addWidget(label, 0, 0, 1, 2);
  layout->addWidget(name_, 1, 0);
  layout->addWidget(open, 1, 1);
  layout->addWidget(list_, 2, 0, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(repair_);
  buttons->addWidget(close);
  buttons->addWidget(help);
  layout->addLayout(buttons, 3, 0, 1, 2);
  layout->setRowStretch(2, 1);

  connect(name_, &QLineEdit::textChanged, this,
          [this](const QString& text) { repair_->setEnabled(QFileInfo(text).isFile()); });
  connect(open, &QToolButton::clicked, this, [this] {
    const QString file = QFileDialog::getOpenFileName(this, {}, name_->text(),
                                                      tr("Zip Archives (*.zip);;All Files (*)"));
    if (!file.isEmpty()) name_->setText(QDir::toNativeSeparators(file));
  });
  connect(repair_, &QPushButton::clicked, this, &TfrmRepair::Repair);
  connect(close, &QPushButton::clicked, this, &TfrmRepair::accept);
  resize(520, 380);
  TranslateWindows({this}, app::ActiveLanguageFile());
}

QString TfrmRepair::FixedName(const QString& broken) {
  // The folder stays as it was written; only the file name changes.
  const QFileInfo file(broken);
  return broken.chopped(file.fileName().size()) + file.completeBaseName() +
         QStringLiteral("_VorelFixed.zip");
}

void TfrmRepair::Repair() {
  const QString broken = name_->text();
  const QString fixed = FixedName(broken);
  const QIcon info = style()->standardIcon(QStyle::SP_MessageBoxInformation);
  list_->Clear();
  list_->AddLine(QStringLiteral("Broken File: ") + broken, info);
  list_->AddLine(QStringLiteral("Fixed File: ") + fixed, info);
  list_->AddLine(kRule);

  int total = 0;
  int ok = 0;
  const auto found = [&](const QString& entry, bool intact) {
    const QString name = entry.isEmpty() ? QStringLiteral("?? File Name ??") : entry;
    if (name.endsWith(u'/') || name.endsWith(u'\\')) return;
    ++total;
    ok += intact;
    list_->AddLine(name, {}, intact ? QStringLiteral("OK") : QStringLiteral("Corrupted"),
                   intact ? QColor() : QColor(Qt::red));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);  // the lines show
  };
  QApplication::setOverrideCursor(Qt::WaitCursor);
  try {
    app::RepairZip(broken, fixed, found);
    list_->AddLine(kRule);
    list_->AddLine(app::FormatMessage(QStringLiteral("%d out of %d files were OK"),
                                      {QString::number(ok), QString::number(total)}),
                   {}, {}, Qt::blue);
  } catch (const std::exception& e) {
    // No summary: it would read as a finished repair.
    list_->AddLine(kRule);
    list_->AddLine(QString::fromStdString(e.what()),
                   style()->standardIcon(QStyle::SP_MessageBoxCritical), {}, Qt::red);
  }
  QApplication::restoreOverrideCursor();
}

}  // namespace vk::gui
