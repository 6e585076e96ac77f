#include "engine/detect/PeStrings.h"

#include <algorithm>

#include "engine/base/Bytes.h"
#include "engine/text/Utf8.h"

namespace qel {

namespace {

constexpr uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr uint16_t kMagicPe32 = 0x10B;
constexpr uint16_t kMagicPe32Plus = 0x20B;
constexpr uint32_t kResourceDirIndex = 2;
constexpr uint32_t kSectionHeaderSize = 40;
constexpr uint32_t kDirHeaderSize = 16;
constexpr uint32_t kDirEntrySize = 8;
constexpr uint32_t kDataEntrySize = 16;
constexpr uint32_t kSubdirFlag = 0x80000000;
constexpr int32_t kRtString = 6;
constexpr int32_t kFirstEntry = -1;
constexpr unsigned kStringsPerBlock = 16;
// A string table has at most 4096 blocks; anything far beyond that is damage, and walking it
// would only cost time.
constexpr uint32_t kMaxDirEntries = 8192;

}  // namespace

TPeStrings::TPeStrings(TStream64& image) : image_(image) {
  size_ = image_.Size();
  if (size_ <= 0) return;

  uint8_t dos[64];
  if (!image_.ReadExactAt(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') return;
  const int64_t peAt = GetU32(dos + 0x3C);

  // Signature and file header.
  uint8_t pe[24];
  if (!image_.ReadExactAt(peAt, pe, sizeof pe) || GetU32(pe) != kPeSignature) return;
  const uint32_t sectionCount = GetU16(pe + 6);
  const uint32_t optionalSize = GetU16(pe + 20);
  const int64_t optionalAt = peAt + sizeof pe;

  // The optional header differs between PE32 and PE32+ only in where the data directories
  // start.
  uint8_t optional[112 + 3 * 8];
  if (!image_.ReadExactAt(optionalAt, optional, 2)) return;
  uint32_t countAt = 0;
  switch (GetU16(optional)) {
    case kMagicPe32:
      countAt = 92;
      break;
    case kMagicPe32Plus:
      countAt = 108;
      break;
    default:
      return;
  }
  const uint32_t dirsAt = countAt + 4;
  const uint32_t needed = dirsAt + (kResourceDirIndex + 1) * 8;
  if (optionalSize < needed || !image_.ReadExactAt(optionalAt, optional, needed)) return;
  if (GetU32(optional + countAt) <= kResourceDirIndex) return;
  resourceRva_ = GetU32(optional + dirsAt + kResourceDirIndex * 8);
  if (resourceRva_ == 0) return;

  std::vector<uint8_t> table(size_t(sectionCount) * kSectionHeaderSize);
  if (!image_.ReadExactAt(optionalAt + optionalSize, table.data(), int64_t(table.size()))) {
    return;
  }
  sections_.reserve(sectionCount);
  for (uint32_t i = 0; i < sectionCount; ++i) {
    const uint8_t* s = table.data() + size_t(i) * kSectionHeaderSize;
    const uint64_t virtualSize = GetU32(s + 8);
    const uint64_t rawSize = GetU32(s + 16);
    const uint64_t pointer = GetU32(s + 20);
    // Past the raw data the loader fills with zeros, past the virtual size nothing belongs
    // to the section; and a cut file holds less than either.
    uint64_t span = virtualSize != 0 ? std::min(virtualSize, rawSize) : rawSize;
    span = pointer < uint64_t(size_) ? std::min(span, uint64_t(size_) - pointer) : 0;
    sections_.push_back({GetU32(s + 12), span, pointer});
  }

  uint8_t root[kDirHeaderSize];
  valid_ = ReadRva(resourceRva_, root, sizeof root);
}

bool TPeStrings::Map(uint64_t rva, uint64_t count, int64_t& pos) const {
  for (const TSection& s : sections_) {
    if (rva < s.va || rva - s.va >= s.span) continue;
    const uint64_t inside = rva - s.va;
    if (count > s.span - inside) return false;
    pos = int64_t(s.pointer + inside);
    return true;
  }
  return false;
}

bool TPeStrings::ReadRva(uint64_t rva, void* buffer, uint64_t count) {
  int64_t pos = 0;
  return Map(rva, count, pos) && image_.ReadExactAt(pos, buffer, int64_t(count));
}

bool TPeStrings::FindEntry(uint32_t dirOffset, int32_t id, uint32_t& target) {
  const uint64_t dirRva = uint64_t(resourceRva_) + dirOffset;
  uint8_t header[kDirHeaderSize];
  if (!ReadRva(dirRva, header, sizeof header)) return false;
  const uint32_t count =
      std::min<uint32_t>(uint32_t(GetU16(header + 12)) + GetU16(header + 14), kMaxDirEntries);
  if (count == 0) return false;
  std::vector<uint8_t> entries(size_t(count) * kDirEntrySize);
  if (!ReadRva(dirRva + kDirHeaderSize, entries.data(), entries.size())) return false;
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* e = entries.data() + size_t(i) * kDirEntrySize;
    // Named entries carry the flag in their name field and never match a number.
    if (id == kFirstEntry || GetU32(e) == uint32_t(id)) {
      target = GetU32(e + 4);
      return true;
    }
  }
  return false;
}

std::string TPeStrings::String(unsigned id) {
  if (!valid_ || id > 0xFFFF) return {};
  // The tree is walked exactly three levels deep (type, block, language), so a subdirectory
  // offset that points back up cannot make the walk loop.
  uint32_t target = 0;
  if (!FindEntry(0, kRtString, target) || !(target & kSubdirFlag)) return {};
  const int32_t block = int32_t(id / kStringsPerBlock + 1);
  if (!FindEntry(target & ~kSubdirFlag, block, target) || !(target & kSubdirFlag)) return {};
  if (!FindEntry(target & ~kSubdirFlag, kFirstEntry, target) || (target & kSubdirFlag)) {
    return {};
  }

  uint8_t dataEntry[kDataEntrySize];
  if (!ReadRva(uint64_t(resourceRva_) + target, dataEntry, sizeof dataEntry)) return {};
  const uint64_t dataSize = GetU32(dataEntry + 4);
  int64_t dataPos = 0;
  if (!Map(GetU32(dataEntry), dataSize, dataPos)) return {};

  // Sixteen length-prefixed UTF-16 strings follow one another; skip to ours.
  uint64_t at = 0;
  for (unsigned i = 0;; ++i) {
    uint8_t lengthBytes[2];
    if (at + 2 > dataSize || !image_.ReadExactAt(dataPos + int64_t(at), lengthBytes, 2)) {
      return {};
    }
    const uint64_t bytes = uint64_t(GetU16(lengthBytes)) * 2;
    at += 2;
    if (bytes > dataSize - at) return {};
    if (i == id % kStringsPerBlock) {
      std::vector<uint8_t> text(bytes);
      if (!image_.ReadExactAt(dataPos + int64_t(at), text.data(), int64_t(bytes))) return {};
      return text::Utf16LeToUtf8(text.data(), bytes / 2);
    }
    at += bytes;
  }
}

}  // namespace qel
