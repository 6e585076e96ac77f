#include "formats/zip/JoinedVolumes.h"

#include <sys/stat.h>

#include <algorithm>

#include "engine/base/Messages.h"
#include "engine/base/ZipCommon.h"
#include "engine/streams/FileCopy.h"
#include "engine/volumes/VolumeNames.h"

namespace qel {

bool TJoinedVolumes::Find(TZipCommon& owner, const std::string& lastPart, int lastVolume) {
  names_.clear();
  starts_.assign(1, 0);
  open_.reset();
  for (int volume = 1; volume <= lastVolume; ++volume) {
    std::string name = VolumeFileName(lastPart, volume, lastVolume, volume == lastVolume);
    if (!owner.RequestNextVolume(name, volume)) return false;
    // Only the size is taken now: a set may have more volumes than a process may hold open.
    struct stat st {};
    if (::stat(name.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
      owner.DoError(name, "", msg::ErrorOpeningFile, name);
      return false;
    }
    names_.push_back(name);
    starts_.push_back(starts_.back() + int64_t(st.st_size));
  }
  return true;
}

int64_t TJoinedVolumes::Position(uint32_t disk, uint64_t offset) const {
  if (disk >= names_.size()) return -1;
  const uint64_t size = uint64_t(starts_[disk + 1] - starts_[disk]);
  return offset <= size ? starts_[disk] + int64_t(offset) : -1;
}

std::pair<size_t, int64_t> TJoinedVolumes::Locate(int64_t pos) const {
  const auto next = std::upper_bound(starts_.begin(), starts_.end(), pos);
  const size_t index = size_t(next - starts_.begin()) - 1;
  return {index, pos - starts_[index]};
}

TFileStream32* TJoinedVolumes::Volume(size_t index) {
  if (!open_ || openIndex_ != index) {
    open_ = TFileStream32::Open(names_[index], fmOpenRead);
    openIndex_ = index;
    // A volume that changed size since it was found no longer fits the joined positions.
    if (open_ && open_->Size() != starts_[index + 1] - starts_[index]) open_.reset();
  }
  return open_.get();
}

template <typename Piece>
bool TJoinedVolumes::Across(int64_t pos, int64_t count, Piece&& piece) {
  if (pos < 0 || count < 0 || count > Size() - pos) return false;
  while (count > 0) {
    auto [index, at] = Locate(pos);
    const int64_t n = std::min(count, starts_[index + 1] - pos);
    TFileStream32* file = Volume(index);
    if (!file || !piece(*file, at, n)) return false;
    pos += n;
    count -= n;
  }
  return true;
}

bool TJoinedVolumes::ReadAt(int64_t pos, uint8_t* data, int64_t size) {
  return Across(pos, size, [&data](TFileStream32& file, int64_t at, int64_t n) {
    const bool read = file.ReadExactAt(at, data, n);
    data += n;
    return read;
  });
}

bool TJoinedVolumes::CopyTo(int64_t pos, int outFd, int64_t count) {
  return Across(pos, count, [outFd](TFileStream32& file, int64_t at, int64_t n) {
    return CopyFileBytes(file.Handle(), at, outFd, n);
  });
}

}  // namespace qel
