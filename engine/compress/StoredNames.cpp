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

WideString WithoutLeadingSlashes(WideString s) {
  s.erase(0, s.find_first_not_of('/') == WideString::npos ? s.size() : s.find_first_not_of('/'));
  return s;
}

// The folder above `folder` ("/a/b/" gives "/a/"), with its trailing "/".
WideString ParentFolder(const WideString& folder) {
  WideString f = folder;
  while (!f.empty() && f.back() == '/') f.pop_back();
  const size_t cut = f.rfind('/');
  return cut == WideString::npos ? WideString() : f.substr(0, cut + 1);
}

}  // namespace

WideString StoredName(const WideString& path, const TStoredNameBase& base, TStoredDirNames mode) {
  using enum TStoredDirNames;
  switch (mode) {
    case sdNone: {
      WideString p = path;
      const bool folder = !p.empty() && p.back() == '/';
      if (folder) p.pop_back();
      const size_t cut = p.rfind('/');
      p = cut == WideString::npos ? p : p.substr(cut + 1);
      return folder ? p + '/' : p;
    }
    case sdAbsolute:
    case sdAbsoluteNoDrv:
      return path;
    case sdAbsoluteNoRoot:
      return WithoutLeadingSlashes(path);
    case sdRelative:
      return Relative(path, base.Folder);
    case sdRelativeStoreStart:
      return Relative(path, ParentFolder(WithTrailingSlash(base.Folder)));
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

WideString SpecFolder(const WideString& line) {
  const size_t cut = line.rfind('/');
  return cut == WideString::npos ? WideString() : line.substr(0, cut + 1);
}

WideString CommonSpecFolder(const TStrings& fileSpec) {
  if (fileSpec.empty()) return {};
  WideString common = SpecFolder(fileSpec.front());
  for (const WideString& line : fileSpec) {
    const WideString folder = SpecFolder(line);
    size_t n = 0;
    while (n < common.size() && n < folder.size() && common[n] == folder[n]) ++n;
    common.resize(n);
  }
  // Cut back to a whole folder.
  const size_t cut = common.rfind('/');
  return cut == WideString::npos ? WideString() : common.substr(0, cut + 1);
}

}  // namespace qel
