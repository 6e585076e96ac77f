// TZipRun: extracts one entry of an archive into a private temporary folder and hands the
// file to a program: the desktop's program for its type, or a viewer. The folder is made
// new for every run, readable by the user alone (the entry may have been decrypted), and
// noted as this process's own so that its clean-up at exit removes it; it is not removed
// earlier, as a program that was not waited for may still be reading the file.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/core/ProgramLauncher.h"
#include "engine/base/ArcType.h"
#include "engine/base/SeedKeys.h"
#include "engine/base/Types.h"

namespace qel {
class TDecompressClass;
}

namespace vk::app {

enum class TExecutionMethod { emExecuteNoWait, emExecuteAndWait };
// omCmdLine runs the extracted file itself with CommandLineParams as its arguments;
// omOpenWith has no desktop-wide chooser here and falls to the desktop's program;
// omOpenWithFile runs the program CommandLineParams names with the file.
enum class TOpenMethod { omRegistryAssoc, omCmdLine, omOpenWith, omOpenWithFile };

class TZipRun {
 public:
  std::string ArchiveFile;
  qel::TArcType ArcType = qel::atNA;  // as the lister found it; picks the reader
  qel::TStrings FileSpec;
  qel::TStrings ExcludeSpec;
  qel::TStrings Passwords;
  qel::TSeedKeys SeedDataKeys = qel::kDefaultDataKeys;
  qel::TSeedKeys SeedHeaderKeys = qel::kDefaultHeaderKeys;
  bool RecurseDirs = false;
  std::string TempDir;  // the private folder is made below it
  QString CommandLineParams;
  TExecutionMethod ExecutionMethod = TExecutionMethod::emExecuteAndWait;
  TOpenMethod OpenMethod = TOpenMethod::omRegistryAssoc;

  // The owner's part of the reader before it runs: question handlers, progress, errors.
  std::function<void(qel::TDecompressClass& reader)> OnPrepareReader;
  // The extracted file, before it is handed over; clearing Continue stops there.
  std::function<void(TZipRun& Sender, const QString& file, bool& Continue)> OnBeforeExecute;
  TLauncher Launcher = LaunchProgram;

  // Extracts the first entry FileSpec names and hands it over. False when the type has no
  // reader, nothing was extracted, OnBeforeExecute stopped it, or the program could not be
  // started (LaunchError says why).
  bool Run();

  // What the last run left: its folder (ends with "/"), the extracted file, the password
  // the reader held at the end (the one that opened an encrypted entry).
  const QString& ExtractFolder() const { return extractFolder_; }
  const QString& ExtractedFile() const { return extractedFile_; }
  const std::string& Password() const { return password_; }
  // How the extracted entry was enciphered (emNone when it was not).
  qel::TEncryptionMethod Encryption() const { return encryption_; }
  const QString& LaunchError() const { return launchError_; }

 private:
  bool Extract();
  TLaunch LaunchOf(const QString& file) const;

  QString extractFolder_;
  QString extractedFile_;
  std::string password_;
  qel::TEncryptionMethod encryption_ = qel::TEncryptionMethod::emNone;
  QString launchError_;
};

// A file's modification time in nanoseconds; none when it does not exist.
std::optional<int64_t> FileAge(const QString& file);

// Whether a viewed entry is offered to be put back: only a ZIP archive, whose viewer was
// waited for, and only when the file recorded before the viewer ran is still there with
// another modification time.
bool ShouldPutBack(qel::TArcType type, std::optional<int64_t> recordedAge,
                   std::optional<int64_t> currentAge);

}  // namespace vk::app
