#include "engine/packed/PackedNames.h"

#include <algorithm>
#include <cctype>
#include <span>
#include <string_view>

namespace qel {

namespace {

struct TExtRule {
  std::string_view From;
  std::string_view To;
};

constexpr TExtRule kGzipRules[] = {
    {".gz", ""}, {".gzip", ""}, {".z", ""}, {".tgz", ".tar"}, {".taz", ".tar"}};
constexpr TExtRule kBzip2Rules[] = {{".bz", ""},    {".bz2", ""},     {".bzip", ""},
                                    {".bzip2", ""}, {".tbz", ".tar"}, {".tbz2", ".tar"}};

std::string LastComponent(const std::string& name) {
  const size_t cut = name.find_last_of("/\\");
  return cut == std::string::npos ? name : name.substr(cut + 1);
}

std::string Trimmed(std::string s) {
  const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
  s.erase(s.begin(), std::find_if_not(s.begin(), s.end(), blank));
  s.erase(std::find_if_not(s.rbegin(), s.rend(), blank).base(), s.end());
  return s;
}

}  // namespace

std::string UnpackedName(TPackedKind kind, const std::string& stored, const std::string& fileName) {
  std::string name = Trimmed(LastComponent(stored.empty() ? fileName : stored));
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) {
    std::string ext = name.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    const std::span<const TExtRule> rules = kind == TPackedKind::Bzip2
                                                ? std::span<const TExtRule>(kBzip2Rules)
                                                : std::span<const TExtRule>(kGzipRules);
    for (const TExtRule& rule : rules) {
      if (ext != rule.From) continue;
      name = name.substr(0, dot) + std::string(rule.To);
      break;
    }
  }
  // "notes_tar" was a compressed TAR on systems of one dot per name.
  if (name.find('.') == std::string::npos && name.size() > 4 &&
      name.compare(name.size() - 4, 4, "_tar") == 0)
    name[name.size() - 4] = '.';
  return name;
}

}  // namespace qel
