// The ZIP branch of the lister. Entries come from the central directory when detection
// found one, otherwise from the local headers (a damaged archive, or the first volume of a
// split set), the latter only when the application agrees through OnCorruptZipHeader.
#include <string>
#include <vector>

#include "codecs/crypto/ZipCrypto.h"
#include "engine/base/Bytes.h"
#include "engine/base/DateTime.h"
#include "engine/base/Messages.h"
#include "engine/detect/MethodName.h"
#include "engine/list/EntryText.h"
#include "engine/list/ListSession.h"
#include "engine/streams/MemoryStream32.h"
#include "engine/streams/Stream.h"
#include "engine/volumes/VolumeNames.h"
#include "formats/zip/DataDescriptor.h"
#include "formats/zip/EncryptionMethod.h"
#include "formats/zip/ExtraFields.h"
#include "formats/zip/HeaderCrypt.h"
#include "formats/zip/ListBranch.h"
#include "formats/zip/NameCodec.h"
#include "formats/zip/RecordReader.h"
#include "formats/zip/Records.h"
#include "formats/zip/SpreadCentralDir.h"
#include "formats/zip/ZipDiskRequest.h"
#include "formats/zip/ZipTail.h"

namespace qel {
namespace {

using namespace zip;

constexpr uint32_t kAttrVolume = 0x08;
constexpr uint32_t kAttrDirectory = 0x10;

// Reads the record of `kind` at `pos` of the session's file.
TRecordRead ReadRecord(TListSession& s, int64_t pos, RecordKind kind, TRecordBytes& r) {
  const TReadAt readAt = s.Reader();
  return ReadZipRecord(readAt, s.FileSize, pos, kind, ComponentHeaderDecipher(s.Q), r);
}

// The figures both header kinds share.
void FillCommon(TEntryRecord& e, TArcType type, uint16_t flags, uint16_t method, uint32_t dosTime,
                uint32_t crc, uint64_t packed, uint64_t unpacked, const TZipExtra& extra) {
  e.Date = DosDateTimeToDateTime(dosTime);
  e.CRC = crc;
  e.Encrypted = flags & kFlagEncrypted;
  e.Method = method;
  e.UnpackedSize = int64_t(unpacked);
  e.Ratio = CalcRatio(unpacked, packed);
  // The ZipCrypto header is part of the stored size but not of the packed data.
  const bool zipCrypto = e.Encrypted && method != 98 && method != 99;
  e.PackedSize = int64_t(packed) - (zipCrypto && packed >= uint64_t(int64_t(kZipCryptoHeaderSize))
                                        ? int64_t(kZipCryptoHeaderSize)
                                        : 0);
  TMethodContext ctx;
  ctx.IsDirectory = e.ExternalAttr & kAttrDirectory;
  if (extra.Aes) ctx.AesActualMethod = extra.Aes->Method;
  e.MethodName = (e.ExternalAttr & (kAttrDirectory | kAttrVolume))
                     ? std::string()
                     : MethodName(type, method, flags, ctx);
}

// Sizes beyond 63 bits are damage, whatever the Zip64 field says: no file is that large.
bool SizesAbsurd(uint64_t packed, uint64_t unpacked) {
  return packed > uint64_t(INT64_MAX) || unpacked > uint64_t(INT64_MAX);
}

class TZipLister {
 public:
  explicit TZipLister(TListSession& s) : s_(s), q_(s.Q), type_(q_.ArcType()), tail_(ZipTail(q_)) {}

  void Run() {
    if (type_ == atZipDS && !InsertLastDisk()) return;
    THeaderTypeState flags = s_.StartFlags;
    if (type_ != atZipMV &&
        !(flags.Has(THeaderType::htCentral) && flags.Has(THeaderType::htEnding)) &&
        q_.OnCorruptZipHeader) {
      bool cancel = true;
      q_.OnCorruptZipHeader(q_, flags, cancel);
      if (cancel) return;
    }
    localFound_ = flags.Has(THeaderType::htLocal);
    if (!flags.Has(THeaderType::htCentral))
      WalkLocal(s_.StartOffset);
    else if (!tail_.DirectoryOnEarlierDisk())
      WalkCentral(s_.StartOffset, DirectoryEnd(s_.StartOffset));
    else if (GatherDirectory())
      WalkCentral(0, s_.FileSize);
  }

