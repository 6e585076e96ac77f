// The volumes of a split set read as one run of bytes, in volume order: an entry, a header
// or the directory may cross from one volume into the next, as other tools cut them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/streams/FileStream32.h"
#include "formats/zip/RecordReader.h"

namespace qel {

class TZipCommon;

class TJoinedVolumes {
 public:
  // Finds volumes 1 to `lastVolume` of the set whose last part is `lastPart`, asking the
  // owner for each one that is missing until it is there or the owner cancels. False when
  // one stays missing (reported through the owner) or could not be opened.
  bool Find(TZipCommon& owner, const std::string& lastPart, int lastVolume);

  // The file of volume `volume` (from 1).
  const std::string& Name(int volume) const { return names_[size_t(volume - 1)]; }
  int64_t Size() const { return starts_.empty() ? 0 : starts_.back(); }
  // The joined position of `offset` on `disk` (from 0); -1 when the disk has no such byte.
  int64_t Position(uint32_t disk, uint64_t offset) const;
  // The volume and the position in it of joined position `pos` (pos < Size()).
  std::pair<size_t, int64_t> Locate(int64_t pos) const;
  bool ReadAt(int64_t pos, uint8_t* data, int64_t size);
  TReadAt Reader() {
    return [this](int64_t pos, uint8_t* data, int64_t size) { return ReadAt(pos, data, size); };
  }
  // Copies `count` bytes from joined position `pos` to the current position of `outFd`.
  bool CopyTo(int64_t pos, int outFd, int64_t count);

 private:
  TFileStream32* Volume(size_t index);
  // Calls `piece(file, at, n)` for each volume's share of `count` bytes from `pos`; false
  // when they are not all in the set, a volume cannot be opened or a piece fails.
  template <typename Piece>
  bool Across(int64_t pos, int64_t count, Piece&& piece);

  std::vector<std::string> names_;
  std::vector<int64_t> starts_;  // where each volume starts, and the total at the end
  std::unique_ptr<TFileStream32> open_;
  size_t openIndex_ = 0;
};

}  // namespace qel
