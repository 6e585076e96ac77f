#include "formats/ace/AceHeader.h"

#include <cstring>
#include <vector>

#include "codecs/checksum/Crc.h"
#include "engine/text/EntryNames.h"

namespace qel::ace {

namespace {

constexpr int kMainFixed = 31;
constexpr int kFileFixed = 35;
// Header kinds after the main header.
enum : uint8_t { kFile32 = 1, kRecord32 = 2, kFile64 = 3, kRecord64a = 4, kRecord64b = 5 };

// The header from its type byte on, its CRC checked: the low half of the CRC register
// before the final inversion.
bool ReadHeader(const TReadAt& read, int64_t fileSize, int64_t pos, int fixed,
                std::vector<uint8_t>& h) {
  uint8_t head[4];
  if (pos < 0 || fileSize - pos < fixed || !read(pos, head, 4)) return false;
  const int64_t size = GetU16(head + 2);
  if (size + 4 < fixed || size > fileSize - pos - 4) return false;
  h.resize(size_t(size) + 4);
  if (!read(pos, h.data(), int64_t(h.size()))) return false;
  return uint16_t(~Crc32(0, h.data() + 4, size_t(size))) == GetU16(head);
}

}  // namespace

int64_t ReadAceMain(const TReadAt& read, int64_t fileSize, int64_t start) {
  std::vector<uint8_t> h;
  if (!ReadHeader(read, fileSize, start, kMainFixed, h) || h[4] != 0 ||
      std::memcmp(&h[7], "**ACE**", 7) != 0)
    return -1;
  return start + int64_t(h.size());
}

THeaderRead ReadAceFile(const TReadAt& read, int64_t fileSize, int64_t pos, TAceFile& f) {
  uint8_t type = 0;
  if (pos >= fileSize) return THeaderRead::End;
  if (!read(pos + 4, &type, 1)) return THeaderRead::Bad;
  // Recovery records close an archive; any other kind is damage.
  if (type == kRecord32 || type == kRecord64a || type == kRecord64b) return THeaderRead::End;
  if (type != kFile32 && type != kFile64) return THeaderRead::Bad;
  // Files of 4 GiB or more have 64-bit sizes, and every field after them moves on.
  const int wide = type == kFile64 ? 8 : 0;
  std::vector<uint8_t> h;
  if (!ReadHeader(read, fileSize, pos, kFileFixed + wide, h)) return THeaderRead::Bad;
  f.Flags = GetU16(&h[5]);
  f.Packed = wide ? GetU64(&h[7]) : GetU32(&h[7]);
  f.Unpacked = wide ? GetU64(&h[15]) : GetU32(&h[11]);
  const uint8_t* p = &h[15 + wide];
  f.DosTime = GetU32(p);
  f.Attr = GetU32(p + 4);
  f.Crc = ~GetU32(p + 8);  // stored as the CRC register, before the final inversion
  f.Type = p[12];
  f.Quality = p[13];
  const size_t nameSize = GetU16(p + 18);
  const size_t nameAt = size_t(kFileFixed + wide);
  if (nameAt + nameSize > h.size() || f.Unpacked > uint64_t(INT64_MAX)) return THeaderRead::Bad;
  f.Name =
      text::DecodeEntryName(std::string_view(reinterpret_cast<const char*>(&h[nameAt]), nameSize),
                            text::TNameCodePage::Oem);
  const int64_t dataStart = pos + int64_t(h.size());
  if (f.Packed > uint64_t(fileSize - dataStart)) return THeaderRead::Bad;
  f.Next = dataStart + int64_t(f.Packed);
  return THeaderRead::Ok;
}

}  // namespace qel::ace
