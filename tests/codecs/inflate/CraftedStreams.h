// Hand-made Deflate blocks for the cases no encoder produces.
#pragma once

#include <vector>

#include "tests/codecs/inflate/InflateHelpers.h"

namespace qel::test {

struct CodeLengthOp {
  unsigned sym;    // 0-15: a length; 16: repeat; 17, 18: zero runs
  unsigned extra;  // the value of its extra bits
};

inline std::vector<CodeLengthOp> Plain(const std::vector<uint8_t>& lengths) {
  std::vector<CodeLengthOp> ops;
  for (uint8_t l : lengths) ops.push_back({l, 0});
  return ops;
}

// The header of a final dynamic block whose code-length code spells every symbol
// (0-12 in 4 bits, 13-18 in 5), followed by `ops`.
inline void PutDynamicHeader(BitWriter& w, unsigned hlit, unsigned hdist,
                             const std::vector<CodeLengthOp>& ops) {
  static const unsigned kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                      11, 4,  12, 3, 13, 2, 14, 1, 15};
  std::vector<uint8_t> cl(19);
  for (unsigned s = 0; s < 19; ++s) cl[s] = s <= 12 ? 4 : 5;
  const auto codes = CanonicalCodes(cl);
  w.Put(1, 1);
  w.Put(2, 2);
  w.Put(hlit - 257, 5);
  w.Put(hdist - 1, 5);
  w.Put(15, 4);
  for (unsigned s : kOrder) w.Put(cl[s], 3);
  for (const CodeLengthOp& op : ops) {
    w.PutCode(codes[op.sym], cl[op.sym]);
    if (op.sym >= 16) w.Put(op.extra, op.sym == 16 ? 2 : op.sym == 17 ? 3 : 7);
  }
}

// A final dynamic block that declares all 288 literal/length and all 32 distance codes
// (lengths 8/9 and 5), so that any symbol can be written, valid for the variant or not.
class AllSymbolsBlock {
 public:
  explicit AllSymbolsBlock(BitWriter& w) : w_(w), lit_(288, 8), dist_(32, 5) {
    std::fill(lit_.begin() + 224, lit_.end(), uint8_t(9));
    std::vector<uint8_t> all = lit_;
    all.insert(all.end(), dist_.begin(), dist_.end());
    PutDynamicHeader(w, 288, 32, Plain(all));
    litCodes_ = CanonicalCodes(lit_);
    distCodes_ = CanonicalCodes(dist_);
  }
  void Lit(unsigned sym) { w_.PutCode(litCodes_[sym], lit_[sym]); }
  void Dist(unsigned sym) { w_.PutCode(distCodes_[sym], 5); }

 private:
  BitWriter& w_;
  std::vector<uint8_t> lit_, dist_;
  std::vector<uint32_t> litCodes_, distCodes_;
};

// A literal/length symbol of the fixed code.
inline void PutFixed(BitWriter& w, unsigned sym) {
  if (sym < 144)
    w.PutCode(0x30 + sym, 8);
  else if (sym < 256)
    w.PutCode(0x190 + sym - 144, 9);
  else if (sym < 280)
    w.PutCode(sym - 256, 7);
  else
    w.PutCode(0xC0 + sym - 280, 8);
}

}  // namespace qel::test
