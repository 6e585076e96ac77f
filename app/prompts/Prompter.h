// The questions an engine component asks while it runs, as one interface: the window
// program answers them with dialogs, vorelkit-cli on the terminal, the tests from a script.
// Questions and answers are plain data; building the texts a dialog shows is the window
// side's work (PromptTexts.h), so the command-line program needs no Qt to answer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vk::app {

// The answers a question may get. Each question names the ones it offers; a box closed
// without a choice answers Cancel, which every question takes as its "stop" or "keep" answer.
enum class TAnswer : uint8_t { Yes, No, YesToAll, NoToAll, Cancel };

// One side of a replace question: a file on disk, an archive entry or a file to be added.
struct TFileFacts {
  std::string Name;
  int64_t Size = -1;       // -1 when unknown
  int64_t Time = -1;       // Unix seconds; -1 when unknown
  std::string Attributes;  // the attribute text, upper-cased; shown only while adding
};

enum class TReplaceKind : uint8_t {
  ExtractTarget,  // extracting: Existing is the file on disk, Incoming the archive entry
  ArchiveEntry,   // adding: Existing is the stored entry, Incoming the file to add
};

struct TReplaceQuestion {
  TReplaceKind Kind = TReplaceKind::ExtractTarget;
  TFileFacts Existing;
  TFileFacts Incoming;
};

// Yes, No, YesToAll or NoToAll. With Yes, a non-empty NewName extracts the entry under that
// name instead (file name or path; ExtractTarget only).
struct TReplaceReply {
  TAnswer Answer = TAnswer::No;
  std::string NewName;
};

// Yes with the edited name, No (keep the file out), or NoToAll ("Not to All": keep it out
// and ask no more in this run).
struct TNameReply {
  TAnswer Answer = TAnswer::No;
  std::string Name;
};

enum class TDiskRequest : uint8_t { First, Last, Next };

struct TDiskSpace {
  std::string Drive;
  int64_t DiskSize = 0;
  int64_t FreeSpace = 0;
  int64_t RequiredSpace = 0;
};

enum class TNotice : uint8_t {
  DiskTooSmall,  // Detail: the drive
  Error,         // Detail: the text to show
};

class IPrompter {
 public:
  virtual ~IPrompter() = default;

  // A target or an archive entry exists already.
  virtual TReplaceReply AskReplace(const TReplaceQuestion& question) = 0;
  // A file to add has the stored name of an entry that stays: `proposal` is offered.
  virtual TNameReply AskNewName(const std::string& storedName, const std::string& proposal) = 0;
  // A password for `fileName`; `current` pre-fills the box. Nothing when cancelled.
  virtual std::optional<std::string> AskPassword(const std::string& fileName,
                                                 const std::string& current) = 0;
  // Where volume `number` is; `volumeName` is the proposed path. Nothing when cancelled.
  virtual std::optional<std::string> AskVolume(const std::string& volumeName, int number) = 0;
  // Insert a disk of a spanned set (`label` names the next disk): true for OK.
  virtual bool AskDisk(TDiskRequest request, const std::string& label) = 0;
  // The disk lacks free space: true when the user has cleared it (OK).
  virtual bool AskClearDisk(const TDiskSpace& space) = 0;
  virtual void ShowNotice(TNotice notice, const std::string& detail) = 0;
  // The archive is read-only: true to write it anyway.
  virtual bool AskWriteReadOnly(const std::string& archive) = 0;
  // `protectedDir` cannot be written: a folder to use instead, starting at `proposedDir`.
  virtual std::optional<std::string> AskUserFolder(const std::string& protectedDir,
                                                   const std::string& proposedDir) = 0;
  // The ZIP archive's central directory and end record are missing: true to read it anyway.
  virtual bool AskCorruptHeader(const std::string& archive) = 0;
  // `fileName` (inside a GZIP or BZIP2 file) holds a TAR: true to extract its files too.
  virtual bool AskNestedTar(const std::string& fileName) = 0;
  // A single-file writer's output exists: Yes, No, Cancel or YesToAll.
  virtual TAnswer AskOutputExists(const std::string& fileName) = 0;
};

}  // namespace vk::app
