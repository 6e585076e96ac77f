#include "engine/streams/MemoryStream32.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace qel {

int64_t TMemoryStream32::Read(void* buffer, int64_t count) {
  int64_t size = Size();
  if (count <= 0 || position_ >= size) return 0;
  int64_t n = std::min(count, size - position_);
  std::memcpy(buffer, data_.data() + position_, size_t(n));
  position_ += n;
  return n;
}

int64_t TMemoryStream32::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  if (position_ > INT64_MAX - count) return 0;
  int64_t end = position_ + count;
  if (end > Size() && !SetSize(end)) return 0;
  std::memcpy(data_.data() + position_, buffer, size_t(count));
  position_ = end;
  return count;
}

int64_t TMemoryStream32::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = origin == TSeekOrigin::soBeginning ? 0
                 : origin == TSeekOrigin::soCurrent ? position_
                                                    : Size();
  if ((offset > 0 && base > INT64_MAX - offset) || base + offset < 0) return -1;
  position_ = base + offset;
  return position_;
}

bool TMemoryStream32::SetSize(int64_t size) {
  if (size < 0 || uint64_t(size) > data_.max_size()) return false;
  try {
    data_.resize(size_t(size));
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void TMemoryStream32::Clear() {
  data_.clear();
  data_.shrink_to_fit();
  position_ = 0;
}

}  // namespace qel
