#include "app/gui/DialogPrompter.h"

#include <QFileDialog>
#include <QFileInfo>

#include "app/core/PromptTexts.h"
#include "app/core/Translation.h"
#include "app/gui/MessageBox.h"
#include "app/gui/PromptDialogs.h"

namespace vk::gui {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

app::TReplaceReply TDialogPrompter::AskReplace(const app::TReplaceQuestion& question) {
  return {gui::AskReplace(app::Message(705), app::ReplaceText(question), parent_), {}};
}

app::TNameReply TDialogPrompter::AskNewName(const std::string&, const std::string& proposal) {
  QString name = Q(proposal);
  const app::TAnswer answer = gui::AskNewName(app::Message(700), app::Message(710), name, parent_);
  return {answer, name.toStdString()};
}

std::optional<std::string> TDialogPrompter::AskPassword(const std::string& fileName,
                                                        const std::string& current) {
  QString text = Q(current);
  const QString prompt = app::Message(780) + (fileName.empty() ? QString() : "\n" + Q(fileName));
  if (!gui::AskPassword(app::Message(770), prompt, text, parent_)) return std::nullopt;
  return text.toStdString();
}

std::optional<std::string> TDialogPrompter::AskVolume(const std::string& volumeName, int number) {
  QString path = Q(volumeName);
  if (!InputBox(QFileInfo(path).fileName(), app::VolumePrompt(number), path, parent_))
    return std::nullopt;
  return path.toStdString();
}

bool TDialogPrompter::AskDisk(app::TDiskRequest request, const std::string& label) {
  return MessageBox(app::DiskRequestText(request, Q(label)), mtInformation, {mbOK, mbCancel}, 0,
                    parent_) == mrOk;
}

bool TDialogPrompter::AskClearDisk(const app::TDiskSpace& space) {
  return MessageBox(app::DiskSpaceText(space), mtInformation, {mbOK, mbCancel}, 0, parent_) == mrOk;
}

void TDialogPrompter::ShowNotice(app::TNotice notice, const std::string& detail) {
  const QString text = notice == app::TNotice::DiskTooSmall ? app::DiskTooSmallText() : Q(detail);
  MessageBox(text, mtCustom, {mbOK}, 0, parent_);
}

bool TDialogPrompter::AskWriteReadOnly(const std::string& archive) {
  return MessageBox(app::ReadOnlyText(Q(archive)), mtConfirmation, {mbYes, mbNo}, 0, parent_) ==
         mrYes;
}

std::optional<std::string> TDialogPrompter::AskUserFolder(const std::string& protectedDir,
                                                          const std::string& proposedDir) {
  MessageBox(app::LimitedUserText(Q(protectedDir)), mtCustom, {mbOK}, 0, parent_);
  const QString folder = QFileDialog::getExistingDirectory(parent_, {}, Q(proposedDir));
  if (folder.isEmpty()) return std::nullopt;
  return folder.toStdString();
}

bool TDialogPrompter::AskCorruptHeader(const std::string&) {
  return MessageBox(app::CorruptHeaderText(), mtInformation, {mbYes, mbNo}, 0, parent_) == mrYes;
}

bool TDialogPrompter::AskNestedTar(const std::string& fileName) {
  return MessageBox(app::NestedTarText(Q(fileName)), mtConfirmation, {mbYes, mbNo}, 0, parent_) ==
         mrYes;
}

app::TAnswer TDialogPrompter::AskOutputExists(const std::string& fileName) {
  switch (MessageBox(app::OutputExistsText(Q(fileName)), mtConfirmation,
                     {mbYes, mbNo, mbCancel, mbYesToAll}, 0, parent_)) {
    case mrYes:
      return app::TAnswer::Yes;
    case mrYesToAll:
      return app::TAnswer::YesToAll;
    case mrNo:
      return app::TAnswer::No;
    default:
      return app::TAnswer::Cancel;
  }
}

}  // namespace vk::gui
