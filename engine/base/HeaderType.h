// Which ZIP structures detection found, kept as one byte (bit n for value n).
#pragma once

#include <cstdint>

namespace qel {

enum class THeaderType : uint8_t {
  htLocal,
  htCentral,
  htEnding,
  htLocator,
  htEnding64,
  htSfx,
  htNone
};

class THeaderTypeState {
 public:
  constexpr THeaderTypeState() = default;
  constexpr explicit THeaderTypeState(uint8_t bits) : bits_(bits) {}
  constexpr bool Has(THeaderType h) const { return bits_ & Bit(h); }
  constexpr void Include(THeaderType h) { bits_ |= Bit(h); }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr uint8_t Bits() const { return bits_; }
  constexpr bool operator==(const THeaderTypeState&) const = default;
  static constexpr THeaderTypeState Of(THeaderType h) { return THeaderTypeState(Bit(h)); }

 private:
  static constexpr uint8_t Bit(THeaderType h) { return uint8_t(1u << unsigned(h)); }
  uint8_t bits_ = 0;
};

}  // namespace qel
