#include "formats/rar/UnrarBinding.h"

#include <cstring>
#include <vector>

#include "engine/base/Libraries.h"
#include "engine/base/Messages.h"
#include "engine/text/Utf8.h"

namespace qel::unrar {

namespace {

// What an unbound library's calls answer: "cannot open".
void* OpenStub(RAROpenArchiveDataEx* data) {
  if (data) data->OpenResult = ERAR_EOPEN;
  return nullptr;
}
int CloseStub(void*) { return ERAR_EOPEN; }
int ReadHeaderStub(void*, RARHeaderDataEx*) { return ERAR_EOPEN; }
int ProcessStub(void*, int, wchar_t*, wchar_t*) { return ERAR_EOPEN; }
void SetCallbackStub(void*, UNRARCALLBACK, intptr_t) {}

}  // namespace

TUnrarLibrary BindUnrar() {
  const TLibrary library(kLibraryName);
  TUnrarLibrary lib;
  lib.OpenArchiveEx = library.Export<RAROpenArchiveExFn>("RAROpenArchiveEx");
  lib.CloseArchive = library.Export<RARCloseArchiveFn>("RARCloseArchive");
  lib.ReadHeaderEx = library.Export<RARReadHeaderExFn>("RARReadHeaderEx");
  lib.ProcessFileW = library.Export<RARProcessFileWFn>("RARProcessFileW");
  lib.SetCallback = library.Export<RARSetCallbackFn>("RARSetCallback");
  // The other three are looked up as well: a library without them is not the one expected.
  lib.Available = lib.OpenArchiveEx && lib.CloseArchive && lib.ReadHeaderEx && lib.ProcessFileW &&
                  lib.SetCallback && library.Export<RAROpenArchiveFn>("RAROpenArchive") &&
                  library.Export<RARReadHeaderFn>("RARReadHeader") &&
                  library.Export<RARProcessFileFn>("RARProcessFile");
  if (!lib.Available) {
    lib.OpenArchiveEx = &OpenStub;
    lib.CloseArchive = &CloseStub;
    lib.ReadHeaderEx = &ReadHeaderStub;
    lib.ProcessFileW = &ProcessStub;
    lib.SetCallback = &SetCallbackStub;
  }
  return lib;
}

TUnrarArchive::TUnrarArchive(const TUnrarLibrary& lib, const std::string& name, unsigned mode,
                             UNRARCALLBACK callback, intptr_t userData)
    : lib_(lib) {
  std::wstring wide = text::Utf8ToWide(name);
  RAROpenArchiveDataEx data{};
  data.ArcNameW = wide.data();
  data.OpenMode = mode;
  handle_ = lib_.OpenArchiveEx(&data);
  // A library that gives no handle without saying why could not open the file.
  result_ = handle_ || data.OpenResult ? int(data.OpenResult) : ERAR_EOPEN;
  flags_ = data.Flags;
  if (handle_ && result_ != ERAR_SUCCESS) {
    lib_.CloseArchive(handle_);
    handle_ = nullptr;
  }
  if (handle_) lib_.SetCallback(handle_, callback, userData);
}

TUnrarArchive::~TUnrarArchive() {
  if (handle_) lib_.CloseArchive(handle_);
}

int TUnrarArchive::ReadHeader(RARHeaderDataEx& header) {
  std::memset(&header, 0, sizeof header);
  return lib_.ReadHeaderEx(handle_, &header);
}

int TUnrarArchive::Process(int operation) {
  return lib_.ProcessFileW(handle_, operation, nullptr, nullptr);
}

int UnrarResultMessage(int result) {
  switch (result) {
    case ERAR_NO_MEMORY:
      return msg::OutOfMemory;
    case ERAR_BAD_DATA:
      return msg::BadBlock;
    case ERAR_BAD_ARCHIVE:
    case ERAR_UNKNOWN_FORMAT:
      return msg::UnsupportedArchiveType;
    case ERAR_EOPEN:
      return msg::ErrorOpeningFile;
    case ERAR_ECREATE:
    case ERAR_EWRITE:
      return msg::ErrorWritingFile;
    case ERAR_ECLOSE:
      return msg::ErrorClosingFile;
    case ERAR_EREAD:
      return msg::ErrorReadingFile;
    case ERAR_UNKNOWN:
      return msg::BrokenVolumeChain;
    case ERAR_MISSING_PASSWORD:
      return msg::InvalidPassword;
    case ERAR_ENCRYPTION_UNSUPPORTED:
      return msg::RarEncryptionUnsupported;
    default:
      return 0;
  }
}

}  // namespace qel::unrar
