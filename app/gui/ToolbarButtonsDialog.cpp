#include "app/gui/ToolbarButtonsDialog.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/core/AppSettings.h"
#include "app/core/Translation.h"
#include "app/gui/TranslateWindows.h"

namespace vk::gui {
namespace {

constexpr int kCheckOutRow = 13;
constexpr int kInstallRow = 14;

}  // namespace

TFormToolbarButtonsDlg::TFormToolbarButtonsDlg(const std::vector<TToolbarButtonRow>& buttons,
                                               QWidget* parent)
    : QDialog(parent) {
  setObjectName("FormToolbarButtonsDlg");
  setWindowTitle(tr("Select Buttons"));
  list_ = new QListWidget(this);
  list_->setObjectName("lbButtons");
  const app::TAppSettings& s = app::AppSettings();
  for (int i = 0; i < app::kToolbarButtonCount; ++i) {
    const bool given = size_t(i) < buttons.size();
    auto* item = new QListWidgetItem(list_);
    item->setText(given ? buttons[size_t(i)].Caption : app::kToolbarButtonKeys[size_t(i)]);
    if (given) item->setIcon(buttons[size_t(i)].Icon);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    const bool fromSettings = !given || i == kCheckOutRow || i == kInstallRow;
    const bool checked = fromSettings ? s.Buttons[size_t(i)] : buttons[size_t(i)].Visible;
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
  }

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  auto* box = new QDialogButtonBox(this);
  QPushButton* reset = box->addButton(tr("&Reset"), QDialogButtonBox::ResetRole);
  reset->setObjectName("bnReset");
  connect(reset, &QPushButton::clicked, this, &TFormToolbarButtonsDlg::Reset);
  box->addButton(tr("OK"), QDialogButtonBox::AcceptRole)->setObjectName("bnOK");
  box->addButton(tr("Cancel"), QDialogButtonBox::RejectRole)->setObjectName("bnCancel");
  connect(box, &QDialogButtonBox::accepted, this, &TFormToolbarButtonsDlg::accept);
  connect(box, &QDialogButtonBox::rejected, this, &TFormToolbarButtonsDlg::reject);
  layout->addWidget(box);
  resize(300, 440);
}

void TFormToolbarButtonsDlg::Reset() {
  for (int i = 0; i < app::kToolbarButtonCount; ++i)
    list_->item(i)->setCheckState(app::kDefaultToolbarButtons[size_t(i)] ? Qt::Checked
                                                                         : Qt::Unchecked);
}

void TFormToolbarButtonsDlg::accept() {
  app::TAppSettings& s = app::AppSettings();
  for (int i = 0; i < app::kToolbarButtonCount; ++i)
    s.Buttons[size_t(i)] = list_->item(i)->checkState() == Qt::Checked;
  QDialog::accept();
}

void TFormToolbarButtonsDlg::showEvent(QShowEvent* event) {
  TranslateWindows({this}, app::ActiveLanguageFile());
  QDialog::showEvent(event);
}

}  // namespace vk::gui
