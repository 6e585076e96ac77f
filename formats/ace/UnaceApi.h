// The ACE 2 unpacking library's C interface as TUnACE uses it: the records, the callback
// codes and answers, and the five exports. No provider offers it here (none is free), so
// the library stays unbound and users meet its missing-library message; the interface is
// kept whole so that a provider can be added, and the tests bind a fake of their own.
#pragma once

#include <cstdint>

namespace qel::unace {

inline constexpr const char* kLibraryName = "unace2.dll";

// What a callback answers.
inline constexpr int ACE_CALLBACK_RETURN_OK = 0;
inline constexpr int ACE_CALLBACK_RETURN_NO = 1;  // skip this file; a volume is missing
inline constexpr int ACE_CALLBACK_RETURN_CANCEL = 2;

// Requests.
inline constexpr int ACE_CALLBACK_REQUEST_CHANGEVOLUME = 1;
inline constexpr int ACE_CALLBACK_REQUEST_OVERWRITE = 2;
inline constexpr int ACE_CALLBACK_REQUEST_PASSWORD = 3;
// States of the file being processed.
inline constexpr int ACE_CALLBACK_STATE_STARTFILE = 1;
inline constexpr int ACE_CALLBACK_STATE_PROGRESS = 2;
inline constexpr int ACE_CALLBACK_STATE_ENDFILE = 3;

// The library's results; 0 is success.
inline constexpr int ACE_ERROR_NOERROR = 0;
inline constexpr int ACE_ERROR_OPEN = 2;
inline constexpr int ACE_ERROR_READ = 3;
inline constexpr int ACE_ERROR_WRITE = 4;
inline constexpr int ACE_ERROR_USER = 255;  // a callback cancelled

struct tACEFileData {
  const char* SourceFileName;  // as stored
  const char* TargetFileName;  // where the library writes it (extraction only)
  uint64_t Size;
  uint64_t CompressedSize;
  uint32_t CRC32;
  uint32_t Time;  // DOS date and time
  uint32_t Attributes;
  bool CRCOk;  // at ENDFILE: the data passed its check
};

// Everything a callback is handed.
struct tACECallbackData {
  void* Owner;              // the owner pointer given to ACEInitDll
  int Code;                 // a request or state code, or an error number
  const char* ArchiveName;  // the volume being read
  tACEFileData* File;
  char* Buffer;  // the next volume's name, or the password, to be filled in
  uint32_t BufferSize;
  uint64_t Progress;  // bytes of the file done so far
};

using ACECallback = int (*)(tACECallbackData* data);

struct tACEInitDll {
  void* Owner;
  uint32_t MaxArchiveTestBytes;
  uint32_t MaxFileBufSize;
  char* CommentBuf;
  uint32_t CommentBufSize;
  char TempDir[256];
  ACECallback InfoCallback;
  ACECallback ErrorCallback;
  ACECallback RequestCallback;
  ACECallback StateCallback;
};

struct tACEFiles {
  const char* SourceDir;    // ""
  const char* FileList;     // masks, each followed by a carriage return, or "*"
  const char* ExcludeList;  // ""
  bool FullMatch;
};

struct tACETest {
  tACEFiles Files;
  char DecryptPassword[256];
};

struct tACEExtract {
  tACEFiles Files;
  char DestinationDir[256];
  bool ExcludePath;  // every file straight into DestinationDir
  char DecryptPassword[256];
};

using ACEInitDllFn = int (*)(tACEInitDll* init);
using ACEReadArchiveDataFn = int (*)(const char* archive, void* data);
using ACEListFn = int (*)(const char* archive, void* list);
using ACETestFn = int (*)(const char* archive, tACETest* test);
using ACEExtractFn = int (*)(const char* archive, tACEExtract* extract);

}  // namespace qel::unace
