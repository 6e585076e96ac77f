#include "engine/compress/MovedFolders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "engine/base/FileSystem.h"
#include "engine/compress/StoredNames.h"
#include "engine/filters/Masks.h"

namespace qel {

TMovedFolders::TMovedFolders(const TStrings& fileSpec) {
  namespace fs = std::filesystem;
  const auto keep = [this](const fs::path& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0) FKept.insert({st.st_dev, st.st_ino});
  };
  std::error_code ec;
  const fs::path cwd = fs::current_path(ec);
  for (WideString line : fileSpec) {
    std::replace(line.begin(), line.end(), '\\', '/');
    WideString folder = FolderOf(line);
    if (folder.empty()) continue;
    if (folder.front() != '/') folder = WithTrailingSlash(cwd.string()) + folder;
    FNamed.push_back(folder);
    const WideString mask = line.substr(line.rfind('/') + 1);
    if (!TakesEveryName(mask) && !mask.empty()) keep(folder);
  }
  for (fs::path p = cwd; !ec && !p.empty(); p = p.parent_path()) {
    keep(p);
    if (p == p.root_path()) break;
  }
}

void TMovedFolders::Note(WideString folder) {
  while (std::any_of(FNamed.begin(), FNamed.end(),
                     [&](const WideString& n) { return folder.compare(0, n.size(), n) == 0; })) {
    FNoted.insert(folder);
    folder = FolderOf(folder.substr(0, folder.size() - 1));
  }
}

void TMovedFolders::RemoveEmptied() const {
  // rmdir refuses a folder that is not empty: nothing but what the move emptied goes.
  for (const WideString& folder : FNoted) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0 && !FKept.contains({st.st_dev, st.st_ino}))
      ::rmdir(folder.c_str());
  }
}

}  // namespace qel
