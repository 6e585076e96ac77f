// The legacy ZIP decoders over arbitrary streams: the first byte picks Unshrink, Unreduce
// with factor 1 to 4, or Explode with one of its four variants; each is asked for up to 1 MiB.
// Nothing may crash, hang or be written beyond the size asked for.
#include <cstdlib>

#include "codecs/legacy/Explode.h"
#include "codecs/legacy/Unreduce.h"
#include "codecs/legacy/Unshrink.h"
#include "fuzz/FuzzTargets.h"

namespace vk::fuzz {

int FuzzLegacyZip(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int method = 1 + data[0] % 6;               // ZIP methods 1 to 6
  const uint16_t flags = uint16_t(data[0] & 0x06);  // Explode's window and literal tree
  const uint64_t wanted = uint64_t(1) << 20;
  const qel::TCodecSource source = qel::SpanSource({data + 1, size - 1});
  uint64_t written = 0;
  const qel::TCodecSink sink = [&](std::span<const uint8_t> piece) {
    written += piece.size();
    return true;
  };
  const qel::TDecodeResult r = method == 1   ? qel::Unshrink(source, sink, wanted)
                               : method == 6 ? qel::Explode(flags, source, sink, wanted)
                                             : qel::Unreduce(method - 1, source, sink, wanted);
  if (written > wanted || written != r.Decoded) std::abort();
  return 0;
}

}  // namespace vk::fuzz
