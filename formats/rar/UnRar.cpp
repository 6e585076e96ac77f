#include "formats/rar/UnRar.h"

#include <memory>

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

  void Begin(const WideString& name) {
    name_ = name;
    passwordReported_ = false;
  }
  // The password steps already said why no password came.
  bool PasswordReported() const { return passwordReported_; }

 protected:
  bool Data(const uint8_t* data, size_t size) override {
    reader_.WriteOutput(data, size, TCrcWidth::crc32);
    return !reader_.Cancel();
  }
  bool Password(std::string& password) override {
    // Without the event nobody can be asked, whatever password is held.
    if (!reader_.OnGetPassword) return false;
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
        if (MatchesSpec(e.Name)) {
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
  // The end of the archive is where every walk ends, not an error.
  if (r == ERAR_SUCCESS || r == ERAR_END_ARCHIVE || Cancel()) return;
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
  if (HeaderIsLink(h)) {
    // A link could point anywhere: it is listed, never made.
    if (IsDiskMode()) DoError(name, "a link: links are not made", msg::SkippedFile, "");
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
  callbacks.Begin(shown);
  const int r = rar.Process(RAR_TEST);
  TakeInput(uint64_t(entry.PackedSize));
  switch (r) {
    case ERAR_SUCCESS:
      FinishFile();
      // A RAR 5 entry may carry another hash than a CRC; the library checked it.
      VerifyCRC(TCrcWidth::crc32, h.HashType == RAR_HASH_CRC32 ? h.FileCRC : DataCrc());
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
                                        ? "RAR " + std::to_string(h.UnpVer / 10) + "." +
                                              std::to_string(h.UnpVer % 10) + " data"
                                        : "";
        DoError(shown, version, UnrarResultMessage(r), "");
      }
      PassOver(shown);
      return EntryLocal(r);
  }
}

}  // namespace qel
