#include "engine/detect/SpanDecision.h"

#include <cctype>

#include "platform/Drives.h"

namespace qel::detect {

std::optional<bool> OnSpanningMedium(platform::IDriveProbe& drives, const std::string& fileName) {
  std::optional<platform::DriveInfo> drive = drives.Query(fileName);
  if (!drive || drive->Type == platform::DriveType::None) return std::nullopt;
  return drive->Type == platform::DriveType::Removable && drive->TotalBytes <= kLargestFloppy;
}

TArcType SpanOrSplit(platform::IDriveProbe& drives, const std::string& fileName) {
  std::optional<bool> spanning = OnSpanningMedium(drives, fileName);
  if (!spanning) return atNA;
  if (!*spanning) return atZipMV;
  std::string label = drives.Query(fileName)->Label;
  std::string word = label.substr(0, label.find(' '));
  for (char& c : word) c = char(std::toupper(static_cast<unsigned char>(c)));
  return word == kSpannedLabel ? atZipDS : atZipMV;
}

}  // namespace qel::detect
