#include "formats/zip/CentralDir.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "engine/base/Bytes.h"
#include "engine/streams/Stream.h"

namespace qel::zip {

uint64_t TCentralDirLocation::CentralSize() const {
  if (Extended) return ExtendedEnd.CentralSize;
  return End64 ? End64->CentralSize : End.CentralSize;
}

uint64_t TCentralDirLocation::CentralOffset() const {
  if (Extended) return ExtendedEnd.CentralOffset;
  return End64 ? End64->CentralOffset : End.CentralOffset;
}

uint64_t TCentralDirLocation::TotalEntries() const {
  if (Extended) return ExtendedEnd.TotalEntries;
  return End64 ? End64->TotalEntries : End.TotalEntries;
}

uint32_t TCentralDirLocation::ThisDisk() const {
  if (Extended) return ExtendedEnd.ThisDisk;
  return End64 ? End64->ThisDisk : End.ThisDisk;
}

uint32_t TCentralDirLocation::CentralDisk() const {
  if (Extended) return ExtendedEnd.CentralDisk;
  return End64 ? End64->CentralDisk : End.CentralDisk;
}

namespace {

using Bytes = std::vector<uint8_t>;

bool IsEndSignature(SignatureClass c) {
  return c.Kind == RecordKind::End || c.Kind == RecordKind::ExtendedEnd;
}

// One end record found in the tail, read and (when enciphered) deciphered.
struct EndHit {
  int64_t pos = -1;
  SignatureClass cls;
  uint8_t record[kExtendedEndSize] = {};
  size_t size = 0;
  uint16_t commentLength = 0;
};

bool ReadEndHit(const Bytes& tail, int64_t tailStart, size_t at, const THeaderDecipher& decipher,
                EndHit& hit) {
  hit.cls = ClassifySignature(GetU32(&tail[at]));
  hit.size = hit.cls.Kind == RecordKind::ExtendedEnd ? kExtendedEndSize : kEndRecordSize;
  if (at + hit.size > tail.size()) return false;
  std::copy_n(&tail[at], hit.size, hit.record);
  if (hit.cls.Enciphered && !(decipher && decipher(hit.record + 4, hit.size - 4))) return false;
  hit.pos = tailStart + int64_t(at);
  hit.commentLength = GetU16(hit.record + hit.size - 2);
  return true;
}

// Scans the tail backwards for the end record. A comment may itself hold the signature
// bytes, so a record whose comment ends exactly at the end of the file wins; failing that,
// the last record whose comment fits within the file (trailing junk after the archive);
// failing that, the last one found (its comment was cut short).
bool FindEndRecord(const Bytes& tail, int64_t tailStart, int64_t end,
                   const THeaderDecipher& decipher, EndHit& found) {
  std::optional<EndHit> fits, any;
  for (size_t i = tail.size() >= 4 ? tail.size() - 4 + 1 : 0; i-- > 0;) {
    if (tail[i] != 'P' || !IsEndSignature(ClassifySignature(GetU32(&tail[i])))) continue;
    EndHit hit;
    if (!ReadEndHit(tail, tailStart, i, decipher, hit)) continue;
    const int64_t commentEnd = hit.pos + int64_t(hit.size) + hit.commentLength;
    if (commentEnd == end) {
      found = hit;
      return true;
    }
    if (commentEnd < end && !fits) fits = hit;
    if (!any) any = hit;
  }
  if (!fits && !any) return false;
  found = fits ? *fits : *any;
  return true;
}

// Finds the first local-header signature from the start of the file, in at most four
// blocks of the tail's size.
int64_t ScanForLocalHeader(TStream64& stream, int64_t end) {
  constexpr int kBlocks = 4;
  Bytes block(kTailSize);
  for (int b = 0; b < kBlocks; ++b) {
    // Blocks overlap by three bytes so that a signature across a boundary is seen.
    int64_t start = b * (kTailSize - 3);
    if (start >= end) break;
    int64_t n = stream.ReadAt(start, block.data(), std::min<int64_t>(kTailSize, end - start));
    for (int64_t i = 0; i + 4 <= n; ++i) {
      if (block[i] == 'P' && ClassifySignature(GetU32(&block[i])).Kind == RecordKind::Local)
        return start + i;
    }
  }
  return -1;
}

// The Zip64 end record that ends right where its locator (at `locatorPos`) starts: its
// size field counts what follows its first twelve bytes, extensible data included, so it
// is looked for backwards within a tail's length.
std::optional<int64_t> FindZip64End(TStream64& stream, int64_t locatorPos, Zip64EndRecord& out) {
  const int64_t start = std::max<int64_t>(0, locatorPos - kTailSize);
  Bytes block(size_t(locatorPos - start));
  if (block.size() < kZip64EndSize ||
      stream.ReadAt(start, block.data(), int64_t(block.size())) != int64_t(block.size()))
    return std::nullopt;
  for (size_t i = block.size() - kZip64EndSize + 1; i-- > 0;) {
    if (block[i] != 'P' || GetU32(&block[i]) != kSigZip64End) continue;
    const Zip64EndRecord record = UnpackZip64End(&block[i]);
    if (record.RecordSize == block.size() - i - 12) {
      out = record;
      return start + int64_t(i);
    }
  }
  return std::nullopt;
}

bool ReadCentralAt(TStream64& stream, int64_t pos, uint8_t (&header)[kCentralHeaderSize]) {
  return pos >= 0 && stream.ReadExactAt(pos, header, kCentralHeaderSize);
}

bool IsCentral(const uint8_t* header) {
  return ClassifySignature(GetU32(header)).Kind == RecordKind::Central;
}

}  // namespace

int64_t FindCentralDir(TStream64& stream, int64_t end, TCentralDirLocation& out,
                       const THeaderDecipher& decipher) {
  out = TCentralDirLocation();
  if (end <= 0) return 0;

  const int64_t tailLen = std::min(end, kTailSize);
  const int64_t tailStart = end - tailLen;
  Bytes tail(size_t(std::max<int64_t>(tailLen, 0)));
  if (tailLen < 4 || stream.ReadAt(tailStart, tail.data(), tailLen) != tailLen) return 0;

  EndHit hit;
  if (!FindEndRecord(tail, tailStart, end, decipher, hit)) {
    // An enciphered end record we cannot read still proves this is an archive we cannot use.
    return 0;
  }
  out.HeadFlag = THeaderTypeState::Of(THeaderType::htEnding);
  out.EndPosition = hit.pos;
  out.EndEnciphered = hit.cls.Enciphered;
  out.Extended = hit.cls.Kind == RecordKind::ExtendedEnd;
  if (out.Extended)
    out.ExtendedEnd = UnpackExtendedEnd(hit.record);
  else
    out.End = UnpackEnd(hit.record);

  // The Zip64 locator sits right before the end record and the Zip64 end record before it.
  int64_t end64Pos = -1;
  uint8_t rec[kZip64LocatorSize];
  if (hit.pos >= int64_t(kZip64LocatorSize) &&
      stream.ReadExactAt(hit.pos - kZip64LocatorSize, rec, kZip64LocatorSize) &&
      GetU32(rec) == kSigZip64Locator) {
    out.Locator = UnpackZip64Locator(rec);
    out.HeadFlag.Include(THeaderType::htLocator);
    Zip64EndRecord end64;
    if (std::optional<int64_t> at = FindZip64End(stream, hit.pos - kZip64LocatorSize, end64)) {
      out.End64 = end64;
      out.HeadFlag.Include(THeaderType::htEnding64);
      end64Pos = *at;
    }
  }

  out.CommentPosition = hit.pos + int64_t(hit.size);
  int64_t commentLen = std::min<int64_t>(hit.commentLength, end - out.CommentPosition);
  if (commentLen > 0) {
    out.Comment.resize(size_t(commentLen));
    commentLen = stream.ReadAt(out.CommentPosition, out.Comment.data(), commentLen);
    out.Comment.resize(size_t(commentLen));
  }

  // The directory runs on into this disk from its start.
  if (out.DirectoryOnEarlierDisk()) {
    out.HeadFlag.Include(THeaderType::htCentral);
    return 0;
  }

  // Where the central directory really starts, from the records' own positions: it ends
  // where the Zip64 end record (or else the end record) begins.
  const uint64_t centralSize = out.CentralSize();
  const int64_t directoryEnd = end64Pos >= 0 ? end64Pos : hit.pos;
  const int64_t actual =
      centralSize <= uint64_t(directoryEnd) ? directoryEnd - int64_t(centralSize) : -1;

  // The first guess is the recorded position, which is right unless data was put in front
  // of the archive; a Zip64 directory's recorded position follows from the locator.
  uint64_t recorded = out.CentralOffset();
  if (!out.Extended && out.End64 && out.Locator && out.Locator->EndOffset >= centralSize)
    recorded = out.Locator->EndOffset - centralSize;
  int64_t candidate = int64_t(std::min<uint64_t>(recorded, INT64_MAX));

  // An archive without entries: its empty directory ends where it starts, right before
  // the end records (the only bytes of a file that held nothing else).
  if (centralSize == 0 && out.TotalEntries() == 0 && actual >= 0) {
    out.HeadFlag.Include(THeaderType::htCentral);
    if (recorded <= uint64_t(actual)) out.OffsetAdjust = actual - int64_t(recorded);
    return actual;
  }

  uint8_t header[kCentralHeaderSize];
  if (!ReadCentralAt(stream, candidate, header)) {
    candidate = actual;
    if (!ReadCentralAt(stream, candidate, header)) return 0;
  }
  if (!IsCentral(header)) {
    candidate = actual;
    if (!ReadCentralAt(stream, candidate, header) || !IsCentral(header)) {
      int64_t local = ScanForLocalHeader(stream, end);
      if (local >= 0) out.HeadFlag = THeaderTypeState::Of(THeaderType::htLocal);
      return local;
    }
    out.OffsetAdjust = candidate - int64_t(std::min<uint64_t>(out.CentralOffset(), INT64_MAX));
  }

  out.HeadFlag.Include(THeaderType::htCentral);
  if (ClassifySignature(GetU32(header)).Enciphered) {
    if (!decipher || !decipher(header + 4, kCentralCipherSize)) return -1;
  }
  uint32_t localOffset = UnpackCentral(header).LocalOffset;
  if (localOffset == 0xFFFFFFFF) localOffset = 0;
  const int64_t localPos = int64_t(localOffset) + out.OffsetAdjust;
  if (localPos < 0 || localPos > end) return -1;
  uint8_t local[kLocalHeaderSize];
  if (stream.ReadExactAt(localPos, local, kLocalHeaderSize) &&
      ClassifySignature(GetU32(local)).Kind == RecordKind::Local)
    out.HeadFlag.Include(THeaderType::htLocal);
  return candidate;
}

}  // namespace qel::zip
