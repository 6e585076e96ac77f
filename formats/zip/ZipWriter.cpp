#include "formats/zip/ZipWriter.h"

#include <algorithm>
#include <limits>

#include "engine/base/Bytes.h"
#include "engine/base/DateTime.h"
#include "engine/base/Messages.h"
#include "engine/streams/Stream.h"
#include "engine/streams/TempStreams.h"
#include "engine/text/CodePages.h"
#include "engine/text/Utf8.h"
#include "engine/volumes/DiskManager.h"
#include "formats/zip/DeflateAhead.h"
#include "formats/zip/DiskSpanObj.h"
#include "formats/zip/EncryptionMethod.h"
#include "formats/zip/ExtraFields.h"
#include "formats/zip/HeaderCrypt.h"
#include "formats/zip/NameCodec.h"
#include "formats/zip/RecordReader.h"
#include "formats/zip/ZipTail.h"

namespace qel {

using namespace zip;

namespace {

constexpr uint32_t kAttrDirectory = 0x10;
// Kept entries are copied in pieces this large (by the kernel, between files), so that a
// cancel is heard within one.

}  // namespace

TCentralRecord CentralRecordOf(const TCompEntry& e) {
  const std::vector<uint8_t>& stored = e.Header;
  TCentralRecord rec;
  rec.Header = UnpackCentral(stored.data());
  CentralHeader h = rec.Header;  // the extra fields fill in its Zip64 figures
  const auto* p = reinterpret_cast<const char*>(stored.data()) + kCentralHeaderSize;
  rec.Name.assign(p, h.NameLength);
  rec.Extra.assign(stored.begin() + long(kCentralHeaderSize + h.NameLength),
                   stored.begin() + long(kCentralHeaderSize + h.NameLength + h.ExtraLength));
  rec.Comment.assign(p + h.NameLength + h.ExtraLength, h.CommentLength);
  const TZipExtra extra = ReadCentralExtra(rec.Extra, rec.Name, h);
  rec.Packed = FullCompressedSize(h, extra);
  rec.Unpacked = FullUncompressedSize(h, extra);
  rec.Offset = FullLocalOffset(h, extra);
  // The writer adds the Zip64 field again as the figures need it.
  RemoveExtraField(rec.Extra, kExtraZip64);
  RemoveExtraField(rec.Extra, kExtraSizeExtension);
  rec.Header.Signature = kSigCentral;
  return rec;
}

TZipBase::TZipBase(TArcType type, WideString builtInExt)
    : TCompBase(std::move(builtInExt)), FType(type) {
  ForceArcType(type);
  InitCompressMethod(TCompressMethod::cmDeflate);
}

TZip::TZip() : TZipBase(atZip, ".zip") {}
TJar::TJar() : TZipBase(atJar, ".jar") {}

bool TZipBase::AcceptsMethod(TCompressMethod method) const {
  using enum TCompressMethod;
  if (method == cmStore || method == cmDeflate) return true;
  return FType == atZip && (method == cmBz2 || method == cmPPMDi);
}

bool TZipBase::ReadDirectory(TStream64& archive, TCompList& list) {
  if (FDetectedType == atZipMV || FDetectedType == atZipDS) {
    DoError(ArchiveFile(), "", msg::UnsupportedArchiveType, "");
    return false;
  }
  if (!HeadFlag().Has(THeaderType::htCentral)) {
    DoError(ArchiveFile(), "", msg::BadFileHeader, "");
    return false;
  }
  if (!ArchiveCommentChanged) ArchiveComment = ZipTail(*this).Comment;
  int64_t pos = HeaderOffset();
  TRecordBytes r;
  const THeaderDecipher decipher = ComponentHeaderDecipher(*this);
  FReadEnciphered = false;
  while (ReadZipRecord(archive, pos, RecordKind::Central, decipher, r) == TRecordRead::Ok) {
    pos += r.Size;
    FReadEnciphered |= r.Class.Enciphered;
    CentralHeader h = UnpackCentral(r.Fixed.data());
    const TZipExtra extra = ReadCentralExtra(r.Extra, r.Name, h);
    TCompEntry e;
    e.State = TEntryState::esKeep;
    e.StoredName = DecodeCentralName(r.Name, h.VersionMadeBy, extra);
    e.IsFolder =
        (h.ExternalAttr & kAttrDirectory) || (!e.StoredName.empty() && e.StoredName.back() == '/');
    if (e.IsFolder && !e.StoredName.empty() && e.StoredName.back() != '/') e.StoredName += '/';
    e.Size = int64_t(std::min<uint64_t>(FullUncompressedSize(h, extra), INT64_MAX));
    e.Time = DosDateTimeToUnix(h.DosDateTime);
    e.Attr = h.ExternalAttr & 0xFF;
    e.Offset = int64_t(FullLocalOffset(h, extra) + uint64_t(OffsetAdjust()));
    // Kept deciphered: the record is written again with the writer's own header setting.
    e.Header.assign(r.Fixed.begin(), r.Fixed.end());
    e.Header.insert(e.Header.end(), r.Name.begin(), r.Name.end());
    e.Header.insert(e.Header.end(), r.Extra.begin(), r.Extra.end());
    e.Header.insert(e.Header.end(), r.Comment.begin(), r.Comment.end());
    list.push_back(std::move(e));
    if (Cancel()) return false;
  }
  if (list.size() < ZipTail(*this).TotalEntries() && list.size() < 0xFFFF) {
    DoError(ArchiveFile(), "", msg::BadFileHeader, "");
    return false;
  }
  return true;
}

void TZipBase::WriteEntries(TStream64* archive, TStream64& out, TCompList& list) {
  FCentral.clear();
  FSpanning = SpansDisks();
  if (archive) CopyPrefix(*archive, out, list);
  FWorkers = std::make_unique<TWorkers>(WorkerThreads(Threads));
  // The files from the current one on are deflated ahead as far as the window allows: two
  // per thread, one being deflated and one waiting, keep every thread busy.
  TAheadWindow<TDeflated> ahead(*FWorkers, 2, 4 * kMaxDeflatedAhead);
  size_t next = 0;
  const auto fillAhead = [&](size_t from) {
    if (!DeflatesPlainly() || FWorkers->Threads() == 0) return;
    for (next = std::max(next, from); next < list.size() && ahead.Room(); ++next) {
      const TCompEntry& e = list[next];
      if (e.State == TEntryState::esCompress && !e.IsFolder && e.Size > 0 &&
          e.Size <= kMaxDeflatedAhead)
        DeflateAhead(ahead, next, e.SourcePath, e.Size, int(DeflateType), *this);
    }
  };
  WriteInOrder(
      list, archive != nullptr,
      [&](size_t at, int index) {
        fillAhead(at);
        std::optional<TDeflated> deflated = ahead.Take(at);
        return CompressFile(out, list[at], index, list, deflated ? &*deflated : nullptr);
      },
      [&](const TCompEntry& e) { CopyKept(*archive, out, e); });
}

bool TZipBase::DeflatesPlainly() const {
  return CompressMethod() == TCompressMethod::cmDeflate &&
         DeflateType != TDeflateType::dtDeflateS &&
         (Password().empty() || EncryptionMethod == TEncryptionMethod::emNone);
}

void TZipBase::KeptEntryDamaged(const TCompEntry& e, int code) {
  ReportAndRaise(e.StoredName, code, "the archive is left as it was; repair it first", "");
}

void TZipBase::CopyKept(TStream64& archive, TStream64& out, const TCompEntry& e) {
  TCentralRecord rec = CentralRecordOf(e);
  const uint64_t packed = rec.Packed;
  TRecordBytes local;
  // The local header must be the entry's own: a spoilt one would be copied as garbage.
  if (ReadZipRecord(archive, e.Offset, RecordKind::Local, ComponentHeaderDecipher(*this), local) !=
          TRecordRead::Ok ||
      local.Name != rec.Name || packed > uint64_t(archive.Size()))
    KeptEntryDamaged(e, msg::BadLocalOffset);
  int64_t end = e.Offset + local.Size + int64_t(packed);
  // A streamed entry's sizes follow its data in a descriptor, which goes with it: with or
  // without its signature, 32-bit sizes or (Zip64) 64-bit ones.
  if (rec.Header.Flags & kFlagDataDescriptor) {
    const bool wide = HasExtraField(local.Extra, kExtraZip64);
    uint8_t sig[4];
    const bool signed_ = archive.ReadExactAt(end, sig, 4) && GetU32(sig) == kSigDataDescriptor;
    end += (signed_ ? 4 : 0) + 4 + (wide ? 16 : 8);
  }
  if (end > archive.Size()) KeptEntryDamaged(e, msg::BadFileHeader);
  const int64_t at = out.Position();
  int64_t from = e.Offset;
  if (e.State == TEntryState::esRename) {
    RenameRecords(rec, local, e.StoredName);
    WriteOut(out, local.Fixed.data(), local.Fixed.size());
    from += local.Size;
  }
  if (!archive.SetPosition(from)) KeptEntryDamaged(e, msg::ErrorReadingFile);
  CopyKeptBytes(archive, out, end - from, e.StoredName);
  rec.Header.DiskStart = 0;
  rec.Offset = uint64_t(at);
  FCentral.push_back(std::move(rec));
}

void TZipBase::RenameRecords(TCentralRecord& central, TRecordBytes& local,
                             const WideString& name) const {
  // A name beyond ASCII goes in UTF-8 with the flag that says so, which every reader
  // honours whatever host made the entry. The flag covers the entry's comment too: one in a
  // code page is turned into UTF-8 with it. An ASCII name keeps the flag as it was. The
  // Unicode path field named the old name: a reader that prefers it would show the old
  // name still.
  const bool ascii =
      std::all_of(name.begin(), name.end(), [](char c) { return (unsigned char)c < 0x80; });
  const uint16_t utf8 = ascii ? 0 : kFlagUtf8Name;
  if (utf8 && !(central.Header.Flags & kFlagUtf8Name) && !text::IsValidUtf8(central.Comment)) {
    const bool dosHost = (central.Header.VersionMadeBy >> 8) == 0;
    const text::TCodePagePair pages = text::CodePages();
    central.Comment = text::DecodeCodePage(dosHost ? pages.Oem : pages.Ansi, central.Comment)
                          .value_or(text::SanitizeUtf8(central.Comment));
  }
  central.Name = name;
  central.Header.Flags |= utf8;
  RemoveExtraField(central.Extra, kExtraUnicodePath);
  RemoveExtraField(local.Extra, kExtraUnicodePath);

  LocalHeader h = UnpackLocal(local.Fixed.data());
  h.Flags |= utf8;
  h.NameLength = uint16_t(name.size());
  h.ExtraLength = uint16_t(local.Extra.size());
  h.Signature = local.Class.Enciphered ? kSigLocal + kEncipheredDelta : kSigLocal;
  std::vector<uint8_t> bytes(kLocalHeaderSize);
  Pack(h, bytes.data());
  bytes.insert(bytes.end(), name.begin(), name.end());
  if (local.Class.Enciphered) EncipherHeader(SeedHeaderKeys, bytes, RecordKind::Local);
  bytes.insert(bytes.end(), local.Extra.begin(), local.Extra.end());
  local.Fixed = std::move(bytes);
}

void TZipBase::WriteDirectory(TStream64& out, const TCompList&) {
  FEntriesEnd = out.Position();
  // Renaming keeps the archive's own form; an update writes the form the settings ask for.
  const bool encipher = FRenaming ? FReadEnciphered : EncryptHeaders;
  const TSeedKeyRecord* seed = encipher ? &SeedHeaderKeys : nullptr;
  if (!WriteCentralDirectory(out, FCentral, ArchiveComment, seed))
    ReportAndRaise(ArchiveFile(), msg::ErrorWritingFile, "", "");
}

bool TZipBase::SpansDisks() {
  if (!Drives) return false;
  TDiskManager disks(*Drives);
  return disks.Read(ArchiveFile()) && disks.Info().IsFloppy;
}

bool TZipBase::Deliver(TTempFileStream& temp) {
  if (!FSpanning) return Commit(temp);
  TSpanSource source{temp, FEntriesEnd, FCentral, ArchiveComment,
                     EncryptHeaders ? &SeedHeaderKeys : nullptr};
  return TDiskSpanObj(*this, ArchiveFile(), std::move(source), LeaveSpaceOnFirstDisk).Write();
}

}  // namespace qel
