#include "engine/streams/ReadAheadWindow.h"

#include <algorithm>
#include <cstring>

#include "engine/streams/Stream.h"

namespace qel {

void TReadAheadWindow::Use(TStream64* file, int64_t fileSize) {
  file_ = file;
  fileSize_ = file ? fileSize : 0;
  size_ = 0;
}

bool TReadAheadWindow::ReadAt(int64_t pos, void* buffer, int64_t count) {
  if (!file_ || pos < 0 || count < 0 || pos > fileSize_ || count > fileSize_ - pos) return false;
  if (count == 0) return true;
  if (count > windowSize_) return file_->ReadExactAt(pos, buffer, count);
  if (pos < pos_ || pos - pos_ > size_ - count) {
    if (!window_) window_.reset(new uint8_t[size_t(windowSize_)]);
    pos_ = pos;
    size_ = file_->ReadAt(pos, window_.get(), std::min(windowSize_, fileSize_ - pos));
    if (count > size_) {
      size_ = 0;
      return false;
    }
  }
  std::memcpy(buffer, window_.get() + (pos - pos_), size_t(count));
  return true;
}

}  // namespace qel
