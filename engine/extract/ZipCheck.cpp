#include "engine/extract/ZipCheck.h"

#include <memory>
#include <utility>

#include "engine/base/Messages.h"
#include "engine/extract/DecompressClass.h"
#include "engine/registry/Formats.h"

namespace qel {
namespace {

bool IsFolderName(const WideString& name) { return !name.empty() && name.back() == '/'; }

// Raises the cancel flag of `c` without reporting 25361 again: it was reported where the
// cancel began.
void CancelQuietly(TZipCommon& c) {
  TErrorEvent report = std::exchange(c.OnError, nullptr);
  c.SetCancel(true);
  c.OnError = std::move(report);
}

}  // namespace

// Readers translate OEM names by default; the tester hands its setting on, so it starts
// with theirs.
TZipCheck::TZipCheck() { TranslateOemChar = true; }

TZipCheck::~TZipCheck() = default;

bool TZipCheck::CanTest(TArcType type) { return Can(type, capTest); }

int TZipCheck::Test() {
  SetCancel(false);  // a cancel of the last run must not turn this run's errors into 25361
  FPassed = 0;
  if (ArchiveFile().empty() || !CanTest(ArcType())) {
    DoError(ArchiveFile(), "", msg::UnsupportedArchiveType, ArchiveFile());
    return 0;
  }
  if (!OnStatus) {
    DoError(ArchiveFile(), "OnStatus", msg::RequiredEventNotAssigned, "");
    return 0;
  }
  RunOperation([this] {
    const TFormatDescriptor& format = *FormatOf(ArcType());
    if (!format.MakeReader) {
      // Tested by a component over an outside library, which the engine does not have.
      DoError(ArchiveFile(), "",
              format.LibraryMissing ? format.LibraryMissing : msg::UnsupportedArchiveType,
              ArchiveFile());
      return;
    }
    Run(*format.MakeReader());
  });
  return FPassed;
}

void TZipCheck::Run(TDecompressClass& reader) {
  FOpenEntry.reset();
  FLastVerdict.clear();
  Connect(reader);
  reader.Drives = Drives;
  try {
    reader.SetArchiveFile(ArchiveFile());
  } catch (const E_RAISE& e) {
    DoError(ArchiveFile(), "", e.ECode, ArchiveFile());
    return;
  }
  if (reader.ArchiveFile().empty()) {
    DoError(ArchiveFile(), "", msg::FileNotFound, ArchiveFile());
    return;
  }
  // The file may have changed since its type was set: a reader never runs over a format
  // that is not its own.
  if (reader.ArcType() != ArcType()) {
    DoError(ArchiveFile(), "", msg::UnsupportedArchiveType, ArchiveFile());
    return;
  }
  reader.CreateStoredDirs = false;
  reader.UseStoredDirs = false;
  reader.Passwords = Passwords;
  reader.SetPassword(Password());
  reader.PasswordAttempts = PasswordAttempts;
  reader.Threads = Threads;
  reader.SeedDataKeys = SeedDataKeys;
  reader.SeedHeaderKeys = SeedHeaderKeys;
  reader.FileSpec = FileSpec;
  reader.ExcludeSpec = ExcludeSpec;
  reader.RecurseDirs = RecurseDirs;
  reader.Attributes = Attributes;
  reader.AttributesEx = AttributesEx;
  reader.TranslateOemChar = TranslateOemChar;
  reader.Test();
  SettleOpenEntry(reader);
  if (reader.Cancel() && !Cancel()) CancelQuietly(*this);
  Passwords = reader.Passwords;
  SetPassword(reader.Password());
}

template <typename... Args>
std::function<void(TZipCommon&, Args...)> TZipCheck::Relay(
    std::function<void(TZipCommon&, Args...)>& event, TDecompressClass& reader, bool always) {
  if (!event && !always) return nullptr;  // the reader behaves as without a handler
  return [this, &event, &reader](TZipCommon&, Args... args) {
    FileName = reader.FileName;
    if (event) event(*this, std::forward<Args>(args)...);
    FollowCancel(reader);
  };
}

void TZipCheck::Connect(TDecompressClass& reader) {
  // Activation, deactivation and elapsed time are this component's own, around the run.
  reader.OnGetPassword = Relay(OnGetPassword, reader);
  reader.OnGetZipFirstDisk = Relay(OnGetZipFirstDisk, reader);
  reader.OnGetZipNextDisk = Relay(OnGetZipNextDisk, reader);
  reader.OnGetZipLastDisk = Relay(OnGetZipLastDisk, reader);
  reader.OnCorruptZipHeader = [this, corrupt = Relay(OnCorruptZipHeader, reader)](
                                  TZipCommon& sender, THeaderTypeState flags, bool& cancel) {
    if (corrupt) return corrupt(sender, flags, cancel);
    // Without an answer the reader would test nothing, which must not read as nothing
    // wrong: the damage is reported and the entries found by their local headers tested.
    DoError(ArchiveFile(), "", msg::BadFileHeader, ArchiveFile());
    cancel = false;
  };
  reader.OnFileExists = Relay(OnFileExists, reader);
  reader.OnNextVolume = Relay(OnNextVolume, reader);
  reader.OnProgress = Relay(OnProgress, reader, true);

  const TBeginEvent begin = Relay(OnBegin, reader, true);
  reader.OnBegin = [this, &reader, begin](TZipCommon& sender, const WideString& file, int count,
                                          bool& extract) {
    if (!IsFolderName(file)) SettleOpenEntry(reader);
    begin(sender, file, count, extract);
    if (!IsFolderName(file) && extract && !Cancel()) FOpenEntry = file;
  };
  reader.OnEnd = [this, &reader](TZipCommon&, const WideString& file, bool pass) {
    FileName = reader.FileName;
    FOpenEntry.reset();
    Verdict(file, pass);
    FollowCancel(reader);
  };
  const TErrorEvent error = Relay(OnError, reader, true);
  reader.OnError = [this, &reader, error](TZipCommon& sender, const WideString& file,
                                          const WideString& ext, const WideString& volume,
                                          int code) {
    error(sender, file, ext, volume, code);
    // An error naming an entry that was neither begun nor judged: the reader passed it
    // over (its local header is damaged, its encryption unknown), so it failed. Errors
    // about the archive or a volume name a path, never an entry.
    const bool entry = !file.empty() && !IsFolderName(file) && file != ArchiveFile() &&
                       file != volume && file != reader.VolumeName();
    if (entry && !Cancel() && !reader.Cancel() && file != FLastVerdict && FOpenEntry != file)
      Verdict(file, false);
  };
}

void TZipCheck::FollowCancel(TDecompressClass& reader) {
  if (Cancel() && !reader.Cancel()) CancelQuietly(reader);
}

void TZipCheck::SettleOpenEntry(TDecompressClass& reader) {
  if (!FOpenEntry || Cancel() || reader.Cancel()) return;
  const WideString name = *std::exchange(FOpenEntry, std::nullopt);
  Verdict(name, false);
}

void TZipCheck::Verdict(const WideString& name, bool pass) {
  FLastVerdict = name;
  if (IsFolderName(name)) return;
  if (pass) ++FPassed;
  OnStatus(*this, name, pass);
  if (OnEnd) OnEnd(*this, name, pass);
}

}  // namespace qel
