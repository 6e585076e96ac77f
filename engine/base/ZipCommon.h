// TZipCommon: the common ancestor of every archive component (lister, readers, writers
// and the tools built on them). It owns what they share: the archive and its detected
// type, the event set through which the application answers questions, error reporting,
// cancellation, progress, the elapsed-time timer, the temporary folder, the write-access
// check and the next-volume request.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/base/ArcType.h"
#include "engine/base/ArchiveDetection.h"
#include "engine/base/Errors.h"
#include "engine/base/Events.h"
#include "engine/base/HeaderType.h"
#include "engine/base/SeedKeys.h"
#include "engine/base/Timer.h"
#include "engine/base/Types.h"

namespace qel {

namespace platform {
class IDriveProbe;
}
class TStream64;

class TZipCommon {
 public:
  TZipCommon();
  virtual ~TZipCommon();
  TZipCommon(const TZipCommon&) = delete;
  TZipCommon& operator=(const TZipCommon&) = delete;

  // --- Events. Each component fires the ones its operations need. ---
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TBeginEvent OnBegin;
  TEndEvent OnEnd;
  TProgressEvent OnProgress;
  TErrorEvent OnError;
  TElapsedTimeEvent OnElapsedTime;
  TGetPasswordEvent OnGetPassword;
  TNextVolumeEvent OnNextVolume;
  TInsertDiskEvent OnInsertDisk;
  TGetZipDiskEvent OnGetZipFirstDisk;
  TGetZipDiskEvent OnGetZipLastDisk;
  TGetZipNextDiskEvent OnGetZipNextDisk;
  TLimitedUserEvent OnLimitedUser;
  TFileNameEvent OnExcludeFile;
  TRenameFileEvent OnRenameFile;
  TFileExistsEvent OnFileExists;
  TReplaceFileEvent OnReplaceFile;
  TRenameDupeFileEvent OnRenameDupeFile;
  TDeleteFileEvent OnDeleteFile;
  TNonWriteableArchiveEvent OnNonWriteableArchive;
  TClearDiskEvent OnClearDisk;
  TDiskErrorEvent OnDiskInDrvErr;
  TDiskErrorEvent OnDiskWriteProtectErr;
  TDiskSpanFileExistsEvent OnDiskSpanFileExists;
  TProgressEvent OnTmpFileProgress;
  TTmpFileMoveBeginEvent OnTmpFileMoveBegin;
  TNotifyEvent OnTmpFileMoveEnd;
  TCreateDirectoryEvent OnCreateDirectory;
  TFileNameEvent OnRecurseDir;
  TScanFileEvent OnFileScanStatus;
  TCorruptZipHeaderEvent OnCorruptZipHeader;

  // --- The archive and its detected type. ---
  const WideString& ArchiveFile() const { return FArchiveFile; }
  // Readers and the lister detect the type of the file named; a missing or unreadable
  // file leaves atNA and an empty name. Writers override this to fix their own type.
  virtual void SetArchiveFile(const WideString& name);
  TArcType ArcType() const { return FArcType; }
  // With a file assigned, the type is detected again (atFileOpenErr when the file cannot
  // be opened); without one, the value is taken as given.
  virtual void SetArcType(TArcType type);
  // Detection over `stream`: fills the detection results below and returns the type
  // (ArcType itself is left alone).
  TArcType GetArcType(TStream64& stream);

  int64_t HeaderOffset() const { return FHeaderOffset; }
  int64_t OffsetAdjust() const { return FOffsetAdjust; }
  THeaderTypeState HeadFlag() const { return FHeadFlag; }
  int64_t ArchiveSize() const { return FArchiveSize; }
  uint32_t ArchiveDate() const { return FArchiveDate; }
  // What the archive's format found of its own structures while it was detected (a ZIP's
  // end records); null when it found nothing.
  const TFormatFindings* Findings() const { return FFindings.get(); }

  // --- Common settings. ---
  WideString FileName;  // the entry being processed
  const AnsiString& Password() const { return FPassword; }
  void SetPassword(const AnsiString& value);
  TStrings Passwords;
  int PasswordAttempts = 3;
  // The threads that compress and decode; 0 takes one per core.
  int Threads = 0;
  TEncryptionMethod EncryptionMethod = TEncryptionMethod::emNone;
  TSeedKeys SeedHeaderKeys = kDefaultHeaderKeys;
  TSeedKeys SeedDataKeys = kDefaultDataKeys;
  TStrings FileSpec;
  TStrings ExcludeSpec;
  bool RecurseDirs = true;
  TqelFileAttributes Attributes{TqelFileAttribute::fsZeroAttr, TqelFileAttribute::fsReadOnly,
                                TqelFileAttribute::fsArchive, TqelFileAttribute::fsCompressed,
                                TqelFileAttribute::fsEncrypted};
  TqelFileAttributes AttributesEx{TqelFileAttribute::fsReparsePoints};
  TStoredDirNames StoredDirNames = TStoredDirNames::sdRelative;
  bool UseStoredDirs = true;
  bool ShowEmptyDirs = false;
  bool IncludeHiddenDirs = false;
  TDateAttribute DateAttribute = TDateAttribute::daFileDate;
  TDeleteOptions DeleteOptions = TDeleteOptions::doAllowUndo;
  TStreamType StreamType = TStreamType::stFile;
  bool ConfirmOverwrites = false;
  bool TranslateOemChar = false;
  // The write-access check is skipped when this is off.
  bool CheckLimitedUser = true;

