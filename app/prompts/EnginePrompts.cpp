#include "app/prompts/EnginePrompts.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>

#include "engine/base/DateTime.h"
#include "engine/base/Messages.h"
#include "engine/compress/CompressClass.h"
#include "engine/extract/UnBase.h"
#include "engine/list/EntryText.h"
#include "engine/list/Quell.h"

namespace vk::app {
namespace {

// A damaged ZIP this small holds nothing worth reading from its local headers.
constexpr int64_t kSmallestAskedArchive = 100;

TFileFacts DiskFacts(const std::string& path) {
  TFileFacts facts;
  facts.Name = path;
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    facts.Size = st.st_size;
    facts.Time = st.st_mtime;
  }
  return facts;
}

std::string UpperAttributes(const qel::TZipCommon& sender, int attr) {
  std::string text = qel::GetAttrText(sender.ArcType(), uint32_t(attr), ' ');
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return char(std::toupper(c)); });
  return text;
}

int64_t FileSize(const std::string& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  return ec ? -1 : int64_t(size);
}

}  // namespace

void TEnginePrompts::AttachCommon(qel::TZipCommon& c) {
  c.OnGetPassword = [this](qel::TZipCommon&, const std::string& fileName, std::string& password,
                           qel::TSeedKeyRecord&, qel::TSeedKeyRecord&,
                           bool& tryAgain) { GetPassword(fileName, password, tryAgain); };
  c.OnNextVolume = [this](qel::TZipCommon&, std::string& volumeName, int volumeID, bool exists,
                          bool& cancel) {
    if (exists) return;
    std::optional<std::string> path = prompter_.AskVolume(volumeName, volumeID);
    cancel = !path;
    if (path) volumeName = *path;
  };
  // The lister and the ZIP writer expect the disk to be in the drive already.
  c.OnInsertDisk = [](qel::TZipCommon&, const std::string&, bool& cancel) { cancel = false; };
  c.OnGetZipFirstDisk = [this](qel::TZipCommon&, bool& cancel) {
    cancel = !prompter_.AskDisk(TDiskRequest::First, "");
  };
  c.OnGetZipLastDisk = [this](qel::TZipCommon&, bool& cancel) {
    cancel = !prompter_.AskDisk(TDiskRequest::Last, "");
  };
  c.OnGetZipNextDisk = [this](qel::TZipCommon&, const std::string& label, bool& cancel) {
    cancel = !prompter_.AskDisk(TDiskRequest::Next, label);
  };
  c.OnLimitedUser = [this](qel::TZipCommon&, const std::string& protectedDir, std::string& userDir,
                           bool& cancel) { LimitedUser(protectedDir, userDir, cancel); };
  c.OnCorruptZipHeader = [this](qel::TZipCommon& sender, qel::THeaderTypeState flags,
                                bool& cancel) { CorruptHeader(sender, flags, cancel); };
}

void TEnginePrompts::AttachReader(qel::TDecompressClass& reader) {
  AttachCommon(reader);
  reader.OnFileExists = [this](qel::TZipCommon& sender, const std::string& fileName,
                               std::string& newName, qel::TOverwriteMode& mode) {
    FileExists(sender, fileName, newName, mode);
  };
  reader.OnNestedTarFile = [this](qel::TZipCommon&, const std::string& fileName, bool& extract) {
    extract = ExtractNestedTar(fileName);
  };
}

void TEnginePrompts::AttachLister(qel::TCustomQuell& lister) { AttachCommon(lister); }

void TEnginePrompts::AttachTester(qel::TZipCommon& tester) { AttachCommon(tester); }

void TEnginePrompts::AttachWriter(qel::TCompressClass& writer) {
  AttachCommon(writer);
  writer.OnReplaceFile = [this](qel::TZipCommon& sender, const std::string& storedName,
                                const std::string& newFile, qel::TDateTime date,
                                qel::TDateTime newDate, int64_t size, int64_t newSize, int attr,
                                int newAttr, bool& replace) {
    ReplaceFile(sender, storedName, newFile, date, newDate, size, newSize, attr, newAttr, replace);
  };
  writer.OnRenameDupeFile = [this](qel::TZipCommon&, const std::string& storedName,
                                   std::string& newName,
                                   bool& rename) { RenameDupe(storedName, newName, rename); };
  AttachReadOnlyQuestion(writer);
  writer.OnClearDisk = [this](qel::TZipCommon&, const std::string& drive, bool& cancel,
                              int64_t diskSize, int64_t freeSpace, int64_t requiredSpace) {
    ClearDisk(drive, cancel, diskSize, freeSpace, requiredSpace);
  };
}

