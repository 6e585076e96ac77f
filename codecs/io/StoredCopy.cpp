#include "codecs/io/StoredCopy.h"

#include <memory>

namespace qel {

TDecodeResult CopyStored(const TCodecSource& source, const TCodecSink& sink) {
  constexpr size_t kPiece = size_t(1) << 16;
  const std::unique_ptr<uint8_t[]> buffer(new uint8_t[kPiece]);
  TDecodeResult result;
  while (const size_t n = source(buffer.get(), kPiece)) {
    if (!sink({buffer.get(), n})) return {TDecodeStatus::Aborted, result.Decoded};
    result.Decoded += n;
  }
  return result;
}

}  // namespace qel
