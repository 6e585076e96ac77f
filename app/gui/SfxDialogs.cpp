#include "app/gui/SfxDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QToolButton>

#include "app/core/Translation.h"
#include "app/gui/MessageBox.h"
#include "app/gui/ToolFiles.h"
#include "app/gui/TranslateWindows.h"

namespace vk::gui {
namespace {

// The end of OK in a dialog that makes a self-extractor: the error box when nothing was
// made; otherwise the source to the trash when that was asked for and is confirmed, then the
// offer to run the new program, which talks on a terminal. Answers whether it was made.
bool Finish(QWidget* parent, bool done, const QString& sfx, const QString& source,
            bool deleteSource) {
  if (!done || !QFileInfo::exists(sfx)) {
    MessageBox(app::Message(1030), mtError, {mbOK}, 0, parent);
    return false;
  }
  if (deleteSource && MessageBox(app::FormatMessage(QStringLiteral("Delete \"%s\"?"), {source}),
                                 mtConfirmation, {mbYes, mbNo}, 0, parent) == mrYes)
    QFile::moveToTrash(source);
  const QString question = app::Message(400) + " \"" + sfx + "\" " + app::Message(410) + "\n\n" +
                           app::Message(420) + "\n" + app::Message(430);
  if (MessageBox(question, mtConfirmation, {mbYes, mbNo}, 0, parent) == mrYes &&
      !QProcess::startDetached("x-terminal-emulator", {"-e", sfx}, QFileInfo(sfx).path()))
    MessageBox(
        app::FormatMessage(QStringLiteral("\"%s\" could not be started: no terminal."), {sfx}),
        mtError, {mbOK}, 0, parent);
  return true;
}

QCheckBox* AddCheck(QFormLayout* rows, QWidget* parent, const QString& text, const char* name,
                    bool checked) {
  auto* box = new QCheckBox(text, parent);
  box->setObjectName(name);
  box->setChecked(checked);
  rows->addRow(box);
  return box;
}

}  // namespace

QString MakeSfxWithDialog(const QString& archive, qel::TArcType type, app::TEnginePrompts& prompts,
                          qel::TErrorEvent onError, QWidget* parent) {
  if (type == qel::atZip) {
    TfrmZipSFX sfx(archive, prompts, std::move(onError), parent);
    sfx.exec();
    return sfx.Made();
  }
  TfrmSFX sfx(archive, type, prompts, std::move(onError), parent);
  sfx.exec();
  return sfx.Made();
}

TfrmSFX::TfrmSFX(const QString& archive, qel::TArcType type, app::TEnginePrompts& prompts,
                 qel::TErrorEvent onError, QWidget* parent)
    : TToolDialog("frmSFX", tr("Create Self-Extracting Archive"), prompts, std::move(onError),
                  parent),
      archive_(archive),
      type_(type) {
  name_ = new QLineEdit(app::SfxName(archive), this);
  name_->setObjectName("edSFXName");
  name_->setMinimumWidth(360);
  Rows()->addRow(tr("Self-Extractor File Name:"), name_);
  deleteSource_ = AddCheck(Rows(), this, tr("Delete the Source File "), "chbDelSourceFile", false);
  TranslateWindows({this}, app::ActiveLanguageFile());
}

void TfrmSFX::Accept() {
  QString target = name_->text();
  if (target.isEmpty() || !target.endsWith(".exe", Qt::CaseInsensitive))
    target = app::SfxName(archive_);
  const bool done = RunBusy([&](const app::TToolRun& run) {
    return app::MakeSelfExtractor(run, archive_, type_, target);
  });
  if (!Finish(this, done, target, archive_, deleteSource_->isChecked())) return;
  made_ = target;
  accept();
}

TfrmZipSFX::TfrmZipSFX(const QString& archive, app::TEnginePrompts& prompts,
                       qel::TErrorEvent onError, QWidget* parent)
    : TToolDialog("frmZipSFX", tr("Create Self-Extracting Archive"), prompts, std::move(onError),
                  parent),
      archive_(archive) {
  const auto line = [this](const QString& label, const char* name, const QString& text) {
    auto* edit = new QLineEdit(text, this);
    edit->setObjectName(name);
    edit->setMinimumWidth(360);
    Rows()->addRow(label, edit);
    return edit;
  };
  folder_ = line(tr("Default Extract Folder:"), "edExtractFolder", "");
  caption_ = line(tr("Caption:"), "edCaption", tr("Self-extracting Archive"));
  message_ = new QPlainTextEdit(this);
  message_->setObjectName("mMessage");
  message_->setMaximumHeight(80);
  Rows()->addRow(tr("Message (Max. 255 characters)"), message_);
  messageType_ = new QComboBox(this);
  messageType_->setObjectName("cbMsgType");
  messageType_->addItems({tr("Standard"), tr("Information"), tr("Confirmation")});
  Rows()->addRow(tr("Message Type:"), messageType_);
  overwrite_ = new QComboBox(this);
  overwrite_->setObjectName("cbOverAction");
  overwrite_->addItems({tr("Prompt for overwriting existing files"),
                        tr("Always  overwrite existing files"), tr("Skip exisiting files")});
  Rows()->addRow(tr("Overwrite Action:"), overwrite_);
  command_ = line(tr("Command Line:"), "edCmdLine", "");
  askCommand_ =
      AddCheck(Rows(), this, tr("Allow to Avoid the Command Line"), "chbAskCmdLine", false);
  autoRun_ = AddCheck(Rows(), this, tr("Create an AutoRun SFX"), "chbAutoRun", false);
  success_ =
      AddCheck(Rows(), this, tr("Show Success Message After Extraction"), "chbSuccessMsg", true);
  hideOverwrite_ =
      AddCheck(Rows(), this, tr("Hide Overwrite Action Group"), "chbHideOverwrite", true);
  deleteSource_ = AddCheck(Rows(), this, tr("Delete the Zip File"), "chbDelZipFile", false);
  TranslateWindows({this}, app::ActiveLanguageFile());
}

app::TZipSfxChoices TfrmZipSFX::Choices() const {
  constexpr uint32_t kFlags[] = {0, 65, 36};
  constexpr int kModes[] = {2, 0, 1};  // ask, overwrite, skip in the list's order
  return {.ExtractFolder = folder_->text(),
          .Caption = caption_->text(),
          .Message = message_->toPlainText(),
          .MessageFlags = kFlags[std::max(0, messageType_->currentIndex())],
          .OverwriteMode = kModes[std::max(0, overwrite_->currentIndex())],
          .CommandLine = command_->text(),
          .AskCmdLine = askCommand_->isChecked(),
          .AutoRun = autoRun_->isChecked(),
          .SuccessMessage = success_->isChecked(),
          .HideOverwriteBox = hideOverwrite_->isChecked()};
}

void TfrmZipSFX::Accept() {
  const QString target = app::SfxName(archive_);
  const app::TZipSfxChoices choices = Choices();
  const bool done = RunBusy([&](const app::TToolRun& run) {
    return app::MakeZipSelfExtractor(run, archive_, target, choices);
  });
  if (!Finish(this, done, target, archive_, deleteSource_->isChecked())) return;
  made_ = target;
  accept();
}

TFormUnSFX::TFormUnSFX(const QString& sfx, app::TEnginePrompts& prompts, qel::TErrorEvent onError,
                       QWidget* parent)
    : TToolDialog("FormUnSFX", tr("UnSFX"), prompts, std::move(onError), parent) {
  sfx_ = FileRow(tr("SFX Archive:"), "edSFXArc", "sbOpenSFX", [this] {
    ChooseOpenName(this, sfx_, tr("Self-Extracting Archives (*.exe);;All Files (*)"));
  });
  archive_ = FileRow(tr("Standard Archive:"), "edStandardArc", "sbSaveArc", [this] {
    ChooseSaveName(this, archive_, tr("All Files (*)"),
                   QFileInfo(archive_->text()).suffix().prepend('.'));
  });
  connect(sfx_, &QLineEdit::textChanged, this, [this](const QString& name) {
    const QString proposed = QFileInfo(name).isFile() ? app::UnSfxName(name) : QString();
    archive_->setText(proposed);
    OkButton()->setEnabled(!proposed.isEmpty());
    findChild<QToolButton*>("sbSaveArc")->setEnabled(!proposed.isEmpty());
  });
  sfx_->setText(sfx);
  if (sfx.isEmpty()) OkButton()->setEnabled(false);
  TranslateWindows({this}, app::ActiveLanguageFile());
}

void TFormUnSFX::Accept() {
  const QString sfx = sfx_->text();
  const QString output = archive_->text();
  const bool done = !output.isEmpty() && RunBusy([&](const app::TToolRun& run) {
    return app::TakeOutArchive(run, sfx, output);
  });
  if (done) {
    MessageBox(app::Message(460), mtInformation, {mbOK}, 0, this);
    accept();
  } else {
    MessageBox(app::Message(470), mtWarning, {mbOK}, 0, this);
  }
}

}  // namespace vk::gui
