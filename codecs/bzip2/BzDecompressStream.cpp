#include "codecs/bzip2/BzDecompressStream.h"

#include <algorithm>
#include <climits>

#include "codecs/bzip2/Bz2Errors.h"

namespace qel {

namespace {

constexpr int kVerbosity = 0;
constexpr int kSmall = 0;  // the fast decoder; its memory is at most some 3.7 MB

void StartDecoder(bz_stream& bz) {
  const int result = BZ2_bzDecompressInit(&bz, kVerbosity, kSmall);
  if (result != BZ_OK) RaiseBz2Error(result, TBz2Stage::Init);
}

}  // namespace

TBzDecompressStream::TBzDecompressStream(const TCodecSource& source) : source_(source) {
  StartDecoder(bz_);
}

TBzDecompressStream::~TBzDecompressStream() { BZ2_bzDecompressEnd(&bz_); }

bool TBzDecompressStream::FillInput() {
  if (bz_.avail_in > 0) return true;
  if (sourceEnded_) return false;
  const size_t got = source_(reinterpret_cast<uint8_t*>(buffer_.get()), kBufferSize);
  sourceEnded_ = got == 0;
  bz_.next_in = buffer_.get();
  bz_.avail_in = unsigned(got);
  totalIn_ += int64_t(got);
  return got > 0;
}

bool TBzDecompressStream::NextStream() {
  if (!FillInput()) return false;
  // The input left over is the user's: restarting libbz2 does not keep it.
  char* next = bz_.next_in;
  const unsigned left = bz_.avail_in;
  BZ2_bzDecompressEnd(&bz_);
  bz_ = bz_stream{};
  StartDecoder(bz_);
  bz_.next_in = next;
  bz_.avail_in = left;
  streamEnded_ = false;
  laterStream_ = true;
  return true;
}

int64_t TBzDecompressStream::Read(void* buffer, int64_t count) {
  auto* out = static_cast<char*>(buffer);
  int64_t produced = 0;
  while (produced < count && !ended_) {
    if (streamEnded_ && !NextStream()) {
      ended_ = true;
      break;
    }
    FillInput();
    bz_.next_out = out + produced;
    bz_.avail_out = unsigned(std::min<int64_t>(count - produced, INT_MAX));
    const unsigned room = bz_.avail_out;
    const int result = BZ2_bzDecompress(&bz_);
    const unsigned made = room - bz_.avail_out;
    produced += made;
    switch (result) {
      case BZ_OK:
        // Nothing more can come of an input that is all taken and has ended.
        if (made == 0 && bz_.avail_in == 0 && sourceEnded_) ended_ = truncated_ = true;
        break;
      case BZ_STREAM_END:
        streamEnded_ = true;
        break;
      case BZ_DATA_ERROR_MAGIC:
        // Bytes after a complete stream that do not start another are not data: bzip2
        // ignores them with a warning.
        ended_ = true;
        dataError_ = !laterStream_;
        break;
      case BZ_DATA_ERROR:
        ended_ = dataError_ = true;
        break;
      default:
        RaiseBz2Error(result, TBz2Stage::Decompress);
    }
  }
  return produced;
}

}  // namespace qel
