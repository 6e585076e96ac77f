#include "formats/lha/LhaHeader.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/base/DateTime.h"
#include "engine/text/CodePages.h"
#include "engine/text/Utf8.h"

namespace qel::lha {
namespace {

constexpr int kBaseSize = 22;
// Level 3 sizes are 32-bit; no real header comes near this.
constexpr uint64_t kMaxLevel3Header = uint64_t(1) << 20;
// Seconds from 1601, the Windows epoch, to 1970.

void TakeExtended(uint8_t type, const uint8_t* data, size_t size, TLhaHeader& h) {
  switch (type) {
    case 0x01:
      h.Name.assign(reinterpret_cast<const char*>(data), size);
      break;
    case 0x02:
      h.Directory.assign(reinterpret_cast<const char*>(data), size);
      break;
    case 0x40:
      if (size >= 2) h.Attr = data[0];
      break;
    case 0x41:  // creation, modification and access times, in 100 ns from 1601
      if (size >= 24) {
        const uint64_t ticks = GetU64(data + 8);
        if (ticks) h.UnixTime = FileTimeToUnix(ticks);
      }
      break;
    case 0x50:
      if (size >= 2) h.UnixMode = GetU16(data);
      break;
    case 0x54:
      if (size >= 4) h.UnixTime = GetU32(data);
      break;
    default:
      break;
  }
}

// Walks the chain of extended headers from `at`, the first `size` bytes long, each ending
// with the next one's size in `width` bytes; none may pass `limit`. Answers where the chain
// ends, or -1 when it is damaged.
int64_t WalkExtended(const TReadAt& readAt, int64_t at, int64_t limit, uint64_t size, int width,
                     TLhaHeader& h) {
  std::vector<uint8_t> block;
  while (size != 0) {
    if (size < uint64_t(1 + width) || size > uint64_t(limit - at)) return -1;
    block.resize(size_t(size));
    if (!readAt(at, block.data(), int64_t(size))) return -1;
    const uint8_t* next = block.data() + size - size_t(width);
    TakeExtended(block[0], block.data() + 1, size_t(size) - 1 - size_t(width), h);
    at += int64_t(size);
    size = width == 2 ? GetU16(next) : GetU32(next);
  }
  return at;
}

bool JapaneseSystem(uint8_t os) { return os == 'J' || os == 'H' || os == 'T'; }

bool ShiftJisLead(uint8_t c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

}  // namespace

TLhaMethod MethodOf(const char id[5]) {
  if (id[0] != '-' || id[4] != '-') return TLhaMethod::Unsupported;
  if (id[1] == 'l' && id[2] == 'h') {
    switch (id[3]) {
      case '0':
        return TLhaMethod::Stored;
      case '1':
        return TLhaMethod::Lh1;
      case '4':
        return TLhaMethod::Lh4;
      case '5':
        return TLhaMethod::Lh5;
      case '6':
        return TLhaMethod::Lh6;
      case '7':
        return TLhaMethod::Lh7;
      case 'd':
        return TLhaMethod::Folder;
      default:
        return TLhaMethod::Unsupported;
    }
  }
  if (std::memcmp(id, "-lz4-", 5) == 0) return TLhaMethod::Stored;
  if (std::memcmp(id, "-lzs-", 5) == 0) return TLhaMethod::Lzs;
  if (std::memcmp(id, "-lz5-", 5) == 0) return TLhaMethod::Lz5;
  return TLhaMethod::Unsupported;
}

THeaderRead ReadLhaHeader(const TReadAt& readAt, int64_t fileSize, int64_t pos, TLhaHeader& h) {
  h = TLhaHeader{};
  h.Position = pos;
  uint8_t first = 0;
  if (pos >= fileSize || !readAt(pos, &first, 1) || first == 0) return THeaderRead::End;
  uint8_t b[32];
  if (fileSize - pos < kBaseSize || !readAt(pos, b, kBaseSize)) return THeaderRead::Bad;
  std::memcpy(h.Method, b + 2, 5);
  h.Packed = GetU32(b + 7);
  h.Unpacked = GetU32(b + 11);
  const uint32_t time = GetU32(b + 15);
  h.Attr = b[19];
  h.Level = b[20];
  const int64_t left = fileSize - pos;

  int64_t headerEnd = 0;
  switch (h.Level) {
    case 0:
    case 1: {
      const int size = b[0] + 2;  // the size byte counts from offset 2
      if (size < kBaseSize + 2 || size > left) return THeaderRead::Bad;
      uint8_t all[257 + 2];
      if (!readAt(pos, all, size)) return THeaderRead::Bad;
      const int n = all[21];
      const int rest = size - (kBaseSize + n + 2);  // bytes behind the CRC
      if (rest < (h.Level == 1 ? 3 : 0)) return THeaderRead::Bad;
      h.Name.assign(reinterpret_cast<const char*>(all + kBaseSize), size_t(n));
      h.Crc = GetU16(all + kBaseSize + n);
      h.DosTime = time;
      const uint8_t* tail = all + kBaseSize + n + 2;
      headerEnd = pos + size;
      h.DataStart = headerEnd;
      h.Next = headerEnd + int64_t(h.Packed);
      if (h.Level == 0) {
        // LHA for Unix: 'U', a version byte, the Unix time and mode (and owner ids).
        if (rest >= 1) h.Os = tail[0];
        if (rest >= 8 && tail[0] == 'U') {
          h.UnixTime = GetU32(tail + 2);
          h.UnixMode = GetU16(tail + 6);
        }
        break;
      }
      h.Os = tail[0];
      // Level 1 counts its extended headers in the packed size.
      const int64_t limit = std::min(fileSize, headerEnd + int64_t(h.Packed));
      const int64_t end = WalkExtended(readAt, headerEnd, limit, GetU16(tail + 1), 2, h);
      if (end < 0) return THeaderRead::Bad;
      h.DataStart = end;
      h.Packed -= uint64_t(end - headerEnd);
      break;
    }
    case 2: {
      const int64_t size = GetU16(b);
      if (size < 26 || size > left || !readAt(pos, b, 26)) return THeaderRead::Bad;
      h.Crc = GetU16(b + 21);
      h.Os = b[23];
      h.UnixTime = time;
      headerEnd = pos + size;
      // LHA for OS-9/68k counts its header two bytes short: its extended headers, and the
      // data after them, start where they end.
      const bool osk = h.Os == 'K';
      const int64_t end =
          WalkExtended(readAt, pos + 26, osk ? fileSize : headerEnd, GetU16(b + 24), 2, h);
      if (end < 0) return THeaderRead::Bad;
      if (osk) headerEnd = std::max(headerEnd, end);
      break;
    }
    case 3: {
      if (GetU16(b) != 4 || left < 32 || !readAt(pos, b, 32)) return THeaderRead::Bad;
      const uint64_t size = GetU32(b + 24);
      if (size < 32 || size > kMaxLevel3Header || int64_t(size) > left) return THeaderRead::Bad;
      h.Crc = GetU16(b + 21);
      h.Os = b[23];
      h.UnixTime = time;
      headerEnd = pos + int64_t(size);
      if (WalkExtended(readAt, pos + 32, headerEnd, GetU32(b + 28), 4, h) < 0)
        return THeaderRead::Bad;
      break;
    }
    default:
      return THeaderRead::Bad;
  }
  if (h.Level >= 2) {
    h.DataStart = headerEnd;
    h.Next = headerEnd + int64_t(h.Packed);
  }
  if (h.Packed > uint64_t(fileSize - h.DataStart)) return THeaderRead::Bad;
  return THeaderRead::Ok;
}

std::string EntryName(const TLhaHeader& h) {
  std::string raw = h.Directory;
  if (!raw.empty() && raw.back() != '/' && raw.back() != '\\' && raw.back() != '\xFF') raw += '/';
  raw += h.Name;
  // A link is stored as "name|target": only the name is the entry's.
  if (h.IsLink()) raw = raw.substr(0, raw.find('|'));

  const bool utf8 = text::IsValidUtf8(raw);
  int page = text::CodePages().Ansi;
  if (!utf8 && JapaneseSystem(h.Os) && text::IsCodePageAvailable(932)) page = 932;
  std::string name;
  name.reserve(raw.size() + 1);
  for (size_t i = 0; i < raw.size(); ++i) {
    const uint8_t c = uint8_t(raw[i]);
    if (page == 932 && !utf8 && ShiftJisLead(c) && i + 1 < raw.size()) {
      // The second byte of a double-byte character may be a backslash's code.
      name += raw[i];
      name += raw[++i];
    } else if (c == '/' || c == '\\' || c == 0xFF) {
      name += '/';
    } else {
      name += char(c);
    }
  }
  if (!utf8) name = text::DecodeCodePage(page, name).value_or(text::SanitizeUtf8(name));
  if (h.Kind() == TLhaMethod::Folder && !h.IsLink() && !name.empty() && name.back() != '/')
    name += '/';
  return name;
}

}  // namespace qel::lha
