#include "engine/compress/StoredNames.h"

#include <filesystem>

namespace qel {
namespace {

namespace fs = std::filesystem;

WideString WithoutTrailingSlashes(WideString s) {
  while (!s.empty() && s.back() == '/') s.pop_back();
  return s;
}

// `path` below `folder`, component by component: "." and ".." are resolved first, a path
// outside the folder keeps what follows the ".." that would lead out of it, and no name
// starts with "/". With no folder, the path without its root.
WideString Below(const WideString& path, const WideString& folder) {
  const bool isFolder = !path.empty() && path.back() == '/';
  const fs::path normal = fs::path(WithoutTrailingSlashes(path)).lexically_normal();
  fs::path rel;
  if (!folder.empty() && folder != "/")
    rel = normal.lexically_relative(fs::path(WithoutTrailingSlashes(folder)).lexically_normal());
  if (rel.empty()) rel = normal.relative_path();
  WideString name;
  for (const fs::path& part : rel) {
    const std::string s = part.string();
    if (s.empty() || s == "." || s == "..") continue;
    name += name.empty() ? s : "/" + s;
  }
  return isFolder && !name.empty() ? name + '/' : name;
}

}  // namespace

WideString StoredName(const WideString& path, const TStoredNameBase& base, TStoredDirNames mode) {
  using enum TStoredDirNames;
  switch (mode) {
    case sdNone:
      return !path.empty() && path.back() == '/' ? NamePart(path) + '/' : NamePart(path);
    case sdAbsolute:
    case sdAbsoluteNoDrv: {
      // Appended rather than prefixed: GCC 12 sees a false overlap in an insert at the front.
      WideString rooted = "/";
      return rooted += Below(path, "");
    }
    case sdAbsoluteNoRoot:
      return Below(path, "");
    case sdRelative:
      return Below(path, base.Folder);
    case sdRelativeStoreStart:
      return Below(path, FolderOf(WithoutTrailingSlashes(base.Folder)));
    case sdExplorer_Auto:
    case sdExplorer_UserDefineDefaultDir:
      return Below(path, base.DefaultDir.empty() ? base.Folder : base.DefaultDir);
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