void TEnginePrompts::AttachEditor(qel::TZipCommon& editor) {
  AttachCommon(editor);
  AttachReadOnlyQuestion(editor);
}

void TEnginePrompts::AttachReadOnlyQuestion(qel::TZipCommon& c) {
  c.OnNonWriteableArchive = [this](qel::TZipCommon&, const std::string& archive,
                                   bool& writeToFile) {
    writeToFile = prompter_.AskWriteReadOnly(archive);
  };
}

void TEnginePrompts::AttachSingleFileWriter(qel::TZipCommon& writer) {
  AttachCommon(writer);
  writer.OnFileExists = [this](qel::TZipCommon& sender, const std::string& fileName, std::string&,
                               qel::TOverwriteMode& mode) { OutputExists(sender, fileName, mode); };
}

void TEnginePrompts::BeginExtraction() {
  memory_.AskOverwrite = true;
  memory_.SkipAllExisting = false;
}

void TEnginePrompts::WriterActivated(bool secondPass) {
  if (secondPass) return;
  memory_.ReplaceAll = false;
  memory_.SkipAll = false;
  memory_.RenameNone = false;
}

void TEnginePrompts::ForgetPassword() { memory_.LastPassword.clear(); }

bool TEnginePrompts::ExtractNestedTar(const std::string& fileName) {
  return autoTar_ || prompter_.AskNestedTar(fileName);
}

void TEnginePrompts::FileExists(qel::TZipCommon& sender, const std::string& fileName,
                                std::string& newName, qel::TOverwriteMode& mode) {
  if (!memory_.AskOverwrite) {
    mode = AnswerForAll(sender);
    return;
  }
  TReplaceQuestion q;
  q.Kind = TReplaceKind::ExtractTarget;
  q.Existing = DiskFacts(fileName);
  if (const auto* reader = dynamic_cast<const qel::TUnBase*>(&sender)) {
    q.Incoming.Name = reader->CurrentEntry().StoredName;
    q.Incoming.Size = reader->CurrentEntry().UnpackedSize;
    q.Incoming.Time = reader->CurrentEntryTime();
  }
  const TReplaceReply reply = prompter_.AskReplace(q);
  const bool all = reply.Answer == TAnswer::YesToAll || reply.Answer == TAnswer::NoToAll;
  const bool overwrite = reply.Answer == TAnswer::Yes || reply.Answer == TAnswer::YesToAll;
  mode = overwrite ? qel::TOverwriteMode::omOverwrite : qel::TOverwriteMode::omSkip;
  if (reply.Answer == TAnswer::Yes) newName = reply.NewName;
  if (all) {
    memory_.SkipAllExisting = !overwrite;
    memory_.AskOverwrite = false;
    AnswerForAll(sender);
  }
}

qel::TOverwriteMode TEnginePrompts::AnswerForAll(qel::TZipCommon& sender) const {
  const qel::TOverwriteMode mode =
      memory_.SkipAllExisting ? qel::TOverwriteMode::omSkip : qel::TOverwriteMode::omOverwrite;
  // Without confirmation the reader goes by its own mode: it must say the same, or "No to
  // All" would overwrite every later file.
  sender.ConfirmOverwrites = false;
  if (auto* reader = dynamic_cast<qel::TDecompressClass*>(&sender)) reader->OverwriteMode = mode;
  return mode;
}

void TEnginePrompts::OutputExists(qel::TZipCommon& sender, const std::string& fileName,
                                  qel::TOverwriteMode& mode) {
  const TAnswer answer = prompter_.AskOutputExists(fileName);
  mode = answer == TAnswer::Yes || answer == TAnswer::YesToAll ? qel::TOverwriteMode::omOverwrite
                                                               : qel::TOverwriteMode::omSkip;
  if (answer == TAnswer::YesToAll) sender.ConfirmOverwrites = false;
  if (answer == TAnswer::Cancel) sender.SetCancel(true);
}

