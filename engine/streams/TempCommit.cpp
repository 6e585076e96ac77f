#include "engine/streams/TempCommit.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string_view>
#include <vector>

#include "engine/streams/FileCopy.h"

namespace qel {

namespace {

constexpr char kTempPattern[] = "$$_XXXXXX.tmp";
constexpr int kTempSuffixLength = 4;  // ".tmp"
constexpr time_t kStaleAge = 10 * 60;
constexpr int64_t kCopyBlock = int64_t(1) << 20;

// The file a commit replaces, as found before anything is touched.
struct TTarget {
  std::string Path;  // a symbolic link resolved to the file it names, so the link survives
  std::string Folder;
  bool Exists = false;
  struct stat Status {};
};

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Only a regular file (or nothing yet) can be replaced; a dangling link fails with ENOENT
// rather than being replaced by a file or followed to wherever it points.
bool ResolveTarget(const std::string& target, TTarget& out) {
  if (target.empty()) {
    errno = ENOENT;
    return false;
  }
  out.Path = target;
  struct stat st;
  if (::lstat(target.c_str(), &st) != 0) {
    if (errno != ENOENT) return false;
  } else {
    if (S_ISLNK(st.st_mode)) {
      std::unique_ptr<char, decltype(&std::free)> real(::realpath(target.c_str(), nullptr),
                                                       &std::free);
      if (!real || ::stat(real.get(), &st) != 0) return false;
      out.Path = real.get();
    }
    if (!S_ISREG(st.st_mode)) {
      errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
      return false;
    }
    out.Exists = true;
    out.Status = st;
  }
  out.Folder = FolderOf(out.Path);
  return true;
}

void SyncFolder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Gives the new archive the old one's owner and permission bits (a new archive gets the
// mode of any newly created file), makes it durable when asked and renames it over the
// target.
bool Replace(int fd, const std::string& from, const TTarget& target, bool durable) {
  mode_t mode = 0666 & ~CurrentUmask();
  if (target.Exists) {
    // Only root may give a file away; a group the user belongs to is still worth keeping.
    // fchown clears the set-id bits, so the mode is set after it.
    // Failing both leaves the new archive the user's own, which it is anyway.
    if (::fchown(fd, target.Status.st_uid, target.Status.st_gid) != 0) {
      [[maybe_unused]] int ignored = ::fchown(fd, uid_t(-1), target.Status.st_gid);
    }
    mode = target.Status.st_mode & 07777;
  }
  if (::fchmod(fd, mode) != 0 || (durable && ::fsync(fd) != 0)) return false;
  if (::rename(from.c_str(), target.Path.c_str()) != 0) return false;
  if (durable) SyncFolder(target.Folder);
  return true;
}

// Copies into a sibling of the target and renames that over it: copying onto the target
// itself would destroy the old archive if the copy failed half-way.
bool CopyBeside(const TCommitSource& source, int64_t size, const TTarget& target,
                const TCommitProgress& progress, bool durable) {
  std::string path;
  int fd = CreateTempFile(target.Folder, path);
  if (fd < 0) return false;
  std::vector<uint8_t> buffer(size_t(std::min(std::max<int64_t>(size, 1), kCopyBlock)));
  bool ok = true;
  for (int64_t done = 0; ok && done < size;) {
    int64_t n = source(done, buffer.data(), std::min(kCopyBlock, size - done));
    if (n <= 0) {
      if (n == 0) errno = EIO;  // the temporary archive is shorter than it was
      ok = false;
    } else {
      ok = WriteFileBytes(fd, buffer.data(), n);
      done += n;
      if (ok && progress) progress(done, size);
    }
  }
  ok = ok && Replace(fd, path, target, durable);
  int err = errno;
  ::close(fd);
  if (!ok) {
    ::unlink(path.c_str());
    errno = err;
  }
  return ok;
}

}  // namespace

mode_t CurrentUmask() {
  mode_t mask = 022;
  if (FILE* f = std::fopen("/proc/self/status", "re")) {
    char line[256];
    while (std::fgets(line, sizeof line, f)) {
      if (std::strncmp(line, "Umask:", 6) == 0) {
        mask = mode_t(std::strtoul(line + 6, nullptr, 8)) & 0777;
        break;
      }
    }
    std::fclose(f);
  }
  return mask;
}

int CreateTempFile(const std::string& folder, std::string& path) {
  std::string name = folder.empty() ? std::string() : folder.back() == '/' ? folder : folder + '/';
  name += kTempPattern;
  int fd;
  do {
    fd = ::mkostemps(name.data(), kTempSuffixLength, O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd >= 0) {
    path = name;
    // The lock tells a later clean-up that the file is in use; it ends with the process.
    ::flock(fd, LOCK_EX | LOCK_NB);
  }
  return fd;
}

void RemoveStaleTempFiles(const std::string& folder) {
  const std::string dir = folder.empty() ? std::string(".") : folder;
  std::unique_ptr<DIR, int (*)(DIR*)> d(::opendir(dir.c_str()), ::closedir);
  if (!d) return;
  const std::string_view pattern = kTempPattern;
  const time_t now = ::time(nullptr);
  while (const dirent* entry = ::readdir(d.get())) {
    const std::string_view name = entry->d_name;
    if (name.size() != pattern.size() || !name.starts_with(pattern.substr(0, 3)) ||
        !name.ends_with(pattern.substr(pattern.size() - kTempSuffixLength)))
      continue;
    const int fd =
        ::openat(::dirfd(d.get()), entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::getuid() &&
        now - st.st_mtime > kStaleAge && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
      ::unlinkat(::dirfd(d.get()), entry->d_name, 0);
    ::close(fd);
  }
}

bool TTempCommit::Finish(bool ok) {
  commitError_ = ok ? 0 : errno;
  return ok;
}

bool TTempCommit::CommitByRename(int handle, const std::string& tempPath,
                                 const std::string& target) {
  TTarget resolved;
  struct stat temp, folder;
  if (!ResolveTarget(target, resolved) || ::fstat(handle, &temp) != 0 ||
      ::stat(resolved.Folder.c_str(), &folder) != 0) {
    return Finish(false);
  }
  // A rename across mount points of one file system also fails with EXDEV.
  if (temp.st_dev == folder.st_dev) {
    if (Replace(handle, tempPath, resolved, Durable)) return Finish(true);
    if (errno != EXDEV) return Finish(false);
  }
  auto source = [handle](int64_t pos, void* buffer, int64_t count) -> int64_t {
    ssize_t n;
    do {
      n = ::pread(handle, buffer, size_t(count), pos);
    } while (n < 0 && errno == EINTR);
    return n;
  };
  if (!CopyBeside(source, temp.st_size, resolved, OnCopyProgress, Durable)) return Finish(false);
  ::unlink(tempPath.c_str());
  return Finish(true);
}

bool TTempCommit::CommitByCopy(const TCommitSource& source, int64_t size,
                               const std::string& target) {
  TTarget resolved;
  return Finish(ResolveTarget(target, resolved) &&
                CopyBeside(source, size, resolved, OnCopyProgress, Durable));
}

bool CommitFile(const std::string& path, const std::string& target) {
  struct TFileCommit : TTempCommit {
    using TTempCommit::CommitByRename;
  };
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  TFileCommit commit;
  commit.Durable = false;
  const bool done = commit.CommitByRename(fd, path, target);
  ::close(fd);
  return done;
}

}  // namespace qel
