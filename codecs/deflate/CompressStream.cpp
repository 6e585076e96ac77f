#include "codecs/deflate/CompressStream.h"

#include <zlib.h>

#include <algorithm>

#include "codecs/checksum/Crc.h"
#include "codecs/deflate/DeflateLevel.h"

namespace qel {

namespace {

// zlib counts its input in 32 bits, so larger writes are handed over in pieces.
constexpr int64_t kMaxPiece = int64_t(1) << 30;

}  // namespace

void TCompressStream::TZlibRelease::operator()(z_stream_s* z) const {
  deflateEnd(z);
  delete z;
}

TCompressStream::TCompressStream(IByteSink& destination, int levelIndex, IDataCipher* cipher)
    : destination_(destination), cipher_(cipher), buffer_(size_t(kBufferSize)) {
  auto z = std::make_unique<z_stream>();
  // Raw Deflate (negative window bits: no zlib header or Adler-32), 32 KB window.
  if (deflateInit2(z.get(), DeflateLevel(levelIndex), Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) !=
      Z_OK) {
    failed_ = true;
    return;
  }
  zlib_.reset(z.release());
  zlib_->next_out = buffer_.data();
  zlib_->avail_out = uInt(kBufferSize);
}

TCompressStream::~TCompressStream() = default;

bool TCompressStream::Stopped() {
  if (!cancelled_ && Cancel && Cancel->load() != 0) cancelled_ = true;
  return failed_ || cancelled_;
}

bool TCompressStream::PassOn(int64_t size) {
  if (size > 0) {
    if (cipher_) cipher_->Encipher(buffer_.data(), size_t(size));
    if (!destination_.WriteFully(buffer_.data(), size)) {
      failed_ = true;
      return false;
    }
  }
  zlib_->next_out = buffer_.data();
  zlib_->avail_out = uInt(kBufferSize);
  return true;
}

bool TCompressStream::Step(int flush) {
  z_stream& z = *zlib_;
  const uInt before = z.avail_in;
  const int rc = deflate(&z, flush);
  if (rc != Z_OK && rc != Z_STREAM_END) {
    failed_ = true;
    return false;
  }
  const uInt took = before - z.avail_in;
  if (!cipher_) crc_ = Crc32(crc_, z.next_in - took, took);
  totalIn_ += took;
  ended_ = rc == Z_STREAM_END;
  if (z.avail_out == 0 && !PassOn(kBufferSize)) return false;
  Progress.Moved(took);
  return true;
}

int64_t TCompressStream::Write(const void* buffer, int64_t count) {
  if (finished_ || count < 0) return 0;
  const auto* in = static_cast<const uint8_t*>(buffer);
  const int64_t start = totalIn_;
  while (totalIn_ - start < count && !Stopped()) {
    const int64_t taken = totalIn_ - start;
    zlib_->next_in = const_cast<Bytef*>(in + taken);
    zlib_->avail_in = uInt(std::min(count - taken, kMaxPiece));
    if (!Step(Z_NO_FLUSH)) break;
  }
  // The caller's buffer is not ours once we return; zlib must not look at it again.
  if (zlib_) {
    zlib_->next_in = nullptr;
    zlib_->avail_in = 0;
  }
  return totalIn_ - start == count ? count : 0;
}

bool TCompressStream::Finish() {
  if (!finished_) {
    finished_ = true;
    while (!ended_ && !Stopped() && Step(Z_FINISH)) {
    }
    if (ended_ && !Stopped()) PassOn(kBufferSize - int64_t(zlib_->avail_out));
    zlib_.reset();
  }
  return ended_ && !failed_ && !cancelled_;
}

}  // namespace qel
