#include "codecs/arc/ArcDecoder.h"

#include <algorithm>
#include <vector>

#include "codecs/arc/ArcStages.h"

namespace qel {
namespace {

constexpr size_t kPiece = size_t(1) << 15;

// Methods 1 to 3: the bytes as stored, through RLE90 for 3.
TDecodeStatus CopyThrough(const TCodecSource& source, TArcOutput& out) {
  std::vector<uint8_t> buffer(kPiece);
  while (!out.Full()) {
    const size_t got = source(buffer.data(), size_t(std::min<uint64_t>(kPiece, out.Room())));
    if (got == 0) break;
    for (size_t i = 0; i < got && !out.Full(); ++i) out.Put(buffer[i]);
    if (!out.Flush(false)) return TDecodeStatus::Aborted;
  }
  return TDecodeStatus::Ok;
}

}  // namespace

bool ArcMethodDecoded(int method) { return method >= 1 && method <= 9; }

TDecodeResult DecodeArc(int method, const TCodecSource& source, const TCodecSink& sink,
                        uint64_t size, TArcDecodeError* why) {
  TArcDecodeError error = TArcDecodeError::None;
  const bool rle = method == 3 || method == 4 || method == 6 || method == 7 || method == 8;
  TArcOutput out(rle, sink, size);
  TDecodeStatus status = TDecodeStatus::Corrupt;
  if (ArcMethodDecoded(method) && size == 0)
    status = TDecodeStatus::Ok;
  else if (method >= 1 && method <= 3)
    status = CopyThrough(source, out);
  else if (method == 4)
    status = Unsqueeze(source, out, error);
  else if (method >= 5 && method <= 7)
    status = Uncrunch(method == 7, source, out, error);
  else if (method == 8 || method == 9)
    status = ArcLzw(method, source, out, error);
  if (why) *why = error;
  return out.Finish(status);
}

}  // namespace qel
