#include "formats/zip/SfxJoin.h"

#include <unistd.h>

#include <vector>

#include "engine/base/Bytes.h"
#include "engine/base/Messages.h"
#include "engine/base/ZipCommon.h"
#include "engine/streams/FileCopy.h"
#include "engine/streams/FileStream32.h"
#include "formats/zip/DirectoryCopy.h"
#include "formats/zip/HeaderCrypt.h"
#include "formats/zip/ZipTail.h"

namespace qel {
namespace {

using namespace zip;

constexpr uint16_t kFlagDescriptor = 0x0008;

// Adds `shift` to the 64-bit value at `p`.
void Shift64(uint8_t* p, int64_t shift) { PutU64(p, GetU64(p) + uint64_t(shift)); }

// Moves the directory offsets of the end records in `tail` (the bytes from the directory's
// end to the file's end, which began at `tailStart` of the source). False when a record does
// not lie whole in the tail, or when the standard record's 32-bit offset would overflow with
// no Zip64 record to hold it (`overflow` then set).
bool ShiftTail(std::vector<uint8_t>& tail, int64_t tailStart, const TCentralDirLocation& loc,
               int64_t adjust, int64_t shift, const TSeedKeyRecord& seed, bool& overflow) {
  // Where a record of `size` bytes at file position `pos` lies in the tail; -1 when not whole.
  const auto inTail = [&](int64_t pos, size_t size) -> int64_t {
    const int64_t at = pos - tailStart;
    return at >= 0 && size <= tail.size() && uint64_t(at) <= tail.size() - size ? at : -1;
  };
  const size_t endSize = loc.Extended ? kExtendedEndSize : kEndRecordSize;
  const int64_t end = inTail(loc.EndPosition, endSize);
  if (end < 0) return false;
  if (loc.End64 && loc.Locator) {
    const int64_t end64 = inTail(int64_t(loc.Locator->EndOffset) + adjust, kZip64EndSize);
    const int64_t locator = inTail(loc.EndPosition - int64_t(kZip64LocatorSize), kZip64LocatorSize);
    if (end64 < 0 || locator < 0) return false;
    Shift64(tail.data() + end64 + 48, shift);
    Shift64(tail.data() + locator + 8, shift);
  }
  const std::span<uint8_t> record(tail.data() + end, endSize);
  const RecordKind kind = loc.Extended ? RecordKind::ExtendedEnd : RecordKind::End;
  if (loc.EndEnciphered) DecipherHeader(seed, record, kind);
  if (loc.Extended) {
    Shift64(record.data() + 36, shift);
  } else if (GetU32(record.data() + 16) != kZip64Marker) {
    const uint64_t moved = uint64_t(GetU32(record.data() + 16)) + uint64_t(shift);
    overflow = moved >= kZip64Marker && !loc.End64;
    PutU32(record.data() + 16, uint32_t(std::min<uint64_t>(moved, kZip64Marker)));
  }
  if (loc.EndEnciphered) EncipherHeader(seed, record, kind);
  return !overflow;
}

}  // namespace

void AppendShiftedZip(TZipCommon& owner, TFileStream32& source, TStream64& out, int outFd,
                      bool jarHeaders) {
  const std::string& name = owner.ArchiveFile();
  const TCentralDirLocation& loc = ZipTail(owner);
  const int64_t size = source.Size();
  const int64_t adjust = owner.OffsetAdjust();
  const int64_t dirStart = int64_t(loc.CentralOffset()) + adjust;
  const TReadAt readAt = [&source](int64_t at, uint8_t* data, int64_t n) {
    return source.ReadExactAt(at, data, n);
  };
  std::optional<std::vector<TDirEntry>> entries;
  if (loc.EndPosition >= 0 && !loc.DirectoryOnEarlierDisk() && loc.ThisDisk() == 0)
    entries = ReadDirectory(readAt, size, dirStart, loc.CentralSize(), loc.TotalEntries(),
                            ComponentHeaderDecipher(owner));
  if (!entries) owner.ReportAndRaise(name, msg::BadFileHeader, "", "");

  const int64_t start = out.Position();
  const int64_t shift = start + adjust;
  if (start < 0 || !CopyFileBytes(source.Handle(), 0, outFd, dirStart))
    owner.ReportAndRaise(name, msg::ErrorWritingFile, "", "");
  for (const TDirEntry& e : *entries) {
    const std::vector<uint8_t> record =
        RecordAt(e, e.LocalOffset + uint64_t(shift), e.Disk, owner.SeedHeaderKeys);
    if (!out.WriteFully(record.data(), int64_t(record.size())))
      owner.ReportAndRaise(name, msg::ErrorWritingFile, "", "");
  }
  const int64_t tailStart = dirStart + int64_t(loc.CentralSize());
  std::vector<uint8_t> tail(size_t(size - tailStart));
  if (tail.size() < kEndRecordSize ||
      !source.ReadExactAt(tailStart, tail.data(), int64_t(tail.size())))
    owner.ReportAndRaise(name, msg::BadFileHeader, "", "");
  bool overflow = false;
  if (!ShiftTail(tail, tailStart, loc, adjust, shift, owner.SeedHeaderKeys, overflow))
    owner.ReportAndRaise(name, overflow ? msg::UnsupportedArchiveType : msg::BadFileHeader, "", "");
  if (!out.WriteFully(tail.data(), int64_t(tail.size())))
    owner.ReportAndRaise(name, msg::ErrorWritingFile, "", "");

  if (!jarHeaders) return;
  // Only CRC and sizes go in: the local header keeps its own name and extra lengths, which
  // need not be the directory's.
  for (const TDirEntry& e : *entries) {
    // Only a header inside what was copied: a damaged offset must not grow the file.
    const uint64_t local = e.LocalOffset + uint64_t(adjust);
    if (!(e.Header.Flags & kFlagDescriptor) || e.Record.Class.Enciphered ||
        e.Packed >= kZip64Marker || e.Unpacked >= kZip64Marker || local > uint64_t(dirStart) ||
        uint64_t(dirStart) - local < kLocalHeaderSize)
      continue;
    uint8_t figures[12];
    PutU32(figures, e.Header.Crc);
    PutU32(figures + 4, uint32_t(e.Packed));
    PutU32(figures + 8, uint32_t(e.Unpacked));
    const off_t at = off_t(e.LocalOffset) + off_t(shift) + 14;
    if (::pwrite(outFd, figures, sizeof figures, at) != ssize_t(sizeof figures))
      owner.ReportAndRaise(name, msg::ErrorWritingFile, "", "");
  }
}

}  // namespace qel
