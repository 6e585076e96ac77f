// Copying whole entries of one ZIP into a new one: each entry's bytes (header, name, extra
// field, data and descriptor) go over as they stand, and its central record follows it with
// the new offset on disk 0. Merging a split set and taking the stub off a self-extractor both
// build their archive so.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "formats/zip/DirectoryCopy.h"

namespace qel {

class TStream64;
class TZipCommon;

// Copies bytes `from` to `span` of an entry `span` bytes long through `copy(at, n)` (`at`
// counted from the entry's start) in pieces, so that progress moves and a cancel is heard;
// `done` counts the bytes of the whole operation, which has `total`. `copy` raises through
// `owner` when it fails; a cancel raises too.
void CopyInPieces(TZipCommon& owner, uint64_t from, uint64_t span, int64_t total, int64_t& done,
                  const std::function<void(uint64_t at, int64_t n)>& copy);

class TEntryCopy {
 public:
  // Copies `count` bytes at `pos` of the source to the current position of `outFd`.
  using TCopy = std::function<bool(int64_t pos, int outFd, int64_t count)>;

  // Errors, progress and the cancel flag go through `owner`; `readAt` and `size` are the
  // source's.
  TEntryCopy(TZipCommon& owner, TReadAt readAt, int64_t size, TCopy copy);

  // Appends the entry whose local header is at `localPos` of the source to `out` (a file's
  // stream at its end). Raises through the owner when the entry is not whole there.
  void Copy(const zip::TDirEntry& entry, int64_t localPos, TStream64& out, int outFd);
  // The directory and the end records after the copied entries; false when a write failed.
  bool Finish(TStream64& out, const std::string& comment, const TSeedKeyRecord* endSeed);
  int Count() const { return count_; }

 private:
  TZipCommon& owner_;
  TReadAt readAt_;
  int64_t size_;
  TCopy copy_;
  std::vector<uint8_t> directory_;
  int count_ = 0;
  int64_t done_ = 0;
};

}  // namespace qel
