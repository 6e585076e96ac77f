#include "platform/LinuxDriveParsing.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace qel::platform {

namespace {

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Undoes the kernel's "\ooo" escapes; a backslash not followed by three octal digits stays.
std::string UnescapeMountField(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && IsOctal(field[i + 1]) &&
        IsOctal(field[i + 2]) && IsOctal(field[i + 3])) {
      int value = (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
      out += static_cast<char>(value & 0xFF);
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

// Fields are separated by exactly one space; an empty one (a mount made with an empty source)
// shows as two spaces in a row and must keep its place.
std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t pos = 0;
  for (;;) {
    size_t end = line.find(' ', pos);
    if (end == std::string_view::npos) {
      fields.push_back(line.substr(pos));
      return fields;
    }
    fields.push_back(line.substr(pos, end - pos));
    pos = end + 1;
  }
}

bool ParseDevice(std::string_view text, uint32_t& major, uint32_t& minor) {
  size_t colon = text.find(':');
  if (colon == std::string_view::npos) return false;
  const char* end = text.data() + text.size();
  auto [p1, e1] = std::from_chars(text.data(), text.data() + colon, major);
  auto [p2, e2] = std::from_chars(text.data() + colon + 1, end, minor);
  return e1 == std::errc() && p1 == text.data() + colon && e2 == std::errc() && p2 == end;
}

// True when `mountPoint` is `path` or one of its parent folders.
bool Holds(std::string_view mountPoint, std::string_view path) {
  if (mountPoint == "/") return !path.empty() && path[0] == '/';
  return path.substr(0, mountPoint.size()) == mountPoint &&
         (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

}  // namespace

std::optional<MountEntry> ParseMountInfoLine(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  std::vector<std::string_view> fields = SplitFields(line);
  // id, parent, MAJ:MIN, root, mount point, options, [optional...], "-", type, source, options
  size_t separator = 6;
  while (separator < fields.size() && fields[separator] != "-") ++separator;
  if (separator + 2 >= fields.size()) return std::nullopt;
  MountEntry entry;
  if (!ParseDevice(fields[2], entry.Major, entry.Minor)) return std::nullopt;
  entry.Root = UnescapeMountField(fields[3]);
  entry.MountPoint = UnescapeMountField(fields[4]);
  entry.FileSystem = UnescapeMountField(fields[separator + 1]);
  entry.Source = UnescapeMountField(fields[separator + 2]);
  if (entry.MountPoint.empty() || entry.MountPoint[0] != '/') return std::nullopt;
  return entry;
}

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
  std::vector<MountEntry> mounts;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    if (auto entry = ParseMountInfoLine(text.substr(pos, end - pos))) {
      mounts.push_back(std::move(*entry));
    }
    pos = end + 1;
  }
  return mounts;
}

const MountEntry* FindMount(const std::vector<MountEntry>& mounts, std::string_view path) {
  const MountEntry* best = nullptr;
  for (const MountEntry& mount : mounts) {
    if (Holds(mount.MountPoint, path) &&
        (best == nullptr || mount.MountPoint.size() >= best->MountPoint.size())) {
      best = &mount;
    }
  }
  return best;
}

std::string UnescapeUdevName(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' &&
        HexValue(name[i + 2]) >= 0 && HexValue(name[i + 3]) >= 0) {
      out += static_cast<char>(HexValue(name[i + 2]) * 16 + HexValue(name[i + 3]));
      i += 3;
    } else {
      out += name[i];
    }
  }
  return out;
}

uint32_t SerialFromUuid(std::string_view uuid) {
  std::string digits;
  for (char c : uuid) {
    if (c == '-') continue;
    if (HexValue(c) < 0) return 0;
    digits += c;
  }
  // NTFS writes its 64-bit serial as 16 bare digits; the low half is the one shown.
  if (digits.size() == 16 && uuid.size() == 16) digits.erase(0, 8);
  digits.resize(std::min<size_t>(digits.size(), 8));
  uint32_t serial = 0;
  for (char c : digits) serial = serial * 16 + static_cast<uint32_t>(HexValue(c));
  return serial;
}

std::optional<DriveType> DriveTypeOfFileSystem(std::string_view fileSystem,
                                               std::string_view source) {
  static constexpr std::array<std::string_view, 2> kRam = {"tmpfs", "ramfs"};
  static constexpr std::array<std::string_view, 7> kNetwork = {
      "nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs", "9p"};
  for (std::string_view name : kRam) {
    if (fileSystem == name) return DriveType::Ram;
  }
  for (std::string_view name : kNetwork) {
    if (fileSystem == name) return DriveType::Network;
  }
  if (fileSystem == "iso9660" || fileSystem == "udf" || source.starts_with("/dev/sr")) {
    return DriveType::CDRom;
  }
  return std::nullopt;
}

}  // namespace qel::platform