void TEnginePrompts::ReplaceFile(qel::TZipCommon& sender, const std::string& storedName,
                                 const std::string& newFile, qel::TDateTime date,
                                 qel::TDateTime newDate, int64_t size, int64_t newSize, int attr,
                                 int newAttr, bool& replace) {
  // A put-back replaces silently without deciding for the rest of the run.
  if (!memory_.InteractiveAdd || memory_.ReplaceAll) {
    replace = true;
    return;
  }
  // The writer's own answer (keep the entry) stands.
  if (memory_.SkipAll) return;
  TReplaceQuestion q;
  q.Kind = TReplaceKind::ArchiveEntry;
  q.Existing = {storedName, size, qel::DateTimeToUnix(date), UpperAttributes(sender, attr)};
  q.Incoming = {newFile, newSize, qel::DateTimeToUnix(newDate), UpperAttributes(sender, newAttr)};
  switch (prompter_.AskReplace(q).Answer) {
    case TAnswer::YesToAll:
      memory_.ReplaceAll = true;
      [[fallthrough]];
    case TAnswer::Yes:
      replace = true;
      break;
    case TAnswer::NoToAll:
      memory_.SkipAll = true;
      [[fallthrough]];
    default:
      replace = false;
  }
}

void TEnginePrompts::RenameDupe(const std::string& storedName, std::string& newName, bool& rename) {
  rename = false;
  if (memory_.RenameNone) return;
  const TNameReply reply = prompter_.AskNewName(storedName, newName);
  if (reply.Answer == TAnswer::NoToAll) memory_.RenameNone = true;
  if (reply.Answer != TAnswer::Yes) return;
  newName = reply.Name;
  rename = true;
}

void TEnginePrompts::GetPassword(const std::string& fileName, std::string& password,
                                 bool& tryAgain) {
  // `password` is what the asking reader holds now (a tester's own stays empty).
  if (password.empty() && !memory_.LastPassword.empty()) {
    password = memory_.LastPassword;
    tryAgain = true;
    return;
  }
  std::optional<std::string> answer = prompter_.AskPassword(fileName, password);
  tryAgain = answer.has_value();
  if (!answer) return;
  password = *answer;
  memory_.LastPassword = *answer;
}

void TEnginePrompts::CorruptHeader(qel::TZipCommon& sender, qel::THeaderTypeState flags,
                                   bool& cancel) {
  const bool ask = !flags.Has(qel::THeaderType::htCentral) &&
                   !flags.Has(qel::THeaderType::htEnding) &&
                   FileSize(sender.ArchiveFile()) >= kSmallestAskedArchive;
  if (ask) cancel = !prompter_.AskCorruptHeader(sender.ArchiveFile());
  // A stop here extracts, tests or lists nothing: said, so that it is not taken for an
  // empty archive.
  if (cancel)
    sender.DoError(sender.ArchiveFile(), "", qel::msg::BadFileHeader, sender.ArchiveFile());
}

void TEnginePrompts::LimitedUser(const std::string& protectedDir, std::string& userDir,
                                 bool& cancel) {
  std::string proposed = userDir;
  if (proposed.empty()) {
    const char* home = std::getenv("HOME");
    proposed = home ? home : "";
  }
  std::optional<std::string> chosen = prompter_.AskUserFolder(protectedDir, proposed);
  cancel = !chosen;
  if (chosen) userDir = *chosen;
}

void TEnginePrompts::ClearDisk(const std::string& drive, bool& cancel, int64_t diskSize,
                               int64_t freeSpace, int64_t requiredSpace) {
  if (diskSize < requiredSpace) {
    // No clearing helps: asking again would only show the notice again.
    prompter_.ShowNotice(TNotice::DiskTooSmall, drive);
    cancel = true;
    return;
  }
  if (freeSpace >= requiredSpace) {
    cancel = false;
    return;
  }
  cancel = !prompter_.AskClearDisk({drive, diskSize, freeSpace, requiredSpace});
}

}  // namespace vk::app
