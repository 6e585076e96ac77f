#include "formats/zip/UnZip.h"

#include <cstdint>

#include <algorithm>
#include <array>
#include <span>

#include "codecs/bzip2/Bz2Decode.h"
#include "codecs/bzip2/Bz2Errors.h"
#include "codecs/legacy/Explode.h"
#include "codecs/legacy/Unreduce.h"
#include "codecs/legacy/Unshrink.h"
#include "engine/base/Bytes.h"
#include "engine/base/Errors.h"
#include "engine/base/Messages.h"
#include "engine/extract/EntryPassword.h"
#include "engine/streams/FileStream32.h"
#include "engine/streams/MemoryStream32.h"
#include "engine/volumes/VolumeNames.h"
#include "formats/zip/DataDescriptor.h"
#include "formats/zip/EncryptionMethod.h"
#include "formats/zip/ExtraFields.h"
#include "formats/zip/HeaderCrypt.h"
#include "formats/zip/NameCodec.h"
#include "formats/zip/RecordReader.h"
#include "formats/zip/SpreadCentralDir.h"
#include "formats/zip/ZipDiskRequest.h"
#include "formats/zip/ZipTail.h"

namespace qel {
namespace {

using namespace zip;

constexpr uint32_t kAttrDirectory = 0x10;
// Where a self-extractor's archive is looked for when its offsets are relative to it.
constexpr int64_t kResyncStart = 15000;
constexpr size_t kResyncBlock = 32768;
constexpr int kResyncBlocks = 4;
constexpr size_t kCopyBuffer = size_t(1) << 18;

bool IsDirectoryName(const std::string& name) { return !name.empty() && name.back() == '/'; }

// The methods the decode pass has a decoder for.
bool Decodable(uint16_t method) {
  return (method <= 9 && method != 7) || method == 12 || method == 98;
}

// The first local-header signature at or after kResyncStart; -1 when none is found.
int64_t SearchLocalSignature(TFileStream32& file) {
  std::vector<uint8_t> block(kResyncBlock + 3);
  int64_t pos = kResyncStart;
  for (int i = 0; i < kResyncBlocks && pos < file.Size(); ++i) {
    const int64_t want = std::min<int64_t>(int64_t(block.size()), file.Size() - pos);
    if (want < 4 || !file.SetPosition(pos) || file.Read(block.data(), want) != want) return -1;
    for (int64_t j = 0; j + 4 <= want; ++j)
      if (GetU32(block.data() + j) == kSigLocal) return pos + j;
    pos += int64_t(kResyncBlock);
  }
  return -1;
}

// The DOS time keeps even seconds only (and writers round it up); a time field is exact.
// Some writers put it in the central header only.
int64_t ExactTime(const TZipExtra& extra) {
  if (extra.NtfsModified) return *extra.NtfsModified;
  return extra.UnixModified.value_or(-1);
}

}  // namespace

TUnZip::TUnZip() = default;
TUnZip::~TUnZip() = default;

void TUnZip::ExtractEntries() {
  FEntries.clear();
  FDirOffset = HeaderOffset();
  FDirFlags = HeadFlag();
  FTail = zip::ZipTail(*this);
  FDisks.reset();
  FLocalSerial = VolumeSerial() - 1;  // nothing read ahead yet
  if (!ArchiveStream() || (IsSpanned() && !InsertLastDisk())) return;
  FVolume = LastVolume();
  Timer.Pause();
  if (FDirFlags.Has(THeaderType::htCentral)) {
    CollectCentral();
  } else if (OnCorruptZipHeader) {
    bool cancel = true;
    OnCorruptZipHeader(*this, FDirFlags, cancel);
    if (!cancel) CollectLocal();
  }
  Timer.Resume();
  // This thread writes; the others decode the entries from the current one on, as far as
  // the window allows: four per thread, for small entries take less time to decode than to
  // write. A set's volumes change under the reader, so its entries are read here only.
  TWorkers workers(IsSplit() || IsSpanned() ? 0 : std::max(0, WorkerThreads(Threads) - 1));
  FWorkers = &workers;
  TAheadWindow<TDecoded> ahead(workers, 4, 8 * int64_t(kMaxDecodedAhead));
  size_t next = 0;
  for (size_t i = 0; i < FEntries.size(); ++i) {
    const TCollected& e = FEntries[i];
    if (Cancel()) break;
    if ((IsSplit() || IsSpanned()) && !OpenStartVolume(e.Disk, e.LocalPos)) break;
    if (workers.Threads() > 0 && ahead.Low()) {
      for (next = std::max(next, i); next < FEntries.size() && ahead.Room(); ++next) {
        const TCollected& n = FEntries[next];
        if (DecodesAhead(n))
          DecodeAhead(ahead, next, ArchiveStream()->Handle(), {n.LocalPos, n.Packed, n.Unpacked});
      }
    }
    const std::optional<TDecoded> decoded = ahead.Take(i);
    Decode(e, decoded ? &*decoded : nullptr);
  }
  FCipher.Reset();
  FWorkers = nullptr;
}

bool TUnZip::DecodesAhead(const TCollected& e) const {
  return !(e.Flags & kFlagEncrypted) && (e.Method == 0 || e.Method == 8) &&
         e.Packed <= kMaxDecodedAhead && e.Unpacked <= kMaxDecodedAhead && !IsDirectoryName(e.Name);
}

// A spanned set keeps its central directory on the last disk, which is asked for first.
bool TUnZip::InsertLastDisk() {
  FDisks = std::make_unique<TZipDiskRequest>(*this, ArchiveFile());
  CloseVolume();
  std::unique_ptr<TFileStream32> file = FDisks->Request();
  if (!file) return false;
  UseVolume(std::move(file), ArchiveFile());
  FDirOffset = FDisks->LastDisk().HeaderOffset;
  FDirFlags = FDisks->LastDisk().HeadFlag;
  FTail = FDisks->LastDiskTail();
  return true;
}

int TUnZip::LastVolume() const {
  const uint64_t disks = FTail.Locator ? FTail.Locator->TotalDisks : uint64_t(FTail.ThisDisk()) + 1;
  return int(std::clamp<uint64_t>(disks, 1, 1000000));
}

bool TUnZip::OpenStartVolume(uint32_t disk, int64_t position) {
  const int volume = int(std::min<uint32_t>(disk, 1000000)) + 1;
  if (volume == FVolume) return true;
  if (IsSpanned()) {
    CloseVolume();
    std::unique_ptr<TFileStream32> file = FDisks->Request(position, volume);
    if (!file) return false;
    UseVolume(std::move(file), ArchiveFile());
  } else {
    WideString name = VolumeFileName(ArchiveFile(), volume, LastVolume(), volume >= LastVolume());
    if (!RequestNextVolume(name, volume) || !OpenVolume(name)) return false;
  }
  FVolume = volume;
  return true;
}

bool TUnZip::OpenNextVolume() {
  // A single file has no next volume: data that claims to go on past its end is damaged.
  return (IsSplit() || IsSpanned()) && FVolume < LastVolume() &&
         OpenStartVolume(uint32_t(FVolume), 0);
}

TReadAheadWindow& TUnZip::LocalHeaders() {
  if (FLocalSerial != VolumeSerial()) {
    TFileStream32* file = ArchiveStream();
    FLocalHeaders.Use(file, file ? file->Size() : 0);
    FLocalSerial = VolumeSerial();
  }
  return FLocalHeaders;
}

TRecordRead TUnZip::ReadLocal(int64_t pos, TRecordBytes& r) {
  TReadAheadWindow& headers = LocalHeaders();
  const TReadAt readAt = [&headers](int64_t at, uint8_t* data, int64_t size) {
    return headers.ReadAt(at, data, size);
  };
  return ReadZipRecord(readAt, ArchiveStream()->Size(), pos, RecordKind::Local,
                       ComponentHeaderDecipher(*this), r);
}

bool TUnZip::IsLocalAt(int64_t at) {
  TFileStream32& file = *ArchiveStream();
  uint8_t sig[4];
  // Compared by subtraction, so that a damaged offset near the top of the range cannot
  // overflow.
  return at >= 0 && at <= file.Size() - int64_t(kLocalHeaderSize) &&
         LocalHeaders().ReadAt(at, sig, 4) &&
         ClassifySignature(GetU32(sig)).Kind == RecordKind::Local;
}

int64_t TUnZip::LocalShift(std::vector<int64_t> positions) {
  if (positions.empty()) return 0;
  std::sort(positions.begin(), positions.end());
  if (IsLocalAt(positions.front())) return 0;
  const int64_t found = SearchLocalSignature(*ArchiveStream());
  if (found < 0) return 0;
  const int64_t shift = found - positions.front();
  // The distance wins when it puts more of the earliest headers on their signatures than
  // no distance does: a damaged first header must not move every other one.
  int withShift = 0, without = 0;
  const size_t tried = std::min<size_t>(positions.size(), 64);
  for (size_t i = 0; i < tried; ++i) {
    int64_t at = 0;
    if (!__builtin_add_overflow(positions[i], shift, &at) && IsLocalAt(at)) ++withShift;
    if (IsLocalAt(positions[i])) ++without;
  }
  return withShift > without ? shift : 0;
}

void TUnZip::ConfirmLocals(const std::vector<int64_t>& allPositions) {
  const int64_t shift = LocalShift(allPositions);
  std::vector<TCollected> kept;
  kept.reserve(FEntries.size());
  for (TCollected& e : FEntries) {
    int64_t at = 0;
    if (!__builtin_add_overflow(e.LocalPos, shift, &at) && IsLocalAt(at)) {
      e.LocalPos = at;
      kept.push_back(std::move(e));
    } else {
      // Damaged on its own: the other entries go on.
      DoError(e.Name, "", msg::BadLocalOffset, "");
    }
  }
  FEntries = std::move(kept);
}

void TUnZip::CollectCentral() {
  TStream64* directory = ArchiveStream();
  int64_t pos = FDirOffset;
  std::unique_ptr<TMemoryStream32> gathered;
  if (FTail.DirectoryOnEarlierDisk()) {
    // Only a set has other disks: in a single file the claim is damage.
    if (!IsSplit() && !IsSpanned()) {
      DoError(ArchiveFile(), "", msg::BadFileHeader, "");
      return;
    }
    const auto openDisk = [this](uint32_t disk) -> TFileStream32* {
      const int64_t at = disk == FTail.CentralDisk() ? int64_t(FTail.CentralOffset()) : 0;
      return OpenStartVolume(disk, at) ? ArchiveStream() : nullptr;
    };
    std::optional<std::vector<uint8_t>> bytes = GatherCentralDir(FTail, openDisk);
    if (!bytes) {
      if (!Cancel()) DoError(ArchiveFile(), "", msg::BadFileHeader, "");
      return;
    }
    gathered = std::make_unique<TMemoryStream32>(std::move(*bytes));
    directory = gathered.get();
    pos = 0;
  }
  // The directory's records follow one another: read them through a window.
  const int64_t directorySize = directory->Size();
  TReadAheadWindow records;
  records.Use(directory, directorySize);
  const TReadAt readAt = [&records](int64_t at, uint8_t* data, int64_t size) {
    return records.ReadAt(at, data, size);
  };
  std::vector<int64_t> allPositions;  // of every entry, selected or not
  TRecordBytes r;
  const THeaderDecipher decipher = ComponentHeaderDecipher(*this);
  while (!Cancel() && ReadZipRecord(readAt, directorySize, pos, RecordKind::Central, decipher, r) ==
                          TRecordRead::Ok) {
    pos += r.Size;
    CentralHeader h = UnpackCentral(r.Fixed.data());
    const TZipExtra extra = ReadCentralExtra(r.Extra, r.Name, h);
    TCollected e;
    e.Name = DecodeCentralName(r.Name, h.VersionMadeBy, extra);
    e.ExternalAttr = h.ExternalAttr;
    if ((h.ExternalAttr & kAttrDirectory) && !e.Name.empty() && !IsDirectoryName(e.Name))
      e.Name += '/';
    // Unsigned: a damaged Zip64 offset plus data in front must not overflow.
    e.LocalPos = int64_t(FullLocalOffset(h, extra) + uint64_t(OffsetAdjust()));
    allPositions.push_back(e.LocalPos);
    if (!MatchesSpec(e.Name)) continue;
    const TEncryptionMethod method = GetEncryptionMethod(h.Flags, extra);
    if (method == TEncryptionMethod::emUnsupported) {
      DoError(e.Name, "", msg::UnsupportedEncryption, "");
      continue;
    }
    e.Disk = FullDiskStart(h, extra);
    e.VersionMadeBy = h.VersionMadeBy;
    e.UnixTime = ExactTime(extra);
    e.Crc = h.Crc;
    e.Packed = FullCompressedSize(h, extra);
    e.Unpacked = FullUncompressedSize(h, extra);
    e.Flags = h.Flags;
    e.Method = h.Method;
    NoteEntryDate(h.DosDateTime);
    FEntries.push_back(std::move(e));
  }
  if (!IsSplit() && !IsSpanned()) ConfirmLocals(allPositions);
  int64_t packedTotal = 0;
  for (const TCollected& e : FEntries)
    packedTotal += int64_t(std::min<uint64_t>(e.Packed, uint64_t(INT32_MAX)));
  FArchiveTotal = ArchiveBytesLeft = packedTotal;
}

void TUnZip::CollectLocal() {
  TFileStream32& file = *ArchiveStream();
  int64_t pos = std::max<int64_t>(FDirOffset, 0);
  uint8_t marker[4];
  if (file.SetPosition(pos) && file.Read(marker, 4) == 4 && GetU32(marker) == kSigSpanMarker)
    pos += 4;
  const TReadAt readAt = [this](int64_t at, uint8_t* data, int64_t size) {
    return LocalHeaders().ReadAt(at, data, size);
  };
  TRecordBytes r;
  while (!Cancel() && ReadLocal(pos, r) == TRecordRead::Ok) {
    LocalHeader h = UnpackLocal(r.Fixed.data());
    const TZipExtra extra = ReadLocalExtra(r.Extra, r.Name, h);
    TCollected e;
    e.Name = DecodeLocalName(r.Name, extra);
    e.LocalPos = pos;
    e.UnixTime = ExactTime(extra);
    const std::optional<TDescriptor> figures =
        LocalEntryFigures(readAt, file.Size(), pos, r, h, extra);
    // Sizes that nothing in the file tells, or data past its end: the walk cannot go on.
    if (!figures || figures->End > uint64_t(file.Size())) {
      DoError(e.Name, "", msg::BadFileHeader, "");
      break;
    }
    e.Crc = figures->Crc;
    e.Packed = figures->Packed;
    e.Unpacked = figures->Unpacked;
    e.Flags = h.Flags;
    e.Method = h.Method;
    pos = int64_t(figures->End);
    if (MatchesSpec(e.Name)) {
      NoteEntryDate(h.DosDateTime);
      FEntries.push_back(std::move(e));
    }
  }
}

void TUnZip::Decode(const TCollected& e, const TDecoded* decoded) {
  TFileStream32& file = *ArchiveStream();
  TRecordBytes r;
  if (ReadLocal(e.LocalPos, r) != TRecordRead::Ok) {
    DoError(e.Name, "", msg::BadFileHeader, "");
    return;
  }
  LocalHeader h = UnpackLocal(r.Fixed.data());
  const TZipExtra extra = ReadLocalExtra(r.Extra, r.Name, h);
  // The collected figures hold: the directory's, or for a walk over the local headers the
  // header's or its data descriptor's. A local header's own may be damaged, or (a data
  // descriptor entry's) written before they were known.
  const uint64_t packed = e.Packed;
  const uint64_t unpacked = e.Unpacked;
  const uint32_t crc = e.Crc;

  FCipher.Reset();
  // The cipher header in front of the data and the code behind it.
  const TEncryptionMethod cipher =
      (h.Flags & kFlagEncrypted) ? GetEncryptionMethod(h.Flags, extra) : TEncryptionMethod::emNone;
  TUnEntry entry;
  entry.Encryption = cipher;
  entry.StoredName = e.Name;
  entry.PackedSize = int64_t(std::min<uint64_t>(packed, uint64_t(INT64_MAX)));
  entry.UnpackedSize = int64_t(std::min<uint64_t>(unpacked, uint64_t(INT64_MAX)));
  entry.DosDateTime = h.DosDateTime;
  entry.UnixTime = e.UnixTime;
  entry.ExternalAttr = e.ExternalAttr;
  entry.HostSystem = uint8_t(e.VersionMadeBy >> 8);
  entry.Decipher = &FCipher;
  const bool directory = IsDirectoryName(e.Name);
  if (!BuildOutputName(entry) || !PrepareEntry(directory) || directory) return;
  const WideString& name = IsDiskMode() ? OutputName() : e.Name;
  const int64_t dataStart = e.LocalPos + r.Size;
  // Data decoded ahead is read no more (the archive's position is left alone). The decoder
  // read this same local header (and refused a cipher or another method); the data's start
  // tells that the file is still the one it read.
  const bool ahead = decoded && decoded->Ok && decoded->DataStart == dataStart;
  if (!ahead && !file.SetPosition(dataStart)) return;
  // Only a set's data goes on in the next volume: in a single file, data said to run past
  // its end is a damaged size, and reading towards it would only read to the end.
  if (!IsSplit() && !IsSpanned() && packed > uint64_t(file.Size() - dataStart)) {
    DoError(e.Name, "", msg::BadFileHeader, "");
    PassOver(name);
    return;
  }

  const bool aes = cipher != TEncryptionMethod::emNone && cipher != TEncryptionMethod::emZip_V2 &&
                   cipher != TEncryptionMethod::emUnsupported && extra.Aes;
  uint64_t front = 0, back = 0;
  if (cipher == TEncryptionMethod::emZip_V2) front = kZipCryptoHeaderSize;
  if (aes) {
    front = AesSaltSize(extra.Aes->Strength) + kAesVerifierSize;
    back = kAesAuthCodeSize;
  }
  if (cipher == TEncryptionMethod::emUnsupported) {
    DoError(e.Name, "", msg::UnsupportedEncryption, "");
    PassOver(name);
    return;
  }
  if (packed < front + back) {  // too short to hold its own cipher framing
    DoError(e.Name, "", msg::BadFileHeader, "");
    PassOver(name);
    return;
  }
  if (cipher != TEncryptionMethod::emNone) {
    std::vector<uint8_t> head(front);
    if (ReadInput(head.data(), head.size(), false) != head.size()) {
      DoError(e.Name, "", msg::ErrorReadingFile, "");
      PassOver(name);
      return;
    }
    std::function<bool(std::string_view)> fits;
    if (aes) {
      const uint8_t strength = extra.Aes->Strength;
      const std::span<const uint8_t> salt(head.data(), head.size() - kAesVerifierSize);
      const std::span<const uint8_t> verifier(head.data() + salt.size(), kAesVerifierSize);
      fits = [this, strength, salt, verifier](std::string_view password) {
        auto keys = CheckZipAesPassword(password, strength, salt, verifier);
        if (keys) FCipher.Use(*keys, FWorkers);
        return keys.has_value();
      };
    } else {
      const uint8_t check = ZipCryptoCheckByte(h.Flags, crc, h.DosDateTime);
      fits = [this, check, &head](std::string_view password) {
        auto keys = CheckZipCryptoPassword(SeedDataKeys, password, head, check);
        if (keys) FCipher.Use(*keys);
        return keys.has_value();
      };
    }
    if (!ObtainPassword(*this, e.Name, fits)) {
      PassOver(name);
      return;
    }
  }

  // An AES entry names its real method in its field, whatever its sizes.
  const uint16_t method = (h.Method == kMethodAes && extra.Aes) ? extra.Aes->Method : h.Method;
  if (!Decodable(method)) {
    DoError(e.Name, std::to_string(method), msg::UnsupportedMethod, "");
    return;
  }
  // Data decoded ahead was checked: only its verdict is still to be given.
  if (!OpenOutput(ahead && decoded->Crc == crc)) return;

  if (ahead) {
    try {
      TakeInput(packed);
      WriteOutputWithCrc(decoded->Data.data(), decoded->Data.size(), decoded->Crc);
    } catch (const E_RAISE&) {
      AbandonOutput();
      return;
    }
    FinishFile();
    VerifyCRC(TCrcWidth::crc32, crc);
    return;
  }

  uint64_t dataLeft = packed - front - back;
  auto source = [&](uint8_t* buffer, size_t size) {
    const size_t got = ReadInput(buffer, size_t(std::min<uint64_t>(size, dataLeft)), true);
    dataLeft -= got;
    return got;
  };
  auto sink = [&](std::span<const uint8_t> data) {
    WriteOutput(data.data(), data.size(), TCrcWidth::crc32);
    return true;
  };
  // A decoder that stops short fails the entry whatever CRC its output came to.
  bool intact = true;
  try {
    if (method == 0) {
      const std::unique_ptr<uint8_t[]> buffer(new uint8_t[kCopyBuffer]);
      while (size_t n = source(buffer.get(), kCopyBuffer)) sink({buffer.get(), n});
    } else if (method <= 6) {
      const TDecodeResult r = method == 1   ? Unshrink(source, sink, unpacked)
                              : method == 6 ? Explode(h.Flags, source, sink, unpacked)
                                            : Unreduce(method - 1, source, sink, unpacked);
      intact = r.Status == TDecodeStatus::Ok && r.Decoded == unpacked;
    } else if (method == 12 || method == 98) {
      const TDecodeResult r = method == 12 ? Bz2Decode(source, sink, unpacked)
                                           : PpmdDecode(FPpmd, source, sink, unpacked);
      intact = r.Status == TDecodeStatus::Ok && r.Decoded == unpacked;
    } else {
      FInflater.Run(method == 9 ? DeflateVariant::Deflate64 : DeflateVariant::Deflate, source,
                    sink);
    }
  } catch (const E_RAISE&) {
    AbandonOutput();
    return;
  } catch (const Ebz2Error& error) {  // libbz2 itself failed, not the data
    DoError(e.Name, error.what(), msg::UnknownError, "");
    AbandonOutput();
    return;
  }
  // The authentication code covers all the ciphertext, decoded or not.
  if (aes && dataLeft) {
    const std::unique_ptr<uint8_t[]> rest(new uint8_t[kCopyBuffer]);
    while (dataLeft && source(rest.get(), kCopyBuffer)) {
    }
  }
  FinishFile();
  if (aes) {
    uint8_t code[kAesAuthCodeSize];
    bool pass = ReadInput(code, sizeof code, false) == sizeof code && dataLeft == 0 &&
                FCipher.AuthCodeMatches(code);
    // AE-1 entries also keep their CRC; the verdict is given as a CRC that matches or not.
    const uint32_t own = DataCrc();
    if (extra.Aes->VendorVersion == 1) pass = pass && own == crc;
    VerifyCRC(TCrcWidth::crc32, pass ? own : own ^ 1);
  } else {
    VerifyCRC(TCrcWidth::crc32, intact ? crc : DataCrc() ^ 1);
  }
}

}  // namespace qel