  // Where the directory that starts at `start` ends by its end record; -1 when unknown.
  int64_t DirectoryEnd(int64_t start) const {
    const TCentralDirLocation& tail = tail_;
    if (tail.EndPosition < 0 || tail.CentralSize() > uint64_t(s_.FileSize)) return -1;
    const int64_t end = start + int64_t(tail.CentralSize());
    return end <= tail.EndPosition ? end : -1;
  }

  // A spanned set keeps its central directory on the last disk.
  bool InsertLastDisk() {
    s_.CloseFile();
    disks_ = std::make_unique<TZipDiskRequest>(q_, q_.ArchiveFile());
    std::unique_ptr<TFileStream32> file = disks_->Request();
    if (!file) return false;
    s_.UseFile(std::move(file));
    s_.StartOffset = disks_->LastDisk().HeaderOffset;
    s_.StartFlags = disks_->LastDisk().HeadFlag;
    tail_ = disks_->LastDiskTail();
    return true;
  }

  // A directory that starts on an earlier disk is read from the disks into memory, which
  // then stands in for the archive.
  bool GatherDirectory() {
    // Only a set has other disks: in a single file the claim is damage.
    if (type_ != atZipMV && type_ != atZipDS) {
      s_.BadHeader();
      return false;
    }
    s_.CloseFile();
    std::unique_ptr<TFileStream32> volume;
    const auto openDisk = [this, &volume](uint32_t disk) -> TFileStream32* {
      volume.reset();
      if (disks_) {
        const int64_t at = disk == tail_.CentralDisk() ? int64_t(tail_.CentralOffset()) : 0;
        volume = disks_->Request(at, int(std::min<uint32_t>(disk, 1000000)) + 1);
      } else {
        const WideString name = VolumeOf(disk);
        volume = TFileStream32::Open(name, fmOpenRead);
        if (!volume) q_.DoError(name, "", msg::ErrorOpeningFile, name);
      }
      return volume.get();
    };
    std::optional<std::vector<uint8_t>> bytes = GatherCentralDir(tail_, openDisk);
    if (!bytes) {
      if (!s_.Cancelled()) s_.BadHeader();
      return false;
    }
    s_.UseFile(std::make_unique<TMemoryStream32>(std::move(*bytes)));
    return true;
  }

 private:
  // The end record says where the directory ends (`end`; -1 when unknown): a header whose
  // lengths were damaged would otherwise swallow the next one and end the walk without a
  // word.
  void WalkCentral(int64_t pos, int64_t end) {
    TRecordBytes r;
    // Headers read, not entries reported: a mask may select none of them.
    for (int headers = 0; !s_.Cancelled(); ++headers) {
      TRecordRead got =
          pos == end ? TRecordRead::NotThisRecord : ReadRecord(s_, pos, RecordKind::Central, r);
      if (got == TRecordRead::Ok && end >= 0 && pos + r.Size > end) got = TRecordRead::Damaged;
      if (got != TRecordRead::Ok) {
        if (got == TRecordRead::Damaged || (end < 0 ? headers == 0 : pos != end)) s_.BadHeader();
        return;
      }
      pos += r.Size;
      CentralHeader h = UnpackCentral(r.Fixed.data());
      TZipExtra extra = ReadCentralExtra(r.Extra, r.Name, h);
      TEntryRecord e;
      e.FileName = DecodeCentralName(r.Name, h.VersionMadeBy, extra);
      e.ExternalAttr = h.ExternalAttr & 0xFFFF;
      if ((e.ExternalAttr & kAttrDirectory) && !e.FileName.empty() && e.FileName.back() != '/')
        e.FileName += '/';
      // An archive whose directory points at no local header may still list; say so.
      if (!localFound_ && type_ != atZipDS && type_ != atZipMV && type_ != atZipExe)
        s_.BadHeader(e.FileName);
      e.FileComment = r.Comment;
      e.InternalAttr = h.InternalAttr;
      e.VersionMadeBy = h.VersionMadeBy;
      e.VersionNeeded = h.VersionNeeded;
      const uint64_t packed = FullCompressedSize(h, extra);
      const uint64_t unpacked = FullUncompressedSize(h, extra);
      if (SizesAbsurd(packed, unpacked)) {
        s_.BadHeader(e.FileName);
        continue;
      }
      FillCommon(e, type_, h.Flags, h.Method, h.DosDateTime, h.Crc, packed, unpacked, extra);
      e.VolumeName = VolumeOf(FullDiskStart(h, extra));
      // In unsigned arithmetic: a damaged Zip64 offset near 2^63 plus data in front must not
      // overflow.
      const int64_t offset = int64_t(FullLocalOffset(h, extra) + uint64_t(q_.OffsetAdjust()));
      s_.Report(e, offset, packed, false);
    }
  }

