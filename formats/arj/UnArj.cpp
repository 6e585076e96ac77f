#include "formats/arj/UnArj.h"

#include <algorithm>

#include "codecs/checksum/Crc.h"
#include "codecs/io/StoredCopy.h"
#include "codecs/legacy/ArjFastest.h"
#include "engine/base/Messages.h"
#include "engine/extract/EntryPassword.h"
#include "engine/streams/FileStream32.h"
#include "engine/volumes/VolumeNames.h"

namespace qel {

using namespace arj;

namespace {

// What ARJ versions up to 3 can extract; a later one needs what this reader lacks.
constexpr uint8_t kNewestMinVersion = 3;
constexpr uint8_t kFastest = 4;  // the one method that is no LZH

}  // namespace

TUnARJ::TUnARJ() = default;
TUnARJ::~TUnARJ() = default;

WideString TUnARJ::NextVolumeName() {
  return NextNumberedVolume(VolumeName(), ArcType() == atArjExe ? 'e' : 'a');
}

void TUnARJ::ExtractEntries() {
  FVolume = 0;
  FOpen.reset();
  FSkipping.clear();
  for (;;) {
    std::vector<TArjHeader> entries;
    bool continues = false;
    Timer.Pause();
    const bool read = Collect(entries, continues);
    Timer.Resume();
    if (!read) break;
    for (const TArjHeader& h : entries) {
      if (Cancel()) break;
      if (h.Flags & kContinued) {
        Continue(h);
      } else {
        if (FOpen) Abandon();
        Begin(h);
      }
    }
    if (!continues || Cancel()) break;
    ++FVolume;
    if (!TDecompressClass::OpenNextVolume()) break;
  }
  if (FOpen) Abandon();
}

bool TUnARJ::Collect(std::vector<TArjHeader>& entries, bool& continues) {
  const TReadAt readAt = HeaderReadAt();
  const int64_t fileSize = ArchiveStream()->Size();
  // Only the first volume may sit behind a self-extractor's program.
  int64_t pos = FVolume == 0 ? std::max<int64_t>(HeaderOffset(), 0) : 0;
  TArjHeader h;
  if (ReadArjHeader(readAt, fileSize, pos, true, h) != THeaderRead::Ok) {
    DoError(VolumeName(), "", msg::BadFileHeader, "");
    return false;
  }
  continues = h.Flags & kVolume;
  pos = h.Next;
  int64_t packedTotal = 0;
  while (!Cancel()) {
    const THeaderRead r = ReadArjHeader(readAt, fileSize, pos, false, h);
    if (r == THeaderRead::End) break;
    if (r == THeaderRead::Bad) {
      DoError(VolumeName(), "", msg::BadFileHeader, "");
      break;
    }
    pos = h.Next;
    // Labels name the disk or a chapter of a backup, not files.
    if (h.FileType == ftVolumeLabel || h.FileType == ftChapterLabel) continue;
    const std::string name = EntryName(h);
    if (!MatchesSpec(name)) continue;
    if (h.MinVersion > kNewestMinVersion) {
      DoError(name, "", msg::VersionError, "");
      continue;
    }
    if (h.Method > kFastest || (h.Method == kFastest && h.ArchiverVersion == 1)) {
      DoError(name, std::to_string(h.Method), msg::UnsupportedMethod, "");
      continue;
    }
    if (h.FileType == ftComment || h.FileType > ftChapterLabel) {
      DoError(name, std::to_string(h.FileType), msg::UnknownFileType, "");
      continue;
    }
    NoteEntryDate(h.DosTime());
    packedTotal += h.Packed;
    entries.push_back(h);
  }
  FArchiveTotal = ArchiveBytesLeft = packedTotal;
  return true;
}

void TUnARJ::Begin(const TArjHeader& h) {
  FSkipping = h.Name;  // until the entry is under way, its later pieces are passed over
  const std::string stored = EntryName(h);
  TUnEntry entry;
  entry.StoredName = stored;
  entry.PackedSize = h.Packed;
  entry.UnpackedSize = h.Unpacked;
  entry.DosDateTime = h.DosTime();
  entry.UnixTime = h.UnixTime();
  if (h.FromUnix()) {
    entry.ExternalAttr = uint32_t(h.AccessMode) << 16;
    entry.HostSystem = 3;
  } else {
    entry.ExternalAttr = h.AccessMode & 0xFF;
  }
  const bool garbled = h.Flags & kGarbled;
  if (garbled) entry.Decipher = &FGarble;
  const bool folder = h.FileType == ftDirectory;
  if (!BuildOutputName(entry) || !PrepareEntry(folder) || folder) return;
  const WideString& name = IsDiskMode() ? OutputName() : stored;
  if (!ArchiveStream()->SetPosition(h.DataStart)) {
    DoError(stored, "", msg::ErrorReadingFile, "");
    PassOver(name);
    return;
  }
  TOpenEntry open{h.Name, name, h.Unpacked, h.Crc, true, {}};
  const auto decode = [&](const std::string& password) {
    if (!ArchiveStream()->SetPosition(h.DataStart) || !OpenOutput())
      throw E_RAISE(msg::ErrorOpeningFile, name);
    open.Password = password;
    open.Intact = DecodePiece(h, password);
  };
  try {
    if (!garbled) {
      decode({});
    } else {
      // Garbling has no check value: a password fits when the first piece decodes to its
      // CRC. One that does not costs a decoding, and the output is made anew.
      const auto fits = [&](std::string_view password) {
        if (password.empty()) return false;
        decode(std::string(password));
        if (open.Intact && DataCrc() == h.Crc) return true;
        RestartEntryData();
        return false;
      };
      if (!ObtainPassword(*this, name, fits)) {
        PassOver(name);
        return;
      }
    }
  } catch (const E_RAISE&) {
    AbandonOutput();
    return;
  }
  FSkipping.clear();
  FOpen = std::move(open);
  if (!(h.Flags & kVolume)) Close();
}

void TUnARJ::Continue(const TArjHeader& h) {
  if (!FOpen || FOpen->Name != h.Name) {
    // A piece whose beginning was passed over goes with it; one whose beginning is in a
    // volume before the first one read cannot be made whole.
    if (h.Name != FSkipping)
      DoError(EntryName(h), "the file begins in an earlier volume", msg::SkippedFile, VolumeName());
    return;
  }
  TOpenEntry& open = *FOpen;
  // Each piece takes up where the one before it ended.
  if (h.PiecePosition != open.Written || !ArchiveStream()->SetPosition(h.DataStart)) {
    open.Intact = false;
  } else {
    ContinueEntryData(h.Packed);
    try {
      open.Intact = DecodePiece(h, open.Password) && open.Intact;
    } catch (const E_RAISE&) {
      AbandonOutput();
      FSkipping = open.Name;
      FOpen.reset();
      return;
    }
  }
  open.Crc = Crc32Combine(open.Crc, h.Crc, h.Unpacked);
  open.Written += h.Unpacked;
  if (!(h.Flags & kVolume)) Close();
}

void TUnARJ::Close() {
  FinishFile();
  VerifyCRC(TCrcWidth::crc32, FOpen->Intact ? FOpen->Crc : DataCrc() ^ 1);
  FOpen.reset();
}

void TUnARJ::Abandon() {
  AbandonOutput();
  if (!Cancel()) DoError(FOpen->Shown, "", msg::UnexpectedEndOfFile, VolumeName());
  if (OnEnd) OnEnd(*this, FOpen->Shown, false);
  FOpen.reset();
}

bool TUnARJ::DecodePiece(const TArjHeader& h, const std::string& password) {
  if (h.Flags & kGarbled) FGarble.Start(password, h.GarbleModifier);
  // Reads end where the piece does (ContinueEntryData).
  const TDecodeResult result =
      DecodeWith(TCrcWidth::crc32, [&](const TCodecSource& source, const TCodecSink& sink) {
        if (h.Method == 0) return CopyStored(source, sink);
        if (h.Method == kFastest) return ArjFastest(source, sink, h.Unpacked);
        // Methods 1 to 3 differ only in how hard the packer looked for matches.
        if (!FLzh) FLzh = std::make_unique<TLzhDecoder>(kLh7);
        return FLzh->Decode(source, sink, h.Unpacked);
      });
  return result.Status == TDecodeStatus::Ok && result.Decoded == h.Unpacked;
}

}  // namespace qel
