// The drive layer on Linux: the mount table tells which file system holds a path, sysfs
// whether its disk is removable, udev's /dev/disk links its label and serial, and statvfs
// its sizes. Nothing here needs more rights than an ordinary user has.
#pragma once

#include <optional>
#include <string>

#include "platform/Drives.h"

namespace qel::platform {

// Where the probe reads the system's state; tests point these at folders of their own.
struct LinuxDriveSources {
  std::string MountInfo = "/proc/self/mountinfo";
  std::string SysDevBlock = "/sys/dev/block";  // entries named "MAJ:MIN"
  std::string DevDisk = "/dev/disk";           // holding by-label/ and by-uuid/
};

class LinuxDriveProbe : public IDriveProbe {
 public:
  explicit LinuxDriveProbe(LinuxDriveSources sources = {});
  // Nothing when the path does not exist or no mount holds it.
  std::optional<DriveInfo> Query(const std::string& path) override;

 private:
  LinuxDriveSources sources_;
};

}  // namespace qel::platform
