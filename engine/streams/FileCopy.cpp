#include "engine/streams/FileCopy.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace qel {
namespace {

bool CopyThroughBuffer(int inFd, int64_t inPos, int outFd, int64_t count) {
  std::vector<char> buffer(size_t(std::min<int64_t>(count, int64_t(1) << 20)));
  while (count > 0) {
    const ssize_t got = ::pread(inFd, buffer.data(),
                                size_t(std::min<int64_t>(count, int64_t(buffer.size()))), inPos);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      if (got == 0) errno = EIO;  // the input is shorter than it claimed
      return false;
    }
    if (!WriteFileBytes(outFd, reinterpret_cast<const uint8_t*>(buffer.data()), got)) return false;
    inPos += got;
    count -= got;
  }
  return true;
}

}  // namespace

bool WriteFileBytes(int fd, const uint8_t* data, int64_t count) {
  while (count > 0) {
    const ssize_t n = ::write(fd, data, size_t(count));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    data += n;
    count -= n;
  }
  return true;
}

bool CopyFileBytes(int inFd, int64_t inPos, int outFd, int64_t count) {
  while (count > 0) {
    loff_t from = inPos;
    const ssize_t n = ::copy_file_range(inFd, &from, outFd, nullptr, size_t(count), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // Across file systems on older kernels, or where the call is missing: copy it plainly.
      if (n < 0 && errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
        return false;
      if (n == 0 && count > 0) {
        errno = EIO;
        return false;
      }
      return CopyThroughBuffer(inFd, inPos, outFd, count);
    }
    inPos += n;
    count -= n;
  }
  return true;
}

}  // namespace qel
