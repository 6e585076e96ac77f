#include "codecs/lzh/LzhTable.h"

#include <algorithm>

namespace qel {

bool TLzhTable::Build(std::span<const uint8_t> lengths) {
  std::fill(std::begin(count_), std::end(count_), 0);
  for (uint8_t len : lengths) {
    if (len > kMaxLength) return false;
    ++count_[len];
  }
  count_[0] = 0;
  // A complete code: the codes of every length together fill the 16-bit code space.
  uint32_t space = 0;
  for (int len = 1; len <= kMaxLength; ++len) space += uint32_t(count_[len]) << (kMaxLength - len);
  if (space != 1u << kMaxLength) return false;

  uint16_t offset[kMaxLength + 2] = {};
  for (int len = 1; len <= kMaxLength; ++len) offset[len + 1] = offset[len] + count_[len];
  sorted_.assign(offset[kMaxLength + 1], 0);
  for (size_t s = 0; s < lengths.size(); ++s)
    if (lengths[s]) sorted_[offset[lengths[s]]++] = uint16_t(s);

  // Every table slot whose top bits start a code of at most `bits_` bits names it; the
  // others are left to the long path.
  std::fill(primary_.begin(), primary_.end(), uint16_t(0));
  uint32_t code = 0;
  size_t next = 0;
  for (int len = 1; len <= kMaxLength; ++len) {
    for (int i = 0; i < count_[len]; ++i, ++code, ++next) {
      if (len > bits_) continue;
      const uint32_t first = code << (bits_ - len);
      const uint16_t entry = uint16_t(kShort | len << kLengthShift | sorted_[next]);
      std::fill_n(primary_.begin() + first, size_t(1) << (bits_ - len), entry);
    }
    code <<= 1;
  }
  return true;
}

void TLzhTable::Single(uint16_t symbol) {
  std::fill(primary_.begin(), primary_.end(), uint16_t(kShort | symbol));
}

uint16_t TLzhTable::DecodeLong(TMsbBitReader& in) const {
  // Canonical decoding from the first length beyond the table: `code` is the bits read so
  // far, `first` the first code of the current length, `index` its first symbol.
  const uint32_t bits = in.Peek(kMaxLength);
  uint32_t first = 0, index = 0;
  for (int len = 1; len <= kMaxLength; ++len) {
    const uint32_t code = bits >> (kMaxLength - len);
    if (code - first < count_[len]) {
      in.Skip(len);
      return sorted_[index + code - first];
    }
    index += count_[len];
    first = (first + count_[len]) << 1;
  }
  return 0;  // unreachable for a complete code
}

}  // namespace qel
