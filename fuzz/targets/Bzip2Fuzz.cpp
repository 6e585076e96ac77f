// The bzip2 decoder over arbitrary input, asked for up to 1 MiB: nothing may crash, hang or
// be delivered beyond the size asked for, and damage is a status, never an exception.
#include <cstdlib>

#include "codecs/bzip2/Bz2Decode.h"
#include "fuzz/FuzzTargets.h"

namespace vk::fuzz {

int FuzzBzip2(const uint8_t* data, size_t size) {
  const uint64_t wanted = uint64_t(1) << 20;
  uint64_t written = 0;
  const qel::TDecodeResult r = qel::Bz2Decode(
      qel::SpanSource({data, size}),
      [&](std::span<const uint8_t> piece) {
        written += piece.size();
        return true;
      },
      wanted);
  if (written > wanted || written != r.Decoded) std::abort();
  return 0;
}

}  // namespace vk::fuzz
