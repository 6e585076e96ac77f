#include "formats/zip/DataDescriptor.h"

#include <algorithm>
#include <vector>

#include "engine/base/Bytes.h"
#include "formats/zip/DirectoryWriter.h"
#include "formats/zip/EncryptionMethod.h"

namespace qel::zip {

TDescriptor ReadDescriptor(const uint8_t* p, uint64_t at, bool wide) {
  TDescriptor d;
  d.Crc = GetU32(p + 4);
  d.Packed = wide ? GetU64(p + 8) : GetU32(p + 8);
  d.Unpacked = wide ? GetU64(p + 16) : GetU32(p + 12);
  d.End = at + (wide ? kDescriptor64Size : kDescriptorSize);
  return d;
}

std::optional<TDescriptor> FindClosingDescriptor(const TReadAt& readAt, int64_t fileSize,
                                                 int64_t dataStart, bool wide) {
  constexpr int64_t kBlock = 1 << 16;
  const int64_t size = int64_t(wide ? kDescriptor64Size : kDescriptorSize);
  std::vector<uint8_t> block;
  // Blocks overlap by a descriptor's length less one, so none is cut in two.
  for (int64_t from = std::max<int64_t>(dataStart, 0); fileSize - from >= size;
       from += kBlock - size + 1) {
    const int64_t length = std::min(kBlock, fileSize - from);
    block.resize(size_t(length));
    if (!readAt(from, block.data(), length)) return std::nullopt;
    for (int64_t i = 0; i + size <= length; ++i) {
      if (block[size_t(i)] != 'P' || GetU32(&block[size_t(i)]) != kSigDataDescriptor) continue;
      const TDescriptor d = ReadDescriptor(&block[size_t(i)], uint64_t(from + i), wide);
      if (d.Packed == uint64_t(from + i - dataStart)) return d;
    }
  }
  return std::nullopt;
}

std::optional<TDescriptor> LocalEntryFigures(const TReadAt& readAt, int64_t fileSize, int64_t pos,
                                             const TRecordBytes& r, const LocalHeader& h,
                                             const TZipExtra& extra) {
  const int64_t dataStart = pos + r.Size;
  TDescriptor d;
  d.Crc = h.Crc;
  d.Packed = FullCompressedSize(h, extra);
  d.Unpacked = FullUncompressedSize(h, extra);
  if (h.Flags & kFlagDataDescriptor) {
    const bool wide = HasExtraField(r.Extra, kExtraZip64);
    if (std::optional<TDescriptor> found = FindClosingDescriptor(readAt, fileSize, dataStart, wide))
      return found;
    if (d.Packed == 0) return std::nullopt;
  }
  // Saturating: a damaged Zip64 size must not wrap round to a small end.
  d.End = d.Packed > uint64_t(INT64_MAX) - uint64_t(dataStart) ? uint64_t(INT64_MAX)
                                                               : uint64_t(dataStart) + d.Packed;
  return d;
}

}  // namespace qel::zip
