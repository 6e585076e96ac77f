// The disk manager: what the engine knows about the drive and medium a path lives on, and
// the check that a drive is usable before a volume is read from or written to it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "engine/base/Types.h"
#include "platform/Drives.h"

namespace qel {

struct TDiskInfo {
  std::string DriveRoot;  // the mount point standing for the drive
  std::string VolumeLabel;
  int DiskNumber = 0;  // the number of a spanned set's disk label, else 0
  uint32_t SerialNumber = 0;
  std::string SerialText;  // the serial in eight hexadecimal digits
  std::string FileSystemName;
  uint32_t MaxComponentLength = 0;
  uint32_t FileSystemFlags = 0;
  platform::DriveType DriveType = platform::DriveType::Unknown;
  int64_t FreeBytes = 0;
  int64_t TotalBytes = 0;
  bool IsFloppy = false;  // a removable drive of one of the floppy sizes
};

// "Unknown", "None", "Removable", "Fixed", "Network", "CD-ROM", "RAM".
std::string_view DriveTypeName(platform::DriveType type);

// Asked while a drive is not ready (no medium, say): true to try again, false to give up.
using TDriveNotReadyEvent = std::function<bool(const WideString& Drive)>;
// How the disk manager's owner reports an error about a drive.
using TDriveErrorReport = std::function<void(const WideString& Drive, int ECode)>;

class TDiskManager {
 public:
  explicit TDiskManager(platform::IDriveProbe& drives) : drives_(drives) {}

  // Examines the drive holding `path` (a file, present or not, or a folder when it ends with
  // "/") once and fills Info; false, with Info cleared, when the drive cannot be examined.
  bool Read(const std::string& path);

  // Read, asking `notReady` whether to try again while the drive cannot be examined. Fails,
  // reported through `report`, when it is given up (25361 "User canceled"), when there is
  // no one to ask or the asking goes on too long, or when there is no such drive (25170
  // "is not accessible").
  bool CheckDrive(const std::string& path, const TDriveNotReadyEvent& notReady,
                  const TDriveErrorReport& report);

  const TDiskInfo& Info() const { return info_; }

 private:
  platform::IDriveProbe& drives_;
  TDiskInfo info_;
};

}  // namespace qel
