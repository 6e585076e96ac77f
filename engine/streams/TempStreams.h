// A writer's temporary archive, in a file or in memory. It replaces the archive only when
// the writer commits it after a successful operation; one that is never committed is simply
// dropped, so a failed or cancelled operation leaves the archive untouched.
#pragma once

#include <memory>
#include <string>

#include "engine/streams/FileStream32.h"
#include "engine/streams/MemoryStream32.h"
#include "engine/streams/TempCommit.h"

namespace qel {

class TTempFileStream : public TFileStream32, public TTempCommit {
 public:
  // Creates "$$_XXXXXX.tmp" in `folder`; null with errno set when that fails.
  static std::unique_ptr<TTempFileStream> Create(const std::string& folder);

  // Deletes the temporary file unless it was committed.
  ~TTempFileStream() override;

  // Replaces `target` (the file a symbolic link names, when it is one) with this archive and
  // closes the stream. False, with CommitError() telling why, leaves `target` as it was
  // and the temporary file in place.
  bool Commit(const std::string& target);

 private:
  using TFileStream32::TFileStream32;
  bool committed_ = false;
};

class TTempMemStream : public TMemoryStream32, public TTempCommit {
 public:
  // Writes the archive into a new file beside `target` and renames it over `target`, as
  // TTempFileStream::Commit does.
  bool Commit(const std::string& target);
};

}  // namespace qel
