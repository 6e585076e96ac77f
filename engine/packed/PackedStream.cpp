#include "engine/packed/PackedStream.h"

#include <algorithm>

#include "engine/base/Messages.h"
#include "engine/packed/Bzip2Reader.h"
#include "engine/packed/GzipHeader.h"
#include "engine/packed/GzipReader.h"
#include "engine/packed/LzwReader.h"
#include "engine/streams/Stream.h"

namespace qel {

int64_t TPackedStream::Read(void* buffer, int64_t count) {
  auto* out = static_cast<uint8_t*>(buffer);
  int64_t done = 0;
  // A step that gives nothing while the data goes on has moved on to the next member.
  while (done < count && state_ == TPackedState::Reading)
    done += std::max<int64_t>(Decode(out + done, count - done), 0);
  position_ += done;
  return done;
}

int64_t TPackedStream::Seek(int64_t offset, TSeekOrigin origin) {
  const int64_t target = origin == TSeekOrigin::soBeginning ? offset : position_ + offset;
  if (origin == TSeekOrigin::soEnd || target < position_) return position_;
  uint8_t scratch[16384];
  while (position_ < target && !(Cancelled && Cancelled())) {
    if (Read(scratch, std::min<int64_t>(target - position_, sizeof scratch)) == 0) break;
  }
  return position_;
}

TFedPackedStream::TFedPackedStream(TStream64& file)
    : Source([this](uint8_t* buffer, size_t size) {
        const int64_t n = std::max<int64_t>(file_.ReadAt(consumed_, buffer, int64_t(size)), 0);
        consumed_ += n;
        return size_t(n);
      }),
      file_(file) {}

TPackedKind PackedKindOf(const uint8_t* head, int64_t size) {
  if (size >= 2 && head[0] == gzip::kId1) {
    if (head[1] == gzip::kGzip || head[1] == gzip::kOldGzip) return TPackedKind::Gzip;
    if (head[1] == gzip::kCompress) return TPackedKind::Compress;
  }
  if (size >= 4 && head[0] == 'B' && head[1] == 'Z' && head[2] == 'h' && head[3] >= '1' &&
      head[3] <= '9')
    return TPackedKind::Bzip2;
  return TPackedKind::None;
}

std::unique_ptr<TPackedStream> OpenPacked(TStream64& file, int& refusal) {
  refusal = 0;
  uint8_t head[4] = {};
  const int64_t got = file.ReadAt(0, head, sizeof head);
  switch (PackedKindOf(head, got)) {
    case TPackedKind::Gzip:
      return OpenGzip(file, refusal);
    case TPackedKind::Compress:
      return OpenLzw(file, refusal);
    case TPackedKind::Bzip2:
      return std::make_unique<TBzip2Reader>(file);
    case TPackedKind::None:
      if (got >= 2 && gzip::IsGzipFamily(head)) refusal = msg::UnsupportedMethod;
      return nullptr;
  }
  return nullptr;
}

}  // namespace qel
