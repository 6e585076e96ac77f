#include "engine/extract/SafeFiles.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <utility>

namespace qel {

namespace {

int OpenAt(int dir, const char* name, int flags, mode_t mode) {
  int fd;
  do {
    fd = ::openat(dir, name, flags, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

constexpr int kRootFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
constexpr int kBelowFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// The folder `part` in the open folder `dir`, made first when missing. A link reads as
// ELOOP or ENOTDIR: either way no way through.
int OpenPartBelow(int dir, const std::string& part) {
  int next = OpenAt(dir, part.c_str(), kBelowFlags, 0);
  if (next < 0 && errno == ENOENT && (::mkdirat(dir, part.c_str(), 0777) == 0 || errno == EEXIST))
    next = OpenAt(dir, part.c_str(), kBelowFlags, 0);
  return next;
}

// The non-empty components of `rel`.
std::vector<std::string> SplitPath(const std::string& rel) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start < rel.size()) {
    size_t end = rel.find('/', start);
    if (end == std::string::npos) end = rel.size();
    if (end > start) parts.push_back(rel.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// A number for a temporary name. The names need to be hard to guess and distinct, not
// secret (O_EXCL guards the creation): one seed from the kernel per thread, then splitmix64,
// instead of a system call for every file.
uint32_t TempNumber() {
  thread_local uint64_t state = [] {
    uint64_t seed = 0;
    if (::getrandom(&seed, sizeof seed, 0) != sizeof seed)
      seed = uint64_t(::time(nullptr)) ^ (uint64_t(::getpid()) << 32);
    return seed;
  }();
  uint64_t z = state += 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return uint32_t(z ^ (z >> 31));
}

void CloseKeepingErrno(int fd) {
  const int err = errno;
  ::close(fd);
  errno = err;
}

}  // namespace

int TFolderCache::Open(const std::string& root, const std::string& rel) {
  if (folders_.empty() || root != root_) {
    Clear();
    const int fd = OpenAt(AT_FDCWD, root.c_str(), kRootFlags, 0);
    if (fd < 0) return -1;
    root_ = root;
    folders_.push_back(fd);
  }
  std::vector<std::string> parts = SplitPath(rel);
  size_t shared = 0;
  while (shared < parts.size() && shared < names_.size() && parts[shared] == names_[shared])
    ++shared;
  if (shared != names_.size() || shared != parts.size()) CreatedMode.reset();
  while (names_.size() > shared) {
    ::close(folders_.back());
    folders_.pop_back();
    names_.pop_back();
  }
  for (; shared < parts.size(); ++shared) {
    const int next = OpenPartBelow(folders_.back(), parts[shared]);
    if (next < 0) return -1;
    folders_.push_back(next);
    names_.push_back(std::move(parts[shared]));
  }
  return folders_.back();
}

void TFolderCache::Clear() {
  for (int fd : folders_) CloseKeepingErrno(fd);
  folders_.clear();
  names_.clear();
  root_.clear();
  CreatedMode.reset();
}

TOutputFile::TOutputFile(int handle, const std::string& path, int folder, std::string tempName,
                         std::string name, bool direct)
    : TFileStream32(handle, path),
      folder_(folder),
      tempName_(std::move(tempName)),
      name_(std::move(name)),
      direct_(direct) {}

TOutputFile::~TOutputFile() {
  Close();
  if (folder_ >= 0 && !tempName_.empty()) ::unlinkat(folder_, tempName_.c_str(), 0);
}

std::unique_ptr<TOutputFile> TOutputFile::Create(int folder, const std::string& name,
                                                 const std::string& path, bool direct) {
  // O_EXCL: a name that is taken, by a link above all, is never opened.
  constexpr int kFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
  if (direct) {
    const int fd = OpenAt(folder, name.c_str(), kFlags, 0666);
    if (fd >= 0)
      return std::unique_ptr<TOutputFile>(new TOutputFile(fd, path, folder, name, name, true));
    if (errno != EEXIST) return nullptr;
  }
  struct stat st {};
  if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode)) {
    errno = EISDIR;
    return nullptr;
  }
  // The temporary name is short whatever the entry's name is, and hidden.
  constexpr int kTries = 16;
  for (int attempt = 0; attempt < kTries; ++attempt) {
    char tempName[32];
    std::snprintf(tempName, sizeof tempName, ".vorelkit-%08x.part", TempNumber());
    const int fd = OpenAt(folder, tempName, kFlags, 0666);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) return nullptr;
    return std::unique_ptr<TOutputFile>(new TOutputFile(fd, path, folder, tempName, name, false));
  }
  return nullptr;
}

bool TOutputFile::Commit() {
  if (folder_ < 0 || tempName_.empty()) return true;
  if (!direct_ && ::renameat(folder_, tempName_.c_str(), folder_, name_.c_str()) != 0) {
    if (errno == ENOTEMPTY || errno == EEXIST) errno = EISDIR;
    return false;
  }
  tempName_.clear();
  return true;
}

std::unique_ptr<TOutputFile> TOutputFile::Append(const std::string& path) {
  int fd = OpenAt(AT_FDCWD, path.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0);
  if (fd < 0) return nullptr;
  return std::unique_ptr<TOutputFile>(new TOutputFile(fd, path, -1, "", "", false));
}

bool TOutputFile::SetTime(int64_t unixTime) {
  struct timespec times[2];
  times[0].tv_sec = times[1].tv_sec = static_cast<time_t>(unixTime);
  times[0].tv_nsec = times[1].tv_nsec = 0;
  return ::futimens(handle_, times) == 0;
}

bool TOutputFile::SetMode(unsigned mode) { return ::fchmod(handle_, mode_t(mode)) == 0; }

}  // namespace qel
