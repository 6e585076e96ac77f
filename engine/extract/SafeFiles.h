// Creating extraction output without following symbolic links that are already in the
// target tree: the engine never makes links, but a folder may hold some, and writing
// through one would change a file outside the target folder.
#pragma once

#include <memory>
#include <string>

#include "engine/streams/FileStream32.h"

namespace qel {

// Opens the folder `rel` below the folder `root` ("" for root itself), creating missing
// folders when `create` is set. `root` itself is followed (the user chose it); no folder
// below it may be a link. Answers a descriptor (O_PATH) or -1 with errno set.
int OpenFolderBelow(const std::string& root, const std::string& rel, bool create);

// An extracted file being written.
class TOutputFile : public TFileStream32 {
 public:
  // Creates `name` in the open folder `folder`, replacing what is there: an existing file
  // or link is removed first, so a link is replaced, never written through. Null with
  // errno set on failure (EISDIR when a folder is in the way).
  static std::unique_ptr<TOutputFile> Replace(int folder, const std::string& name,
                                              const std::string& path);
  // Opens a file this operation created for writing at its end (an entry continued on the
  // next volume). Null with errno set on failure.
  static std::unique_ptr<TOutputFile> Append(const std::string& path);

  // Sets the modification (and access) time, in Unix seconds.
  bool SetTime(int64_t unixTime);
  // Sets the permission bits.
  bool SetMode(unsigned mode);
  // Closes the file; false when the system reported a delayed write error.
  using TFileStream32::Close;

 private:
  using TFileStream32::TFileStream32;
};

// The process's file-creation mask, read without changing it.
unsigned CurrentUmask();

}  // namespace qel
