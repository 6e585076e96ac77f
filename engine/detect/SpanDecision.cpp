#include "engine/detect/SpanDecision.h"

#include <cctype>

#include "platform/Drives.h"

namespace qel::detect {

namespace {

bool IsSpanningMedium(const platform::DriveInfo& drive) {
  return drive.Type == platform::DriveType::Removable && drive.TotalBytes <= kLargestFloppy;
}

std::optional<platform::DriveInfo> Examine(platform::IDriveProbe& drives,
                                           const std::string& fileName) {
  std::optional<platform::DriveInfo> drive = drives.Query(fileName);
  if (drive && drive->Type == platform::DriveType::None) drive.reset();
  return drive;
}

}  // namespace

std::optional<bool> OnSpanningMedium(platform::IDriveProbe& drives, const std::string& fileName) {
  std::optional<platform::DriveInfo> drive = Examine(drives, fileName);
  if (!drive) return std::nullopt;
  return IsSpanningMedium(*drive);
}

TArcType SpanOrSplit(platform::IDriveProbe& drives, const std::string& fileName) {
  std::optional<platform::DriveInfo> drive = Examine(drives, fileName);
  if (!drive) return atNA;
  if (!IsSpanningMedium(*drive)) return atZipMV;
  std::string word = drive->Label.substr(0, drive->Label.find(' '));
  for (char& c : word) c = char(std::toupper(static_cast<unsigned char>(c)));
  return word == kSpannedLabel ? atZipDS : atZipMV;
}

}  // namespace qel::detect
