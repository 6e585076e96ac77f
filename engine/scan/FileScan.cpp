#include "engine/scan/FileScan.h"

#include <dirent.h>

#include <algorithm>
#include <filesystem>

#include "engine/base/FileSystem.h"
#include "engine/base/Messages.h"
#include "engine/filters/Masks.h"
#include "engine/scan/FileAttributes.h"
#include "engine/scan/MultiMask.h"
#include "engine/text/Utf8.h"

namespace qel {
namespace {

bool IsBlank(const std::string& s) { return s.find_first_not_of(" \t\r\n") == std::string::npos; }

std::string CurrentFolder() {
  std::error_code ec;
  std::string cwd = std::filesystem::current_path(ec).string();
  return ec ? "/" : cwd;
}

std::string WithoutTrailingSlash(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

struct ItemParts {
  std::string folder;
  std::string mask;
};

// An item's folder and mask: its own folder (relative ones from `cwd`), else `rootDir`.
ItemParts SplitItem(std::string item, const std::string& rootDir, const std::string& cwd) {
  std::replace(item.begin(), item.end(), '\\', '/');
  const size_t slash = item.rfind('/');
  if (slash == std::string::npos) return {rootDir, item};
  std::string folder = item.substr(0, slash + 1);
  if (folder[0] != '/') folder = WithTrailingSlash(cwd) + folder;
  return {WithoutTrailingSlash(folder), item.substr(slash + 1)};
}

// The names in a folder, sorted so that a scan's order does not depend on the file system.
// The folder is closed before any of them is searched, so depth costs no descriptors.
bool ListFolder(const std::string& dir, std::vector<std::string>& names) {
  DIR* d = opendir(dir.c_str());
  if (!d) return false;
  while (const dirent* e = readdir(d)) {
    std::string_view n = e->d_name;
    if (n != "." && n != "..") names.emplace_back(n);
  }
  closedir(d);
  std::sort(names.begin(), names.end());
  return true;
}

}  // namespace

void TqelFileScan::Report(const std::string& fileName, int code) {
  if (OnError) OnError(*this, fileName, code);
}

void TqelFileScan::Notice(const std::string& name, TScanNotice notice) {
  if (OnNotice) OnNotice(*this, name, notice);
}

void TqelFileScan::NoteUnmatched(const std::vector<std::pair<std::string, std::string>>& items) {
  // Names without wildcards are looked up; the few masks are matched against the names.
  for (const auto& entry : items) {
    const std::string& item = entry.first;
    const std::string& mask = entry.second;
    const bool found =
        mask.find_first_of("*?") == std::string::npos
            ? FMatched.contains(text::AsciiLower(mask))
            : std::any_of(FMatched.begin(), FMatched.end(), [&mask](const std::string& name) {
                return MatchesSpecFlat(name, {mask}, {}, {});
              });
    if (!found) Notice(item, TScanNotice::snNoMatch);
  }
}

void TqelFileScan::Scan() {
  FFiles.clear();
  FFilesCount = 0;
  FFilesSize = 0;
  FTaken.clear();
  FExcludedIds.clear();
  for (const std::string& f : ExcludedFiles) {
    struct stat st {};
    if (stat(f.c_str(), &st) == 0) FExcludedIds.insert({st.st_dev, st.st_ino});
  }
  std::erase_if(FileSpec, IsBlank);
  const std::string cwd = CurrentFolder();

  while (!FileSpec.empty() && !IsCancelled()) {
    std::string root = RootDir.empty() ? cwd : WithoutTrailingSlash(RootDir);
    if (root[0] != '/') root = WithTrailingSlash(cwd) + root;
    const std::string folder = SplitItem(FileSpec.front(), root, cwd).folder;
    TMultiMask masks;
    std::vector<std::pair<std::string, std::string>> items;  // each item with its mask
    std::erase_if(FileSpec, [&](const std::string& item) {
      ItemParts parts = SplitItem(item, root, cwd);
      if (parts.folder != folder) return false;
      masks.Add(parts.mask);
      items.emplace_back(item, parts.mask.empty() ? "*" : parts.mask);
      return true;
    });
    RootDir = folder;
    if (OnRootDirChange) OnRootDirChange(*this, folder);
    struct stat st {};
    if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      Report(folder, msg::NotAccessible);
      continue;
    }
    FAncestors = {{st.st_dev, st.st_ino}};
    FMatched.clear();
    SearchFolder(folder, masks, 0);
    if (!IsCancelled()) NoteUnmatched(items);
  }
  SortFiles(FFiles, Sorted);
  if (OnFinished) OnFinished(*this, FFilesCount, FFilesSize);
}

bool TqelFileScan::SearchFolder(const std::string& dir, const TMultiMask& masks, int depth) {
  if (RecurseDirs && OnRecurseDir) OnRecurseDir(*this, dir);
  std::vector<std::string> names;
  if (!ListFolder(dir, names)) {
    Report(dir, msg::NotAccessible);
    return false;
  }
  // Whether a file lies here or below, taken or not: only a folder without one is empty.
  bool holds = false;
  struct SubFolder {
    std::string path, name;
    struct stat st;
  };
  std::vector<SubFolder> subFolders;
  for (const std::string& name : names) {
    if (IsCancelled()) return holds;
    const std::string path = WithTrailingSlash(dir) + name;
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) continue;  // gone since the listing
    if (!S_ISDIR(st.st_mode)) {
      holds = true;
      TakeFile(path, name, st, masks);
    } else if (RecurseDirs && (IncludeHiddenDirs || name[0] != '.')) {
      subFolders.push_back({path, name, st});
    } else if (RecurseDirs) {
      Notice(path, TScanNotice::snHiddenFolder);
    }
  }
  for (const auto& [path, name, st] : subFolders) {
    if (IsCancelled()) return holds;
    const FileId id{st.st_dev, st.st_ino};
    if (depth >= MaxDepth ||
        std::find(FAncestors.begin(), FAncestors.end(), id) != FAncestors.end()) {
      Report(path, msg::TooManyNestedDirs);
      continue;
    }
    const size_t at = FFiles.size();
    FAncestors.push_back(id);
    const bool below = SearchFolder(path, masks, depth + 1);
    FAncestors.pop_back();
    if (below) {
      holds = true;
    } else if (IncludeEmptyDirs && !IsCancelled()) {
      FFiles.insert(FFiles.begin() + std::ptrdiff_t(at),
                    {path, 0, int64_t(st.st_mtime), DosAttributesOf(st, name), true});
    }
  }
  return holds;
}

