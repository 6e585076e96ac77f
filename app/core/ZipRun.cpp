#include "app/core/ZipRun.h"

#include <sys/stat.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <memory>

#include "app/core/CommandRules.h"
#include "app/core/Readers.h"
#include "app/core/TempFiles.h"
#include "engine/extract/DecompressClass.h"
#include "engine/extract/UnBase.h"
#include "engine/registry/Formats.h"

namespace vk::app {

bool TZipRun::Run() {
  launchError_.clear();
  if (!Extract()) return false;
  bool go = true;
  if (OnBeforeExecute) OnBeforeExecute(*this, extractedFile_, go);
  if (!go) return false;
  return Launcher(LaunchOf(extractedFile_), launchError_);
}

bool TZipRun::Extract() {
  extractFolder_.clear();
  extractedFile_.clear();
  password_.clear();
  encryption_ = qel::TEncryptionMethod::emNone;
  if (!qel::ReaderFor(ArcType)) return false;
  extractFolder_ = MakeOwnTempFolder(QString::fromStdString(TempDir), QStringLiteral("run"));
  if (extractFolder_.isEmpty()) return false;

  std::unique_ptr<qel::TDecompressClass> reader = OpenReader(ArcType, ArchiveFile, OnPrepareReader);
  if (!reader || !ReadsListedType(*reader, ArcType)) return false;
  reader->SetExtractDir(extractFolder_.toStdString());
  reader->SetTempDir(TempDir);
  reader->FileSpec = FileSpec;
  reader->ExcludeSpec = ExcludeSpec;
  reader->Passwords = Passwords;
  reader->SeedDataKeys = SeedDataKeys;
  reader->SeedHeaderKeys = SeedHeaderKeys;
  reader->RecurseDirs = RecurseDirs;
  reader->UseStoredDirs = true;
  reader->CreateStoredDirs = true;
  reader->ZipCmntBufSize = 32000;
  const qel::TEndEvent ownerEnd = reader->OnEnd;
  const auto* unBase = dynamic_cast<const qel::TUnBase*>(reader.get());
  reader->OnEnd = [this, &ownerEnd, unBase](qel::TZipCommon& sender, const std::string& file,
                                            bool pass) {
    if (pass && extractedFile_.isEmpty()) {
      extractedFile_ = QString::fromStdString(file);
      if (unBase) encryption_ = unBase->CurrentEntry().Encryption;
    }
    if (ownerEnd) ownerEnd(sender, file, pass);
  };
  reader->Extract();
  password_ = reader->Password();
  if (!extractedFile_.isEmpty() && QFileInfo(extractedFile_).isRelative())
    extractedFile_ = extractFolder_ + extractedFile_;
  return !extractedFile_.isEmpty() && QFileInfo(extractedFile_).isFile();
}

TLaunch TZipRun::LaunchOf(const QString& file) const {
  TLaunch launch;
  launch.File = file;
  launch.Wait = ExecutionMethod == TExecutionMethod::emExecuteAndWait;
  switch (OpenMethod) {
    case TOpenMethod::omCmdLine:
      launch.Program = file;
      launch.Arguments = QProcess::splitCommand(CommandLineParams);
      break;
    case TOpenMethod::omOpenWithFile:
      if (const QStringList command = ViewerCommand(CommandLineParams, file); !command.isEmpty()) {
        launch.Program = command.first();
        launch.Arguments = command.mid(1);
      }
      break;
    case TOpenMethod::omRegistryAssoc:
    case TOpenMethod::omOpenWith:
      break;
  }
  return launch;
}

std::optional<int64_t> FileAge(const QString& file) {
  struct stat st {};
  if (::stat(QFile::encodeName(file).constData(), &st) != 0) return std::nullopt;
  return int64_t(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
}

bool ShouldPutBack(qel::TArcType type, std::optional<int64_t> recordedAge,
                   std::optional<int64_t> currentAge) {
  const bool zip = type == qel::atZip || type == qel::atZipExe;
  return zip && recordedAge && currentAge && *recordedAge != *currentAge;
}

}  // namespace vk::app
