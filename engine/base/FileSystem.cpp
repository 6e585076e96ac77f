#include "engine/base/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace qel {

int64_t FileCreationTime(int fd) {
  struct statx sx {};
  if (statx(fd, "", AT_EMPTY_PATH, STATX_BTIME | STATX_MTIME, &sx) == 0) {
    if (sx.stx_mask & STATX_BTIME) return int64_t(sx.stx_btime.tv_sec);
    if (sx.stx_mask & STATX_MTIME) return int64_t(sx.stx_mtime.tv_sec);
  }
  struct stat st {};
  return fstat(fd, &st) == 0 ? int64_t(st.st_mtime) : -1;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  std::error_code ec;
  return std::filesystem::weakly_canonical(a, ec) == std::filesystem::weakly_canonical(b, ec);
}

std::string WithTrailingSlash(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

std::string SystemTempFolder() {
  std::error_code ec;
  std::string base = std::filesystem::temp_directory_path(ec).string();
  if (ec || base.empty()) base = "/tmp";
  std::string own = WithTrailingSlash(base) + "vorelkit-" + std::to_string(getuid());
  // Another user could have made the folder first (or put a link there): use it only when
  // it is a real folder of ours.
  mkdir(own.c_str(), 0700);
  struct stat st {};
  if (lstat(own.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid())
    return WithTrailingSlash(own);
  return WithTrailingSlash(base);
}

bool CanCreateFilesIn(const std::string& folder) {
  std::string pattern = WithTrailingSlash(folder) + ".vorelkit-XXXXXX";
  int fd = mkstemp(pattern.data());
  if (fd < 0) return false;
  close(fd);
  unlink(pattern.c_str());
  return true;
}

}  // namespace qel
