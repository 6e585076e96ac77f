#include "formats/arj/UnArj.h"

#include <algorithm>

#include "codecs/checksum/Crc.h"
#include "codecs/io/StoredCopy.h"
#include "codecs/legacy/ArjFastest.h"
#include "engine/base/Messages.h"
#include "engine/streams/FileStream32.h"

namespace qel {

using namespace arj;

namespace {

// What ARJ versions up to 3 can extract; a later one needs what this reader lacks.
constexpr uint8_t kNewestMinVersion = 3;
constexpr uint8_t kFastest = 4;  // the one method that is no LZH
constexpr int kMostAttempts = 10;

}  // namespace

TUnARJ::TUnARJ() = default;
TUnARJ::~TUnARJ() = default;

WideString TUnARJ::NextVolumeName() { return NextArjVolume(VolumeName()); }

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
    // A volume label names the disk, not a file.
    if (h.FileType == ftVolumeLabel) continue;
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
    if (h.FileType == ftComment || h.FileType > ftVolumeLabel) {
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
  TOpenEntry open{h.Name, name, h.Unpacked, h.Crc, true, {}};
  size_t tried = 0;
  for (;;) {
    if (garbled) {
      std::optional<std::string> password = NextPassword(name, tried);
      if (!password) {
        PassOver(name);
        return;
      }
      open.Password = *password;
    }
    if (!ArchiveStream()->SetPosition(h.DataStart)) {
      DoError(stored, "", msg::ErrorReadingFile, "");
      PassOver(name);
      return;
    }
    if (!OpenOutput()) return;
    try {
      open.Intact = DecodePiece(h, open.Password);
    } catch (const E_RAISE&) {
      AbandonOutput();
      return;
    }
    // Garbling has no check value: a wrong password shows in the CRC alone. A file that
    // goes on in the next volume is judged as a whole, with the password it began with.
    if (!garbled || (h.Flags & kVolume)) break;
    if (open.Intact && DataCrc() == h.Crc) {
      SetPassword(open.Password);
      break;
    }
    DoError(name, "", msg::InvalidPassword, "");
    RestartEntryData();
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
  DoError(FOpen->Shown, "", msg::UnexpectedEndOfFile, VolumeName());
  if (OnEnd) OnEnd(*this, FOpen->Shown, false);
  FOpen.reset();
}

std::optional<std::string> TUnARJ::NextPassword(const WideString& name, size_t& tried) {
  std::vector<std::string> known;
  if (!Password().empty()) known.push_back(Password());
  known.insert(known.end(), Passwords.begin(), Passwords.end());
  if (tried < known.size()) return known[tried++];
  if (!OnGetPassword) {
    if (known.empty()) DoError(name, "OnGetPassword", msg::RequiredEventNotAssigned, "");
    return std::nullopt;
  }
  if (tried - known.size() >= size_t(std::min(PasswordAttempts, kMostAttempts)) || Cancel())
    return std::nullopt;
  ++tried;
  AnsiString password;
  TSeedKeyRecord headerKeys = SeedHeaderKeys, dataKeys = SeedDataKeys;
  bool tryAgain = true;
  Timer.Pause();  // the time spent answering is not the operation's
  OnGetPassword(*this, name, password, headerKeys, dataKeys, tryAgain);
  Timer.Resume();
  if (!tryAgain) {
    DoError(name, "no password given", msg::SkippedFile, "");
    return std::nullopt;
  }
  return password;
}

bool TUnARJ::DecodePiece(const TArjHeader& h, const std::string& password) {
  if (h.Flags & kGarbled) FGarble.Start(password, h.GarbleModifier);
  // Stored data shorter than its packed size ends where the file does.
  uint64_t left = h.Method == 0 ? std::min(h.Packed, h.Unpacked) : h.Packed;
  const TCodecSource source = [&](uint8_t* buffer, size_t size) {
    const size_t got = ReadInput(buffer, size_t(std::min<uint64_t>(size, left)), true);
    left -= got;
    return got;
  };
  const TCodecSink sink = [this](std::span<const uint8_t> data) {
    WriteOutput(data.data(), data.size(), TCrcWidth::crc32);
    return true;
  };
  TDecodeResult result;
  if (h.Method == 0) {
    result = CopyStored(source, sink);
  } else if (h.Method == kFastest) {
    result = ArjFastest(source, sink, h.Unpacked);
  } else {
    // Methods 1 to 3 differ only in how hard the packer looked for matches.
    if (!FLzh) FLzh = std::make_unique<TLzhDecoder>(kLh7);
    result = FLzh->Decode(source, sink, h.Unpacked);
  }
  return result.Status == TDecodeStatus::Ok && result.Decoded == h.Unpacked;
}

}  // namespace qel
