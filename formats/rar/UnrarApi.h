// The RAR unpacking library's C interface, as the library publishes it: the records, the
// constants and the eight exports. TUnRar is written against this interface alone and binds
// it by the library's name, so whichever library offers it (the project's own layer over
// libarchive, or another) can take its place. Wide strings are wchar_t, as on this system.
#pragma once

#include <cstdint>

namespace qel::unrar {

// Results.
inline constexpr int ERAR_SUCCESS = 0;
inline constexpr int ERAR_END_ARCHIVE = 10;
inline constexpr int ERAR_NO_MEMORY = 11;
inline constexpr int ERAR_BAD_DATA = 12;
inline constexpr int ERAR_BAD_ARCHIVE = 13;
inline constexpr int ERAR_UNKNOWN_FORMAT = 14;
inline constexpr int ERAR_EOPEN = 15;
inline constexpr int ERAR_ECREATE = 16;
inline constexpr int ERAR_ECLOSE = 17;
inline constexpr int ERAR_EREAD = 18;
inline constexpr int ERAR_EWRITE = 19;
inline constexpr int ERAR_SMALL_BUF = 20;
inline constexpr int ERAR_UNKNOWN = 21;
inline constexpr int ERAR_MISSING_PASSWORD = 22;
// The project's layer decodes no enciphered data: an encrypted entry, or an archive whose
// headers are enciphered, gives this once the password was asked for.
inline constexpr int ERAR_ENCRYPTION_UNSUPPORTED = 26;
// A callback answered -1: the caller stopped the operation.
inline constexpr int ERAR_CANCELLED = 255;

// Open modes.
inline constexpr unsigned RAR_OM_LIST = 0;
inline constexpr unsigned RAR_OM_EXTRACT = 1;
inline constexpr unsigned RAR_OM_LIST_INCSPLIT = 2;
// Operations of RARProcessFile.
inline constexpr int RAR_SKIP = 0;
inline constexpr int RAR_TEST = 1;
inline constexpr int RAR_EXTRACT = 2;
// Callback messages, and the two kinds of volume change.
inline constexpr unsigned UCM_CHANGEVOLUME = 0;
inline constexpr unsigned UCM_PROCESSDATA = 1;
inline constexpr unsigned UCM_NEEDPASSWORD = 2;
inline constexpr unsigned UCM_CHANGEVOLUMEW = 3;
inline constexpr unsigned UCM_NEEDPASSWORDW = 4;
inline constexpr intptr_t RAR_VOL_ASK = 0;
inline constexpr intptr_t RAR_VOL_NOTIFY = 1;

// The archive's flags in the open record.
inline constexpr unsigned ROADF_VOLUME = 0x0001;
inline constexpr unsigned ROADF_COMMENT = 0x0002;
inline constexpr unsigned ROADF_LOCK = 0x0004;
inline constexpr unsigned ROADF_SOLID = 0x0008;
inline constexpr unsigned ROADF_NEWNUMBERING = 0x0010;
inline constexpr unsigned ROADF_ENCHEADERS = 0x0080;
inline constexpr unsigned ROADF_FIRSTVOLUME = 0x0100;
// An entry's flags in the header record.
inline constexpr unsigned RHDF_SPLITBEFORE = 0x01;
inline constexpr unsigned RHDF_SPLITAFTER = 0x02;
inline constexpr unsigned RHDF_ENCRYPTED = 0x04;
inline constexpr unsigned RHDF_SOLID = 0x10;
inline constexpr unsigned RHDF_DIRECTORY = 0x20;
inline constexpr unsigned RAR_HASH_NONE = 0;
inline constexpr unsigned RAR_HASH_CRC32 = 1;
inline constexpr unsigned RAR_HASH_BLAKE2 = 2;

// Answers 1 (or 0) to go on, -1 to stop.
using UNRARCALLBACK = int (*)(unsigned msg, intptr_t userData, intptr_t p1, intptr_t p2);

struct RAROpenArchiveData {
  char* ArcName;
  unsigned OpenMode;
  unsigned OpenResult;
  char* CmtBuf;
  unsigned CmtBufSize;
  unsigned CmtSize;
  unsigned CmtState;
};

struct RAROpenArchiveDataEx {
  char* ArcName;
  wchar_t* ArcNameW;
  unsigned OpenMode;
  unsigned OpenResult;
  char* CmtBuf;
  unsigned CmtBufSize;
  unsigned CmtSize;
  unsigned CmtState;
  unsigned Flags;
  UNRARCALLBACK Callback;
  intptr_t UserData;
  unsigned OpFlags;
  wchar_t* CmtBufW;
  unsigned Reserved[25];
};

struct RARHeaderData {
  char ArcName[260];
  char FileName[260];
  unsigned Flags;
  unsigned PackSize;
  unsigned UnpSize;
  unsigned HostOS;
  unsigned FileCRC;
  unsigned FileTime;
  unsigned UnpVer;
  unsigned Method;
  unsigned FileAttr;
  char* CmtBuf;
  unsigned CmtBufSize;
  unsigned CmtSize;
  unsigned CmtState;
};

struct RARHeaderDataEx {
  char ArcName[1024];
  wchar_t ArcNameW[1024];
  char FileName[1024];
  wchar_t FileNameW[1024];
  unsigned Flags;
  unsigned PackSize;
  unsigned PackSizeHigh;
  unsigned UnpSize;
  unsigned UnpSizeHigh;
  unsigned HostOS;
  unsigned FileCRC;
  unsigned FileTime;  // DOS date and time, local
  unsigned UnpVer;
  unsigned Method;
  unsigned FileAttr;
  char* CmtBuf;
  unsigned CmtBufSize;
  unsigned CmtSize;
  unsigned CmtState;
  unsigned DictSize;
  unsigned HashType;
  char Hash[32];
  unsigned RedirType;  // non-zero for a link of some kind
  wchar_t* RedirName;
  unsigned RedirNameSize;
  unsigned DirTarget;
  unsigned MtimeLow;  // 100-nanosecond intervals since 1601, UTC; 0 when unknown
  unsigned MtimeHigh;
  unsigned CtimeLow;
  unsigned CtimeHigh;
  unsigned AtimeLow;
  unsigned AtimeHigh;
  unsigned Reserved[988];
};

using RAROpenArchiveFn = void* (*)(RAROpenArchiveData* data);
using RAROpenArchiveExFn = void* (*)(RAROpenArchiveDataEx* data);
using RARCloseArchiveFn = int (*)(void* handle);
using RARReadHeaderFn = int (*)(void* handle, RARHeaderData* data);
using RARReadHeaderExFn = int (*)(void* handle, RARHeaderDataEx* data);
using RARProcessFileFn = int (*)(void* handle, int operation, char* destPath, char* destName);
using RARProcessFileWFn = int (*)(void* handle, int operation, wchar_t* destPath,
                                  wchar_t* destName);
using RARSetCallbackFn = void (*)(void* handle, UNRARCALLBACK callback, intptr_t userData);

// The library's name in the table of run-time libraries.
inline constexpr const char* kLibraryName = "unrar.dll";

}  // namespace qel::unrar
