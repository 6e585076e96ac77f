// TTerminalPrompter: the engine's questions answered on the terminal, for vorelkit-cli and
// for the window program's jobs run without a display. When the questions are not to be
// read (standard input is no terminal) every one gets the answer that changes nothing:
// existing files are kept, passwords, volumes and folders are not given, the operation
// stops where it needs the user. Command-line options preset answers (an overwrite policy,
// a password).
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "app/prompts/Prompter.h"

namespace vk::app {

enum class TOverwritePolicy { Ask, Always, Never, Newer, Rename };

struct TTerminalOptions {
  bool Interactive = false;  // questions are read from the input
  TOverwritePolicy Overwrite = TOverwritePolicy::Ask;
  // Given once, at the first password question, before the user is asked.
  std::optional<std::string> Password;
};

// True when standard input is a terminal.
bool StdinIsTerminal();

// "name.txt" -> "name (1).txt": the first such name that is free.
std::string FreeName(const std::string& path);

class TTerminalPrompter : public IPrompter {
 public:
  // Questions go to `out`, answers come from `in`, one line each.
  TTerminalPrompter(TTerminalOptions options, std::istream& in, std::ostream& out);

  TReplaceReply AskReplace(const TReplaceQuestion& question) override;
  TNameReply AskNewName(const std::string& storedName, const std::string& proposal) override;
  std::optional<std::string> AskPassword(const std::string& fileName,
                                         const std::string& current) override;
  std::optional<std::string> AskVolume(const std::string& volumeName, int number) override;
  bool AskDisk(TDiskRequest request, const std::string& label) override;
  bool AskClearDisk(const TDiskSpace& space) override;
  void ShowNotice(TNotice notice, const std::string& detail) override;
  bool AskWriteReadOnly(const std::string& archive) override;
  std::optional<std::string> AskUserFolder(const std::string& protectedDir,
                                           const std::string& proposedDir) override;
  bool AskCorruptHeader(const std::string& archive) override;
  bool AskNestedTar(const std::string& fileName) override;
  TAnswer AskOutputExists(const std::string& fileName) override;

 private:
  // One answer line; nothing when not interactive or the input has ended.
  std::optional<std::string> Ask(const std::string& question);
  bool AskYesNo(const std::string& question);

  TTerminalOptions options_;
  std::istream& in_;
  std::ostream& out_;
};

}  // namespace vk::app
