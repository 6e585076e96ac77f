// Lookup tables for Deflate's canonical Huffman codes. Codes arrive least-significant bit
// first, so a table is indexed by the next `rootBits` bits of the stream; codes longer than
// the root continue in a sub-table that the root entry points to. Every entry packs all a
// decoder needs into 32 bits, so one load answers "what symbol, how many bits, how many
// extra bits, which base value".
#pragma once

#include <cstddef>
#include <cstdint>

namespace qel::inflate {

// Entry layout: bits 0-7 = bits the code takes at this level, bits 8-12 = extra bits that
// follow (sub-table: its index width), bits 13-15 = kind, bits 16-31 = value (literal byte,
// base length or distance, or the sub-table's offset in the same array).
enum EntryKind : uint32_t {
  kLiteral = 0,
  kBase = 1,  // a length or distance base with `extra` extra bits
  kEndOfBlock = 2,
  kSubTable = 3,
  kInvalid = 4,
};

constexpr uint32_t MakeEntry(uint32_t kind, uint32_t value, uint32_t extra, uint32_t bits) {
  return value << 16 | kind << 13 | extra << 8 | bits;
}
inline uint32_t EntryBits(uint32_t e) { return e & 0xFF; }
inline uint32_t EntryExtra(uint32_t e) { return (e >> 8) & 0x1F; }
inline uint32_t EntryKindOf(uint32_t e) { return (e >> 13) & 7; }
inline uint32_t EntryValue(uint32_t e) { return e >> 16; }

inline constexpr unsigned kMaxCodeBits = 15;

enum class BuildResult { Complete, Incomplete, OverSubscribed };

// Builds the table for code lengths `lengths[0..count)` (0 = unused symbol). `symbols`
// gives each symbol's entry with its bit count left 0. Entries no code reaches are
// kInvalid. The caller decides whether an incomplete code is acceptable.
BuildResult BuildTable(const uint8_t* lengths, unsigned count, const uint32_t* symbols,
                       unsigned rootBits, uint32_t* table, size_t capacity);

}  // namespace qel::inflate
