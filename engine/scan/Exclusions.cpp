#include "engine/scan/Exclusions.h"

#include <algorithm>

#include "engine/base/FileSystem.h"
#include "engine/filters/Masks.h"

namespace qel {
namespace {

std::string Trimmed(std::string s) {
  const char* space = " \t\r\n";
  s.erase(0, std::min(s.size(), s.find_first_not_of(space)));
  s.erase(s.find_last_not_of(space) + 1);
  return s;
}

bool PatternExcludes(std::string pattern, const std::string& folder, const std::string& name,
                     bool isFolder, bool recurseDirs) {
  pattern = Trimmed(std::move(pattern));
  std::replace(pattern.begin(), pattern.end(), '\\', '/');
  if (pattern.empty()) return false;
  const size_t slash = pattern.rfind('/');
  if (slash == std::string::npos) return MatchesSpecFlat(name, {pattern}, {}, {});
  std::string dir = Trimmed(pattern.substr(0, slash));
  // Whole folder names only: "temp" must not take "/temporary/". (Appended piece by piece:
  // g++ 12 warns wrongly about "x" + string.)
  std::string mask = "*";
  if (dir.empty() || dir[0] != '/') mask += '/';
  mask += WithTrailingSlash(dir);
  if (recurseDirs) mask += '*';
  if (!MatchMask(folder, mask)) return false;
  const std::string filePart = pattern.substr(slash + 1);
  return isFolder || filePart.empty() || MatchesSpecFlat(name, {filePart}, {}, {});
}

}  // namespace

bool ExcludedBySpec(const std::string& path, bool isFolder, const TStrings& excludeSpec,
                    bool recurseDirs) {
  const size_t slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  // A folder entry is judged by the folder it stands for; a relative path is taken as
  // starting at a folder boundary.
  std::string folder = isFolder ? path : path.substr(0, slash == std::string::npos ? 0 : slash);
  folder = WithTrailingSlash(folder[0] == '/' ? folder : "/" + folder);
  return std::any_of(excludeSpec.begin(), excludeSpec.end(), [&](const std::string& p) {
    return PatternExcludes(p, folder, name, isFolder, recurseDirs);
  });
}

}  // namespace qel
