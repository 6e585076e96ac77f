#include "formats/cab/CabHeader.h"

#include <algorithm>
#include <cstring>

#include "engine/text/EntryNames.h"
#include "engine/text/Utf8.h"

namespace qel::cab {

namespace {

// Names and set strings hold at most 255 bytes before their NUL.
constexpr int64_t kMaxString = 256;

// Reads a NUL-terminated string at `pos`; answers the position after its NUL, or -1.
int64_t ReadString(const TReadAt& readAt, int64_t fileSize, int64_t pos, std::string& s) {
  uint8_t buffer[kMaxString];
  const int64_t n = std::min(kMaxString, fileSize - pos);
  if (n <= 0 || !readAt(pos, buffer, n)) return -1;
  const auto* end = static_cast<const uint8_t*>(std::memchr(buffer, 0, size_t(n)));
  if (!end) return -1;
  s.assign(reinterpret_cast<const char*>(buffer), size_t(end - buffer));
  return pos + (end - buffer) + 1;
}

}  // namespace

uint16_t TCabHeader::CompressionOf(const TCabFileRecord& f) const {
  if (Folders.empty()) return 0;
  size_t i = f.Folder;
  if (f.Folder == kFromPrevious) i = 0;
  if (f.Folder == kToNext || f.Folder == kPreviousAndNext) i = Folders.size() - 1;
  return i < Folders.size() ? Folders[i].Compression : 0;
}

std::string EntryName(std::string_view stored, uint16_t attributes) {
  std::string name;
  if (attributes & kAttrUtf8Name) {
    name = text::SanitizeUtf8(stored);
    text::UseForwardSlashes(name);
  } else {
    name = text::DecodeEntryName(stored, text::TNameCodePage::Ansi);
  }
  if ((attributes & kAttrFolder) && !name.empty() && name.back() != '/') name += '/';
  return name;
}

bool ReadCabHeader(const TReadAt& readAt, int64_t fileSize, int64_t base, TCabHeader& h) {
  h = TCabHeader{};
  uint8_t b[kHeaderSize];
  if (base < 0 || !readAt(base, b, int64_t(kHeaderSize)) || std::memcmp(b, "MSCF", 4) != 0)
    return false;
  h.CabinetSize = GetU32(b + 8);
  const uint32_t filesAt = GetU32(b + 16);
  const uint16_t folders = GetU16(b + 26), files = GetU16(b + 28);
  h.Flags = GetU16(b + 30);
  h.SetId = GetU16(b + 32);
  h.Index = GetU16(b + 34);
  int64_t pos = base + int64_t(kHeaderSize);
  uint8_t folderReserve = 0;
  if (h.Flags & kHasReserve) {
    uint8_t r[4];
    if (!readAt(pos, r, 4)) return false;
    folderReserve = r[2];
    pos += 4 + GetU16(r);
  }
  if (h.Flags & kHasPrevious) {
    if ((pos = ReadString(readAt, fileSize, pos, h.PreviousName)) < 0 ||
        (pos = ReadString(readAt, fileSize, pos, h.PreviousDisk)) < 0)
      return false;
  }
  if (h.Flags & kHasNext) {
    if ((pos = ReadString(readAt, fileSize, pos, h.NextName)) < 0 ||
        (pos = ReadString(readAt, fileSize, pos, h.NextDisk)) < 0)
      return false;
  }
  // Both counts are 16 bits, so the records read are bounded whatever the file says.
  if (pos + int64_t(folders) * int64_t(kFolderSize + folderReserve) > fileSize) return false;
  h.Folders.resize(folders);
  for (TCabFolder& f : h.Folders) {
    uint8_t r[kFolderSize];
    if (!readAt(pos, r, int64_t(kFolderSize))) return false;
    f.DataOffset = GetU32(r);
    f.Blocks = GetU16(r + 4);
    f.Compression = GetU16(r + 6);
    pos += int64_t(kFolderSize) + folderReserve;
  }
  pos = base + filesAt;
  if (pos + int64_t(files) * int64_t(kFileSize + 2) > fileSize) return false;
  h.Files.resize(files);
  for (TCabFileRecord& f : h.Files) {
    uint8_t r[kFileSize];
    if (!readAt(pos, r, int64_t(kFileSize))) return false;
    f.Position = pos;
    f.Size = GetU32(r);
    f.FolderOffset = GetU32(r + 4);
    f.Folder = GetU16(r + 8);
    f.Date = GetU16(r + 10);
    f.Time = GetU16(r + 12);
    f.Attributes = GetU16(r + 14);
    if ((pos = ReadString(readAt, fileSize, pos + int64_t(kFileSize), f.Name)) < 0) return false;
    // A folder index past the folders (and not one of the continuation marks) names no data.
    if (f.Folder >= folders && f.Folder < kFromPrevious) return false;
  }
  return true;
}

}  // namespace qel::cab
