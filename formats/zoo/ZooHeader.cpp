#include "formats/zoo/ZooHeader.h"

#include <cstring>

#include "engine/text/EntryNames.h"

namespace qel::zoo {
namespace {

constexpr uint32_t kTag = 0xFDC4A7DC;
constexpr int64_t kArchiveHeader = 34;  // up to the version bytes
constexpr int64_t kEntry = 56;          // the fixed part, with the variable part's length
constexpr size_t kShortName = 13;
constexpr uint8_t kLongEntry = 2;
constexpr uint32_t kModeIsUnix = 1u << 22;  // the low bits of the attributes are a Unix mode

std::string Field(const uint8_t* p, size_t size) {
  const char* c = reinterpret_cast<const char*>(p);
  return std::string(c, strnlen(c, size));
}

}  // namespace

std::optional<int64_t> ReadZooArchiveHeader(const TReadAt& readAt, int64_t fileSize, int64_t base) {
  uint8_t b[kArchiveHeader];
  if (!readAt(base, b, kArchiveHeader) || GetU32(b + 20) != kTag) return std::nullopt;
  const uint32_t first = GetU32(b + 24);
  if (0u - GetU32(b + 28) != first) return std::nullopt;
  const int64_t at = base + first;
  if (at < base + kArchiveHeader || at >= fileSize) return std::nullopt;
  return at;
}

THeaderRead ReadZooEntry(const TReadAt& readAt, int64_t fileSize, int64_t pos, TZooEntry& e) {
  uint8_t b[kEntry];
  if (!readAt(pos, b, kEntry) || GetU32(b) != kTag) return THeaderRead::Bad;
  e = TZooEntry{};
  e.Position = pos;
  e.Next = GetU32(b + 6);
  if (e.Next == 0) return THeaderRead::End;
  if (e.Next <= pos || e.Next >= fileSize) return THeaderRead::Bad;
  e.Method = b[5];
  e.DataStart = GetU32(b + 10);
  e.DosTime = uint32_t(GetU16(b + 14)) << 16 | GetU16(b + 16);
  e.Crc = GetU16(b + 18);
  e.Unpacked = GetU32(b + 20);
  e.Packed = GetU32(b + 24);
  e.Deleted = b[30] == 1;
  e.Name = Field(b + 38, kShortName);
  if (e.DataStart + int64_t(e.Packed) > fileSize) return THeaderRead::Bad;
  const uint16_t variable = GetU16(b + 51);
  if (b[4] != kLongEntry || variable < 2) return THeaderRead::Ok;
  uint8_t v[2 + 255 + 255 + 2 + 3];
  const int64_t size = std::min<int64_t>(variable, sizeof v);
  if (!readAt(pos + kEntry, v, size)) return THeaderRead::Bad;
  const size_t nameLength = v[0], folderLength = v[1];
  if (2 + int64_t(nameLength) + int64_t(folderLength) > size) return THeaderRead::Bad;
  if (nameLength > 0) e.Name = Field(v + 2, nameLength);
  e.Folder = Field(v + 2 + nameLength, folderLength);
  // Behind the names: the system that made the entry (2 bytes), then its attributes.
  const size_t system = 2 + nameLength + folderLength;
  if (int64_t(system) + 5 <= size) {
    const uint32_t attributes = v[system + 2] | v[system + 3] << 8 | v[system + 4] << 16;
    if (attributes & kModeIsUnix) e.UnixMode = uint16_t(attributes & 0777);
  }
  return THeaderRead::Ok;
}

std::string EntryName(const TZooEntry& e) {
  std::string stored = e.Folder;
  if (!stored.empty() && stored.back() != '/' && stored.back() != '\\') stored += '/';
  stored += e.Name;
  return text::DecodeEntryName(stored, text::TNameCodePage::Oem);
}

}  // namespace qel::zoo
