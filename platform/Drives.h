// The drive layer: what the engine needs to know about the medium a path lives on
// (removable or not, its volume label and serial, its sizes). The Linux implementation
// reads the mount table, sysfs and udev's by-label links; tests use FakeDrives.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qel::platform {

// Numbered as the engine shows them: "Unknown", "None", "Removable", "Fixed", "Network",
// "CD-ROM", "RAM".
enum class DriveType : uint8_t { Unknown, None, Removable, Fixed, Network, CDRom, Ram };

struct DriveInfo {
  std::string Root;        // the mount point holding the path ("/" for the root file system)
  std::string Device;      // the mounted source, e.g. "/dev/sdb1"; empty when there is none
  std::string Label;       // the volume label, "" when the medium has none
  uint32_t Serial = 0;     // the volume serial, 0 when the medium has none
  std::string FileSystem;  // e.g. "vfat", "ext4"
  uint32_t MaxComponentLength = 255;
  uint32_t Flags = 0;
  DriveType Type = DriveType::Unknown;
  int64_t TotalBytes = 0;
  int64_t FreeBytes = 0;
};

class IDriveProbe {
 public:
  virtual ~IDriveProbe() = default;
  // The drive holding `path` (an existing file or folder); nothing when it cannot be told.
  virtual std::optional<DriveInfo> Query(const std::string& path) = 0;
};

// The probe of the machine the program runs on.
IDriveProbe& SystemDrives();

}  // namespace qel::platform
