// Changing single header fields of an archive the stored-entry builder made, for entries the
// builder cannot express (compressed or encrypted ones, folders, damaged headers).
#pragma once

#include <cstdint>
#include <vector>

#include "tests/support/ZipImage.h"

namespace qel::test {

// A header field: its offset from the signature in the local and the central header (-1
// where that header has no such field) and its width in bytes.
struct TZipField {
  int local;
  int central;
  int width;
};

inline constexpr TZipField kFlagsField{6, 8, 2};
inline constexpr TZipField kMethodField{8, 10, 2};
inline constexpr TZipField kPackedField{18, 20, 4};
inline constexpr TZipField kUnpackedField{22, 24, 4};
inline constexpr TZipField kNameLengthField{26, 28, 2};
inline constexpr TZipField kExtraLengthField{28, 30, 2};
inline constexpr TZipField kCommentLengthField{-1, 32, 2};
inline constexpr TZipField kExternalAttrField{-1, 38, 4};

// Where the central header of entry `i` starts (the builder writes neither extra fields nor
// comments there).
inline int64_t CentralHeaderPos(const ZipImage& img, const std::vector<ZipEntry>& entries,
                                size_t i) {
  int64_t pos = img.centralPos;
  for (size_t j = 0; j < i; ++j) pos += 46 + int64_t(entries[j].name.size());
  return pos;
}

inline void PutField(Bytes& b, int64_t at, int width, uint32_t value) {
  for (int k = 0; k < width; ++k) b[size_t(at + k)] = uint8_t(value >> (8 * k));
}

// Sets the field of entry `i` in both of its headers (or the one that has it).
inline void SetField(ZipImage& img, const std::vector<ZipEntry>& entries, size_t i, TZipField field,
                     uint32_t value) {
  if (field.local >= 0) PutField(img.bytes, img.localPos[i] + field.local, field.width, value);
  PutField(img.bytes, CentralHeaderPos(img, entries, i) + field.central, field.width, value);
}

}  // namespace qel::test
