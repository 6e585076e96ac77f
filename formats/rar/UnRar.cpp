#include "formats/rar/UnRar.h"

#include <cstring>
#include <cwchar>
#include <iterator>
#include <memory>
#include <optional>

#include "codecs/checksum/Blake2sp.h"
#include "engine/base/Messages.h"
#include "engine/extract/EntryPassword.h"
#include "formats/rar/RarBlocks.h"
#include "formats/rar/RarCallbacks.h"
#include "formats/rar/RarListing.h"
#include "formats/rar/UnrarBinding.h"

namespace qel {

using namespace unrar;

namespace {

constexpr uint32_t kDosFolder = 0x10;
constexpr uint32_t kDosArchive = 0x20;

// Failures that end one entry only; after any other the library cannot go on.
bool EntryLocal(int result) {
  return result == ERAR_BAD_DATA || result == ERAR_UNKNOWN_FORMAT ||
         result == ERAR_MISSING_PASSWORD || result == ERAR_ENCRYPTION_UNSUPPORTED;
}

}  // namespace

// The data of the entry being tested goes into its output; passwords come from the
// component's own password steps.
class TUnRar::TCallbacks : public TRarCallbacks {
 public:
  explicit TCallbacks(TUnRar& reader) : TRarCallbacks(reader), reader_(reader) {}

  // The entry `name` begins; `blake2` when its data has a BLAKE2sp hash to check.
  void Begin(const WideString& name, bool blake2) {
    name_ = name;
    passwordReported_ = false;
    blake2_.reset();
    if (blake2) blake2_.emplace();
  }
  // The password steps already said why no password came.
  bool PasswordReported() const { return passwordReported_; }
  // Whether the data passed on matches the hash `stored` (true when there was none to check).
  bool HashMatches(const uint8_t* stored) {
    return !blake2_ || std::memcmp(blake2_->Final().data(), stored, 32) == 0;
  }

 protected:
  bool Data(const uint8_t* data, size_t size) override {
    reader_.WriteOutput(data, size, TCrcWidth::crc32);
    if (blake2_) blake2_->Update(data, size);
    return !reader_.Cancel();
  }
  bool Password(std::string& password) override {
    const bool found = ObtainPassword(reader_, name_, [&](std::string_view candidate) {
      password = candidate;
      return !candidate.empty();
    });
    passwordReported_ = !found;
    return found;
  }

