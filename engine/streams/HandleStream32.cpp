#include "engine/streams/HandleStream32.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "engine/streams/FileCopy.h"

namespace qel {

static_assert(sizeof(off_t) == 8, "file positions must be 64-bit");

namespace {

// One system call moves at most this much; larger requests are split by the callers' loops.
constexpr int64_t kMaxTransfer = int64_t(1) << 30;

}  // namespace

int64_t THandleStream32::Read(void* buffer, int64_t count) {
  if (handle_ < 0 || count <= 0) return 0;
  ssize_t n;
  do {
    n = ::read(handle_, buffer, size_t(std::min(count, kMaxTransfer)));
  } while (n < 0 && errno == EINTR);
  if (n <= 0) return 0;
  Progress.Moved(n);
  return n;
}

int64_t THandleStream32::Write(const void* buffer, int64_t count) {
  if (handle_ < 0 || count <= 0) return 0;
  auto* in = static_cast<const uint8_t*>(buffer);
  int64_t done = 0;
  while (done < count) {
    ssize_t n = ::write(handle_, in + done, size_t(std::min(count - done, kMaxTransfer)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

int64_t THandleStream32::Seek(int64_t offset, TSeekOrigin origin) {
  if (handle_ < 0) return -1;
  int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
               : origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                  : SEEK_END;
  return ::lseek(handle_, offset, whence);
}

int64_t THandleStream32::Size() {
  struct stat st;
  if (handle_ < 0 || ::fstat(handle_, &st) != 0) return 0;
  return st.st_size;
}

bool THandleStream32::SetSize(int64_t size) {
  if (handle_ < 0 || size < 0) return false;
  int rc;
  do {
    rc = ::ftruncate(handle_, size);
  } while (rc != 0 && errno == EINTR);
  return rc == 0;
}

int64_t THandleStream32::CopyFrom(TStream64& source, int64_t count) {
  auto* file = dynamic_cast<THandleStream32*>(&source);
  const int64_t from = file ? file->Position() : -1;
  if (!file || count <= 0 || from < 0) return TStream64::CopyFrom(source, count);
  if (!CopyFileBytes(file->handle_, from, handle_, count)) return 0;
  file->Seek(from + count, TSeekOrigin::soBeginning);
  file->Progress.Moved(count);
  return count;
}

}  // namespace qel
