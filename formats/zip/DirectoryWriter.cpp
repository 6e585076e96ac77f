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
  const uint64_t size = uint64_t(end - start);
  const uint64_t count = records.size();
  const bool zip64 =
      count >= 0xFFFF || size >= kZip64Marker || uint64_t(start) >= kZip64Marker || disk >= 0xFFFF;

  bytes.clear();
  if (zip64) {
    Zip64EndRecord end64;
    end64.ThisDisk = end64.CentralDisk = disk;
    end64.EntriesThisDisk = end64.TotalEntries = count;
    end64.CentralSize = size;
    end64.CentralOffset = uint64_t(start);
    Zip64Locator locator;
    locator.EndDisk = disk;
    locator.EndOffset = uint64_t(end);
    locator.TotalDisks = disk + 1;
    bytes.resize(kZip64EndSize + kZip64LocatorSize);
    Pack(end64, bytes.data());
    Pack(locator, bytes.data() + kZip64EndSize);
  }
  EndRecord rec;
  rec.ThisDisk = rec.CentralDisk = uint16_t(std::min<uint32_t>(disk, 0xFFFF));
  rec.EntriesThisDisk = rec.TotalEntries = uint16_t(std::min<uint64_t>(count, 0xFFFF));
  rec.CentralSize = uint32_t(std::min<uint64_t>(size, kZip64Marker));
  rec.CentralOffset = uint32_t(std::min<uint64_t>(uint64_t(start), kZip64Marker));
  const std::string archiveComment = comment.substr(0, 0xFFFF);
  rec.CommentLength = uint16_t(archiveComment.size());
  if (headerSeed) rec.Signature = kSigEnd + kEncipheredDelta;
  const size_t at = bytes.size();
  bytes.resize(at + kEndRecordSize);
  Pack(rec, bytes.data() + at);
  if (headerSeed) EncipherHeader(*headerSeed, std::span(bytes).subspan(at), RecordKind::End);
  bytes.insert(bytes.end(), archiveComment.begin(), archiveComment.end());
  return out.WriteFully(bytes.data(), int64_t(bytes.size()));
}

}  // namespace qel::zip
