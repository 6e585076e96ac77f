// TDialogPrompter: the engine's questions answered with the window program's boxes.
#pragma once

#include "app/prompts/Prompter.h"

class QWidget;

namespace vk::gui {

class TDialogPrompter : public app::IPrompter {
 public:
  // The boxes open over `parent`.
  explicit TDialogPrompter(QWidget* parent) : parent_(parent) {}

  app::TReplaceReply AskReplace(const app::TReplaceQuestion& question) override;
  app::TNameReply AskNewName(const std::string& storedName, const std::string& proposal) override;
  std::optional<std::string> AskPassword(const std::string& fileName,
                                         const std::string& current) override;
  std::optional<std::string> AskVolume(const std::string& volumeName, int number) override;
  bool AskDisk(app::TDiskRequest request, const std::string& label) override;
  bool AskClearDisk(const app::TDiskSpace& space) override;
  void ShowNotice(app::TNotice notice, const std::string& detail) override;
  bool AskWriteReadOnly(const std::string& archive) override;
  std::optional<std::string> AskUserFolder(const std::string& protectedDir,
                                           const std::string& proposedDir) override;
  bool AskCorruptHeader(const std::string& archive) override;
  bool AskNestedTar(const std::string& fileName) override;
  app::TAnswer AskOutputExists(const std::string& fileName) override;

 private:
  QWidget* parent_;
};

}  // namespace vk::gui
