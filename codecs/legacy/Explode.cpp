#include "codecs/legacy/Explode.h"

#include <vector>

#include "codecs/legacy/LsbBitReader.h"
#include "codecs/legacy/WindowOutput.h"

namespace qel {
namespace {

constexpr int kMaxBits = 16;

// A canonical code by its lengths: how many codes each length has and the symbols in code
// order (shorter first, equal lengths in symbol order).
struct TShannonFano {
  uint16_t Count[kMaxBits + 1] = {};
  std::vector<uint16_t> Symbols;

  // Reads the tree of `symbols` lengths: a byte giving the bytes that follow, less one, each
  // a run of (high nibble + 1) lengths of (low nibble + 1) bits.
  bool Read(TLsbBitReader& in, int symbols) {
    std::vector<uint8_t> lengths;
    const int bytes = int(in.Get(8)) + 1;
    for (int i = 0; i < bytes; ++i) {
      const uint32_t b = in.Get(8);
      const size_t run = (b >> 4) + 1;
      if (lengths.size() + run > size_t(symbols)) return false;
      lengths.insert(lengths.end(), run, uint8_t((b & 15) + 1));
    }
    if (lengths.size() != size_t(symbols) || in.Overrun()) return false;
    for (uint8_t len : lengths) ++Count[len];
    // No more codes of a length than the space the shorter ones leave.
    int left = 1;
    for (int len = 1; len <= kMaxBits; ++len) {
      left = (left << 1) - Count[len];
      if (left < 0) return false;
    }
    Symbols.clear();
    for (int len = 1; len <= kMaxBits; ++len)
      for (int s = 0; s < symbols; ++s)
        if (lengths[size_t(s)] == len) Symbols.push_back(uint16_t(s));
    return true;
  }

  // The next symbol, or -1 for a code of none.
  int Decode(TLsbBitReader& in) const {
    int code = 0, first = 0, index = 0;
    for (int len = 1; len <= kMaxBits; ++len) {
      code |= int(in.Get(1) ^ 1);
      const int count = Count[len];
      if (code - first < count) return Symbols[size_t(index + code - first)];
      index += count;
      first = (first + count) << 1;
      code <<= 1;
    }
    return -1;
  }
};

}  // namespace

TDecodeResult Explode(uint16_t flags, const TCodecSource& source, const TCodecSink& sink,
                      uint64_t size) {
  TDecodeStatus status = TDecodeStatus::Ok;
  TLsbBitReader in(source);
  const bool bigWindow = flags & 0x02;
  const bool literalTree = flags & 0x04;
  const int lowBits = bigWindow ? 7 : 6;
  const unsigned minLength = literalTree ? 3 : 2;
  TShannonFano literals, lengths, distances;
  if ((literalTree && !literals.Read(in, 256)) || !lengths.Read(in, 64) || !distances.Read(in, 64))
    return {in.Overrun() ? TDecodeStatus::UnexpectedEnd : TDecodeStatus::Corrupt, 0};

  TWindowOutput out(8192, sink, size);  // the larger window serves both
  while (!out.Full()) {
    if (in.Get(1)) {
      const int c = literalTree ? literals.Decode(in) : int(in.Get(8));
      if (c < 0) {
        status = TDecodeStatus::Corrupt;
        break;
      }
      out.Put(uint8_t(c));
    } else {
      const uint32_t low = in.Get(lowBits);
      const int high = distances.Decode(in);
      int length = lengths.Decode(in);
      if (high < 0 || length < 0) {
        status = TDecodeStatus::Corrupt;
        break;
      }
      if (length == 63) length += int(in.Get(8));
      out.Copy((size_t(high) << lowBits) + low + 1, size_t(length) + minLength);
    }
    if (in.Overrun()) {
      status = TDecodeStatus::UnexpectedEnd;
      break;
    }
    if (!out.Flush(false)) return {TDecodeStatus::Aborted, out.Delivered()};
  }
  return out.Finish(status);
}

}  // namespace qel