  void WalkLocal(int64_t pos) {
    uint8_t marker[4];
    if (pos >= 0 && s_.ReadAt(pos, marker, 4) && GetU32(marker) == kSigSpanMarker) pos += 4;
    const TReadAt readAt = [this](int64_t at, uint8_t* data, int64_t size) {
      return s_.ReadAt(at, data, size);
    };
    TRecordBytes r;
    while (!s_.Cancelled()) {
      TRecordRead got = ReadRecord(s_, pos, RecordKind::Local, r);
      if (got != TRecordRead::Ok) {
        // No local header where the archive should start means nothing to list.
        if (got == TRecordRead::Damaged) s_.BadHeader();
        return;
      }
      LocalHeader h = UnpackLocal(r.Fixed.data());
      TZipExtra extra = ReadLocalExtra(r.Extra, r.Name, h);
      TEntryRecord e;
      e.FileName = DecodeLocalName(r.Name, extra);
      e.VersionMadeBy = e.VersionNeeded = h.VersionNeeded;
      const std::optional<TDescriptor> figures =
          LocalEntryFigures(readAt, s_.FileSize, pos, r, h, extra);
      if (!figures || SizesAbsurd(figures->Packed, figures->Unpacked)) {
        s_.BadHeader(e.FileName);
        return;
      }
      FillCommon(e, type_, h.Flags, h.Method, h.DosDateTime, figures->Crc, figures->Packed,
                 figures->Unpacked, extra);
      e.VolumeName = VolumeOf(0);
      s_.Report(e, pos, figures->Packed, true);
      // An entry that goes on in the next volume ends this one.
      if (figures->End > uint64_t(s_.FileSize)) return;
      pos = int64_t(figures->End);
    }
  }

  // The volume holding an entry that starts on disk `disk` (counted from 0).
  WideString VolumeOf(uint32_t disk) const {
    const int volume = int(std::min<uint32_t>(disk, 1000000)) + 1;
    if (type_ == atZipDS) return DiskLabel(volume);
    if (type_ != atZipMV) return q_.ArchiveFile();
    const int last = int(std::min<uint32_t>(ZipTail(q_).ThisDisk(), 1000000)) + 1;
    return VolumeFileName(q_.ArchiveFile(), volume, last, volume >= last);
  }

  TListSession& s_;
  TCustomQuell& q_;
  TArcType type_;
  // What the search for the end records found (on a spanned set's last disk, for that set).
  TCentralDirLocation tail_;
  bool localFound_ = false;
  std::unique_ptr<TZipDiskRequest> disks_;  // spanned sets
};

}  // namespace

void ListZip(TListSession& session) { TZipLister(session).Run(); }

}  // namespace qel
