#include "codecs/inflate/HuffmanTable.h"

#include <algorithm>

namespace qel::inflate {

namespace {

uint32_t Reverse(uint32_t code, unsigned bits) {
  uint32_t r = 0;
  for (unsigned i = 0; i < bits; ++i, code >>= 1) r = r << 1 | (code & 1);
  return r;
}

// Writes `entry` at every index of a level of 2^levelBits entries whose low `codeBits`
// bits are `reversed`.
void Fill(uint32_t* level, unsigned levelBits, uint32_t reversed, unsigned codeBits,
          uint32_t entry) {
  for (uint32_t i = reversed; i < (1u << levelBits); i += 1u << codeBits) level[i] = entry;
}

}  // namespace

BuildResult BuildTable(const uint8_t* lengths, unsigned count, const uint32_t* symbols,
                       unsigned rootBits, uint32_t* table, size_t capacity) {
  unsigned lenCount[kMaxCodeBits + 1] = {};
  for (unsigned s = 0; s < count; ++s) ++lenCount[lengths[s]];
  lenCount[0] = 0;

  // Kraft sum: more codes than the lengths allow is unusable, fewer leaves holes.
  int left = 1;
  for (unsigned len = 1; len <= kMaxCodeBits; ++len) {
    left = (left << 1) - int(lenCount[len]);
    if (left < 0) return BuildResult::OverSubscribed;
  }

  // Symbols sorted by code length, then by value: the canonical code order.
  uint16_t offsets[kMaxCodeBits + 2] = {};
  for (unsigned len = 1; len <= kMaxCodeBits; ++len)
    offsets[len + 1] = uint16_t(offsets[len] + lenCount[len]);
  uint16_t sorted[288];
  for (unsigned s = 0; s < count; ++s)
    if (lengths[s] != 0) sorted[offsets[lengths[s]]++] = uint16_t(s);
  const unsigned used = offsets[kMaxCodeBits];  // offsets[15] now ends the last run

  const uint32_t invalid = kInvalidSymbol | 1 | 1 << 8;
  std::fill(table, table + (size_t(1) << rootBits), invalid);

  unsigned remaining[kMaxCodeBits + 1];
  std::copy(lenCount, lenCount + kMaxCodeBits + 1, remaining);
  uint32_t code = 0;
  unsigned codeLen = 0;
  size_t next = size_t(1) << rootBits;  // where the next sub-table goes
  uint32_t subPrefix = ~0u;
  uint32_t* sub = nullptr;
  unsigned subBits = 0;
  for (unsigned i = 0; i < used; ++i) {
    const unsigned s = sorted[i];
    const unsigned len = lengths[s];
    code <<= len - codeLen;
    codeLen = len;
    const uint32_t rev = Reverse(code, len);
    if (len <= rootBits) {
      Fill(table, rootBits, rev, len, symbols[s] + (len | len << 8));
    } else {
      const uint32_t prefix = rev & ((1u << rootBits) - 1);
      if (prefix != subPrefix) {
        // Size the sub-table for every code that shares this prefix: grow it while
        // the codes of the next length still do not fill it.
        subBits = len - rootBits;
        int room = 1 << subBits;
        while (subBits + rootBits < kMaxCodeBits) {
          room -= int(remaining[subBits + rootBits]);
          if (room <= 0) break;
          ++subBits;
          room <<= 1;
        }
        if (next + (size_t(1) << subBits) > capacity) return BuildResult::OverSubscribed;
        sub = table + next;
        std::fill(sub, sub + (size_t(1) << subBits), invalid);
        table[prefix] =
            uint32_t(next) << 16 | kExceptionalFlag | kSubTableFlag | subBits << 8 | rootBits;
        next += size_t(1) << subBits;
        subPrefix = prefix;
      }
      const uint32_t subLen = len - rootBits;
      Fill(sub, subBits, rev >> rootBits, subLen, symbols[s] + (subLen | subLen << 8));
    }
    --remaining[len];
    ++code;
  }
  return left > 0 ? BuildResult::Incomplete : BuildResult::Complete;
}

}  // namespace qel::inflate
