#include "engine/streams/FileStream32.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace qel {

namespace {

// Open flags for a mode, or -1 for a mode that names no access.
int OpenFlags(uint16_t mode) {
  if (mode == fmCreate) return O_RDWR | O_CREAT | O_TRUNC | O_NOFOLLOW;
  switch (mode & 0x000F) {
    case fmOpenRead:
      return O_RDONLY;
    case fmOpenWrite:
      return O_WRONLY;
    case fmOpenReadWrite:
      return O_RDWR;
    default:
      return -1;
  }
}

}  // namespace

std::unique_ptr<TFileStream32> TFileStream32::Open(const std::string& path, uint16_t mode) {
  int flags = OpenFlags(mode);
  if (flags < 0 || path.empty()) {
    errno = flags < 0 ? EINVAL : ENOENT;
    return nullptr;
  }
  // O_NONBLOCK keeps the open itself from waiting on a FIFO; it is cleared again below.
  int fd;
  do {
    fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return nullptr;

  struct stat st;
  int err = 0;
  if (::fstat(fd, &st) != 0) {
    err = errno;
  } else if (!S_ISREG(st.st_mode)) {
    err = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
  } else if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    err = errno;
  }
  if (err != 0) {
    ::close(fd);
    errno = err;
    return nullptr;
  }
  const bool readOnly = (flags & O_ACCMODE) == O_RDONLY;
  return std::unique_ptr<TFileStream32>(
      new TFileStream32(fd, path, readOnly ? int64_t(st.st_size) : -1));
}

TFileStream32::~TFileStream32() { Close(); }

bool TFileStream32::Close() {
  if (handle_ < 0) return true;
  // A close interrupted by a signal has still released the descriptor on Linux: no retry.
  bool ok = ::close(handle_) == 0;
  handle_ = -1;
  fixedSize_ = -1;
  return ok;
}

}  // namespace qel
