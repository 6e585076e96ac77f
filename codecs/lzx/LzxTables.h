// The numbers of the LZX format that the encoder's parts share: the alphabets, and the
// position slots. A match's offset is coded "formatted", as its distance + 2 (0, 1 and 2
// stand for the three repeated offsets); a formatted offset falls into a slot, which the main
// tree codes together with the match length, and its place inside the slot follows as extra
// bits.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>

namespace qel::lzx {

inline constexpr int kMinMatch = 2;
inline constexpr int kMaxMatch = 257;
inline constexpr int kLiterals = 256;
// A match's main element: 256 + slot * 8 + min(length - 2, 7); the header 7 means that a
// length-tree symbol (length - 9) follows.
inline constexpr int kLengthHeaders = 8;
inline constexpr int kLengthSymbols = 249;
inline constexpr int kMaxSlots = 50;
inline constexpr int kMaxMainSymbols = kLiterals + kMaxSlots * kLengthHeaders;
inline constexpr int kAlignedSymbols = 8;
inline constexpr int kRepeats = 3;
inline constexpr int kMaxCodeBits = 16;

enum TBlockType : uint32_t { kVerbatim = 1, kAligned = 2, kUncompressed = 3 };

// The slots a window of 2^windowBits bytes uses: two per bit up to 19 bits, then slots of
// 2^17 offsets each.
constexpr int PositionSlots(int windowBits) {
  return windowBits < 20 ? windowBits * 2 : windowBits == 20 ? 42 : 50;
}

constexpr int ExtraBits(int slot) { return slot < 4 ? 0 : std::min((slot - 2) / 2, 17); }

inline constexpr std::array<uint32_t, kMaxSlots + 1> kSlotBase = [] {
  std::array<uint32_t, kMaxSlots + 1> base{};
  for (int s = 0; s < kMaxSlots; ++s) base[size_t(s) + 1] = base[size_t(s)] + (1u << ExtraBits(s));
  return base;
}();

// The slot of a formatted offset below 2^21.
inline int SlotOf(uint32_t formatted) {
  if (formatted < 4) return int(formatted);
  if (formatted >= (1u << 19)) return 38 + int((formatted - (1u << 19)) >> 17);
  const int top = std::bit_width(formatted) - 1;
  return 2 * top + int((formatted >> (top - 1)) & 1);
}

}  // namespace qel::lzx
