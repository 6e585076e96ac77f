#include "codecs/inflate/InflateMember.h"

#include <memory>
#include <vector>

#include "codecs/inflate/Inflater.h"

namespace qel {

TInflateResult InflateMember(DeflateVariant variant, const TInflateSource& source,
                             const TInflateSink& sink) {
  constexpr size_t kInputSize = 32768;
  auto decoder = std::make_unique<Inflater>(variant);
  std::vector<uint8_t> input(kInputSize);
  std::span<const uint8_t> pending;
  uint64_t fetched = 0;
  bool sourceEnded = false;
  TInflateResult result;
  for (;;) {
    if (pending.empty() && !sourceEnded) {
      const size_t got = source(input.data(), kInputSize);
      sourceEnded = got == 0;
      fetched += got;
      pending = std::span<const uint8_t>(input.data(), got);
    }
    InflateStatus st = decoder->Decode(pending);
    const std::span<const uint8_t> out = decoder->TakeOutput();
    if (!out.empty() && !sink(out)) st = InflateStatus::Aborted;
    if (st == InflateStatus::NeedInput && sourceEnded) st = InflateStatus::UnexpectedEnd;
    if (st == InflateStatus::Ok || st == InflateStatus::NeedInput) continue;
    result.Status = st;
    break;
  }
  const size_t held = result.Status == InflateStatus::StreamEnd ? decoder->UnusedInputBytes() : 0;
  result.Unused = pending.size() + held;
  result.CompressedUsed = fetched - result.Unused;
  result.Decoded = decoder->TotalOut();
  return result;
}

}  // namespace qel
