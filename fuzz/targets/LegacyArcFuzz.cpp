// The ARC family's decoders, ZOO's LZW and ARJ's method 4 over arbitrary streams: the first
// byte picks ARC method 1 to 9, ZOO's LZW or ARJ's method 4; each is asked for up to 64 KiB.
// Nothing may crash, hang or be written beyond the size asked for, and Ok means all of it.
#include <cstdlib>

#include "codecs/arc/ArcDecoder.h"
#include "codecs/legacy/ArjFastest.h"
#include "codecs/lzw/ZooLzw.h"
#include "fuzz/FuzzTargets.h"

namespace vk::fuzz {

int FuzzLegacyArc(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int pick = data[0] % 11;
  const uint64_t wanted = uint64_t(1) << 16;
  const qel::TCodecSource source = qel::SpanSource({data + 1, size - 1});
  uint64_t written = 0;
  const qel::TCodecSink sink = [&](std::span<const uint8_t> piece) {
    written += piece.size();
    return true;
  };
  const qel::TDecodeResult r = pick < 9    ? qel::DecodeArc(pick + 1, source, sink, wanted)
                               : pick == 9 ? qel::ZooLzw(source, sink, wanted)
                                           : qel::ArjFastest(source, sink, wanted);
  if (written > wanted || written != r.Decoded ||
      (r.Status == qel::TDecodeStatus::Ok && written != wanted))
    std::abort();
  return 0;
}

}  // namespace vk::fuzz
