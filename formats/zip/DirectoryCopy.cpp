#include "formats/zip/DirectoryCopy.h"

#include <algorithm>

#include "engine/base/Bytes.h"
#include "formats/zip/DataDescriptor.h"
#include "formats/zip/DirectoryWriter.h"
#include "formats/zip/HeaderCrypt.h"

namespace qel::zip {
namespace {

constexpr uint16_t kFlagDescriptor = 0x0008;
// Field offsets in a central header, from its signature.
constexpr size_t kDiskField = 34;
constexpr size_t kOffsetField = 42;

// Where the local-header offset sits in the record's Zip64 field, when it is held there:
// after the uncompressed and compressed sizes, each present only when its header field is
// all ones.
std::optional<size_t> Zip64OffsetSlot(const TDirEntry& e) {
  const uint8_t* fixed = e.Record.Fixed.data();
  if (GetU32(fixed + kOffsetField) != kZip64Marker) return std::nullopt;
  const std::vector<uint8_t>& extra = e.Record.Extra;
  size_t pos = 0;
  while (extra.size() - pos >= 4) {
    const size_t size = GetU16(extra.data() + pos + 2);
    if (size > extra.size() - pos - 4) break;
    if (GetU16(extra.data() + pos) == kExtraZip64) {
      size_t at = 0;
      if (GetU32(fixed + 24) == kZip64Marker) at += 8;  // uncompressed size
      if (GetU32(fixed + 20) == kZip64Marker) at += 8;  // compressed size
      if (size < at + 8) return std::nullopt;
      return pos + 4 + at;
    }
    pos += 4 + size;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::vector<TDirEntry>> ReadDirectory(const TReadAt& readAt, int64_t fileSize,
                                                    int64_t start, uint64_t size, uint64_t count,
                                                    const THeaderDecipher& decipher) {
  // The figures come from the end records: only what the file can hold is believed.
  if (start < 0 || start > fileSize || size > uint64_t(fileSize - start)) return std::nullopt;
  std::vector<TDirEntry> entries;
  entries.reserve(size_t(std::min<uint64_t>(count, size / kCentralHeaderSize)));
  const int64_t end = start + int64_t(size);
  for (int64_t pos = start; pos < end;) {
    TDirEntry e;
    // The records are read as if the directory ended the file, so none can run beyond it.
    if (ReadZipRecord(readAt, end, pos, RecordKind::Central, decipher, e.Record) != TRecordRead::Ok)
      return std::nullopt;
    e.Header = UnpackCentral(e.Record.Fixed.data());
    e.Extra = ReadCentralExtra(e.Record.Extra, e.Record.Name, e.Header);
    e.Packed = FullCompressedSize(e.Header, e.Extra);
    e.Unpacked = FullUncompressedSize(e.Header, e.Extra);
    e.LocalOffset = FullLocalOffset(e.Header, e.Extra);
    e.Disk = FullDiskStart(e.Header, e.Extra);
    pos += e.Record.Size;
    entries.push_back(std::move(e));
  }
  return entries;
}

std::vector<uint8_t> RecordAt(const TDirEntry& e, uint64_t offset, uint32_t disk,
                              const TSeedKeyRecord& seed) {
  std::vector<uint8_t> fixed = e.Record.Fixed;
  std::vector<uint8_t> extra = e.Record.Extra;
  const std::optional<size_t> slot = Zip64OffsetSlot(e);
  const bool diskInZip64 = GetU16(fixed.data() + kDiskField) == kZip64DiskMarker;
  if (slot && !diskInZip64) {
    PutU64(extra.data() + *slot, offset);
  } else if (offset < kZip64Marker && e.Extra.LocalOffsetHigh == 0 && !diskInZip64) {
    PutU32(fixed.data() + kOffsetField, uint32_t(offset));
  } else {
    // The value outgrows its field (or sits where only a rebuilt field can move it): the
    // sizes and the offset go to a fresh Zip64 field.
    CentralHeader h = e.Header;
    RemoveExtraField(extra, kExtraZip64);
    RemoveExtraField(extra, kExtraSizeExtension);
    StoreCentralSizes(extra, h, e.Packed, e.Unpacked, offset);
    h.ExtraLength = uint16_t(extra.size());
    Pack(h, fixed.data());
  }
  PutU16(fixed.data() + kDiskField, uint16_t(disk));
  std::vector<uint8_t> bytes = std::move(fixed);
  bytes.insert(bytes.end(), e.Record.Name.begin(), e.Record.Name.end());
  if (e.Record.Class.Enciphered) EncipherHeader(seed, bytes, RecordKind::Central);
  bytes.insert(bytes.end(), extra.begin(), extra.end());
  bytes.insert(bytes.end(), e.Record.Comment.begin(), e.Record.Comment.end());
  return bytes;
}

std::optional<uint64_t> EntrySpan(const TReadAt& readAt, int64_t fileSize, int64_t localPos,
                                  const TDirEntry& e, const THeaderDecipher& decipher,
                                  uint64_t& headerSize) {
  TRecordBytes local;
  if (ReadZipRecord(readAt, fileSize, localPos, RecordKind::Local, decipher, local) !=
      TRecordRead::Ok)
    return std::nullopt;
  headerSize = uint64_t(local.Size);
  uint64_t span = headerSize;
  if (__builtin_add_overflow(span, e.Packed, &span) || span > uint64_t(fileSize - localPos))
    return std::nullopt;
  if (e.Header.Flags & kFlagDescriptor) {
    // The descriptor's signature is optional; a CRC that happens to read as the signature is
    // told apart by the CRC that then follows it. Sizes are 64-bit after a Zip64 header.
    const bool wide = HasExtraField(local.Extra, kExtraZip64);
    uint8_t head[8] = {};
    const int64_t at = localPos + int64_t(span);
    const bool signed_ = fileSize - at >= 8 && readAt(at, head, 8) &&
                         GetU32(head) == kSigDataDescriptor &&
                         (e.Header.Crc != kSigDataDescriptor || GetU32(head + 4) == e.Header.Crc);
    span += (wide ? kDescriptor64Size : kDescriptorSize) - (signed_ ? 0 : 4);
    if (span > uint64_t(fileSize - localPos)) return std::nullopt;
  }
  return span;
}

}  // namespace qel::zip
