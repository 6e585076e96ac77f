#include "engine/detect/SpanDecision.h"

#include <cctype>

#include "platform/Drives.h"

namespace qel::detect {

TArcType SpanOrSplit(platform::IDriveProbe& drives, const std::string& fileName) {
  std::optional<platform::DriveInfo> drive = drives.Query(fileName);
  if (!drive || drive->Type == platform::DriveType::None) return atNA;
  const bool removable =
      drive->Type == platform::DriveType::Removable && drive->TotalBytes <= kLargestFloppy;
  if (!removable) return atZipMV;
  std::string word = drive->Label.substr(0, drive->Label.find(' '));
  for (char& c : word) c = char(std::toupper(static_cast<unsigned char>(c)));
  return word == kSpannedLabel ? atZipDS : atZipMV;
}

}  // namespace qel::detect