bool TqelFileScan::TakeFile(const std::string& path, const std::string& name,
                            const struct stat& lst, const TMultiMask& masks) {
  if (!masks.Matches(name)) return false;
  FMatched.insert(text::AsciiLower(name));
  struct stat st = lst;
  uint32_t dosAttr = DosAttributesOf(lst, name);
  const bool link = S_ISLNK(lst.st_mode);
  if (link) {
    // A link stands for its target's content; links to anything but a file are never taken.
    if (stat(path.c_str(), &st) != 0) st.st_mode = 0;
    dosAttr = DosAttributesOf(st, name) | attr::ReparsePoint;
  }
  if (!S_ISREG(st.st_mode)) {
    Notice(path, link ? TScanNotice::snLink : TScanNotice::snSpecialFile);
    return false;
  }
  if (!PassesAttributeFilter(dosAttr, Attributes, AttributesEx)) {
    if (link) Notice(path, TScanNotice::snLink);
    return false;
  }
  if (FExcludedIds.count({st.st_dev, st.st_ino})) return false;
  if (!FTaken.insert(path).second) return true;
  FFiles.push_back({path, int64_t(st.st_size), int64_t(st.st_mtime), dosAttr, false});
  ++FFilesCount;
  FFilesSize += st.st_size;
  if (OnScanFile) OnScanFile(*this, path, FFilesCount, FFilesSize);
  return true;
}

}  // namespace qel
