#include "formats/uue/TextLines.h"

#include <algorithm>
#include <cstring>

namespace qel::uu {
namespace {

constexpr int64_t kBuffer = 1 << 16;

}  // namespace

TTextLines::TTextLines(TReadAt readAt, int64_t start, int64_t end)
    : readAt_(std::move(readAt)), end_(end), bufferStart_(start) {}

bool TTextLines::Fill() {
  const int64_t from = Position();
  const int64_t n = std::min<int64_t>(kBuffer, end_ - from);
  if (n <= 0) return false;
  buffer_.resize(size_t(n));
  if (!readAt_(from, buffer_.data(), n)) {
    buffer_.clear();
    end_ = from;
    return false;
  }
  bufferStart_ = from;
  at_ = 0;
  return true;
}

bool TTextLines::Next(std::string& line) {
  line.clear();
  cut_ = false;
  if (at_ >= buffer_.size() && !Fill()) return false;
  for (;;) {
    const uint8_t* begin = buffer_.data() + at_;
    const uint8_t* end = buffer_.data() + buffer_.size();
    // The first LF, then a CR before it: two scans that run far faster than one that
    // looks for both.
    const auto* lf = static_cast<const uint8_t*>(std::memchr(begin, '\n', size_t(end - begin)));
    const uint8_t* stop = lf ? lf : end;
    if (const void* cr = std::memchr(begin, '\r', size_t(stop - begin)))
      stop = static_cast<const uint8_t*>(cr);
    const size_t room = kMaxLine - std::min(kMaxLine, line.size());
    cut_ = cut_ || size_t(stop - begin) > room;
    line.append(reinterpret_cast<const char*>(begin), std::min<size_t>(room, size_t(stop - begin)));
    at_ = size_t(stop - buffer_.data());
    if (stop != end) {
      // CR LF is one line end, also when a buffer boundary falls between the two.
      const bool cr = *stop == '\r';
      ++at_;
      if (cr && (at_ < buffer_.size() || Fill()) && buffer_[at_] == '\r' &&
          (at_ + 1 < buffer_.size() ? buffer_[at_ + 1] == '\n' : false))
        ++at_;  // CR CR LF
      if (cr && (at_ < buffer_.size() || Fill()) && buffer_[at_] == '\n') ++at_;
      return true;
    }
    if (!Fill()) return true;  // the last line has no end
  }
}

}  // namespace qel::uu
