#include "codecs/bzip2/BZCompressStream.h"

#include <algorithm>
#include <climits>

#include "codecs/bzip2/Bz2Errors.h"
#include "codecs/checksum/Crc.h"

namespace qel {

namespace {

constexpr int kVerbosity = 0;
constexpr int kWorkFactor = 30;

}  // namespace

TBZCompressStream::TBZCompressStream(IByteSink& destination, int blockSize, IDataCipher* cipher)
    : destination_(destination), cipher_(cipher) {
  const int result = BZ2_bzCompressInit(&bz_, blockSize, kVerbosity, kWorkFactor);
  if (result != BZ_OK) RaiseBz2Error(result, TBz2Stage::Init);
  bz_.next_out = buffer_.get();
  bz_.avail_out = kBufferSize;
}

TBZCompressStream::~TBZCompressStream() { BZ2_bzCompressEnd(&bz_); }

bool TBZCompressStream::Stopped() {
  if (!cancelled_ && Cancel && Cancel->load() != 0) cancelled_ = true;
  return failed_ || cancelled_;
}

void TBZCompressStream::WriteBuffer() {
  const size_t size = kBufferSize - bz_.avail_out;
  auto* data = reinterpret_cast<uint8_t*>(buffer_.get());
  if (!WriteEnciphered(destination_, cipher_, data, size)) failed_ = true;
  bz_.next_out = buffer_.get();
  bz_.avail_out = kBufferSize;
}

int64_t TBZCompressStream::Write(const void* buffer, int64_t count) {
  if (finished_ || count < 0 || Stopped()) return 0;
  const auto* in = static_cast<const char*>(buffer);
  for (int64_t taken = 0; taken < count;) {
    // libbz2 counts its input in an unsigned int.
    const unsigned piece = unsigned(std::min<int64_t>(count - taken, INT_MAX));
    bz_.next_in = const_cast<char*>(in + taken);
    bz_.avail_in = piece;
    while (bz_.avail_in > 0 && !failed_) {
      const int result = BZ2_bzCompress(&bz_, BZ_RUN);
      if (result != BZ_RUN_OK) RaiseBz2Error(result, TBz2Stage::Compress);
      if (bz_.avail_out == 0) WriteBuffer();
    }
    if (failed_) return 0;
    if (!cipher_) crc_ = Crc32(crc_, in + taken, piece);
    taken += piece;
  }
  totalIn_ += count;
  Progress.Moved(count);
  return count;
}

bool TBZCompressStream::Finish() {
  if (finished_) return !failed_ && !cancelled_;
  finished_ = true;
  if (Stopped()) return false;
  bz_.avail_in = 0;
  for (;;) {
    const int result = BZ2_bzCompress(&bz_, BZ_FINISH);
    if (result != BZ_FINISH_OK && result != BZ_STREAM_END) RaiseBz2Error(result, TBz2Stage::Finish);
    // Each full buffer goes as it fills; the partial one once the stream has ended.
    if (result == BZ_STREAM_END || bz_.avail_out == 0) WriteBuffer();
    if (result == BZ_STREAM_END || failed_) break;
  }
  return !failed_;
}

}  // namespace qel
