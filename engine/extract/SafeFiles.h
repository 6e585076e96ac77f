// Creating extraction output without following symbolic links that are already in the
// target tree: the engine never makes links, but a folder may hold some, and writing
// through one would change a file outside the target folder.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/streams/FileStream32.h"

namespace qel {

// Opens folders below a root folder for one entry after another. Entries come folder by
// folder, so the folders of the last path stay open and the next walk starts below the
// deepest one it shares: only the levels that differ are opened. A descriptor kept open
// still names the folder that was reached without following a link, wherever that folder
// is moved later.
class TFolderCache {
 public:
  TFolderCache() = default;
  ~TFolderCache() { Clear(); }
  TFolderCache(const TFolderCache&) = delete;
  TFolderCache& operator=(const TFolderCache&) = delete;

  // The folder `rel` below the folder `root` ("" for root itself), creating missing
  // folders. `root` itself is followed (the user chose it); no folder below it may be a
  // link. Answers a descriptor (O_PATH), which stays the cache's and is valid until the
  // next call or Clear, or -1 with errno set.
  int Open(const std::string& root, const std::string& rel);
  // Closes every kept folder.
  void Clear();

  // The mode a file created with 0666 in the folder last opened gets (the umask or a
  // default ACL decides it): the same for every such file, so learnt from the first one.
  std::optional<unsigned> CreatedMode;

 private:
  std::string root_;
  std::vector<std::string> names_;  // the components below the root
  std::vector<int> folders_;        // the root, then one descriptor per component
};

// An extracted file being written. It is made under a temporary name in its folder and
// takes its own name only when Commit is called (once its data proved right): a failed or
// cancelled entry leaves what was there untouched. Dropped uncommitted, the temporary file
// goes with it. The folder's descriptor is borrowed: the caller keeps it open for as long
// as the file lives.
class TOutputFile : public TFileStream32 {
 public:
  ~TOutputFile() override;

  // Creates the temporary file for `name` in the open folder `folder` with mode 0666 (less
  // the umask). Null with errno set on failure (EISDIR when a folder is named `name`).
  // `direct`: the data is known to be right and nothing is at `name`, so the file is made
  // under `name` itself (a rename less per file); it is removed if dropped uncommitted,
  // and when something appeared at `name` meanwhile, a temporary file is made after all.
  static std::unique_ptr<TOutputFile> Create(int folder, const std::string& name,
                                             const std::string& path, bool direct = false);
  // Opens a file this operation created for writing at its end (an entry continued on the
  // next volume). Null with errno set on failure.
  static std::unique_ptr<TOutputFile> Append(const std::string& path);

  // Sets the modification (and access) time, in Unix seconds.
  bool SetTime(int64_t unixTime);
  // Sets the permission bits.
  bool SetMode(unsigned mode);
  // Closes the file; false when the system reported a delayed write error.
  using TFileStream32::Close;
  // Gives the file its name, replacing what is there (a link is replaced, never written
  // through). False with errno set on failure.
  bool Commit();

 private:
  TOutputFile(int handle, const std::string& path, int folder, std::string tempName,
              std::string name, bool direct);

  int folder_ = -1;       // borrowed; -1 for a file opened by its path
  std::string tempName_;  // in folder_, until committed: the file's name, made directly
  std::string name_;
  bool direct_ = false;
};

}  // namespace qel
