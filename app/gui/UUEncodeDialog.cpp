#include "app/gui/UUEncodeDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/core/Translation.h"
#include "app/gui/MessageBox.h"
#include "app/gui/ToolFiles.h"
#include "app/gui/TranslateWindows.h"

namespace vk::gui {
namespace {

using enum qel::TCompressMethod;
constexpr qel::TCompressMethod kMethods[] = {cmUUEncode, cmXXEncode, cmBase64};

}  // namespace

TfrmUUEncode::TfrmUUEncode(const QString& source, app::TEnginePrompts& prompts,
                           qel::TErrorEvent onError, QWidget* parent)
    : TToolDialog("frmUUEncode", tr("UU/XX/MIME Encode"), prompts, std::move(onError), parent) {
  source_ = new QLineEdit(source, this);
  source_->setObjectName("edSource");
  source_->setReadOnly(true);
  Rows()->addRow(tr("Source File"), source_);
  destination_ = FileRow(tr("Destination File"), "edDestination", "sbDestination", [this] {
    ChooseSaveName(this, destination_, tr("All Files (*)"),
                   QFileInfo(app::EncodedName("x", Method())).suffix().prepend('.'));
  });

  auto* box = new QGroupBox(tr("Encode Method"), this);
  box->setObjectName("rgEncodeMethod");
  auto* column = new QVBoxLayout(box);
  method_ = new QButtonGroup(this);
  int id = 0;
  for (const QString& caption : {tr("UUencode"), tr("XXencode"), tr("Base64 (MIME)")}) {
    auto* button = new QRadioButton(caption, box);
    method_->addButton(button, id++);
    column->addWidget(button);
  }
  method_->button(0)->setChecked(true);
  Rows()->addRow(box);
  volumes_ = new QComboBox(this);
  volumes_->setObjectName("cbVolumeSize");
  for (const app::TVolumeSize& v : app::EncodeVolumeSizes()) volumes_->addItem(v.Caption);
  Rows()->addRow(tr("Volume Size:"), volumes_);
  table_ = new QCheckBox(tr("Write Decode Table to File"), this);
  table_->setObjectName("cbWriteTable");
  Rows()->addRow(table_);

  connect(method_, &QButtonGroup::idClicked, this, [this] {
    // The destination takes the encoding's extension.
    if (!destination_->text().isEmpty())
      destination_->setText(app::EncodedName(destination_->text(), Method()));
    Follow();
  });
  connect(destination_, &QLineEdit::textChanged, this, [this] { Follow(); });
  destination_->setText(source.isEmpty() ? QString() : app::EncodedName(source, Method()));
  Follow();
  TranslateWindows({this}, app::ActiveLanguageFile());
}

qel::TCompressMethod TfrmUUEncode::Method() const {
  return kMethods[std::max(0, method_->checkedId())];
}

void TfrmUUEncode::Follow() {
  const bool base64 = Method() == cmBase64;
  volumes_->setEnabled(!base64);
  table_->setEnabled(!base64);
  OkButton()->setEnabled(!source_->text().isEmpty() && !destination_->text().isEmpty());
}

void TfrmUUEncode::Accept() {
  if (source_->text().isEmpty() || destination_->text().isEmpty()) return;
  const bool base64 = Method() == cmBase64;
  const int kbytes = base64 ? 0 : app::EncodeVolumeSizes()[size_t(volumes_->currentIndex())].KBytes;
  const bool done = RunBusy([&](const app::TToolRun& run) {
    return app::EncodeFile(run, source_->text(), destination_->text(), Method(), kbytes,
                           !base64 && table_->isChecked());
  });
  if (done) accept();
}

}  // namespace vk::gui
