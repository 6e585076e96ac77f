// The engine's event signatures. An event is a std::function member of a component,
// named as published (OnError, OnProgress...); whether it is assigned matters, so callers
// test it before firing. "var" parameters are references the handler may change.
#pragma once

#include <cstdint>
#include <functional>

#include "engine/base/HeaderType.h"
#include "engine/base/Types.h"

namespace qel {

class TZipCommon;

using TNotifyEvent = std::function<void(TZipCommon& Sender)>;
using TBeginEvent =
    std::function<void(TZipCommon& Sender, const WideString& FileName, int Count, bool& Extract)>;
using TEndEvent =
    std::function<void(TZipCommon& Sender, const WideString& FileName, bool CRC_PASS)>;
using TProgressEvent = std::function<void(TZipCommon& Sender, uint8_t ByFile, uint8_t ByArchive)>;
using TErrorEvent =
    std::function<void(TZipCommon& Sender, const WideString& FileName,
                       const WideString& ExtendedMsg, const WideString& VolumeID, int ECode)>;
using TElapsedTimeEvent = std::function<void(TZipCommon& Sender, float ElapsedTime)>;
using TGetPasswordEvent =
    std::function<void(TZipCommon& Sender, const WideString& FileName, AnsiString& Password,
                       TSeedKeyRecord& HeaderKeys, TSeedKeyRecord& DataKeys, bool& TryAgain)>;
using TNextVolumeEvent = std::function<void(TZipCommon& Sender, WideString& VolumeName,
                                            int VolumeID, bool FExists, bool& Cancel)>;
using TInsertDiskEvent =
    std::function<void(TZipCommon& Sender, const WideString& VolumeName, bool& Cancel)>;
using TGetZipDiskEvent = std::function<void(TZipCommon& Sender, bool& Cancel)>;
using TGetZipNextDiskEvent =
    std::function<void(TZipCommon& Sender, const WideString& VolumeName, bool& Cancel)>;
using TLimitedUserEvent = std::function<void(TZipCommon& Sender, const WideString& ProtectedDir,
                                             WideString& UserDir, bool& Cancel)>;
using TFileNameEvent = std::function<void(TZipCommon& Sender, const WideString& FileName)>;
// A compressed file holds a TAR: Extract answers whether its members are extracted
// rather than the TAR itself.
using TNestedTarEvent =
    std::function<void(TZipCommon& Sender, const WideString& FileName, bool& Extract)>;
using TRenameFileEvent =
    std::function<void(TZipCommon& Sender, const WideString& FileName, WideString& NewFileName)>;
using TFileExistsEvent =
    std::function<void(TZipCommon& Sender, const WideString& FileName, WideString& NewFileName,
                       TOverwriteMode& OverwriteMode)>;
using TReplaceFileEvent = std::function<void(
    TZipCommon& Sender, const WideString& FileName, const WideString& NewFileName, TDateTime Date,
    TDateTime NewDate, int64_t FileSize, int64_t NewFileSize, int Attr, int NewAttr,
    bool& Replace)>;
using TRenameDupeFileEvent = std::function<void(TZipCommon& Sender, const WideString& FileName,
                                                WideString& NewFileName, bool& Rename)>;
using TDeleteFileEvent =
    std::function<void(TZipCommon& Sender, const WideString& FileName, int Count, int MaxCount)>;
using TNonWriteableArchiveEvent =
    std::function<void(TZipCommon& Sender, const WideString& ArchiveFile, bool& WriteToFile)>;
using TCreateDirectoryEvent =
    std::function<void(TZipCommon& Sender, const WideString& Directory, bool CreateDirectory)>;
using TScanFileEvent = std::function<void(TZipCommon& Sender, const WideString& FileName,
                                          int FilesCount, int64_t FilesSize)>;
using TTmpFileMoveBeginEvent = std::function<void(TZipCommon& Sender, const WideString& Archive,
                                                  const WideString& TempFileName, bool& Cancel)>;
// The spanning writer's questions about the removable disk in the drive.
using TClearDiskEvent =
    std::function<void(TZipCommon& Sender, const WideString& Drive, bool& Cancel, int64_t DiskSize,
                       int64_t FreeSpace, int64_t RequiredSpace)>;
using TDiskErrorEvent =
    std::function<void(TZipCommon& Sender, const WideString& Drive, bool& Retry)>;
using TDiskSpanFileExistsEvent =
    std::function<void(TZipCommon& Sender, const WideString& FileName, TOverwriteMode& Mode)>;
using TCorruptZipHeaderEvent =
    std::function<void(TZipCommon& Sender, THeaderTypeState HeadFlag, bool& Cancel)>;

}  // namespace qel
