// TQuell, the lister: walks the directory of an archive of any kind the engine detects and
// reports each entry that passes the file filters through one shared entry record and
// OnRead, then the totals through OnTotals. It extracts nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/base/ZipCommon.h"

namespace qel {

class TFileStream32;
class TListSession;

// What the lister knows of the entry being reported; valid during OnRead.
struct TEntryRecord {
  WideString FileName;  // "/"-separated; a folder's name ends with "/"
  AnsiString FileComment;
  TDateTime Date = 0;
  uint32_t CRC = 0;
  bool Encrypted = false;
  int64_t PackedSize = 0;  // without a ZipCrypto header
  int64_t UnpackedSize = 0;
  int Ratio = 0;
  uint16_t Method = 0;
  WideString MethodName;
  uint32_t ExternalAttr = 0;  // DOS attribute bits; 0 when unknown
  uint16_t InternalAttr = 0;
  uint16_t VersionMadeBy = 0;
  uint16_t VersionNeeded = 0;
  WideString VolumeName;  // the volume (file or disk) holding the entry
  int Count = 0;          // entries reported so far
};

class TCustomQuell : public TZipCommon {
 public:
  using TReadEvent = std::function<void(TZipCommon& Sender, int64_t Offset, int Filenum)>;
  using TTotalsEvent = std::function<void(TZipCommon& Sender, int64_t UnpackSize, int64_t PackSize,
                                          int Ratio, int NumFiles)>;

  TCustomQuell();
  ~TCustomQuell() override;

  TReadEvent OnRead;
  TNotifyEvent OnReadBegin;
  TNotifyEvent OnReadEnd;
  TFileNameEvent OnReadFile;
  TTotalsEvent OnTotals;

  // Lists the archive: true when the listing ran (even over no entries), false when it
  // could not start or an error ended it. A call while a listing runs returns at once.
  // A missing archive raises E_RAISE with 25192 "File not found".
  bool Activate();
  // The names of the entries that pass the filters, without firing the caller's listing
  // events; cleared when the listing fails.
  bool GetFileList(TStrings& list);

  // The entry being reported.
  const TEntryRecord& Entry() const { return FEntry; }

  int ZipCmntBufSize() const { return FZipCmntBufSize; }
  void SetZipCmntBufSize(int value);

  // The extensions of every archive kind the engine knows (".zip", ".tar", ...).
  TStrings ArchiveExts;

 private:
  friend class TListSession;
  // Runs the listing branch of the archive's type.
  void ListBranch(TListSession& session);

  bool FBusy = false;
  int FZipCmntBufSize = 32000;
  TEntryRecord FEntry;
};

class TQuell : public TCustomQuell {};

}  // namespace qel
