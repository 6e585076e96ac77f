#include "formats/zip/DirectoryWriter.h"

#include <algorithm>

#include "engine/base/Bytes.h"
#include "engine/streams/Stream.h"
#include "formats/zip/ExtraFields.h"
#include "formats/zip/HeaderCrypt.h"

namespace qel::zip {

namespace {

// Calls `field(pos, size)` for each well-formed field of `extra` (pos at its id); a damaged
// tail ends the walk.
template <typename F>
void ForEachField(std::span<const uint8_t> extra, F&& field) {
  size_t pos = 0;
  while (extra.size() - pos >= 4) {
    const size_t size = GetU16(extra.data() + pos + 2);
    if (size > extra.size() - pos - 4) break;
    field(pos, size);
    pos += 4 + size;
  }
}

}  // namespace

void RemoveExtraField(std::vector<uint8_t>& extra, uint16_t id) {
  std::vector<uint8_t> kept;
  ForEachField(extra, [&](size_t pos, size_t size) {
    if (GetU16(extra.data() + pos) != id)
      kept.insert(kept.end(), extra.begin() + long(pos), extra.begin() + long(pos + 4 + size));
  });
  extra = std::move(kept);
}

bool HasExtraField(std::span<const uint8_t> extra, uint16_t id) {
  bool found = false;
  ForEachField(extra, [&](size_t pos, size_t) { found |= GetU16(extra.data() + pos) == id; });
  return found;
}

std::vector<uint8_t> EndRecords(const TDirectoryPlace& place, const std::string& comment,
                                const TSeedKeyRecord* headerSeed) {
  const bool zip64 = place.Entries >= 0xFFFF || place.Size >= kZip64Marker ||
                     place.Offset >= kZip64Marker || place.EndDisk >= 0xFFFF;
  std::vector<uint8_t> bytes;
  if (zip64) {
    Zip64EndRecord end64;
    end64.ThisDisk = place.EndDisk;
    end64.CentralDisk = place.StartDisk;
    end64.EntriesThisDisk = place.EntriesHere;
    end64.TotalEntries = place.Entries;
    end64.CentralSize = place.Size;
    end64.CentralOffset = place.Offset;
    Zip64Locator locator;
    locator.EndDisk = place.EndDisk;
    locator.EndOffset = place.EndOffset;
    locator.TotalDisks = place.EndDisk + 1;
    bytes.resize(kZip64EndSize + kZip64LocatorSize);
    Pack(end64, bytes.data());
    Pack(locator, bytes.data() + kZip64EndSize);
  }
  EndRecord rec;
  rec.ThisDisk = uint16_t(std::min<uint32_t>(place.EndDisk, 0xFFFF));
  rec.CentralDisk = uint16_t(std::min<uint32_t>(place.StartDisk, 0xFFFF));
  rec.EntriesThisDisk = uint16_t(std::min<uint64_t>(place.EntriesHere, 0xFFFF));
  rec.TotalEntries = uint16_t(std::min<uint64_t>(place.Entries, 0xFFFF));
  rec.CentralSize = uint32_t(std::min<uint64_t>(place.Size, kZip64Marker));
  rec.CentralOffset = uint32_t(std::min<uint64_t>(place.Offset, kZip64Marker));
  const std::string archiveComment = comment.substr(0, 0xFFFF);
  rec.CommentLength = uint16_t(archiveComment.size());
  if (headerSeed) rec.Signature = kSigEnd + kEncipheredDelta;
  const size_t at = bytes.size();
  bytes.resize(at + kEndRecordSize);
  Pack(rec, bytes.data() + at);
  if (headerSeed) EncipherHeader(*headerSeed, std::span(bytes).subspan(at), RecordKind::End);
  bytes.insert(bytes.end(), archiveComment.begin(), archiveComment.end());
  return bytes;
}

bool WriteCentralDirectory(TStream64& out, const std::vector<TCentralRecord>& records,
                           const std::string& comment, const TSeedKeyRecord* headerSeed,
                           uint32_t disk) {
  const int64_t start = out.Position();
  if (start < 0) return false;
  std::vector<uint8_t> bytes;
  for (const TCentralRecord& rec : records) {
    CentralHeader h = rec.Header;
    std::vector<uint8_t> extra = rec.Extra;
    StoreCentralSizes(extra, h, rec.Packed, rec.Unpacked, rec.Offset);
    const std::string entryComment = rec.Comment.substr(0, 0xFFFF);
    h.NameLength = uint16_t(rec.Name.size());
    h.ExtraLength = uint16_t(extra.size());
    h.CommentLength = uint16_t(entryComment.size());
    if (headerSeed) h.Signature = kSigCentral + kEncipheredDelta;
    bytes.assign(kCentralHeaderSize, 0);
    Pack(h, bytes.data());
    bytes.insert(bytes.end(), rec.Name.begin(), rec.Name.end());
    if (headerSeed) EncipherHeader(*headerSeed, bytes, RecordKind::Central);
    bytes.insert(bytes.end(), extra.begin(), extra.end());
    bytes.insert(bytes.end(), entryComment.begin(), entryComment.end());
    if (!out.WriteFully(bytes.data(), int64_t(bytes.size()))) return false;
  }
  const int64_t end = out.Position();
  if (end < 0) return false;
  const TDirectoryPlace place{.Entries = records.size(),
                              .EntriesHere = records.size(),
                              .Size = uint64_t(end - start),
                              .Offset = uint64_t(start),
                              .StartDisk = disk,
                              .EndDisk = disk,
                              .EndOffset = uint64_t(end)};
  bytes = EndRecords(place, comment, headerSeed);
  return out.WriteFully(bytes.data(), int64_t(bytes.size()));
}

}  // namespace qel::zip