 private:
  TUnRar& reader_;
  WideString name_;
  bool passwordReported_ = false;
  std::optional<TBlake2sp> blake2_;
};

TUnRar::TUnRar() = default;
TUnRar::~TUnRar() = default;

void TUnRar::ExtractEntries() {
  const TUnrarLibrary lib = BindUnrar();
  if (!lib.Available) {
    DoError(ArchiveFile(), "", msg::RarLibraryNotFound, "");
    return;
  }
  int matching = 0;
  int64_t packed = 0;
  // The count reports nothing: where it fails, the extraction's own walk says why.
  const bool counted = WalkRarListing(
      lib, *this, ArchiveFile(),
      [&](const TRarListed& e) {
        if (Selects(e.Name)) {
          ++matching;
          packed += int64_t(e.Packed);
        }
        return !Cancel();
      },
      true);
  if ((counted && matching == 0) || Cancel()) return;
  FArchiveTotal = ArchiveBytesLeft = packed;

  TCallbacks callbacks(*this);
  TUnrarArchive rar(lib, ArchiveFile(), RAR_OM_EXTRACT, &TRarCallbacks::Entry,
                    reinterpret_cast<intptr_t>(&callbacks));
  int r = rar.OpenResult();
  const auto header = std::make_unique<RARHeaderDataEx>();
  while (r == ERAR_SUCCESS && !Cancel()) {
    if ((r = rar.ReadHeader(*header)) != ERAR_SUCCESS) break;
    if (!ProcessEntry(rar, *header, callbacks)) return;
  }
  // The end of the archive is where every walk ends, not an error; a volume not given was
  // reported when it was asked for.
  if (r == ERAR_SUCCESS || r == ERAR_END_ARCHIVE || Cancel() || callbacks.VolumeRefused()) return;
  const int code = r == ERAR_BAD_DATA ? msg::BadFileHeader : UnrarResultMessage(r);
  if (code) DoError(ArchiveFile(), "", code, "");
}

bool TUnRar::ProcessEntry(TUnrarArchive& rar, const RARHeaderDataEx& h, TCallbacks& callbacks) {
  const auto skip = [&] {
    const int r = rar.Process(RAR_SKIP);
    if (r != ERAR_SUCCESS && UnrarResultMessage(r))
      DoError(ArchiveFile(), "", UnrarResultMessage(r), "");
    return r == ERAR_SUCCESS;
  };
  const bool folder = HeaderIsDirectory(h);
  const WideString name = HeaderName(h, folder);
  if (!MatchesSpec(name)) return skip();
  // What cannot be extracted is said and passed over; a link could point anywhere, so it is
  // listed, never made.
  // A name the library had to cut would land under another file's name.
  const bool nameCut = wcsnlen(h.FileNameW, std::size(h.FileNameW)) + 1 >= std::size(h.FileNameW);
  const char* why = (h.Flags & RHDF_SPLITBEFORE) ? "the file begins in an earlier volume"
                    : nameCut && IsDiskMode()    ? "the name is longer than the library passes on"
                    : HeaderIsLink(h)            ? "a link: links are not made"
                    : HeaderIsSpecial(h)         ? "not a file or folder"
                                                 : nullptr;
  if (why) {
    if (IsDiskMode() || (h.Flags & RHDF_SPLITBEFORE)) DoError(name, why, msg::SkippedFile, "");
    return skip();
  }
  TUnEntry entry;
  entry.StoredName = name;
  entry.PackedSize = int64_t((uint64_t(h.PackSizeHigh) << 32) | h.PackSize);
  entry.UnpackedSize = int64_t((uint64_t(h.UnpSizeHigh) << 32) | h.UnpSize);
  if (h.FileTime) entry.DosDateTime = h.FileTime;
  if (h.MtimeLow || h.MtimeHigh) entry.UnixTime = HeaderUnixTime(h);
  if (h.HostOS == rar::kHostUnix) {
    entry.ExternalAttr = (folder ? kDosFolder : kDosArchive) | (h.FileAttr << 16);
    entry.HostSystem = rar::kHostUnix;
  } else {
    entry.ExternalAttr = h.FileAttr & 0xFFFF;
  }
  NoteEntryDate(entry.DosDateTime);
  if (!BuildOutputName(entry) || !PrepareEntry(folder) || folder) return skip();
  const WideString& shown = IsDiskMode() ? OutputName() : name;
  if (IsDiskMode() && !OpenOutput()) return skip();
  callbacks.Begin(shown, h.HashType == RAR_HASH_BLAKE2);
  const int r = rar.Process(RAR_TEST);
  TakeInput(uint64_t(entry.PackedSize));
  switch (r) {
    case ERAR_SUCCESS:
      FinishFile();
      // A RAR 5 entry may carry a BLAKE2sp hash instead of a CRC, or no check value at all.
      VerifyCRC(TCrcWidth::crc32, h.HashType == RAR_HASH_CRC32 ? h.FileCRC
                                  : callbacks.HashMatches(reinterpret_cast<const uint8_t*>(h.Hash))
                                      ? DataCrc()
                                      : DataCrc() ^ 1);
      return true;
    case ERAR_BAD_DATA:  // damaged data: the CRC verdict says so
      FinishFile();
      VerifyCRC(TCrcWidth::crc32, DataCrc() ^ 1);
      return true;
    default:
      AbandonOutput();
      if (UnrarResultMessage(r) && !(r == ERAR_MISSING_PASSWORD && callbacks.PasswordReported())) {
        // What the library cannot decode is named by the version that wrote it.
        const std::string version = r == ERAR_UNKNOWN_FORMAT
                                        ? std::string((h.Flags & RHDF_SOLID) ? "solid " : "") +
                                              "RAR " + std::to_string(h.UnpVer / 10) + "." +
                                              std::to_string(h.UnpVer % 10) + " data"
                                        : "";
        DoError(shown, version, UnrarResultMessage(r), "");
      }
      PassOver(shown);
      return EntryLocal(r);
  }
}

}  // namespace qel
