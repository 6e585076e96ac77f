#include "codecs/legacy/ArjFastest.h"

#include "codecs/legacy/WindowOutput.h"
#include "codecs/lzh/MsbBitReader.h"

namespace qel {
namespace {

constexpr size_t kWindow = size_t(1) << 15;
constexpr int kLengthWidths = 7;    // the most 1 bits of a length's width
constexpr int kPositionBase = 9;    // the raw bits of a position with no 1 bits
constexpr int kPositionWidths = 4;  // the most 1 bits of a position's width
constexpr int kMinMatch = 3;

// Up to `most` 1 bits, ended by a 0 bit unless there were `most`: the count.
int Ones(TMsbBitReader& in, int most) {
  int n = 0;
  while (n < most && in.Get(1)) ++n;
  return n;
}

}  // namespace

TDecodeResult ArjFastest(const TCodecSource& source, const TCodecSink& sink, uint64_t size) {
  TMsbBitReader in(source);
  TWindowOutput out(kWindow, sink, size);
  TDecodeStatus status = TDecodeStatus::Ok;
  while (!out.Full()) {
    // With w ones the value is 2^w - 1 plus w raw bits: 0 is a literal byte.
    const int lengthWidth = Ones(in, kLengthWidths);
    const uint32_t length = (1u << lengthWidth) - 1 + in.Get(lengthWidth);
    if (length == 0) {
      const uint8_t c = uint8_t(in.Get(8));
      if (in.Overrun()) break;
      out.Put(c);
    } else {
      const int positionWidth = kPositionBase + Ones(in, kPositionWidths);
      const uint32_t position =
          (1u << positionWidth) - (1u << kPositionBase) + in.Get(positionWidth);
      if (in.Overrun()) break;
      out.Copy(position + 1, length + kMinMatch - 1);
    }
    if (!out.Flush(false)) return {TDecodeStatus::Aborted, out.Delivered()};
  }
  if (!out.Full()) status = TDecodeStatus::UnexpectedEnd;
  return out.Finish(status);
}

}  // namespace qel
