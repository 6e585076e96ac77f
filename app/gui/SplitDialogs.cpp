#include "app/gui/SplitDialogs.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "app/core/Translation.h"
#include "app/gui/MessageBox.h"
#include "app/gui/ToolFiles.h"
#include "app/gui/TranslateWindows.h"

namespace vk::gui {

TFormSplit::TFormSplit(const QString& archive, app::TEnginePrompts& prompts,
                       qel::TErrorEvent onError, QWidget* parent)
    : TToolDialog("FormSplit", tr("Create Multi-Volume Set"), prompts, std::move(onError), parent) {
  const QString zipFilter = tr("Zip Archives (*.zip);;All Files (*)");
  single_ = FileRow(tr("Archive:"), "edSingle", "sbOpen",
                    [this, zipFilter] { ChooseOpenName(this, single_, zipFilter); });
  single_->setReadOnly(true);
  spanned_ = FileRow(tr("Multi-Volume Set:"), "edSpanned", "sbSave",
                     [this, zipFilter] { ChooseSaveName(this, spanned_, zipFilter, ".zip"); });
  size_ = new QComboBox(this);
  size_->setObjectName("cbSize");
  for (const app::TPartSize& s : app::PartSizes()) size_->addItem(s.Caption);
  Rows()->addRow(tr("Volume Size:"), size_);
  custom_ = new QSpinBox(this);
  custom_->setObjectName("seCustomSize");
  custom_->setRange(0, 2147483647);
  unit_ = new QButtonGroup(this);
  auto* units = new QHBoxLayout;
  units->addWidget(custom_);
  int id = 0;
  for (const QString& unit : {tr("Bytes"), tr("KB"), tr("MB")}) {
    auto* button = new QRadioButton(unit, this);
    unit_->addButton(button, id++);
    units->addWidget(button);
  }
  unit_->button(1)->setChecked(true);
  Rows()->addRow(tr("Custom:"), units);

  const auto customOn = [this] {
    const bool on = size_->currentIndex() == 0;
    custom_->setEnabled(on);
    for (QAbstractButton* b : unit_->buttons()) b->setEnabled(on);
  };
  connect(size_, &QComboBox::currentIndexChanged, this, customOn);
  connect(single_, &QLineEdit::textChanged, this,
          [this](const QString& name) { OkButton()->setEnabled(QFileInfo(name).isFile()); });
  single_->setText(archive);
  spanned_->setText(archive);
  size_->setCurrentIndex(size_->findText("1.44 MB"));
  customOn();
  OkButton()->setEnabled(QFileInfo(archive).isFile());
  TranslateWindows({this}, app::ActiveLanguageFile());
}

int64_t TFormSplit::PartBytes() const {
  if (size_->currentIndex() > 0) return app::PartSizes()[size_t(size_->currentIndex())].Bytes;
  return app::CustomPartSize(custom_->value(), unit_->checkedId());
}

void TFormSplit::Accept() {
  const QString archive = single_->text();
  if (archive.isEmpty() || !QFileInfo(archive).isFile() || spanned_->text().isEmpty()) {
    accept();
    return;
  }
  const QString set = app::SpannedName(archive, spanned_->text());
  const bool done = RunBusy(
      [&](const app::TToolRun& run) { return app::SplitArchive(run, archive, set, PartBytes()); });
  MessageBox(app::FormatMessage(done ? app::Message(1150) : app::Message(1155), {set}),
             mtInformation, {mbOK}, 0, this);
  accept();
}

TFormMerge::TFormMerge(const QString& lastPart, app::TEnginePrompts& prompts,
                       qel::TErrorEvent onError, QWidget* parent)
    : TToolDialog("FormMerge", tr("Merge Multi-Volume Set"), prompts, std::move(onError), parent) {
  const QString zipFilter = tr("Zip Archives (*.zip);;All FIles (*)");
  spanned_ = FileRow(tr("Multi-Volume Set:"), "edSpanned", "sbOpen",
                     [this, zipFilter] { ChooseOpenName(this, spanned_, zipFilter); });
  spanned_->setReadOnly(true);
  single_ = FileRow(tr("Single Archive:"), "edSingle", "sbSave",
                    [this, zipFilter] { ChooseSaveName(this, single_, zipFilter, ".zip"); });
  connect(spanned_, &QLineEdit::textChanged, this,
          [this](const QString& name) { OkButton()->setEnabled(QFileInfo(name).isFile()); });
  spanned_->setText(lastPart);
  if (!lastPart.isEmpty()) single_->setText(app::MergedName(lastPart));
  OkButton()->setEnabled(QFileInfo(lastPart).isFile());
  TranslateWindows({this}, app::ActiveLanguageFile());
}

void TFormMerge::Accept() {
  const QString set = spanned_->text();
  const QString output = single_->text();
  if (set.isEmpty() || output.isEmpty() || !QFileInfo(set).isFile()) {
    accept();
    return;
  }
  const bool done = app::IsSplitSet(set) && RunBusy([&](const app::TToolRun& run) {
                      return app::MergeSet(run, set, output);
                    });
  MessageBox(app::FormatMessage(done ? app::Message(1160) : app::Message(1165), {output}),
             mtInformation, {mbOK}, 0, this);
  accept();
}

}  // namespace vk::gui
