#include "app/gui/ConvertDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

#include "app/core/AppSettings.h"
#include "app/core/Translation.h"
#include "app/gui/MessageBox.h"
#include "app/gui/ToolFiles.h"
#include "app/gui/TranslateWindows.h"

namespace vk::gui {

TfrmConvert::TfrmConvert(const QString& input, const QStringList& list,
                         app::TEnginePrompts& prompts, qel::TErrorEvent onError, QWidget* parent)
    : TToolDialog("frmConvert", tr("Convert Archive"), prompts, std::move(onError), parent),
      list_(list) {
  input_ = FileRow(tr("Input Archive:"), "edInput", "sbOpen1", [this] {
    ChooseOpenName(this, input_,
                   tr("All Archives (*.7z *.a *.arc *.arj *.b64 *.bh *.bz2 *.bza *.cab *.cpio "
                      "*.deb *.enc *.exe *.gca *.gz *.gza *.ha *.jar *.lha *.lib *.lzh *.mbf "
                      "*.mim *.pak *.pk3 *.pk_ *.rar *.rpm *.tar *.taz *.tgz *.tz *.uue *.xxe "
                      "*.yz1 *.z *.zip *.zoo);;All Files (*)"));
    ProposeOutput();
  });
  input_->setReadOnly(true);
  output_ = FileRow(tr("Output Archive:"), "edOutput", "sbOpen2",
                    [this] { ChooseFolderFor(this, output_); });
  type_ = new QComboBox(this);
  type_->setObjectName("cbOutType");
  for (const app::TConvertTarget& t : targets_) type_->addItem(t.Caption);
  Rows()->addRow(tr("Output Type:"), type_);
  integrity_ = new QCheckBox(tr("Integrity Check"), this);
  integrity_->setObjectName("chbIntegrity");
  integrity_->setChecked(true);
  Rows()->addRow(integrity_);

  // The type chosen last; before any choice (or for a type no longer offered) the first.
  int remembered = 0;
  for (size_t i = 0; i < targets_.size(); ++i)
    if (targets_[i].Order == app::AppSettings().LastConvertOutputType) remembered = int(i);
  type_->setCurrentIndex(remembered);
  connect(type_, &QComboBox::currentIndexChanged, this, [this] {
    integrity_->setEnabled(app::TestsConverted(Target().Order));
    ProposeOutput();
  });
  integrity_->setEnabled(app::TestsConverted(Target().Order));
  input_->setText(input);
  ProposeOutput();
  if (!list_.isEmpty()) {
    for (const char* name : {"edInput", "edOutput", "sbOpen1", "sbOpen2"})
      findChild<QWidget*>(name)->setEnabled(false);
    input_->setText(tr("%n archive(s)", nullptr, int(list_.size())));
    output_->clear();
  }
  TranslateWindows({this}, app::ActiveLanguageFile());
}

TfrmConvert::~TfrmConvert() { app::AppSettings().LastConvertOutputType = Target().Order; }

const app::TConvertTarget& TfrmConvert::Target() const {
  return targets_[size_t(std::max(0, type_->currentIndex()))];
}

void TfrmConvert::ProposeOutput() {
  if (!list_.isEmpty() || input_->text().isEmpty()) return;
  output_->setText(app::ConvertedName(input_->text(), Target().Extension));
}

bool TfrmConvert::ConvertOne(const QString& input, const QString& output) {
  // An archive already of the type would be its own output: never touched.
  if (QFileInfo(input).canonicalFilePath() == QFileInfo(output).canonicalFilePath()) return false;
  return RunBusy([&](const app::TToolRun& run) {
    return app::ConvertArchive(run, input, output, Target().Order,
                               integrity_->isEnabled() && integrity_->isChecked());
  });
}

void TfrmConvert::Accept() {
  failed_ = 0;
  if (list_.isEmpty()) {
    const QString input = input_->text();
    const QString output = output_->text();
    if (input.isEmpty() || output.isEmpty() || input == output) {
      accept();
      return;
    }
    failed_ = !ConvertOne(input, output);
  } else {
    for (const QString& input : list_)
      failed_ += !ConvertOne(input, app::ConvertedName(input, Target().Extension));
  }
  if (failed_ > 0) {
    MessageBox(app::Message(470), mtWarning, {mbOK}, 0, this);
    return;
  }
  MessageBox(app::Message(460), mtInformation, {mbOK}, 0, this);
  accept();
}

}  // namespace vk::gui
