#include "engine/volumes/VolumeNames.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "engine/detect/SpanDecision.h"

namespace qel {

std::string VolumeFileName(const std::string& setName, int volume, int lastVolume, bool isLast) {
  if (isLast && volume >= lastVolume) return setName;
  char extension[16];
  std::snprintf(extension, sizeof extension, ".z%02d", volume);
  // Only the file name's own extension goes: a dot in a folder name stays.
  return std::filesystem::path(setName).replace_extension(extension).string();
}

int LabelDiskNumber(std::string_view label) {
  const std::string_view prefix = detect::kSpannedLabel;
  if (label.size() <= prefix.size() + 1 || label[prefix.size()] != ' ') return 0;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(label[i])) != prefix[i]) return 0;
  }
  long long number = 0;
  for (char c : label.substr(prefix.size() + 1)) {
    if (c < '0' || c > '9') return 0;
    number = number * 10 + (c - '0');
    // A label is up to 256 characters: too large a number names no disk.
    if (number > INT_MAX) return 0;
  }
  return int(number);
}

std::string DiskLabel(int disk) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%03d", disk);
  return std::string(detect::kSpannedLabel) + ' ' + digits;
}

std::string NextNumberedVolume(const std::string& path, char bare) {
  const size_t slash = path.rfind('/');
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = path.size();
  const std::string ext = path.substr(std::min(dot + 1, path.size()));
  const auto number = [](std::string_view digits) -> std::optional<unsigned> {
    unsigned n = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
      return std::nullopt;
    return n;
  };
  std::string next;
  if (ext.empty()) {
    next = std::string(1, bare) + "01";
  } else if (std::all_of(ext.begin(), ext.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    const std::optional<unsigned> n = number(ext);
    if (!n) return {};
    next = std::to_string(*n + 1);
    next.insert(0, ext.size() - std::min(ext.size(), next.size()), '0');  // .001 -> .002
  } else if (const std::optional<unsigned> n =
                 ext.size() == 3 ? number(ext.substr(1)) : std::nullopt) {
    next = *n >= 99 ? std::to_string(*n + 1)
                    : ext.substr(0, 1) + (*n < 9 ? "0" : "") + std::to_string(*n + 1);
  } else {
    next = ext.substr(0, 1) + "01";
  }
  // The numbers go to 999.
  if (next.size() > 3) return {};
  return path.substr(0, dot) + "." + next;
}

namespace {

bool Digit(char c) { return c >= '0' && c <= '9'; }

// Counts up the digits of `s` ending before `end`, carrying no further than `stop`; false
// when the carry runs out of digits (all were 9s, now 0s).
bool CountUp(std::string& s, size_t end, size_t stop) {
  for (size_t i = end; i > stop && Digit(s[i - 1]); --i) {
    if (s[i - 1] != '9') {
      ++s[i - 1];
      return true;
    }
    s[i - 1] = '0';
  }
  return false;
}

// Where the last extension's dot is, or the end when the file name has none.
size_t ExtensionDot(const std::string& path, size_t base) {
  const size_t dot = path.rfind('.');
  return dot == std::string::npos || dot < base ? path.size() : dot;
}

size_t BaseOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? 0 : slash + 1;
}

}  // namespace

std::string NextLetteredVolume(const std::string& path, char letter) {
  const size_t dot = ExtensionDot(path, BaseOf(path));
  std::string ext = dot < path.size() ? path.substr(dot + 1) : std::string();
  if (ext.size() != 3 || !Digit(ext[1]) || !Digit(ext[2])) {
    const bool upper = !ext.empty() && ext[0] >= 'A' && ext[0] <= 'Z';
    return path.substr(0, dot) + "." + char(upper ? letter - 'a' + 'A' : letter) + "00";
  }
  if (!CountUp(ext, 3, 1)) ++ext[0];  // r99 -> s00
  return path.substr(0, dot) + "." + ext;
}

std::string NextRarVolume(const std::string& path, bool newNumbering) {
  const size_t base = BaseOf(path);
  const size_t dot = ExtensionDot(path, base);
  if (newNumbering) {
    size_t end = dot;
    while (end > base && !Digit(path[end - 1])) --end;
    if (end > base) {
      std::string stem = path.substr(0, dot);
      size_t start = end;
      while (start > base && Digit(stem[start - 1])) --start;
      if (!CountUp(stem, end, start)) stem.insert(start, 1, '1');
      const bool upper = dot + 1 < path.size() && path[dot + 1] >= 'A' && path[dot + 1] <= 'Z';
      return stem + (upper ? ".RAR" : ".rar");
    }
  }
  return NextLetteredVolume(path, 'r');
}

}  // namespace qel
