#include "codecs/inflate/InflateMember.h"

#include "codecs/inflate/Inflater.h"

namespace qel {

namespace {
constexpr size_t kInputSize = 32768;
}

TMemberInflater::TMemberInflater() = default;
TMemberInflater::~TMemberInflater() = default;

TInflateResult TMemberInflater::Run(DeflateVariant variant, const TInflateSource& source,
                                    const TInflateSink& sink) {
  if (!decoder_ || decoder_->Variant() != variant) {
    decoder_ = std::make_unique<Inflater>(variant);
  } else {
    decoder_->Reset();
  }
  if (!input_) input_.reset(new uint8_t[kInputSize]);
  Inflater* const decoder = decoder_.get();
  uint8_t* const input = input_.get();
  std::span<const uint8_t> pending;
  uint64_t fetched = 0;
  bool sourceEnded = false;
  TInflateResult result;
  for (;;) {
    if (pending.empty() && !sourceEnded) {
      const size_t got = source(input, kInputSize);
      sourceEnded = got == 0;
      fetched += got;
      pending = std::span<const uint8_t>(input, got);
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

TInflateResult InflateMember(DeflateVariant variant, const TInflateSource& source,
                             const TInflateSink& sink) {
  return TMemberInflater().Run(variant, source, sink);
}

}  // namespace qel
