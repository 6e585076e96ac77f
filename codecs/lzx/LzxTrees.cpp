#include "codecs/lzx/LzxTrees.h"

#include <algorithm>

#include "codecs/lzh/LzhCode.h"
#include "codecs/lzx/LzxTables.h"

namespace qel::lzx {
namespace {

constexpr int kPretreeSymbols = 20;
constexpr int kPretreeBits = 15;  // a pretree length has four bits
constexpr uint8_t kZeros = 17, kManyZeros = 18, kSame = 19;

struct TToken {
  uint8_t Symbol;
  uint8_t ExtraBits;
  uint8_t Extra;
  uint8_t Change;  // of a kSame run
};

uint8_t ChangeOf(uint8_t previous, uint8_t length) {
  return uint8_t((previous + 17 - length) % 17);
}

}  // namespace

void BuildLengths(std::span<uint32_t> freq, int maxBits, std::span<uint8_t> lengths) {
  int used = int(std::count_if(freq.begin(), freq.end(), [](uint32_t f) { return f != 0; }));
  for (size_t s = 0; used < 2 && s < freq.size(); ++s) {
    if (!freq[s]) {
      freq[s] = 1;
      ++used;
    }
  }
  BuildCodeLengths(freq, maxBits, lengths);
}

void WriteLengths(TBitWriter& bits, std::span<const uint8_t> previous,
                  std::span<const uint8_t> lengths) {
  const size_t n = lengths.size();
  TToken tokens[kMaxMainSymbols];
  size_t count = 0;
  uint32_t freq[kPretreeSymbols] = {};
  for (size_t i = 0; i < n;) {
    const uint8_t length = lengths[i];
    size_t run = 1;
    TToken token{ChangeOf(previous[i], length), 0, 0, 0};
    if (length == 0) {
      while (i + run < n && run < 51 && lengths[i + run] == 0) ++run;
      if (run >= 20)
        token = {kManyZeros, 5, uint8_t(run - 20), 0};
      else if (run >= 4)
        token = {kZeros, 4, uint8_t(run - 4), 0};
    } else {
      // Whose previous length a run's change applies to, the first's or each its own, is
      // read both ways: only runs whose previous lengths agree too are sent as one.
      while (i + run < n && run < 5 && lengths[i + run] == length &&
             previous[i + run] == previous[i])
        ++run;
      if (run >= 4) {
        token = {kSame, 1, uint8_t(run - 4), token.Symbol};
        ++freq[token.Change];
      }
    }
    if (token.ExtraBits == 0) run = 1;
    ++freq[token.Symbol];
    tokens[count++] = token;
    i += run;
  }

  uint8_t pretree[kPretreeSymbols];
  uint16_t codes[kPretreeSymbols] = {};
  BuildLengths(freq, kPretreeBits, pretree);
  CanonicalCodes(pretree, codes);
  for (const uint8_t length : pretree) bits.Put(4, length);
  for (size_t t = 0; t < count; ++t) {
    const TToken& token = tokens[t];
    bits.Put(pretree[token.Symbol], codes[token.Symbol]);
    bits.Put(token.ExtraBits, token.Extra);
    if (token.Symbol == kSame) bits.Put(pretree[token.Change], codes[token.Change]);
  }
}

}  // namespace qel::lzx
