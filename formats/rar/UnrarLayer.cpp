#include "formats/rar/UnrarLayer.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "engine/text/Utf8.h"
#include "formats/rar/UnrarApi.h"
#include "formats/rar/UnrarHandle.h"

namespace qel::unrar {

namespace {

TUnrarHandle* HandleOf(void* handle) { return static_cast<TUnrarHandle*>(handle); }

void* OpenArchiveEx(RAROpenArchiveDataEx* data) {
  if (!data) return nullptr;
  auto handle = std::unique_ptr<TUnrarHandle>(new (std::nothrow) TUnrarHandle);
  if (!handle) {
    data->OpenResult = ERAR_NO_MEMORY;
    return nullptr;
  }
  try {
    if (!handle->Open(*data)) return nullptr;
  } catch (const std::bad_alloc&) {
    data->OpenResult = ERAR_NO_MEMORY;
    return nullptr;
  }
  return handle.release();
}

void* OpenArchive(RAROpenArchiveData* data) {
  if (!data) return nullptr;
  RAROpenArchiveDataEx ex{};
  ex.ArcName = data->ArcName;
  ex.OpenMode = data->OpenMode;
  void* handle = OpenArchiveEx(&ex);
  data->OpenResult = ex.OpenResult;
  data->CmtSize = data->CmtState = 0;
  return handle;
}

int CloseArchive(void* handle) {
  delete HandleOf(handle);
  return ERAR_SUCCESS;
}

int ReadHeaderEx(void* handle, RARHeaderDataEx* header) {
  if (!handle || !header) return ERAR_BAD_DATA;
  try {
    return HandleOf(handle)->ReadHeader(*header);
  } catch (const std::bad_alloc&) {
    return ERAR_NO_MEMORY;
  }
}

int ReadHeader(void* handle, RARHeaderData* header) {
  if (!header) return ERAR_BAD_DATA;
  auto ex = std::make_unique<RARHeaderDataEx>();
  const int r = ReadHeaderEx(handle, ex.get());
  if (r != ERAR_SUCCESS) return r;
  std::strncpy(header->ArcName, ex->ArcName, sizeof header->ArcName - 1);
  std::strncpy(header->FileName, ex->FileName, sizeof header->FileName - 1);
  header->Flags = ex->Flags;
  header->PackSize = ex->PackSize;
  header->UnpSize = ex->UnpSize;
  header->HostOS = ex->HostOS;
  header->FileCRC = ex->FileCRC;
  header->FileTime = ex->FileTime;
  header->UnpVer = ex->UnpVer;
  header->Method = ex->Method;
  header->FileAttr = ex->FileAttr;
  header->CmtSize = header->CmtState = 0;
  return ERAR_SUCCESS;
}

int ProcessFileW(void* handle, int operation, wchar_t*, wchar_t*) {
  if (!handle) return ERAR_BAD_DATA;
  try {
    return HandleOf(handle)->Process(operation);
  } catch (const std::bad_alloc&) {
    return ERAR_NO_MEMORY;
  }
}

int ProcessFile(void* handle, int operation, char*, char*) {
  return ProcessFileW(handle, operation, nullptr, nullptr);
}

void SetCallback(void* handle, UNRARCALLBACK callback, intptr_t userData) {
  if (handle) HandleOf(handle)->SetCallback(callback, userData);
}

struct TExport {
  std::string_view Name;
  void* Address;
};

const TExport kExports[] = {
    {"RAROpenArchive", reinterpret_cast<void*>(&OpenArchive)},
    {"RAROpenArchiveEx", reinterpret_cast<void*>(&OpenArchiveEx)},
    {"RARCloseArchive", reinterpret_cast<void*>(&CloseArchive)},
    {"RARReadHeader", reinterpret_cast<void*>(&ReadHeader)},
    {"RARReadHeaderEx", reinterpret_cast<void*>(&ReadHeaderEx)},
    {"RARProcessFile", reinterpret_cast<void*>(&ProcessFile)},
    {"RARProcessFileW", reinterpret_cast<void*>(&ProcessFileW)},
    {"RARSetCallback", reinterpret_cast<void*>(&SetCallback)},
};

}  // namespace

void* UnrarExport(std::string_view name) {
  const auto e = std::find_if(std::begin(kExports), std::end(kExports),
                              [&](const TExport& x) { return x.Name == name; });
  return e == std::end(kExports) ? nullptr : e->Address;
}

}  // namespace qel::unrar
