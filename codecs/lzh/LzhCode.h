// Building the canonical Huffman codes the LZH encoder writes: code lengths from symbol
// frequencies, kept to the 16 bits the format allows, and the codes the lengths define
// (shorter codes first, equal lengths in symbol order), which is how a decoder rebuilds them.
#pragma once

#include <cstdint>
#include <span>

namespace qel {

// The code lengths for `freq` (0 for a symbol that does not occur), none above `maxBits`.
// Answers how many symbols occur; with fewer than two no code is built (lengths all 0), and
// the format then names the one symbol instead.
int BuildCodeLengths(std::span<const uint32_t> freq, int maxBits, std::span<uint8_t> lengths);

// The code of each symbol, in its length's low bits.
void CanonicalCodes(std::span<const uint8_t> lengths, std::span<uint16_t> codes);

}  // namespace qel
