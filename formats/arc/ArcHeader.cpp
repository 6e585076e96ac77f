#include "formats/arc/ArcHeader.h"

#include <cstring>

#include "engine/text/EntryNames.h"

namespace qel::arc {
namespace {

constexpr uint8_t kMarker = 0x1A;
constexpr int64_t kRecord = 29;
constexpr int64_t kOldRecord = 25;  // method 1: no unpacked size
constexpr size_t kNameField = 13;
// No system that made ARC archives had longer paths; a deeper nest is damage, and every
// record inside it would carry the whole prefix.
constexpr size_t kLongestPath = 260;

}  // namespace

THeaderRead ReadArcRecord(const TReadAt& readAt, int64_t fileSize, int64_t pos, TArcRecord& r) {
  uint8_t b[kRecord];
  if (!readAt(pos, b, 2)) return THeaderRead::End;
  if (b[0] != kMarker) return THeaderRead::Bad;
  r = TArcRecord{};
  r.Position = pos;
  r.Method = b[1];
  if (r.Method == 0) return THeaderRead::End;
  if (r.Method == kCloseFolder) {
    r.DataStart = r.Next = pos + 2;
    return THeaderRead::Ok;
  }
  const int64_t size = r.Method == 1 ? kOldRecord : kRecord;
  if (!readAt(pos, b, size)) return THeaderRead::Bad;
  r.Name.assign(reinterpret_cast<const char*>(b + 2),
                strnlen(reinterpret_cast<const char*>(b + 2), kNameField));
  r.Packed = GetU32(b + 15);
  r.DosTime = uint32_t(GetU16(b + 19)) << 16 | GetU16(b + 21);
  r.Crc = GetU16(b + 23);
  r.Unpacked = r.Method == 1 ? r.Packed : GetU32(b + 25);
  r.DataStart = pos + size;
  // A subdirectory's contents are the records that follow it.
  r.Next = r.Method == kOpenFolder ? r.DataStart : r.DataStart + r.Packed;
  if (r.DataStart + int64_t(r.Packed) > fileSize) return THeaderRead::Bad;
  return THeaderRead::Ok;
}

TFolderStep TArcFolders::Apply(const TArcRecord& r) {
  if (r.Method == kOpenFolder) {
    opened_.push_back(prefix_.size());
    prefix_ = NameOf(r) + "/";
    return prefix_.size() > kLongestPath ? TFolderStep::TooDeep : TFolderStep::Applied;
  }
  if (r.Method != kCloseFolder) return TFolderStep::None;
  if (!opened_.empty()) {
    prefix_.resize(opened_.back());
    opened_.pop_back();
  }
  return TFolderStep::Applied;
}

std::string TArcFolders::NameOf(const TArcRecord& r) const {
  return prefix_ + text::DecodeEntryName(r.Name, text::TNameCodePage::Oem);
}

}  // namespace qel::arc
