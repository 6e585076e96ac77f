#include "formats/ha/HaHeader.h"

#include "engine/text/EntryNames.h"

namespace qel::ha {
namespace {

constexpr int64_t kFixed = 17;         // the method byte, the sizes, the CRC and the time
constexpr size_t kLongestText = 1024;  // a path or a name

// Reads the zero-terminated text at `pos` into `text`; false when it runs past the file or
// past any sensible length.
bool ReadText(const TReadAt& readAt, int64_t fileSize, int64_t& pos, std::string& text) {
  text.clear();
  for (uint8_t c; pos < fileSize && text.size() < kLongestText; text += char(c)) {
    if (!readAt(pos++, &c, 1)) return false;
    if (c == 0) return true;
  }
  return false;
}

}  // namespace

std::optional<uint16_t> HaEntryCount(const TReadAt& readAt, int64_t base) {
  uint8_t b[kArchiveHeader];
  if (!readAt(base, b, kArchiveHeader) || b[0] != 'H' || b[1] != 'A') return std::nullopt;
  return GetU16(b + 2);
}

THeaderRead ReadHaEntry(const TReadAt& readAt, int64_t fileSize, int64_t pos, THaEntry& e) {
  uint8_t b[kFixed];
  if (!readAt(pos, b, kFixed)) return THeaderRead::Bad;
  e = THaEntry{};
  e.Position = pos;
  e.Method = b[0] & 0x0F;
  e.Packed = GetU32(b + 1);
  e.Unpacked = GetU32(b + 5);
  e.Crc = GetU32(b + 9);
  e.UnixTime = GetU32(b + 13);
  int64_t at = pos + kFixed;
  uint8_t machine = 0;
  if (!ReadText(readAt, fileSize, at, e.Path) || !ReadText(readAt, fileSize, at, e.Name) ||
      !readAt(at, &machine, 1))
    return THeaderRead::Bad;
  e.DataStart = at + 1 + machine;
  e.Next = e.DataStart + e.Packed;
  if (e.Next > fileSize) return THeaderRead::Bad;
  return THeaderRead::Ok;
}

std::string EntryName(const THaEntry& e) {
  std::string stored = e.Path + e.Name;
  for (char& c : stored)
    if (uint8_t(c) == 0xFF) c = '/';
  std::string name = text::DecodeEntryName(stored, text::TNameCodePage::Oem);
  if (e.Method == kFolder && !name.empty() && name.back() != '/') name += '/';
  return name;
}

}  // namespace qel::ha
