#include "engine/compress/CompressClass.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "engine/base/Messages.h"
#include "engine/filters/Masks.h"
#include "engine/streams/Stream.h"
#include "engine/text/Utf8.h"

namespace qel {
namespace {

namespace fs = std::filesystem;

// The extension of the file part, dot included; "" when there is none.
WideString ExtensionOf(const WideString& name) {
  const size_t slash = name.rfind('/');
  const size_t dot = name.rfind('.');
  if (dot == WideString::npos || (slash != WideString::npos && dot < slash)) return {};
  return name.substr(dot);
}

}  // namespace

TCompressClass::TCompressClass(WideString builtInExt)
    : FBuiltInExt(std::move(builtInExt)), FDefaultExt(FBuiltInExt) {}

void TCompressClass::SetArchiveFile(const WideString& name) {
  WideString file = name;
  if (!file.empty() && file.back() != '/' && ExtensionOf(file).empty()) file += FDefaultExt;
  SetArchiveName(file);
  struct stat st {};
  FArchiveExisted = !file.empty() && ::stat(file.c_str(), &st) == 0;
}

void TCompressClass::SetExistingArchive(const WideString& name) {
  SetArchiveName(name);
  FArchiveExisted = true;
}

void TCompressClass::SetDefaultExt(const WideString& ext) {
  const WideString old = FDefaultExt;
  if (ext.empty() || ext == ".") {
    FDefaultExt = FBuiltInExt;
  } else {
    WideString e = ext.front() == '.' ? ext : "." + ext;
    FDefaultExt = text::AsciiLower(e.substr(0, 4));
  }
  const WideString& file = ArchiveFile();
  if (file.empty()) return;
  const WideString current = ExtensionOf(file);
  if (current.empty())
    SetArchiveName(file + FDefaultExt);
  else if (text::AsciiLower(current) == text::AsciiLower(old))
    SetArchiveName(file.substr(0, file.size() - current.size()) + FDefaultExt);
}

bool TCompressClass::SetCompressMethod(TCompressMethod method) {
  if (!AcceptsMethod(method)) return false;
  FCompressMethod = method;
  return true;
}

int64_t TCompressClass::ReadSource(TStream64& source, uint8_t* buffer, int64_t size) {
  const int64_t got = source.Read(buffer, size);
  if (got < 0) ReportAndRaise(FileName, msg::ErrorReadingFile, "", "");
  FileBytesLeft -= got;
  ArchiveBytesLeft -= got;
  return got;
}

bool TCompressClass::StoredAsIs(const WideString& path) const {
  const size_t dot = path.rfind('.');
  if (dot == WideString::npos || path.find('/', dot) != WideString::npos) return false;
  const std::string_view ext(path.data() + dot, path.size() - dot);
  return std::any_of(StoreFilesOfType.begin(), StoreFilesOfType.end(), [&](const WideString& t) {
    return EqualIgnoringCase(t, t.starts_with('.') ? ext : ext.substr(1));
  });
}

}  // namespace qel
