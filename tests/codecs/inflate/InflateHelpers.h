// What the decoder tests share: sample data, decoding a stream through either front-end,
// and a bit writer for hand-made streams (zlib, the reference encoder, is in
// tests/support/ZlibReference.h).
#pragma once

#include <zlib.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "codecs/inflate/DecompressStream.h"
#include "codecs/inflate/InflateMember.h"
#include "engine/streams/MemoryStream32.h"
#include "tests/support/ZlibReference.h"

namespace qel::test {

using Bytes = std::vector<uint8_t>;

enum class Sample { Text, Binary, Random };

inline Bytes MakeSample(Sample kind, size_t size, uint32_t seed = 1) {
  std::mt19937 rng(seed);
  Bytes out;
  out.reserve(size);
  static const char* const kWords[] = {"archive ", "entry ",  "deflate ", "window ", "the ",
                                       "of ",      "block\n", "header ",  "stream ", "data "};
  while (out.size() < size) {
    switch (kind) {
      case Sample::Text:
        for (const char* w = kWords[rng() % 10]; *w; ++w) out.push_back(uint8_t(*w));
        break;
      case Sample::Binary: {  // records with small counters, zero runs and the odd noise
        const uint32_t v = uint32_t(out.size() / 16);
        for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
        out.insert(out.end(), rng() % 9, uint8_t(0));
        out.push_back(uint8_t(rng()));
        break;
      }
      case Sample::Random:
        out.push_back(uint8_t(rng()));
        break;
    }
  }
  out.resize(size);
  return out;
}

struct Decoded {
  InflateStatus status;
  Bytes data;
};

// Decodes with the push interface, handing in the stream `chunk` bytes at a time, with
// `inflater` when given (a decoder used member after member), else with a fresh one.
inline Decoded InflateAll(const Bytes& stream, size_t chunk = 32768,
                          DeflateVariant variant = DeflateVariant::Deflate,
                          TMemberInflater* inflater = nullptr) {
  Decoded d;
  size_t at = 0;
  const auto source = [&](uint8_t* buf, size_t n) {
    n = std::min({n, chunk, stream.size() - at});
    std::copy_n(stream.data() + at, n, buf);
    at += n;
    return n;
  };
  const auto sink = [&](std::span<const uint8_t> piece) {
    d.data.insert(d.data.end(), piece.begin(), piece.end());
    return true;
  };
  const TInflateResult r =
      inflater ? inflater->Run(variant, source, sink) : InflateMember(variant, source, sink);
  d.status = r.Status;
  return d;
}

// Deflate's bits go in least-significant first; Huffman codes most-significant first.
class BitWriter {
 public:
  void Put(uint32_t value, unsigned bits) {
    for (unsigned i = 0; i < bits; ++i) PutBit((value >> i) & 1);
  }
  void PutCode(uint32_t code, unsigned bits) {
    for (unsigned i = bits; i-- > 0;) PutBit((code >> i) & 1);
  }
  void AlignToByte() {
    while (count_ % 8 != 0) PutBit(0);
  }
  const Bytes& Data() const { return out_; }

 private:
  void PutBit(uint32_t b) {
    if (count_ % 8 == 0) out_.push_back(0);
    out_.back() |= uint8_t(b << (count_ % 8));
    ++count_;
  }
  Bytes out_;
  size_t count_ = 0;
};

// The canonical codes for a list of code lengths.
inline std::vector<uint32_t> CanonicalCodes(const std::vector<uint8_t>& lengths) {
  unsigned count[16] = {}, next[16] = {};
  for (uint8_t l : lengths) ++count[l];
  count[0] = 0;
  for (unsigned len = 1, code = 0; len < 16; ++len) next[len] = code = (code + count[len - 1]) << 1;
  std::vector<uint32_t> codes(lengths.size());
  for (size_t s = 0; s < lengths.size(); ++s)
    if (lengths[s] != 0) codes[s] = next[lengths[s]]++;
  return codes;
}

}  // namespace qel::test
