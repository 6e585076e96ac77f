#include "platform/Drives.h"

#include "platform/LinuxDrives.h"

namespace qel::platform {

IDriveProbe& SystemDrives() {
  static LinuxDriveProbe probe;
  return probe;
}

}  // namespace qel::platform
