// Lookup tables for Deflate's canonical Huffman codes. Codes arrive least-significant bit
// first, so a table is indexed by the next `rootBits` bits of the stream; codes longer than
// the root continue in a sub-table that the root entry points to. Every entry packs all a
// decoder needs into 32 bits, so one load answers "what kind of symbol, how many bits with
// its extra bits, which base value".
#pragma once

#include <cstddef>
#include <cstdint>

namespace qel::inflate {

// Entry layout: bits 0-7 = bits to drop for the code at this level and its extra bits
// together (sub-table pointer: the root width), bits 8-11 = bits of the code alone at this
// level (sub-table pointer: its index width), bits 12-15 = flags, bits 16-31 = value (literal
// byte, base length or distance, or the sub-table's offset in the same array). The flags let
// the hot loop tell a literal or a plain base from the rest with one test each.
inline constexpr uint32_t kLiteralFlag = 0x8000;
inline constexpr uint32_t kExceptionalFlag = 0x4000;  // a sub-table, the block end or invalid
inline constexpr uint32_t kSubTableFlag = 0x2000;
inline constexpr uint32_t kEndOfBlockFlag = 0x1000;

// A symbol's entry before its code length is known: `extra` sits where BuildTable adds the
// code length to it.
constexpr uint32_t LiteralSymbol(uint32_t value) { return value << 16 | kLiteralFlag; }
constexpr uint32_t BaseSymbol(uint32_t base, uint32_t extra) { return base << 16 | extra; }
inline constexpr uint32_t kEndOfBlockSymbol = kExceptionalFlag | kEndOfBlockFlag;
inline constexpr uint32_t kInvalidSymbol = kExceptionalFlag;

inline uint32_t EntryTotalBits(uint32_t e) { return e & 0xFF; }
inline uint32_t EntryCodeBits(uint32_t e) { return (e >> 8) & 0xF; }
inline uint32_t EntryExtra(uint32_t e) { return EntryTotalBits(e) - EntryCodeBits(e); }
inline uint32_t EntryValue(uint32_t e) { return e >> 16; }
inline bool IsLiteral(uint32_t e) { return (e & kLiteralFlag) != 0; }
inline bool IsExceptional(uint32_t e) { return (e & kExceptionalFlag) != 0; }
inline bool IsSubTable(uint32_t e) { return (e & kSubTableFlag) != 0; }
inline bool IsEndOfBlock(uint32_t e) { return (e & kEndOfBlockFlag) != 0; }

inline constexpr unsigned kMaxCodeBits = 15;

enum class BuildResult { Complete, Incomplete, OverSubscribed };

// Builds the table for code lengths `lengths[0..count)` (0 = unused symbol). `symbols`
// gives each symbol's entry as made by LiteralSymbol or BaseSymbol (or the end or invalid
// symbol). Entries no code reaches are invalid. The caller decides whether an incomplete code is
// acceptable.
BuildResult BuildTable(const uint8_t* lengths, unsigned count, const uint32_t* symbols,
                       unsigned rootBits, uint32_t* table, size_t capacity);

}  // namespace qel::inflate
