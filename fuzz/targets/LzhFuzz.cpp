// The LZH decoders over arbitrary streams. The first byte picks the method (-lh1-, or the
// static decoder's -lh4- to -lh7-); the decoder is asked for up to 1 MiB. Nothing may crash,
// hang or be written beyond the size asked for.
#include <array>
#include <cstdlib>

#include "codecs/lzh/Lh1Decoder.h"
#include "codecs/lzh/LzhDecoder.h"
#include "fuzz/FuzzTargets.h"

namespace vk::fuzz {

int FuzzLzh(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static constexpr std::array<qel::TLzhParams, 4> kMethods = {qel::kLh4, qel::kLh5, qel::kLh6,
                                                              qel::kLh7};
  const size_t method = data[0] % (kMethods.size() + 1);
  const uint64_t wanted = uint64_t(1) << 20;
  size_t at = 1;
  const qel::TLzhSource source = [&](uint8_t* buffer, size_t n) {
    n = std::min(n, size - at);
    std::copy_n(data + at, n, buffer);
    at += n;
    return n;
  };
  uint64_t written = 0;
  const qel::TLzhSink sink = [&](std::span<const uint8_t> piece) {
    written += piece.size();
    return true;
  };
  const qel::TLzhResult result =
      method == kMethods.size() ? qel::TLh1Decoder().Decode(source, sink, wanted)
                                : qel::TLzhDecoder(kMethods[method]).Decode(source, sink, wanted);
  if (written > wanted || written != result.Decoded) std::abort();
  return 0;
}

}  // namespace vk::fuzz
