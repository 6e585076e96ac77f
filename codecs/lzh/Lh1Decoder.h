// The adaptive-Huffman decoder of LHA's -lh1- (the LZHUF scheme). One code of 314 symbols
// (256 bytes and the match lengths 3 to 60) whose tree is reshaped after every symbol so that
// frequent symbols stay near the root; match positions use a fixed prefix code for their
// upper 6 bits and 6 raw bits below. The window is 4,096 bytes, starting as spaces.
#pragma once

#include <cstdint>

#include "codecs/lzh/LzhDecoder.h"

namespace qel {

class TLh1Decoder {
 public:
  // Decodes `size` bytes from `source` into `sink`.
  TDecodeResult Decode(const TCodecSource& source, const TCodecSink& sink, uint64_t size);

 private:
  static constexpr int kSymbols = 314;
  static constexpr int kNodes = 2 * kSymbols - 1;  // 627; a child >= kNodes is a leaf
  static constexpr int kRoot = kNodes - 1;
  static constexpr uint16_t kMaxFrequency = 0x8000;

  void Start();
  // Halves every leaf's frequency and builds the inner nodes again.
  void Rebuild();
  // Counts `symbol` once more and keeps the nodes ordered by frequency.
  void Update(int symbol);
  int DecodeSymbol(TMsbBitReader& in);

  uint16_t freq_[kNodes + 1];  // the last is a sentinel above every frequency
  int16_t parent_[kNodes + kSymbols];
  int16_t child_[kNodes];
};

}  // namespace qel
