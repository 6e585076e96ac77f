#include "engine/base/ZipCommon.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "engine/base/DateTime.h"
#include "engine/base/FileSystem.h"
#include "engine/base/Messages.h"
#include "platform/Drives.h"

namespace qel {
namespace fs = std::filesystem;

namespace {

// A handler that keeps naming a volume or folder that is not there would otherwise be
// asked for ever; past this many answers in a row the request fails.
constexpr int kMaxRetries = 64;

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

bool IsFolder(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

uint8_t Percent(int64_t total, int64_t done) {
  if (total <= 0) return 0;
  double p = std::nearbyint(double(done) * 100.0 / double(total));
  return uint8_t(std::clamp(p, 0.0, 100.0));
}

}  // namespace

TZipCommon::TZipCommon() : Drives(&platform::SystemDrives()) {}

TZipCommon::~TZipCommon() = default;

// --- The archive and its type ---

void TZipCommon::ResetDetection() {
  FHeaderOffset = -1;
  FOffsetAdjust = 0;
  FHeadFlag = THeaderTypeState();
  FArchiveSize = 0;
  FArchiveDate = kDosDateFallback;
  FFindings.reset();
}

void TZipCommon::Keep(TDetectResult&& found) {
  FHeaderOffset = found.HeaderOffset;
  FOffsetAdjust = found.OffsetAdjust;
  FHeadFlag = found.HeadFlag;
  FArchiveSize = found.ArchiveSize;
  FFindings = std::move(found.Findings);
}

TArcType TZipCommon::GetArcType(TStream64& stream) {
  TDetectResult result;
  const TArcType type = DetectArchiveStream(*this, stream, result);
  Keep(std::move(result));
  return type;
}

void TZipCommon::SetArchiveFile(const WideString& name) {
  ResetDetection();
  FArcType = atNA;
  FArchiveFile = name;
  if (name.empty()) return;
  if (!Exists(name)) {
    FArchiveFile.clear();
    return;
  }
  TDetection found;
  try {
    found = DetectArchiveFile(*this);
  } catch (const std::exception&) {
    FArcType = atNA;
    throw E_RAISE(msg::ErrorOpeningFile,
                  std::string(MessageText(msg::ErrorOpeningFile)) + " " + name);
  }
  if (!found.Opened) {
    if (OnError) DoError(name, "", msg::ErrorOpeningFile, "");
    return;
  }
  FArcType = found.Type;
  Keep(std::move(found.Result));
  FArchiveDate = found.CreationTime >= 0 ? UnixToDosDateTime(found.CreationTime) : kDosDateFallback;
}

void TZipCommon::SetArchiveName(const WideString& name) {
  ResetDetection();
  FArchiveFile = name;
  FCancel.store(0);
}

void TZipCommon::SetArcType(TArcType type) {
  if (FArchiveFile.empty()) {
    FArcType = type;
    return;
  }
  TDetection found = DetectArchiveFile(*this);
  FArcType = found.Opened ? found.Type : atFileOpenErr;
  if (found.Opened) Keep(std::move(found.Result));
}

// --- Settings with side effects ---

void TZipCommon::SetPassword(const AnsiString& value) {
  FPassword = value;
  if (value.empty())
    EncryptionMethod = TEncryptionMethod::emNone;
  else if (EncryptionMethod == TEncryptionMethod::emNone)
    EncryptionMethod = TEncryptionMethod::emZip_V2;
}

WideString TZipCommon::TempDir() {
  if (FTempDir.empty() || !IsFolder(FTempDir)) FTempDir = SystemTempFolder();
  return FTempDir;
}

void TZipCommon::SetTempDir(const WideString& folder) {
  FTempDir = !folder.empty() && IsFolder(folder) ? WithTrailingSlash(folder) : SystemTempFolder();
}

// --- Cancellation and reporting ---

void TZipCommon::SetCancel(bool value) {
  FCancel.store(value ? 1 : 0);
  if (value) DoError(FileName, "", msg::UserCanceled, FArchiveFile);
}

void TZipCommon::ReportUnexpected(const WideString& what) {
  DoError(FileName, what, msg::UnknownError, "");
}

void TZipCommon::DoError(const WideString& fileName, const WideString& extendedMsg, int code,
                         const WideString& volumeID) {
  if (Cancel() && code != msg::AccessPermissions && code != msg::RegistryPermissions)
    code = msg::UserCanceled;
  if (!OnError) return;
  Timer.Pause();
  OnError(*this, fileName, extendedMsg, volumeID, code);
  Timer.Resume();
}

void TZipCommon::ReportAndRaise(const WideString& fileName, int code, const WideString& extendedMsg,
                                const WideString& volumeID) {
  DoError(fileName, extendedMsg, code, volumeID);
  if (Cancel()) throw ECancelled();
  throw E_RAISE(code, std::string(MessageText(code)));
}

void TZipCommon::ReportProgress(int64_t fileTotal, int64_t fileDone, int64_t archiveTotal,
                                int64_t archiveDone) {
  if (!OnProgress) return;
  try {
    OnProgress(*this, Percent(fileTotal, fileDone), Percent(archiveTotal, archiveDone));
  } catch (...) {
    // A progress display that fails must not stop the archive work.
  }
}

// --- Volumes and folders ---

bool TZipCommon::RequestNextVolume(WideString& volumeName, int volumeID) {
  if (volumeID >= 1000) {
    DoError(volumeName, "", msg::MaximumVolumes, volumeName);
    return false;
  }
  if (volumeName.empty()) {
    DoError(volumeName, "", msg::InvalidFileName, "");
    return false;
  }
  if (fs::path(volumeName).parent_path().empty()) {
    std::error_code ec;
    volumeName = (fs::current_path(ec) / volumeName).string();
  }
  if (!OnNextVolume) {
    // Nobody to ask: a volume that is not there is missing.
    if (!Exists(volumeName)) {
      DoError(volumeName, "", msg::FileNotFound, volumeName);
      return false;
    }
    ++VolumeCounter;
    return true;
  }
  for (int asked = 0;; ++asked) {
    if (asked == kMaxRetries) {
      DoError(volumeName, "", msg::FileNotFound, volumeName);
      return false;
    }
    bool cancel = false;
    Timer.Pause();
    OnNextVolume(*this, volumeName, volumeID, Exists(volumeName), cancel);
    Timer.Resume();
    if (cancel) {
      SetCancel(true);
      RestoreSavedEndPosition();
      return false;
    }
    if (Exists(volumeName)) break;
  }
  ++VolumeCounter;
  return true;
}

bool TZipCommon::ApproveReplace(const WideString& target) {
  std::error_code ec;
  const fs::file_status status = fs::symlink_status(target, ec);
  if (!fs::exists(status)) return true;
  // A folder is never replaced by a file.
  if (fs::is_directory(status)) ReportAndRaise(target, msg::FileIsDirectory, "", "");
  if (!OnFileExists) ReportAndRaise("OnFileExists", msg::RequiredEventNotAssigned, "", "");
  WideString newName = target;
  TOverwriteMode mode = TOverwriteMode::omSkip;
  OnFileExists(*this, target, newName, mode);
  return mode == TOverwriteMode::omOverwrite;
}

bool TZipCommon::CheckWriteAccess(WideString& folder) {
  if (!CheckLimitedUser) return true;
  for (int asked = 0; !CanCreateFilesIn(folder);) {
    if (!OnLimitedUser) {
      DoError("", "OnLimitedUser/Permissions", msg::RequiredEventNotAssigned, FArchiveFile);
      return false;
    }
    for (;; ++asked) {
      if (asked == kMaxRetries) {
        DoError(folder, "", msg::AccessPermissions, "");
        return false;
      }
      WideString userDir;
      bool cancel = false;
      Timer.Pause();
      OnLimitedUser(*this, folder, userDir, cancel);
      Timer.Resume();
      if (cancel) {
        DoError(folder, "", msg::AccessPermissions, "");
        return false;
      }
      userDir = WithTrailingSlash(userDir);
      if (IsFolder(userDir)) {
        folder = userDir;
        ++asked;  // an existing folder may still refuse files: it counts as an answer too
        break;
      }
      DoError(userDir, "", msg::InvalidDirectory, "");
    }
  }
  return true;
}

// --- Operations ---

void TZipCommon::BeginOperation() {
  FCancel.store(0);
  if (OnActivate) OnActivate(*this);
  if (OnElapsedTime) Timer.Start();
}

void TZipCommon::EndOperation() {
  Timer.Stop();
  if (OnDeactivate) OnDeactivate(*this);
  if (OnElapsedTime) OnElapsedTime(*this, Timer.Elapsed());
}

}  // namespace qel