  // The folder for temporary files: the stored one when it exists, otherwise the
  // system temporary folder (which is then stored). Always ends with "/".
  WideString TempDir();
  void SetTempDir(const WideString& folder);

  // --- Cancellation, progress, time. ---
  bool Cancel() const { return FCancel.load() != 0; }
  // True also reports 25361 "User canceled" for the current entry.
  void SetCancel(bool value);
  int VolumeCounter = 0;
  int64_t FileBytesLeft = 0;     // bytes still to process in the current entry
  int64_t ArchiveBytesLeft = 0;  // bytes still to process in the whole operation
  TZipTimer Timer;

  // --- Collaborators the application or the tests may replace. ---
  // The drive layer used to tell spanned sets from split ones.
  platform::IDriveProbe* Drives;

  // --- Reporting. ---
  // Fires OnError (never raises). Once cancelled, every code but the two permission codes
  // reads 25361.
  void DoError(const WideString& fileName, const WideString& extendedMsg, int code,
               const WideString& volumeID);
  // DoError, then raises E_RAISE with the message text; after a cancel it unwinds with
  // ECancelled instead, so nothing goes on and nothing more is reported.
  [[noreturn]] void ReportAndRaise(const WideString& fileName, int code,
                                   const WideString& extendedMsg, const WideString& volumeID);
  // Fires OnProgress with whole percentages; exceptions from the handler are swallowed.
  void ReportProgress(int64_t fileTotal, int64_t fileDone, int64_t archiveTotal,
                      int64_t archiveDone);
  // Asks for the next volume of a set (see the definition for the protocol).
  bool RequestNextVolume(WideString& volumeName, int volumeID);
  // Whether an output the operation makes may take the name `target`: true when nothing is
  // there or OnFileExists answers overwrite. Without OnFileExists an existing target is
  // reported (25281, "OnFileExists") and raised, and so is a folder of that name (25110).
  bool ApproveReplace(const WideString& target);
  // True when files can be created in `folder`; may replace it with the user's choice.
  bool CheckWriteAccess(WideString& folder);

 protected:
  // Runs `work` as one operation: clears the cancel flag, fires OnActivate, times it, and
  // on every exit path stops the timer and fires OnDeactivate and OnElapsedTime. E_RAISE
  // and ECancelled end the operation quietly (they were reported when raised); answers
  // false when the operation ended that way.
  template <typename F>
  bool RunOperation(F&& work);
  void BeginOperation();
  void EndOperation();
  // Reports a failure that is not the engine's own ("Unknown error" with its text).
  void ReportUnexpected(const WideString& what);
  // Sets the type without detecting again: for what an operation learns about the archive
  // (a ZIP on a floppy is a spanned set's last disk).
  void ForceArcType(TArcType type) { FArcType = type; }
  // Writers name their archive without detecting it (it may not exist yet): the detection
  // results and the cancel flag are cleared.
  void SetArchiveName(const WideString& name);

  // A reader whose volume request was cancelled returns to where its set ended.
  virtual void RestoreSavedEndPosition() {}

 private:
  void ResetDetection();
  void Keep(TDetectResult&& found);

  WideString FArchiveFile;
  TArcType FArcType = atNA;
  int64_t FHeaderOffset = -1;
  int64_t FOffsetAdjust = 0;
  THeaderTypeState FHeadFlag;
  int64_t FArchiveSize = 0;
  uint32_t FArchiveDate = 0;
  std::shared_ptr<const TFormatFindings> FFindings;
  AnsiString FPassword;
  WideString FTempDir;
  std::atomic<uint8_t> FCancel{0};
};

template <typename F>
bool TZipCommon::RunOperation(F&& work) {
  struct Guard {
    TZipCommon& self;
    ~Guard() { self.EndOperation(); }
  } guard{*this};
  BeginOperation();
  try {
    work();
    return true;
  } catch (const E_RAISE&) {
  } catch (const ECancelled&) {
  } catch (const std::exception& failure) {
    // A handler's own failure (or memory that could not be had) ends the operation like any
    // error: reported, with everything cleaned up behind it.
    ReportUnexpected(failure.what());
  } catch (...) {
    ReportUnexpected("");
  }
  return false;
}

}  // namespace qel
