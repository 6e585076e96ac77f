// One block of a Deflate stream made in pieces. Large inputs are cut into blocks of
// kDeflateBlockSize that are deflated independently, so that every core can take one: each
// block is primed with the 32 KiB of input before it as its dictionary, so matches still
// reach back across the cut, and every block but the last ends byte-aligned with an empty
// stored block (a sync flush), so the pieces joined end to end are one ordinary raw Deflate
// stream. The cut depends only on the input's offsets, never on the number of threads, so
// the same input gives the same bytes on any machine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qel {

inline constexpr size_t kDeflateBlockSize = size_t(1) << 20;
// Deflate's window: how far back a match may reach, and so the dictionary a block needs.
inline constexpr size_t kDeflateWindow = size_t(1) << 15;

struct TDeflatedBlock {
  bool Ok = false;       // false only when zlib failed (out of memory)
  size_t InputSize = 0;  // the bytes of input the block stands for
  uint32_t Crc = 0;      // their CRC-32
  std::vector<uint8_t> Data;
};

// Deflates `size` bytes at `input` at the writers' level `levelIndex` (a TDeflateType value).
// The `dictionarySize` bytes before `input` are the previous block's tail (0 for the first
// block); `last` ends the stream. An input that is one block on its own (the stream's only
// one) is deflated whole by libdeflate, every other block by zlib.
TDeflatedBlock DeflateBlock(const uint8_t* input, size_t size, size_t dictionarySize,
                            int levelIndex, bool last);

}  // namespace qel
