#include "app/prompts/TerminalPrompter.h"

#include <unistd.h>

#include <filesystem>
#include <istream>
#include <ostream>
#include <utility>

#include "app/prompts/TerminalPassword.h"

namespace vk::app {

bool StdinIsTerminal() { return isatty(STDIN_FILENO) != 0; }

std::string FreeName(const std::string& path) {
  namespace fs = std::filesystem;
  const fs::path p(path);
  for (int n = 1;; ++n) {
    fs::path candidate = p.parent_path() / (p.stem().string() + " (" + std::to_string(n) + ")" +
                                            p.extension().string());
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(candidate, ec))) return candidate.string();
  }
}

TTerminalPrompter::TTerminalPrompter(TTerminalOptions options, std::istream& in, std::ostream& out)
    : options_(std::move(options)), in_(in), out_(out) {}

std::optional<std::string> TTerminalPrompter::Ask(const std::string& question) {
  if (!options_.Interactive) return std::nullopt;
  out_ << question << std::flush;
  std::string answer;
  if (!std::getline(in_, answer)) return std::nullopt;
  return answer;
}

bool TTerminalPrompter::AskYesNo(const std::string& question) {
  for (;;) {
    std::optional<std::string> answer = Ask(question + " [y/n]: ");
    if (!answer || *answer == "n") return false;
    if (*answer == "y") return true;
  }
}

TReplaceReply TTerminalPrompter::AskReplace(const TReplaceQuestion& q) {
  const bool extracting = q.Kind == TReplaceKind::ExtractTarget;
  switch (options_.Overwrite) {
    case TOverwritePolicy::Always:
      return {TAnswer::YesToAll, {}};
    case TOverwritePolicy::Never:
      return {TAnswer::NoToAll, {}};
    case TOverwritePolicy::Newer:
      return {q.Incoming.Time > q.Existing.Time ? TAnswer::Yes : TAnswer::No, {}};
    case TOverwritePolicy::Rename:
      if (extracting) return {TAnswer::Yes, FreeName(q.Existing.Name)};
      return {TAnswer::No, {}};
    case TOverwritePolicy::Ask:
      break;
  }
  const std::string question = q.Existing.Name + " exists. Replace? [y]es, [n]o, [A]ll, [N]one" +
                               (extracting ? ", [r]ename: " : ": ");
  for (;;) {
    std::optional<std::string> answer = Ask(question);
    if (!answer || *answer == "n") return {TAnswer::No, {}};
    if (*answer == "y") return {TAnswer::Yes, {}};
    if (*answer == "A") return {TAnswer::YesToAll, {}};
    if (*answer == "N") return {TAnswer::NoToAll, {}};
    if (*answer == "r" && extracting) return {TAnswer::Yes, FreeName(q.Existing.Name)};
  }
}

TNameReply TTerminalPrompter::AskNewName(const std::string& storedName,
                                         const std::string& proposal) {
  std::optional<std::string> answer =
      Ask(storedName +
          " is already in the archive. Store the new file as (empty: leave it out, "
          "\"-\": ask no more) [" +
          proposal + "]: ");
  if (!answer || answer->empty()) return {TAnswer::No, {}};
  if (*answer == "-") return {TAnswer::NoToAll, {}};
  return {TAnswer::Yes, *answer};
}

std::optional<std::string> TTerminalPrompter::AskPassword(const std::string& fileName,
                                                          const std::string&) {
  if (options_.Password) return std::exchange(options_.Password, std::nullopt);
  if (!options_.Interactive) return std::nullopt;
  return AskPasswordOnTerminal(fileName);
}

std::optional<std::string> TTerminalPrompter::AskVolume(const std::string& volumeName, int number) {
  std::optional<std::string> answer =
      Ask("Where is volume " + std::to_string(number) + " (" + volumeName + ")? (empty: stop): ");
  if (!answer || answer->empty()) return std::nullopt;
  return answer;
}

bool TTerminalPrompter::AskDisk(TDiskRequest request, const std::string& label) {
  const std::string disk = request == TDiskRequest::First  ? "the first disk"
                           : request == TDiskRequest::Last ? "the last disk"
                                                           : "disk " + label;
  return AskYesNo("Insert " + disk + " of the set. Go on?");
}

bool TTerminalPrompter::AskClearDisk(const TDiskSpace& s) {
  return AskYesNo(s.Drive + " has " + std::to_string(s.FreeSpace) + " bytes free, " +
                  std::to_string(s.RequiredSpace) + " needed. Room made?");
}

void TTerminalPrompter::ShowNotice(TNotice notice, const std::string& detail) {
  if (notice == TNotice::DiskTooSmall)
    out_ << "The disk in " << detail << " is too small to hold a part of this archive.\n";
  else
    out_ << detail << "\n";
}

bool TTerminalPrompter::AskWriteReadOnly(const std::string& archive) {
  return AskYesNo(archive + " is read-only. Write to it anyway?");
}

std::optional<std::string> TTerminalPrompter::AskUserFolder(const std::string& protectedDir,
                                                            const std::string& proposedDir) {
  std::optional<std::string> answer =
      Ask(protectedDir + " cannot be written. Folder to use [" + proposedDir + "] (\"-\": stop): ");
  if (!answer || *answer == "-") return std::nullopt;
  return answer->empty() ? proposedDir : *answer;
}

bool TTerminalPrompter::AskCorruptHeader(const std::string& archive) {
  return AskYesNo(archive + ": the central directory is missing or damaged. Read it anyway?");
}

bool TTerminalPrompter::AskNestedTar(const std::string& fileName) {
  return AskYesNo(fileName + " holds a TAR archive. Extract its files too?");
}

TAnswer TTerminalPrompter::AskOutputExists(const std::string& fileName) {
  switch (options_.Overwrite) {
    case TOverwritePolicy::Always:
      return TAnswer::YesToAll;
    case TOverwritePolicy::Never:
      return TAnswer::No;
    default:
      break;
  }
  for (;;) {
    std::optional<std::string> answer =
        Ask(fileName + " exists. Replace? [y]es, [n]o, [A]ll, [c]ancel: ");
    if (!answer || *answer == "n") return TAnswer::No;
    if (*answer == "y") return TAnswer::Yes;
    if (*answer == "A") return TAnswer::YesToAll;
    if (*answer == "c") return TAnswer::Cancel;
  }
}

}  // namespace vk::app
