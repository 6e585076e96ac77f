#include "formats/uue/TextLines.h"

#include <algorithm>

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
  if (at_ >= buffer_.size() && !Fill()) return false;
  for (;;) {
    const auto begin = buffer_.begin() + std::ptrdiff_t(at_);
    const auto stop =
        std::find_if(begin, buffer_.end(), [](uint8_t c) { return c == '\n' || c == '\r'; });
    const size_t room = kMaxLine - std::min(kMaxLine, line.size());
    line.append(begin, begin + std::ptrdiff_t(std::min<size_t>(room, size_t(stop - begin))));
    at_ = size_t(stop - buffer_.begin());
    if (stop != buffer_.end()) {
      // CR LF is one line end, also when a buffer boundary falls between the two.
      const bool cr = *stop == '\r';
      ++at_;
      if (cr && (at_ < buffer_.size() || Fill()) && buffer_[at_] == '\n') ++at_;
      return true;
    }
    if (!Fill()) return true;  // the last line has no end
  }
}

}  // namespace qel::uu
