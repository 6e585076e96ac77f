#include "engine/extract/SafeFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>

namespace qel {

namespace {

int OpenAt(int dir, const char* name, int flags, mode_t mode) {
  int fd;
  do {
    fd = ::openat(dir, name, flags, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

}  // namespace

int OpenFolderBelow(const std::string& root, const std::string& rel, bool create) {
  int fd = OpenAt(AT_FDCWD, root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC, 0);
  size_t start = 0;
  while (fd >= 0 && start < rel.size()) {
    size_t end = rel.find('/', start);
    if (end == std::string::npos) end = rel.size();
    std::string part = rel.substr(start, end - start);
    start = end + 1;
    if (part.empty()) continue;
    const int flags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int next = OpenAt(fd, part.c_str(), flags, 0);
    if (next < 0 && errno == ENOENT && create &&
        (::mkdirat(fd, part.c_str(), 0777) == 0 || errno == EEXIST))
      next = OpenAt(fd, part.c_str(), flags, 0);
    // A link below the root reads as ELOOP or ENOTDIR: either way no way through.
    int err = errno;
    ::close(fd);
    errno = err;
    fd = next;
  }
  return fd;
}

std::unique_ptr<TOutputFile> TOutputFile::Replace(int folder, const std::string& name,
                                                  const std::string& path) {
  if (::unlinkat(folder, name.c_str(), 0) != 0 && errno != ENOENT) {
    struct stat st {};
    if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode))
      errno = EISDIR;
    return nullptr;
  }
  // O_EXCL: whatever appears at the name between the unlink and here is not ours to open.
  int fd = OpenAt(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  return std::unique_ptr<TOutputFile>(new TOutputFile(fd, path));
}

std::unique_ptr<TOutputFile> TOutputFile::Append(const std::string& path) {
  int fd = OpenAt(AT_FDCWD, path.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0);
  if (fd < 0) return nullptr;
  return std::unique_ptr<TOutputFile>(new TOutputFile(fd, path));
}

bool TOutputFile::SetTime(int64_t unixTime) {
  struct timespec times[2];
  times[0].tv_sec = times[1].tv_sec = static_cast<time_t>(unixTime);
  times[0].tv_nsec = times[1].tv_nsec = 0;
  return ::futimens(handle_, times) == 0;
}

bool TOutputFile::SetMode(unsigned mode) { return ::fchmod(handle_, mode_t(mode)) == 0; }

unsigned CurrentUmask() {
  // umask() can only be read by setting it, which would race with other threads creating
  // files; the kernel shows the value in the process status.
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) != 0) continue;
    unsigned mask = 0;
    std::istringstream(line.substr(6)) >> std::oct >> mask;
    return mask;
  }
  return 022;
}

}  // namespace qel
