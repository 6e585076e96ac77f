#include "app/gui/ProgressWindow.h"

#include <sys/resource.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QVBoxLayout>

#include "app/core/AppSettings.h"
#include "app/core/ProgressReport.h"
#include "app/core/Translation.h"
#include "app/gui/MessageBox.h"
#include "app/gui/TranslateWindows.h"

namespace vk::gui {
namespace {

// Tray image `index` (0 to 5): a disc filled by that many fifths.
QIcon TrayImageIcon(int index) {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QColor(0x30, 0x30, 0x60));
  p.setBrush(QColor(0xE0, 0xE0, 0xF0));
  p.drawEllipse(2, 2, 28, 28);
  p.setBrush(QColor(0x50, 0x40, 0xD0));
  p.drawPie(2, 2, 28, 28, 90 * 16, -index * 72 * 16);
  return QIcon(pixmap);
}

// The priority of a process in the background. An unprivileged process may lower its
// priority but not raise it again; it then stays low, quietly.
void SetIdlePriority(bool idle) { setpriority(PRIO_PROCESS, 0, idle ? 19 : 0); }

}  // namespace

TfrmProgress::TfrmProgress(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName("frmProgress");
  setWindowTitle(tr("Progress"));
  fileName_ = new QLabel(this);
  fileName_->setObjectName("lbFileName");
  fileName_->setMinimumWidth(320);
  bar_ = new QProgressBar(this);
  bar_->setObjectName("pbTotal");
  bar_->setRange(1, 100);
  auto* cancel = new QPushButton(tr("&Cancel"), this);
  cancel->setObjectName("bnCancel");
  auto* background = new QPushButton(tr("&Background"), this);
  background->setObjectName("bnBackground");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(background);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(fileName_);
  layout->addWidget(bar_);
  layout->addLayout(buttons);
  // The program's name goes before the translated caption.
  TranslateWindows({this}, app::ActiveLanguageFile());
  setWindowTitle(app::WithEditionName(QStringLiteral("Vorel - ") + windowTitle()));
  connect(cancel, &QPushButton::clicked, this, &TfrmProgress::AskCancel);
  connect(background, &QPushButton::clicked, this, &TfrmProgress::GoBackground);
  if (app::AppSettings().BackgroundMode)
    QMetaObject::invokeMethod(this, "GoBackground", Qt::QueuedConnection);
}

TfrmProgress::~TfrmProgress() {
  if (loweredPriority_) SetIdlePriority(false);
}

void TfrmProgress::BeginFile(const QString& fileName) {
  fileName_->setText((Mode == 0 ? app::Message(540) : app::Message(555)) + u' ' + fileName);
}

void TfrmProgress::SetPercentage(int percent) {
  bar_->setValue(std::clamp(percent, 1, 100));
  const int image = app::TrayImageIndex(percent);
  if (tray_ && image != trayImage_) tray_->setIcon(TrayImageIcon(image));
  trayImage_ = image;
  if (tray_) tray_->setToolTip(QString::number(percent) + u'%');
}

bool TfrmProgress::InBackground() const { return app::AppSettings().BackgroundMode; }

void TfrmProgress::GoBackground() {
  app::TAppSettings& s = app::AppSettings();
  s.BackgroundMode = true;
  SetIdlePriority(true);
  loweredPriority_ = true;
  s.Save(s.FileName());
  // Without a tray there would be no way back to a hidden window: minimise instead.
  if (!QSystemTrayIcon::isSystemTrayAvailable()) {
    showMinimized();
    return;
  }
  if (!tray_) {
    tray_ = new QSystemTrayIcon(TrayImageIcon(trayImage_), this);
    tray_->setObjectName("TrayIcon");
    trayMenu_ = new QMenu(this);
    trayMenu_->addAction(tr("&Restore"), this, &TfrmProgress::Restore);
    trayMenu_->addAction(tr("&Cancel"), this, &TfrmProgress::AskCancel);
    tray_->setContextMenu(trayMenu_);
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
      if (r == QSystemTrayIcon::DoubleClick || r == QSystemTrayIcon::Trigger) Restore();
    });
  }
  tray_->show();
  hide();
}

void TfrmProgress::Restore() {
  app::TAppSettings& s = app::AppSettings();
  s.BackgroundMode = false;
  SetIdlePriority(false);
  s.Save(s.FileName());
  if (tray_) tray_->hide();
  showNormal();
  raise();
}

void TfrmProgress::reject() { AskCancel(); }

void TfrmProgress::AskCancel() {
  if (MessageBox(app::Message(1040), mtConfirmation, {mbYes, mbNo}, 0, this) == mrYes && OnCancel)
    OnCancel();
}

}  // namespace vk::gui
