#include "codecs/bzip2/Bz2Decode.h"

#include <algorithm>
#include <memory>

#include "codecs/bzip2/BzDecompressStream.h"

namespace qel {

namespace {

constexpr size_t kPiece = size_t(1) << 16;

}  // namespace

TDecodeResult Bz2Decode(const TCodecSource& source, const TCodecSink& sink, uint64_t expectedSize) {
  TDecodeResult result;
  if (expectedSize == 0) return result;
  TBzDecompressStream stream(source);
  const std::unique_ptr<uint8_t[]> piece(new uint8_t[kPiece]);
  while (result.Decoded < expectedSize) {
    const int64_t want = int64_t(std::min<uint64_t>(kPiece, expectedSize - result.Decoded));
    const int64_t got = stream.Read(piece.get(), want);
    if (got == 0) break;
    if (!sink({piece.get(), size_t(got)})) {
      result.Status = TDecodeStatus::Aborted;
      return result;
    }
    result.Decoded += uint64_t(got);
  }
  if (result.Decoded < expectedSize) {
    if (stream.DataError())
      result.Status = TDecodeStatus::Corrupt;
    else if (stream.Truncated())
      result.Status = TDecodeStatus::UnexpectedEnd;
  }
  return result;
}

}  // namespace qel
