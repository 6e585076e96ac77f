#include "codecs/lzh/LarcDecoder.h"

#include <cstring>
#include <vector>

#include "codecs/lzh/MsbBitReader.h"

namespace qel {
namespace {

constexpr size_t kOutputPiece = size_t(1) << 15;

// The -lz5- window before any output: from offset 18, thirteen copies of every byte value,
// the values rising and falling, 128 zeros and then spaces. The first 18 bytes are spaces.
void StartLz5Window(uint8_t* w) {
  std::memset(w, ' ', 4096);
  uint8_t* p = w + 18;
  for (int c = 0; c < 256; ++c, p += 13) std::memset(p, c, 13);
  for (int c = 0; c < 256; ++c) *p++ = uint8_t(c);
  for (int c = 0; c < 256; ++c) *p++ = uint8_t(255 - c);
  std::memset(p, 0, 128);
}

}  // namespace

TDecodeResult DecodeLarc(TLarcMethod method, const TCodecSource& source, const TCodecSink& sink,
                      uint64_t size) {
  const bool lz5 = method == TLarcMethod::Lz5;
  const size_t mask = lz5 ? 4095 : 2047;
  // A position names a window place this far past where writing started.
  const size_t bias = lz5 ? 18 : 17;
  uint8_t window[4096];
  if (lz5)
    StartLz5Window(window);
  else
    std::memset(window, ' ', sizeof window);
  TMsbBitReader in(source);
  std::vector<uint8_t> out;
  out.reserve(kOutputPiece);
  TDecodeResult result;
  size_t at = 0;
  unsigned flags = 0, flagsLeft = 0;
  const auto put = [&](uint8_t c) {
    window[at] = c;
    at = (at + 1) & mask;
    out.push_back(c);
    ++result.Decoded;
  };
  while (result.Decoded < size) {
    bool literal;
    if (lz5) {
      if (flagsLeft == 0) {
        flags = in.Get(8);
        flagsLeft = 8;
      }
      literal = flags & 1;
      flags >>= 1;
      --flagsLeft;
    } else {
      literal = in.Get(1);
    }
    if (literal) {
      put(uint8_t(in.Get(8)));
    } else {
      size_t from, length;
      if (lz5) {
        const uint32_t low = in.Get(8), high = in.Get(8);
        from = low | (high & 0xF0) << 4;
        length = (high & 0x0F) + 3;
      } else {
        from = in.Get(11);
        length = in.Get(4) + 2;
      }
      from = (from + bias) & mask;
      for (size_t i = 0; i < length && result.Decoded < size; ++i) {
        put(window[from]);
        from = (from + 1) & mask;
      }
    }
    if (in.Overrun()) {
      result.Status = TDecodeStatus::UnexpectedEnd;
      break;
    }
    if (out.size() >= kOutputPiece) {
      if (!sink(out)) return {TDecodeStatus::Aborted, result.Decoded};
      out.clear();
    }
  }
  if (!out.empty() && !sink(out)) result.Status = TDecodeStatus::Aborted;
  return result;
}

}  // namespace qel
