// The squeezed entry: a node count (0 to 256), that many nodes of two 16-bit children (a node
// index, or -(byte + 1) for a leaf, -257 for the end of the data), then the codes, walked
// from node 0, one bit a step, least-significant first.
#include "codecs/arc/ArcStages.h"
#include "codecs/legacy/LsbBitReader.h"

namespace qel {
namespace {

constexpr int kMaxNodes = 256;
constexpr int kEndOfData = 256;

}  // namespace

TDecodeStatus Unsqueeze(const TCodecSource& source, TArcOutput& out, TArcDecodeError& why) {
  TLsbBitReader in(source);
  const int count = int(in.Get(16));
  if (in.Overrun()) return TDecodeStatus::UnexpectedEnd;
  if (count > kMaxNodes) {
    why = TArcDecodeError::InvalidTree;
    return TDecodeStatus::Corrupt;
  }
  int16_t nodes[kMaxNodes][2];
  for (int i = 0; i < count; ++i) {
    nodes[i][0] = int16_t(in.Get(16));
    nodes[i][1] = int16_t(in.Get(16));
  }
  if (in.Overrun()) return TDecodeStatus::UnexpectedEnd;
  // No nodes: the data ends at once.
  if (count == 0) return TDecodeStatus::Ok;

  int node = 0, steps = 0;
  while (!out.Full()) {
    const int child = nodes[node][in.Get(1)];
    if (in.Overrun()) return TDecodeStatus::UnexpectedEnd;
    if (child >= 0) {
      // A walk longer than the node count goes round in a loop.
      if (child >= count || ++steps > count) {
        why = TArcDecodeError::InvalidTree;
        return TDecodeStatus::Corrupt;
      }
      node = child;
      continue;
    }
    const int value = -(child + 1);
    if (value == kEndOfData) return TDecodeStatus::Ok;
    if (value > kEndOfData) {
      why = TArcDecodeError::InvalidTree;
      return TDecodeStatus::Corrupt;
    }
    out.Put(uint8_t(value));
    if (!out.Flush(false)) return TDecodeStatus::Aborted;
    node = steps = 0;
  }
  return TDecodeStatus::Ok;
}

}  // namespace qel
