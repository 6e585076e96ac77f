#include "app/gui/TestWindow.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <string_view>
#include <utility>

#include "app/core/ArchiveTest.h"
#include "app/core/Translation.h"
#include "app/gui/DialogPlace.h"
#include "app/gui/TranslateWindows.h"

namespace vk::gui {
namespace {

using app::TTestImage;

struct TImageLook {
  TTestImage Image;
  QStyle::StandardPixmap Icon;
  Qt::GlobalColor Colour;  // Qt::color0: the list's own colour
};

constexpr TImageLook kLooks[] = {
    {TTestImage::Archive, QStyle::SP_DriveHDIcon, Qt::color0},
    {TTestImage::Passed, QStyle::SP_DialogApplyButton, Qt::color0},
    {TTestImage::Failed, QStyle::SP_MessageBoxCritical, Qt::red},
    {TTestImage::Summary, QStyle::SP_MessageBoxInformation, Qt::blue},
};

}  // namespace

TfrmTest::TfrmTest(const QString& archive, qel::TArcType type, TAttachHandlers attach,
                   QWidget* parent)
    : QDialog(parent), archive_(archive), type_(type), attach_(std::move(attach)) {
  setObjectName("frmTest");
  setWindowTitle(tr("Test Archive"));
  list_ = new TReportList(this);
  list_->setObjectName("lvTest");
  progress_ = new QProgressBar(this);
  progress_->setObjectName("pbTest");
  progress_->setRange(0, 100);
  progress_->setValue(0);
  auto* help = new QPushButton(tr("&Help"), this);
  help->setObjectName("bbHelp");
  cancel_ = new QPushButton(tr("&Cancel"), this);
  cancel_->setObjectName("bbCancel");
  cancel_->hide();
  close_ = new QPushButton(tr("&Close"), this);
  close_->setObjectName("bbClose");

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(progress_, 1);
  buttons->addWidget(help);
  buttons->addWidget(cancel_);
  buttons->addWidget(close_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_, 1);
  layout->addLayout(buttons);

  connect(cancel_, &QPushButton::clicked, this, &TfrmTest::reject);
  connect(close_, &QPushButton::clicked, this, &TfrmTest::accept);
  RestorePlace(this, QSize(520, 360));
  TranslateWindows({this}, app::ActiveLanguageFile());
}

void TfrmTest::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Queued, so that the window is on screen before the test holds the event loop.
  if (!std::exchange(started_, true)) QTimer::singleShot(0, this, &TfrmTest::RunTest);
}

void TfrmTest::reject() {
  if (test_.Running())
    test_.Cancel();
  else
    QDialog::reject();
}

void TfrmTest::done(int result) {
  StorePlace(this);
  QDialog::done(result);
}

void TfrmTest::RunTest() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  progress_->setValue(0);
  close_->hide();
  cancel_->show();
  list_->Clear();
  AddLines(log_.Start(archive_));
  if (app::CanTestArchive(type_)) {
    test_.Run(archive_, log_, attach_, [this](int percent) {
      progress_->setValue(percent);
      QCoreApplication::processEvents();  // lets Cancel through
    });
    AddLines(log_.Finish());
  } else {
    list_->AddLine(app::UntestableLine());
  }
  QApplication::beep();
  QApplication::restoreOverrideCursor();
  progress_->setValue(0);
  cancel_->hide();
  close_->show();
  finished_ = true;
}

void TfrmTest::AddLines(const std::vector<app::TItemInfo>& lines) {
  for (const app::TItemInfo& line : lines) {
    QIcon icon;
    QColor colour;
    for (const TImageLook& look : kLooks)
      if (look.Image == line.Image) {
        icon = style()->standardIcon(look.Icon);
        if (look.Colour != Qt::color0) colour = QColor(look.Colour);
      }
    list_->AddLine(line.Text, icon, line.Status, colour);
  }
}

}  // namespace vk::gui
