// A canonical Huffman code of the LZH block headers, decoded through a table: codes up to
// `tableBits` long in one lookup, longer ones (up to 16 bits) by counting from there on, as
// the lengths alone define the code (shorter codes first, equal lengths in symbol order).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "codecs/lzh/MsbBitReader.h"

namespace qel {

class TLzhTable {
 public:
  static constexpr int kMaxLength = 16;

  explicit TLzhTable(int tableBits) : bits_(tableBits), primary_(size_t(1) << tableBits) {}

  // The code of `lengths` (0: the symbol does not occur); false unless the lengths fill the
  // code space exactly, which every code an encoder makes does.
  bool Build(std::span<const uint8_t> lengths);
  // A code of one symbol that takes no bits at all.
  void Single(uint16_t symbol);

  uint16_t Decode(TMsbBitReader& in) const {
    const uint16_t e = primary_[in.Peek(bits_)];
    if (e & kShort) {
      in.Skip(e >> kLengthShift & 0x1F);
      return e & kSymbolMask;
    }
    return DecodeLong(in);
  }

 private:
  // A primary entry: the symbol, its length, and whether the code ends within the table.
  static constexpr uint16_t kSymbolMask = 0x3FF;
  static constexpr int kLengthShift = 10;
  static constexpr uint16_t kShort = 0x8000;

  uint16_t DecodeLong(TMsbBitReader& in) const;

  int bits_;
  std::vector<uint16_t> primary_;
  uint16_t count_[kMaxLength + 1] = {};
  std::vector<uint16_t> sorted_;  // symbols in code order
};

}  // namespace qel
