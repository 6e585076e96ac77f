#include "engine/volumes/DiskManager.h"

#include <array>
#include <cstdio>
#include <filesystem>

#include "engine/base/Messages.h"
#include "engine/detect/SpanDecision.h"
#include "engine/volumes/VolumeNames.h"

namespace qel {

namespace {

// A not-ready handler that keeps answering "try again" at a drive that stays empty would
// otherwise be asked for ever.
constexpr int kMaxRetries = 64;

constexpr std::array<int64_t, 3> kFloppySizes = {1213952, 1457664, detect::kLargestFloppy};

// The folder whose drive is examined: the path itself when it names a folder, else the folder
// holding the file, which need not exist yet (a volume about to be written).
std::string DriveFolder(const std::string& path) {
  if (!path.empty() && path.back() == '/') return path;
  std::string folder = std::filesystem::path(path).parent_path().string();
  return folder.empty() ? "." : folder;
}

TDiskInfo Derive(const platform::DriveInfo& drive) {
  TDiskInfo info;
  info.DriveRoot = drive.Root;
  info.VolumeLabel = drive.Label;
  info.DiskNumber = LabelDiskNumber(drive.Label);
  info.SerialNumber = drive.Serial;
  char serial[16];
  std::snprintf(serial, sizeof serial, "%08X", unsigned(drive.Serial));
  info.SerialText = serial;
  info.FileSystemName = drive.FileSystem;
  info.MaxComponentLength = drive.MaxComponentLength;
  info.FileSystemFlags = drive.Flags;
  info.DriveType = drive.Type;
  info.FreeBytes = drive.FreeBytes;
  info.TotalBytes = drive.TotalBytes;
  if (drive.Type == platform::DriveType::Removable) {
    for (int64_t size : kFloppySizes) info.IsFloppy |= drive.TotalBytes == size;
    // Only floppies are handled as removable disks: a larger medium is used like a hard disk.
    if (drive.TotalBytes > detect::kLargestFloppy) info.DriveType = platform::DriveType::Fixed;
  }
  return info;
}

}  // namespace

std::string_view DriveTypeName(platform::DriveType type) {
  static constexpr std::string_view kNames[] = {"Unknown", "None",   "Removable", "Fixed",
                                                "Network", "CD-ROM", "RAM"};
  auto index = size_t(type);
  return index < std::size(kNames) ? kNames[index] : kNames[0];
}

bool TDiskManager::Read(const std::string& path) {
  std::optional<platform::DriveInfo> drive = drives_.Query(DriveFolder(path));
  info_ = drive ? Derive(*drive) : TDiskInfo();
  return drive.has_value();
}

bool TDiskManager::CheckDrive(const std::string& path, const TDriveNotReadyEvent& notReady,
                              const TDriveErrorReport& report) {
  const std::string drive = DriveFolder(path);
  auto fail = [&](int code) {
    if (report) report(drive, code);
    return false;
  };
  for (int retries = 0; !Read(path); ++retries) {
    if (!notReady || retries == kMaxRetries) return fail(msg::NotAccessible);
    if (!notReady(drive)) return fail(msg::UserCanceled);
  }
  if (info_.DriveType == platform::DriveType::None) return fail(msg::NotAccessible);
  return true;
}

}  // namespace qel
