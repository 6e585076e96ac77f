// The Huffman trees of an LZX block: their code lengths, and how a block sends them.
//
// A block sends the main and length trees' code lengths as changes from the previous
// block's (all 0 at the start of a stream), each change a symbol of a 20-symbol pretree whose
// own lengths go first, four bits each: 0-16 the change, (previous - new) mod 17; 17 four to
// 19 zeros; 18 twenty to 51 zeros; 19 four or five equal lengths, its change following.
#pragma once

#include <cstdint>
#include <span>

#include "codecs/lzx/LzxBitWriter.h"

namespace qel::lzx {

// Code lengths for `freq`, none above `maxBits`. A tree gets at least two codes, adding
// symbols that do not occur when needed: decoders refuse a tree with a single code, which
// leaves half the code space unused.
void BuildLengths(std::span<uint32_t> freq, int maxBits, std::span<uint8_t> lengths);

// Sends `lengths` as changes from `previous` (as long), through a pretree of its own.
void WriteLengths(TBitWriter& bits, std::span<const uint8_t> previous,
                  std::span<const uint8_t> lengths);

}  // namespace qel::lzx
