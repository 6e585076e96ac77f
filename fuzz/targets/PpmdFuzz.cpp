// PPMd variant I over arbitrary streams: the parameter word is taken from the input with its
// memory kept to 1-4 MB so that the model fills and restarts or is cut back often, and the
// decoder is asked for up to 1 MiB. With the top bit of the word set, the rest of the input
// is coded instead and must decode back to itself.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "codecs/ppmd/PpmdZip.h"
#include "fuzz/FuzzTargets.h"

namespace vk::fuzz {
namespace {

struct TCollect : qel::IByteSink {
  std::vector<uint8_t> Data;
  int64_t Write(const void* buffer, int64_t count) override {
    const auto* p = static_cast<const uint8_t*>(buffer);
    Data.insert(Data.end(), p, p + count);
    return count;
  }
};

}  // namespace

int FuzzPpmd(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  static qel::TPpmdState state;
  std::vector<uint8_t> stream(data, data + size);
  stream[0] &= 0x3F;  // memory of 1 to 4 MB
  stream[1] &= 0x30;  // restore method 0 to 3
  const bool roundTrip = data[1] & 0x80;
  uint64_t wanted = uint64_t(1) << 20;
  if (roundTrip) {
    const auto params = qel::TPpmdParams::FromWord(uint16_t(stream[0] | stream[1] << 8));
    if (!params) return 0;
    TCollect coded;
    qel::TPpmdCompressStream encoder(coded, state, *params);
    if (encoder.Write(data + 2, int64_t(size - 2)) != int64_t(size - 2) || !encoder.Finish())
      std::abort();
    stream = std::move(coded.Data);
    wanted = size - 2;
  }
  std::vector<uint8_t> out;
  const qel::TDecodeResult r = qel::PpmdDecode(
      state, qel::SpanSource(stream),
      [&](std::span<const uint8_t> piece) {
        out.insert(out.end(), piece.begin(), piece.end());
        return true;
      },
      wanted);
  if (out.size() > wanted || out.size() != r.Decoded) std::abort();
  if (roundTrip &&
      (r.Status != qel::TDecodeStatus::Ok || !std::equal(out.begin(), out.end(), data + 2)))
    std::abort();
  return 0;
}

}  // namespace vk::fuzz
