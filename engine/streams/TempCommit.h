// Replacing an archive with the temporary archive a writer built. The archive is never
// rewritten in place: the new one is renamed over it, and when it lies on another file
// system it is first copied beside the archive. Whatever fails, the old archive stays as
// it was.
#pragma once

#include <sys/types.h>
#include <cstdint>
#include <functional>
#include <string>

namespace qel {

// Creates an empty file named "$$_XXXXXX.tmp" (X a unique part) in `folder` (the current
// folder when empty), exclusively, with mode 0600 and close-on-exec, and locks it for as
// long as the descriptor is open. Answers its descriptor and sets `path`, or answers -1 with
// errno set.
int CreateTempFile(const std::string& folder, std::string& path);

// The process's umask, read without changing it (umask(2) can only be read by setting it,
// which would race with other threads creating files).
mode_t CurrentUmask();

// Moves the finished file `path` onto `target` as a temporary archive is committed: renamed
// over it, or copied beside it and renamed when the two lie on different file systems; not
// made durable, for its sources stay. False, with errno set, leaves `target` as it was.
bool CommitFile(const std::string& path, const std::string& target);

// Deletes the temporary files in `folder` that a process killed half-way left behind: this
// user's, older than ten minutes, and locked by no process.
void RemoveStaleTempFiles(const std::string& folder);

// Told how far a commit's copy has got, in bytes.
using TCommitProgress = std::function<void(int64_t done, int64_t total)>;
// Reads `count` bytes of a new archive at `pos`; answers the bytes read, -1 on error.
using TCommitSource = std::function<int64_t(int64_t pos, void* buffer, int64_t count)>;

// The commit shared by the temporary archives, file or memory.
class TTempCommit {
 public:
  // Called as a commit copies the new archive beside the target.
  TCommitProgress OnCopyProgress;
  // Whether the new file is made durable (fsync) before it takes the target's name: always
  // for an archive written over an old one or over the files it moved. A file made from
  // sources that stay where they are (a merged set, a self-extractor) may leave that to the
  // system, as a plain copy does.
  bool Durable = true;

  // The errno value that made the last commit fail (ENOSPC: the disk is full), 0 after a
  // success.
  int CommitError() const { return commitError_; }

 protected:
  // Moves the temporary file `tempPath`, open as `handle`, onto `target`, copying it when
  // the two lie on different file systems. On success the temporary file is gone (renamed,
  // or deleted after the copy); on failure it is still there.
  bool CommitByRename(int handle, const std::string& tempPath, const std::string& target);
  // Writes `size` bytes from `source` into a new file beside `target` and renames it over.
  bool CommitByCopy(const TCommitSource& source, int64_t size, const std::string& target);

 private:
  bool Finish(bool ok);
  int commitError_ = 0;
};

}  // namespace qel
