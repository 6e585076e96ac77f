#include "platform/LinuxDrives.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/LinuxDriveParsing.h"

namespace qel::platform {

namespace fs = std::filesystem;

namespace {

// The file-system flag a read-only volume reports.
constexpr uint32_t kReadOnlyVolume = 0x00080000;

std::optional<std::string> ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::optional<bool> ReadFlag(const fs::path& path) {
  std::optional<std::string> text = ReadText(path);
  if (!text || text->empty()) return std::nullopt;
  return (*text)[0] == '1';
}

// A partition has no "removable" entry of its own; its disk, the parent folder in sysfs, has.
bool IsRemovable(const fs::path& sysDevBlock, uint32_t major, uint32_t minor) {
  fs::path device = sysDevBlock / (std::to_string(major) + ":" + std::to_string(minor));
  if (std::optional<bool> flag = ReadFlag(device / "removable")) return *flag;
  std::error_code ec;
  fs::path real = fs::canonical(device, ec);
  if (ec) return false;
  return ReadFlag(real.parent_path() / "removable").value_or(false);
}

// The unescaped name of the link in `folder` that leads to `device`; "" when there is none.
std::string FindUdevName(const fs::path& folder, const fs::path& device) {
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code same;
    if (fs::equivalent(it->path(), device, same)) {
      return UnescapeUdevName(it->path().filename().string());
    }
  }
  return "";
}

}  // namespace

LinuxDriveProbe::LinuxDriveProbe(LinuxDriveSources sources) : sources_(std::move(sources)) {}

std::optional<DriveInfo> LinuxDriveProbe::Query(const std::string& path) {
  std::error_code ec;
  fs::path real = fs::canonical(path, ec);
  if (ec) return std::nullopt;
  std::optional<std::string> table = ReadText(sources_.MountInfo);
  if (!table) return std::nullopt;
  std::vector<MountEntry> mounts = ParseMountInfo(*table);
  const MountEntry* mount = FindMount(mounts, real.native());
  struct statvfs volume {};
  if (mount == nullptr || statvfs(real.c_str(), &volume) != 0) return std::nullopt;

  DriveInfo info;
  info.Root = mount->MountPoint;
  info.Device = mount->Source == "none" ? "" : mount->Source;
  info.FileSystem = mount->FileSystem;
  info.MaxComponentLength = volume.f_namemax != 0 ? volume.f_namemax : 255;
  info.Flags = (volume.f_flag & ST_RDONLY) != 0 ? kReadOnlyVolume : 0;
  info.TotalBytes = static_cast<int64_t>(volume.f_blocks) * volume.f_frsize;
  info.FreeBytes = static_cast<int64_t>(volume.f_bavail) * volume.f_frsize;

  // Only a source that is a path names a device ("tmpfs" or "server:/share" do not).
  bool hasDevice = !info.Device.empty() && info.Device[0] == '/';
  fs::path device = hasDevice ? fs::weakly_canonical(info.Device, ec) : fs::path();
  if (ec) device = info.Device;
  if (std::optional<DriveType> type = DriveTypeOfFileSystem(info.FileSystem, device.native())) {
    info.Type = *type;
  } else {
    // The device node tells which disk it is; without one (btrfs, overlay) the mount's
    // own device number is the best guess.
    uint32_t major = mount->Major;
    uint32_t minor = mount->Minor;
    struct stat node {};
    if (hasDevice && stat(device.c_str(), &node) == 0 && S_ISBLK(node.st_mode)) {
      major = ::major(node.st_rdev);
      minor = ::minor(node.st_rdev);
    }
    info.Type =
        IsRemovable(sources_.SysDevBlock, major, minor) ? DriveType::Removable : DriveType::Fixed;
  }
  if (hasDevice && info.Type != DriveType::Network) {
    fs::path links = sources_.DevDisk;
    info.Label = FindUdevName(links / "by-label", device);
    info.Serial = SerialFromUuid(FindUdevName(links / "by-uuid", device));
  }
  return info;
}

}  // namespace qel::platform
