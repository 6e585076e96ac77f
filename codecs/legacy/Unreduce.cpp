#include "codecs/legacy/Unreduce.h"

#include "codecs/legacy/LsbBitReader.h"
#include "codecs/legacy/WindowOutput.h"

namespace qel {
namespace {

constexpr uint8_t kDle = 144;
constexpr size_t kWindow = 4096;
constexpr int kMaxFollowers = 32;

// The bits of a follower index into a set of `n`.
int IndexBits(int n) { return n <= 2 ? 1 : n <= 4 ? 2 : n <= 8 ? 3 : n <= 16 ? 4 : 5; }

}  // namespace

TDecodeResult Unreduce(int factor, const TCodecSource& source, const TCodecSink& sink,
                       uint64_t size) {
  TDecodeStatus status = TDecodeStatus::Ok;
  TLsbBitReader in(source);
  uint8_t followers[256][kMaxFollowers];
  int counts[256];
  for (int set = 255; set >= 0; --set) {
    counts[set] = int(in.Get(6));
    if (counts[set] > kMaxFollowers) return {TDecodeStatus::Corrupt, 0};
    for (int i = 0; i < counts[set]; ++i) followers[set][i] = uint8_t(in.Get(8));
  }
  if (in.Overrun()) return {TDecodeStatus::UnexpectedEnd, 0};

  const unsigned mask = 0xFFu >> factor;  // the length bits of an escape's first byte
  TWindowOutput out(kWindow, sink, size);
  int state = 0;
  unsigned escape = 0, length = 0;
  uint8_t last = 0;
  while (!out.Full()) {
    uint8_t c;
    const int n = counts[last];
    if (n == 0 || in.Get(1)) {
      c = uint8_t(in.Get(8));
    } else {
      const uint32_t index = in.Get(IndexBits(n));
      if (index >= uint32_t(n)) {
        status = in.Overrun() ? TDecodeStatus::UnexpectedEnd : TDecodeStatus::Corrupt;
        break;
      }
      c = followers[last][index];
    }
    if (in.Overrun()) {
      status = TDecodeStatus::UnexpectedEnd;
      break;
    }
    last = c;
    switch (state) {
      case 0:
        if (c == kDle)
          state = 1;
        else
          out.Put(c);
        break;
      case 1:
        if (c == 0) {
          out.Put(kDle);
          state = 0;
        } else {
          escape = c;
          length = c & mask;
          state = length == mask ? 2 : 3;
        }
        break;
      case 2:
        length += c;
        state = 3;
        break;
      default: {
        out.Copy(((escape >> (8 - factor)) << 8) + c + 1, length + 3);
        state = 0;
        break;
      }
    }
    if (!out.Flush(false)) return {TDecodeStatus::Aborted, out.Delivered()};
  }
  return out.Finish(status);
}

}  // namespace qel
