// The text formats the Linux drive probe reads: lines of /proc/self/mountinfo, the names of
// udev's /dev/disk/by-label and by-uuid links, and volume UUIDs. Kept apart from the file
// access so that they can be checked without removable media.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Drives.h"

namespace qel::platform {

struct MountEntry {
  uint32_t Major = 0;  // the device number of the mounted file system
  uint32_t Minor = 0;
  std::string Root;        // the folder of the file system that is mounted ("/" for all of it)
  std::string MountPoint;  // where it is mounted
  std::string FileSystem;  // e.g. "ext4", "fuse.sshfs"
  std::string Source;      // e.g. "/dev/sdb1", "server:/export", "tmpfs"
};

// One mountinfo line: "36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw".
// Zero or more optional fields come before the "-"; the kernel writes space, tab, newline and
// backslash inside a path as octal escapes ("\040"), which are undone. Nothing for a malformed
// line.
std::optional<MountEntry> ParseMountInfoLine(std::string_view line);

// Every well-formed line of a whole mountinfo text, in order.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

// The mount holding `path` (absolute, without symbolic links): the longest mount point that
// is `path` or one of its parent folders. When a mount point is mounted over, the later line
// wins, as it is the one that is visible. Nothing when no mount matches.
const MountEntry* FindMount(const std::vector<MountEntry>& mounts, std::string_view path);

// The name of a /dev/disk/by-label or by-uuid link as the medium reports it: udev writes
// every unsafe byte as "\xHH" (a label "PKBACK# 001" becomes "PKBACK#\x20001").
std::string UnescapeUdevName(std::string_view name);

// The 32-bit volume serial for a volume UUID. A FAT or exFAT UUID "ABCD-1234" is that serial;
// an NTFS one (16 hex digits, no dashes) holds it in its last 8 digits; for other UUIDs (ext4,
// btrfs, an ISO 9660 date...) the first 8 hex digits stand for it. 0 when there is no UUID or
// it is not hexadecimal.
uint32_t SerialFromUuid(std::string_view uuid);

// The drive type that follows from the file system alone (RAM, network, CD-ROM); nothing
// when the block device has to be asked whether it is removable.
std::optional<DriveType> DriveTypeOfFileSystem(std::string_view fileSystem,
                                               std::string_view source);

}  // namespace qel::platform
