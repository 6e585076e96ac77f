#include "engine/detect/Probes.h"
#include "engine/streams/Stream.h"

namespace qel::detect {

TProbeHit CheckKnownStubs(TStream64& stream, int64_t size) {
  // ARC and PAK self-extractors of several makers and versions.
  for (int64_t pos : {6674, 6867, 7716, 8601, 13138}) {
    if (size < pos + 3) break;
    uint8_t b[2];
    if (!stream.ReadExactAt(pos, b, 2) || b[0] != 0x1A) continue;
    if (b[1] == 0x08 || b[1] == 0x09) return {atArcExe, pos};
    if (b[1] == 0x0A || b[1] == 0x0B) return {atPakExe, pos};
  }
  // An LHA self-extractor: the method tag "-lh?-" two bytes into the first header.
  uint8_t lh[5];
  if (size > 1949 && stream.ReadExactAt(1947, lh, 5) && lh[0] == '-' && lh[1] == 'l' &&
      lh[2] == 'h' && lh[4] == '-')
    return {atLhaExe, 1945};
  // ZIP self-extractors with their first local header at a fixed place.
  for (int64_t pos : {7612, 25661}) {
    uint8_t pk[4];
    if (size > pos + 4 && stream.ReadExactAt(pos, pk, 4) && pk[0] == 'P' && pk[1] == 'K' &&
        pk[2] == 3 && pk[3] == 4)
      return {atZipExe, pos};
  }
  return {};
}

}  // namespace qel::detect
