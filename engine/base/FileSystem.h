// The few file-system facts the component base needs.
#pragma once

#include <cstdint>
#include <string>

namespace qel {

// The creation time of an open file in Unix seconds (its modification time where the
// file system keeps no creation time); -1 when neither can be read.
int64_t FileCreationTime(int fd);

// The per-user folder for the program's temporary files, below the system temporary
// folder, created (mode 0700) when missing. Ends with "/".
std::string SystemTempFolder();

// True when a file can be created in `folder` (tried with a temporary file, which also
// catches read-only mounts).
bool CanCreateFilesIn(const std::string& folder);

// Whether both paths name one file: the same inode when both exist (another name or a hard
// link), else the same path once made absolute and normal.
bool SameFile(const std::string& a, const std::string& b);
// `folder` with exactly one trailing "/".
std::string WithTrailingSlash(std::string folder);

}  // namespace qel
