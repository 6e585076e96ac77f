// The RAR library as TUnRar and the lister use it: bound by its name from the table of
// run-time libraries, the five calls they make, and an archive opened through them.
#pragma once

#include <cstdint>
#include <string>

#include "formats/rar/UnrarApi.h"

namespace qel::unrar {

struct TUnrarLibrary {
  // All eight exports were found; otherwise every call is a stub that answers 15.
  bool Available = false;
  RAROpenArchiveExFn OpenArchiveEx;
  RARCloseArchiveFn CloseArchive;
  RARReadHeaderExFn ReadHeaderEx;
  RARProcessFileWFn ProcessFileW;
  RARSetCallbackFn SetCallback;
};

TUnrarLibrary BindUnrar();

// One archive open through the library, closed with the object.
class TUnrarArchive {
 public:
  // Opens `name` in `mode` and registers `callback` with `userData`; OpenResult() tells
  // how it went.
  TUnrarArchive(const TUnrarLibrary& lib, const std::string& name, unsigned mode,
                UNRARCALLBACK callback, intptr_t userData);
  ~TUnrarArchive();
  TUnrarArchive(const TUnrarArchive&) = delete;
  TUnrarArchive& operator=(const TUnrarArchive&) = delete;

  int OpenResult() const { return result_; }
  unsigned Flags() const { return flags_; }
  // The next header, zero-filled before it is read.
  int ReadHeader(RARHeaderDataEx& header);
  int Process(int operation);

 private:
  const TUnrarLibrary& lib_;
  void* handle_ = nullptr;
  int result_ = ERAR_SUCCESS;
  unsigned flags_ = 0;
};

// The engine message a library result stands for; 0 for results that have none (success,
// the end of the archive, a stop the caller asked for).
int UnrarResultMessage(int result);

}  // namespace qel::unrar
