#include "engine/detect/Probes.h"
#include "engine/packed/PackedStream.h"
#include "engine/streams/Stream.h"

namespace qel::detect {

namespace {

constexpr int64_t kBlock = 512;

}  // namespace

bool IsTarHeader(const uint8_t* h) {
  // The checksum is the byte sum of the header with its own field counted as spaces, the
  // bytes unsigned (or signed, as some old writers summed them).
  uint32_t sum = 0;
  int32_t signedSum = 0;
  for (int i = 0; i < kBlock; ++i) {
    const uint8_t b = (i >= 148 && i < 156) ? uint8_t(' ') : h[i];
    sum += b;
    signedSum += int8_t(b);
  }
  uint32_t stored = 0;
  bool digits = false;
  for (int i = 148; i < 156 && h[i] != 0; ++i) {
    if (h[i] >= '0' && h[i] <= '7') {
      stored = stored * 8 + uint32_t(h[i] - '0');
      digits = true;
    }
  }
  return digits && (sum == stored || uint32_t(signedSum) == stored);
}

TProbeHit TestTar(TStream64& stream, int64_t size) {
  if (size <= kBlock) return {};
  uint8_t h[kBlock];
  if (!stream.ReadExactAt(0, h, kBlock)) return {};
  int64_t start = 0;
  if (h[156] == 'V') {  // a volume label: the first member follows it
    start = kBlock;
    if (!stream.ReadExactAt(start, h, kBlock)) return {};
  }
  if (!IsTarHeader(h)) return {};
  return {atTar, start};
}

bool HoldsTar(TStream64& stream) {
  int refusal = 0;
  const std::unique_ptr<TPackedStream> data = OpenPacked(stream, refusal);
  // A volume label may come first, as in a plain TAR.
  uint8_t h[2 * kBlock];
  if (!data || data->Read(h, kBlock) != kBlock) return false;
  if (h[156] == 'V' && data->Read(h + kBlock, kBlock) != kBlock) return false;
  return IsTarHeader(h[156] == 'V' ? h + kBlock : h);
}

}  // namespace qel::detect
