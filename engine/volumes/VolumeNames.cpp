#include "engine/volumes/VolumeNames.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <filesystem>

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

}  // namespace qel
