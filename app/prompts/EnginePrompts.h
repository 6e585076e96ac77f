// TEnginePrompts: the application's answers to the questions engine components ask, with
// the memory of "to all" answers that lasts for one run. One handler set serves every
// reader, one every writer, one the lister; the answers themselves come from an IPrompter.
// Every cancelled question becomes the engine's cancel or skip answer; nothing raises.
#pragma once

#include <cstdint>
#include <string>

#include "app/prompts/Prompter.h"
#include "engine/base/HeaderType.h"
#include "engine/base/Types.h"

namespace qel {
class TZipCommon;
class TDecompressClass;
class TCompressClass;
class TCustomQuell;
}  // namespace qel

namespace vk::app {

// The answers remembered for the rest of a run.
struct TAnswerMemory {
  bool AskOverwrite = true;      // extracting: ask for each existing target
  bool SkipAllExisting = false;  // extracting, once AskOverwrite is off: skip (else overwrite)
  bool ReplaceAll = false;       // adding: replace remaining entries without asking
  bool SkipAll = false;          // adding: keep remaining entries without asking
  bool RenameNone = false;       // adding: offer no new names for duplicates
  bool InteractiveAdd = true;    // false while an edited file is put back: replace silently
  std::string LastPassword;      // given to the next component that has none
};

class TEnginePrompts {
 public:
  explicit TEnginePrompts(IPrompter& prompter) : prompter_(prompter) {}

  const TAnswerMemory& Memory() const { return memory_; }

  // --- Attaching: sets the question events; activation and errors stay the owner's. ---
  // Extraction and test: existing targets, passwords, volumes, disks, damaged ZIP
  // headers, unwritable folders.
  void AttachReader(qel::TDecompressClass& reader);
  // Adding, moving, deleting: replaced entries, duplicate names, disks, a read-only
  // archive, unwritable folders.
  void AttachWriter(qel::TCompressClass& writer);
  // Listing: passwords, volumes, disks, damaged ZIP headers.
  void AttachLister(qel::TCustomQuell& lister);
  // Testing: the same questions; nothing is written, so no target exists.
  void AttachTester(qel::TZipCommon& tester);
  // Renaming inside an archive: a read-only archive, passwords of enciphered headers.
  void AttachEditor(qel::TZipCommon& editor);
  // GZIP, BZIP2, UU and the TAR pairs: their output file exists.
  void AttachSingleFileWriter(qel::TZipCommon& writer);

  // --- The run's boundaries. ---
  // Every extraction command (extract, drag-out, check-out, install) before it runs; the
  // command also sets the reader's ConfirmOverwrites and OverwriteMode, which a "to all"
  // answer changes for the rest of the run.
  void BeginExtraction();
  // From the writer's OnActivate: a new run forgets the adding answers, except on the
  // second pass of a two-pass add (folders after files), which goes on with them.
  void WriterActivated(bool secondPass);
  // Off while an edited file is put back into its archive.
  void SetInteractiveAdd(bool interactive) { memory_.InteractiveAdd = interactive; }
  // When an archive is opened and after every error a component reports, a repeated one
  // too: a wrong password is reported for each attempt, and only forgetting it makes the
  // next attempt ask the user instead of giving the same password again.
  void ForgetPassword();

  // A TAR inside a GZIP or BZIP2 file: its members are extracted when AutoTar is on, else
  // when the user says so (otherwise the TAR itself is).
  void SetAutoTar(bool on) { autoTar_ = on; }
  bool ExtractNestedTar(const std::string& fileName);

 private:
  void AttachCommon(qel::TZipCommon& component);
  void AttachReadOnlyQuestion(qel::TZipCommon& component);
  void FileExists(qel::TZipCommon& sender, const std::string& fileName, std::string& newName,
                  qel::TOverwriteMode& mode);
  // The answer remembered for all existing targets, given to the reader for the rest of
  // its run too.
  qel::TOverwriteMode AnswerForAll(qel::TZipCommon& sender) const;
  void OutputExists(qel::TZipCommon& sender, const std::string& fileName,
                    qel::TOverwriteMode& mode);
  void ReplaceFile(qel::TZipCommon& sender, const std::string& storedName,
                   const std::string& newFile, qel::TDateTime date, qel::TDateTime newDate,
                   int64_t size, int64_t newSize, int attr, int newAttr, bool& replace);
  void RenameDupe(const std::string& storedName, std::string& newName, bool& rename);
  void GetPassword(const std::string& fileName, std::string& password, bool& tryAgain);
  void CorruptHeader(qel::TZipCommon& sender, qel::THeaderTypeState flags, bool& cancel);
  void LimitedUser(const std::string& protectedDir, std::string& userDir, bool& cancel);
  void ClearDisk(const std::string& drive, bool& cancel, int64_t diskSize, int64_t freeSpace,
                 int64_t requiredSpace);

  IPrompter& prompter_;
  TAnswerMemory memory_;
  bool autoTar_ = true;
};

}  // namespace vk::app
