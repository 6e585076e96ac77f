// TQuietPrompter: the engine's questions when nobody can be asked (a one-shot job without a
// display). Every question gets the answer that changes nothing: existing files and entries
// are kept, no password, volume, disk or folder is given, a damaged archive is not read,
// nothing is overwritten. Notices go to standard error.
#pragma once

#include "app/core/Prompter.h"

namespace vk::app {

class TQuietPrompter : public IPrompter {
 public:
  TReplaceReply AskReplace(const TReplaceQuestion&) override { return {TAnswer::No, {}}; }
  TNameReply AskNewName(const std::string&, const std::string&) override {
    return {TAnswer::No, {}};
  }
  std::optional<std::string> AskPassword(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> AskVolume(const std::string&, int) override { return std::nullopt; }
  bool AskDisk(TDiskRequest, const std::string&) override { return false; }
  bool AskClearDisk(const TDiskSpace&) override { return false; }
  void ShowNotice(TNotice notice, const std::string& detail) override;
  bool AskWriteReadOnly(const std::string&) override { return false; }
  std::optional<std::string> AskUserFolder(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  bool AskCorruptHeader(const std::string&) override { return false; }
  bool AskNestedTar(const std::string&) override { return false; }
  TAnswer AskOutputExists(const std::string&) override { return TAnswer::No; }
};

}  // namespace vk::app
