#include "engine/detect/Probes.h"
#include "engine/streams/Stream.h"

namespace qel::detect {

TProbeHit TestTar(TStream64& stream, int64_t size) {
  constexpr int64_t kBlock = 512;
  if (size <= kBlock) return {};
  uint8_t h[kBlock];
  if (!stream.ReadExactAt(0, h, kBlock)) return {};
  int64_t start = 0;
  if (h[156] == 'V') {  // a volume label: the first member follows it
    start = kBlock;
    if (!stream.ReadExactAt(start, h, kBlock)) return {};
  }
  // The checksum is the byte sum of the header with its own field counted as spaces.
  uint32_t sum = 0;
  for (int i = 0; i < kBlock; ++i) sum += (i >= 148 && i < 156) ? uint32_t(' ') : h[i];
  uint32_t stored = 0;
  for (int i = 148; i < 156 && h[i] != 0; ++i)
    if (h[i] >= '0' && h[i] <= '7') stored = stored * 8 + uint32_t(h[i] - '0');
  if (sum != stored) return {};
  return {atTar, start};
}

}  // namespace qel::detect
