#include "engine/filters/Masks.h"

#include <locale.h>
#include <wctype.h>

#include <algorithm>

#include "engine/text/Utf8.h"

namespace qel {
namespace {

// Case folding by code point with the C library's Unicode tables, independent of the
// locale the program happens to run in.
char32_t Fold(char32_t c) {
  static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0));
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
  return utf8 ? char32_t(towlower_l(wint_t(c), utf8)) : c;
}

// Code points, case-folded, with "\" read as "/". Bytes that are not UTF-8 stand for
// themselves, so every name can be matched.
std::u32string Folded(std::string_view s) {
  std::u32string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    char32_t c;
    size_t n = text::DecodeUtf8Char(s, i, c);
    if (n == 0) {
      c = static_cast<unsigned char>(s[i]);
      n = 1;
    }
    out.push_back(c == U'\\' ? U'/' : Fold(c));
    i += n;
  }
  return out;
}

// Iterative wildcard match: on a mismatch after a "*", the star takes one more character.
bool Match(std::u32string_view name, std::u32string_view mask) {
  size_t n = 0, m = 0, starMask = std::u32string_view::npos, starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == U'?' || mask[m] == name[n])) {
      ++n;
      ++m;
    } else if (m < mask.size() && mask[m] == U'*') {
      starMask = m++;
      starName = n;
    } else if (starMask != std::u32string_view::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == U'*') ++m;
  return m == mask.size();
}

// The mask matched once more after giving an extension-less name a "." and a mask that
// neither ends in "*" nor holds a "." one too, so that "*.*" takes names without one.
bool MatchWithDotRule(std::u32string name, std::u32string mask) {
  if (Match(name, mask)) return true;
  auto fileOf = [](const std::u32string& s) { return s.substr(s.rfind(U'/') + 1); };
  if (fileOf(name).find(U'.') == std::u32string::npos) name += U'.';
  if ((mask.empty() || mask.back() != U'*') && fileOf(mask).find(U'.') == std::u32string::npos)
    mask += U'.';
  return Match(name, mask);
}

struct SplitName {
  std::u32string folder;  // with its trailing "/", empty at the root
  std::u32string file;
};

SplitName Split(const std::u32string& s) {
  size_t slash = s.rfind(U'/');
  if (slash == std::u32string::npos) return {{}, s};
  return {s.substr(0, slash + 1), s.substr(slash + 1)};
}

bool Excluded(const std::u32string& name, const std::u32string& file, const TStrings& excludeSpec,
              bool matchFilePart) {
  return std::any_of(excludeSpec.begin(), excludeSpec.end(), [&](const std::string& p) {
    std::u32string mask = Folded(p);
    return MatchWithDotRule(name, mask) || (matchFilePart && MatchWithDotRule(file, mask));
  });
}

}  // namespace

bool EqualIgnoringCase(std::string_view a, std::string_view b) { return Folded(a) == Folded(b); }

bool MatchMask(std::string_view name, std::string_view mask) {
  return Match(Folded(name), Folded(mask));
}

bool MatchesSpec(const std::string& name, const TStrings& fileSpec, const TStrings& excludeSpec,
                 bool recurseDirs, const TExcludedHandler& onExcluded) {
  if (fileSpec.empty() && excludeSpec.empty()) return true;  // the common "everything"
  const std::u32string folded = Folded(name);
  const SplitName n = Split(folded);
  if (Excluded(folded, n.file, excludeSpec, recurseDirs)) {
    if (onExcluded) onExcluded(name);
    return false;
  }
  if (fileSpec.empty()) return true;
  for (const std::string& pattern : fileSpec) {
    const std::u32string mask = Folded(pattern);
    if (mask == folded) return true;
    const SplitName p = Split(mask);
    if (p.folder.size() < n.folder.size()) {
      // Inside the pattern's folder; deeper folders only when recursing.
      if (n.folder.compare(0, p.folder.size(), p.folder) != 0) continue;
      if (!recurseDirs) continue;
    } else if (p.folder != n.folder) {
      continue;
    }
    if (recurseDirs ? MatchWithDotRule(n.file, p.file) : MatchWithDotRule(folded, mask))
      return true;
  }
  return false;
}

bool MatchesSpecFlat(const std::string& name, const TStrings& fileSpec, const TStrings& excludeSpec,
                     const TExcludedHandler& onExcluded) {
  if (fileSpec.empty() && excludeSpec.empty()) return true;
  const std::u32string folded = Folded(name);
  bool accepted =
      fileSpec.empty() || std::any_of(fileSpec.begin(), fileSpec.end(), [&](const std::string& p) {
        return MatchWithDotRule(folded, Folded(p));
      });
  if (!accepted) return false;
  if (Excluded(folded, folded, excludeSpec, false)) {
    if (onExcluded) onExcluded(name);
    return false;
  }
  return true;
}

}  // namespace qel
