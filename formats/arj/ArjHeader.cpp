#include "formats/arj/ArjHeader.h"

#include <algorithm>
#include <vector>

#include "codecs/checksum/Crc.h"
#include "engine/base/DateTime.h"
#include "engine/text/EntryNames.h"

namespace qel::arj {
namespace {

constexpr uint8_t kId0 = 0x60, kId1 = 0xEA;
// The largest basic header ARJ writes; anything longer is damage.
constexpr uint16_t kMaxBasicHeader = 2600;
constexpr uint8_t kFixedFields = 30;        // up to the host data
constexpr uint8_t kWithPiecePosition = 34;  // ... and a piece's place in its file
// Host systems whose headers hold Unix times and modes.
constexpr uint8_t kHostUnix = 2, kHostNext = 8;
constexpr uint8_t kHostWin95 = 10, kHostWin32 = 11;

}  // namespace

bool TArjHeader::FromUnix() const { return HostOs == kHostUnix || HostOs == kHostNext; }

uint32_t TArjHeader::DosTime() const { return FromUnix() ? UnixToDosDateTime(Stamp) : Stamp; }

int64_t TArjHeader::UnixTime() const { return FromUnix() ? int64_t(Stamp) : -1; }

THeaderRead ReadArjHeader(const TReadAt& readAt, int64_t fileSize, int64_t pos, bool main,
                          TArjHeader& h) {
  uint8_t lead[4];
  // Only the end header ends an archive: a file that runs out first was cut short.
  if (!readAt(pos, lead, 4)) return THeaderRead::Bad;
  if (lead[0] != kId0 || lead[1] != kId1) return THeaderRead::Bad;
  const uint16_t size = GetU16(lead + 2);
  if (size == 0) return main ? THeaderRead::Bad : THeaderRead::End;
  if (size > kMaxBasicHeader) return THeaderRead::Bad;
  std::vector<uint8_t> b(size_t(size) + 4);
  if (!readAt(pos + 4, b.data(), int64_t(b.size()))) return THeaderRead::Bad;
  if (Crc32(0, b.data(), size) != GetU32(&b[size])) return THeaderRead::Bad;
  const uint8_t first = b[0];
  if (first < kFixedFields || first >= size) return THeaderRead::Bad;

  h = TArjHeader{};
  h.Position = pos;
  h.ArchiverVersion = b[1];
  h.MinVersion = b[2];
  h.HostOs = b[3];
  h.Flags = b[4];
  h.Method = b[5];
  h.FileType = b[6];
  h.GarbleModifier = b[7];
  h.Stamp = GetU32(&b[8]);
  h.Packed = GetU32(&b[12]);
  h.Unpacked = GetU32(&b[16]);
  h.Crc = GetU32(&b[20]);
  h.AccessMode = GetU16(&b[26]);
  if (first >= kWithPiecePosition) h.PiecePosition = GetU32(&b[30]);
  size_t end = first;
  while (end < size && b[end] != 0) ++end;
  if (end == size) return THeaderRead::Bad;
  h.Name.assign(reinterpret_cast<const char*>(&b[first]), end - first);

  // Extended headers are skipped by their sizes, each with its CRC.
  int64_t at = pos + 4 + size + 4;
  for (;;) {
    uint8_t ext[2];
    if (!readAt(at, ext, 2)) return THeaderRead::Bad;
    at += 2;
    const uint16_t extSize = GetU16(ext);
    if (extSize == 0) break;
    at += int64_t(extSize) + 4;
    if (at > fileSize) return THeaderRead::Bad;
  }
  h.DataStart = at;
  h.Next = main ? at : at + h.Packed;
  if (h.Next > fileSize) return THeaderRead::Bad;
  return THeaderRead::Ok;
}

std::string EntryName(const TArjHeader& h) {
  // ARJ32 keeps names in the ANSI code page; ARJ for DOS in the OEM one.
  const bool ansi = h.HostOs == kHostWin95 || h.HostOs == kHostWin32;
  std::string name =
      text::DecodeEntryName(h.Name, ansi ? text::TNameCodePage::Ansi : text::TNameCodePage::Oem);
  if (h.FileType == ftDirectory && !name.empty() && name.back() != '/') name += '/';
  return name;
}

}  // namespace qel::arj
