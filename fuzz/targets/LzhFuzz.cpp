// The LZH codecs over arbitrary bytes. As a stream: the first byte picks the method (the
// static decoder's -lh4- to -lh7-, -lh1-, LArc's -lzs- and -lz5-); the decoder is asked for up to 1
// MiB. Nothing may crash, hang or be written beyond the size asked for. As data: the encoder
// (-lh5-, -lh6- or Fuse, by the first byte too) codes the rest, which must decode to the same bytes
// unless the encoder gave it up.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <utility>
#include <vector>

#include "codecs/lzh/LarcDecoder.h"
#include "codecs/lzh/Lh1Decoder.h"
#include "codecs/lzh/LzhDecoder.h"
#include "codecs/lzh/LzhEncoder.h"
#include "fuzz/FuzzTargets.h"

namespace vk::fuzz {
namespace {

void RoundTrip(qel::TLzhEncoder& encoder, qel::TLzhParams read, std::span<const uint8_t> data) {
  const qel::TCodecSource source = qel::SpanSource(data);
  std::vector<uint8_t> coded, decoded;
  const qel::TCodecSink keep = [&](std::span<const uint8_t> piece) {
    coded.insert(coded.end(), piece.begin(), piece.end());
    return true;
  };
  if (encoder.Encode(source, keep) != qel::TLzhEncodeStatus::Ok) return;
  if (coded.size() > data.size()) std::abort();
  const qel::TCodecSource codedSource = qel::SpanSource(coded);
  const qel::TCodecSink check = [&](std::span<const uint8_t> piece) {
    decoded.insert(decoded.end(), piece.begin(), piece.end());
    return true;
  };
  const qel::TDecodeResult r = qel::TLzhDecoder(read).Decode(codedSource, check, data.size());
  if (r.Status != qel::TDecodeStatus::Ok ||
      !std::equal(decoded.begin(), decoded.end(), data.begin(), data.end()))
    std::abort();
}

}  // namespace

int FuzzLzh(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static constexpr std::array<qel::TLzhParams, 4> kMethods = {qel::kLh4, qel::kLh5, qel::kLh6,
                                                              qel::kLh7};
  const size_t method = data[0] % (kMethods.size() + 3);
  const uint64_t wanted = uint64_t(1) << 20;
  const qel::TCodecSource source = qel::SpanSource({data + 1, size - 1});
  uint64_t written = 0;
  const qel::TCodecSink sink = [&](std::span<const uint8_t> piece) {
    written += piece.size();
    return true;
  };
  qel::TDecodeResult result;
  if (method < kMethods.size())
    result = qel::TLzhDecoder(kMethods[method]).Decode(source, sink, wanted);
  else if (method == kMethods.size())
    result = qel::TLh1Decoder().Decode(source, sink, wanted);
  else
    result = qel::DecodeLarc(
        method == kMethods.size() + 1 ? qel::TLarcMethod::Lzs : qel::TLarcMethod::Lz5, source, sink,
        wanted);
  if (written > wanted || written != result.Decoded) std::abort();
  // The encoders live on from input to input, as a writer keeps one from file to file.
  static qel::TLzhEncoder lh5(qel::kLh5), lh6(qel::kLh6), fuse(qel::kFuse);
  switch (data[0] / 7 % 3) {
    case 0:
      RoundTrip(lh5, qel::kLh5, {data + 1, size - 1});
      break;
    case 1:
      RoundTrip(lh6, qel::kLh6, {data + 1, size - 1});
      break;
    default:
      RoundTrip(fuse, qel::kLh6, {data + 1, size - 1});
      break;
  }
  return 0;
}

}  // namespace vk::fuzz
