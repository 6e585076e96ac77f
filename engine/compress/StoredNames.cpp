#include "engine/compress/StoredNames.h"

#include <algorithm>

#include "engine/base/FileSystem.h"

namespace qel {
namespace {

bool StartsWith(const WideString& s, const WideString& prefix) {
  return !prefix.empty() && s.compare(0, prefix.size(), prefix) == 0;
}

WideString Relative(const WideString& path, const WideString& folder) {
  const WideString base = folder.empty() ? folder : WithTrailingSlash(folder);
  return StartsWith(path, base) ? path.substr(base.size()) : path;
}

WideString WithoutTrailingSlashes(WideString s) {
  while (!s.empty() && s.back() == '/') s.pop_back();
  return s;
}

WideString WithoutLeadingSlashes(WideString s) {
  s.erase(0, s.find_first_not_of('/') == WideString::npos ? s.size() : s.find_first_not_of('/'));
  return s;
}

}  // namespace

WideString StoredName(const WideString& path, const TStoredNameBase& base, TStoredDirNames mode) {
  using enum TStoredDirNames;
  switch (mode) {
    case sdNone:
      return !path.empty() && path.back() == '/' ? NamePart(path) + '/' : NamePart(path);
    case sdAbsolute:
    case sdAbsoluteNoDrv:
      return path;
    case sdAbsoluteNoRoot:
      return WithoutLeadingSlashes(path);
    case sdRelative:
      return Relative(path, base.Folder);
    case sdRelativeStoreStart:
      return Relative(path, FolderOf(WithoutTrailingSlashes(base.Folder)));
    case sdExplorer_Auto:
    case sdExplorer_UserDefineDefaultDir: {
      const WideString dir = base.DefaultDir.empty() ? "" : WithTrailingSlash(base.DefaultDir);
      if (!dir.empty() && dir == WithTrailingSlash(base.Folder)) return Relative(path, dir);
      if (StartsWith(path, dir)) return path.substr(dir.size());
      const WideString fallback = base.Fallback.empty() ? "" : WithTrailingSlash(base.Fallback);
      return path.substr(std::min(fallback.size(), path.size()));
    }
  }
  return path;
}

WideString FolderOf(const WideString& path) {
  const size_t cut = path.rfind('/');
  return cut == WideString::npos ? WideString() : path.substr(0, cut + 1);
}

WideString NamePart(const WideString& path) {
  const WideString name = WithoutTrailingSlashes(path);
  return name.substr(name.rfind('/') + 1);
}

WideString CommonSpecFolder(const TStrings& fileSpec) {
  if (fileSpec.empty()) return {};
  WideString common = FolderOf(fileSpec.front());
  for (const WideString& line : fileSpec) {
    const WideString folder = FolderOf(line);
    size_t n = 0;
    while (n < common.size() && n < folder.size() && common[n] == folder[n]) ++n;
    common.resize(n);
  }
  return FolderOf(common);  // cut back to a whole folder
}

}  // namespace qel
