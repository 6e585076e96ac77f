#include "engine/extract/OutputNames.h"

#include <cctype>
#include <filesystem>

namespace qel {

namespace {

// A component of the folder part: ":" would name an alternate stream on the systems the
// archives come from, and trailing dots and spaces are dropped there too, which also
// turns "." and ".." into nothing.
std::string CleanFolderComponent(std::string part) {
  for (char& c : part)
    if (c == ':') c = '_';
  while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
  return part;
}

}  // namespace

std::optional<std::string> CleanStoredName(const std::string& stored, bool useStoredDirs) {
  std::string name;
  for (char c : stored) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) continue;
    name += c == '\\' ? '/' : c;
  }
  if (name.empty()) return std::string();
  if (name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0])))
    name.erase(0, 2);

  size_t cut = name.rfind('/');
  std::string file = cut == std::string::npos ? name : name.substr(cut + 1);
  std::string folders = cut == std::string::npos ? "" : name.substr(0, cut);
  if (file == "." || file == "..") return std::nullopt;

  std::string result;
  if (useStoredDirs) {
    size_t start = 0;
    while (start <= folders.size()) {
      size_t end = folders.find('/', start);
      if (end == std::string::npos) end = folders.size();
      std::string part = CleanFolderComponent(folders.substr(start, end - start));
      if (!part.empty()) result += part + '/';
      start = end + 1;
    }
  }
  if (file.empty() && result.empty()) return std::string();
  return result + file;
}

std::optional<std::string> RelativeBelow(const std::string& path, const std::string& folder) {
  namespace fs = std::filesystem;
  std::string p = fs::path(path).lexically_normal().string();
  std::string f = fs::path(folder).lexically_normal().string();
  if (f.empty() || f.back() != '/') f += '/';
  if (p + '/' == f) return std::string();
  if (p.compare(0, f.size(), f) != 0) return std::nullopt;
  return p.substr(f.size());
}

std::string NextNumberedName(const std::string& name) {
  size_t end = name.size();
  size_t start = end;
  while (start > 0 && std::isdigit(static_cast<unsigned char>(name[start - 1]))) --start;
  if (start == end) return std::string();
  std::string digits = name.substr(start);
  int i = static_cast<int>(digits.size()) - 1;
  for (; i >= 0 && digits[i] == '9'; --i) digits[i] = '0';
  if (i < 0)
    digits.insert(digits.begin(), '1');
  else
    ++digits[i];
  return name.substr(0, start) + digits;
}

}  // namespace qel
