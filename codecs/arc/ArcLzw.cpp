// Methods 8 and 9: the coding of Unix `compress` in block mode without its file header.
// Method 8 leads with the largest code width, which is always 12.
#include <algorithm>
#include <vector>

#include "codecs/arc/ArcStages.h"
#include "codecs/lzw/LzwDecompressStream.h"

namespace qel {
namespace {

constexpr uint8_t kCrunchBits = 12;
constexpr uint32_t kSquashBits = 13;
constexpr int64_t kPiece = int64_t(1) << 15;

}  // namespace

TDecodeStatus ArcLzw(int method, const TCodecSource& source, TArcOutput& out,
                     TArcDecodeError& why) {
  uint32_t maxBits = kSquashBits;
  if (method == 8) {
    uint8_t width = 0;
    if (source(&width, 1) == 0) return TDecodeStatus::UnexpectedEnd;
    if (width != kCrunchBits) {
      why = TArcDecodeError::BadBitCount;
      return TDecodeStatus::Corrupt;
    }
    maxBits = kCrunchBits;
  }
  TLzwDecompressStream lzw(source, {.maxBits = maxBits, .blockMode = true});
  std::vector<uint8_t> piece(kPiece);
  while (!out.Full()) {
    const int64_t got = lzw.Read(piece.data(), int64_t(std::min<uint64_t>(kPiece, out.Room())));
    for (int64_t i = 0; i < got && !out.Full(); ++i) out.Put(piece[size_t(i)]);
    if (!out.Flush(false)) return TDecodeStatus::Aborted;
    if (lzw.Error() != TLzwError::None) return TDecodeStatus::Corrupt;
    if (lzw.Ended()) break;
  }
  return TDecodeStatus::Ok;
}

}  // namespace qel
