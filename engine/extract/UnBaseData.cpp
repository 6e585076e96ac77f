// The data side of TUnBase: the output file, the two routines the codecs call, and what
// happens when an entry's data is complete.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <filesystem>

#include "codecs/checksum/Crc.h"
#include "engine/base/Messages.h"
#include "engine/extract/SafeFiles.h"
#include "engine/extract/UnBase.h"
#include "engine/streams/DataDecipher.h"
#include "engine/streams/FileStream32.h"

namespace qel {
namespace fs = std::filesystem;

namespace {

constexpr uint8_t kHostUnix = 3;
constexpr uint32_t kDosReadOnly = 0x01;
constexpr uint32_t kDosArchiveOnly = 0x20;

}  // namespace

bool TUnBase::OpenOutput(bool checked) {
  FOutput.reset();
  FCreatedMode.reset();
  if (OutputMode() == TOutputMode::Continue) {
    // Only the file this operation made may be continued, never one that was there.
    if (FOutName == FLastCreated) FOutput = TOutputFile::Append(FOutName);
    if (!FOutput) DoError(FOutName, "", msg::ErrorOpeningFile, "");
    return FOutput != nullptr;
  }
  if (!IsDiskMode()) return true;
  fs::path path(FOutName);
  TFolderCache& folders = FUserChosen ? FChosen : FFolders;
  int err = 0;
  // Twice at most: a kept folder may have been removed since, and is then made anew.
  for (int attempt = 0; attempt < 2 && !FOutput; ++attempt) {
    if (attempt > 0) folders.Clear();
    const int folder = OpenFolderFor(path.parent_path().string());
    if (folder < 0) return false;
    FOutput =
        TOutputFile::Create(folder, path.filename().string(), FOutName, checked && FOutAbsent);
    err = errno;
    if (err != ENOENT) break;
  }
  if (!FOutput) {
    DoError(FOutName, "", err == EISDIR ? msg::FileIsDirectory : msg::ErrorOpeningFile, "");
    return false;
  }
  if (!folders.CreatedMode) {
    struct stat st {};
    if (::fstat(FOutput->Handle(), &st) == 0) folders.CreatedMode = unsigned(st.st_mode & 07777);
  }
  FCreatedMode = folders.CreatedMode;
  return true;
}

int64_t TUnBase::TimeToSet() const {
  switch (DateAttribute) {
    case TDateAttribute::daSysDate:
      return int64_t(std::time(nullptr));
    case TDateAttribute::daMaxFileDate:
      if (FNewestDate != 0) return DosDateTimeToUnix(FNewestDate);
      break;
    case TDateAttribute::daFileDate:
      break;
  }
  return CurrentEntryTime();
}

std::optional<unsigned> TUnBase::UnixModeToSet() const {
  const unsigned unixMode = FEntry.ExternalAttr >> 16;
  if (!RestoreFileAttr || FEntry.HostSystem != kHostUnix || unixMode == 0) return std::nullopt;
  // Permission bits only: an archive never hands out setuid, setgid or sticky.
  return unixMode & 0777 & ~FUmask;
}

void TUnBase::ApplyAttributes() {
  uint32_t attr = FEntry.ExternalAttr;
  if (!RestoreFileAttr || attr == kDosArchiveOnly) return;
  if (const std::optional<unsigned> mode = UnixModeToSet()) {
    if (FCreatedMode != *mode) FOutput->SetMode(*mode);
  } else if (attr & kDosReadOnly) {
    struct stat st {};
    if (::fstat(FOutput->Handle(), &st) == 0) FOutput->SetMode(st.st_mode & 0777 & ~0222u);
  }
}

void TUnBase::FinishFile() {
  if (!FOutput) {
    if (!IsDiskMode()) FOutName = FEntry.StoredName;
    return;
  }
  if (IsDiskMode()) {
    FOutput->SetTime(TimeToSet());
    ApplyAttributes();
  }
  // Kept for its verdict: only data that passed takes the entry's name.
  if (!FOutput->Close()) DoError(FOutName, "", msg::ErrorClosingFile, "");
}

void TUnBase::AbandonOutput() { FOutput.reset(); }

TReadAt TUnBase::HeaderReadAt() {
  TFileStream32* volume = ArchiveStream();
  FHeaderWindow.Use(volume, volume ? volume->Size() : 0);
  return [this](int64_t at, uint8_t* data, int64_t size) {
    return FHeaderWindow.ReadAt(at, data, size);
  };
}

TDecodeResult TUnBase::DecodeWith(TCrcWidth width, const TEntryDecoder& decode) {
  const TCodecSource source = [this](uint8_t* buffer, size_t size) {
    return ReadInput(buffer, size, true);
  };
  const TCodecSink sink = [this, width](std::span<const uint8_t> data) {
    WriteOutput(data.data(), data.size(), width);
    return true;
  };
  return decode(source, sink);
}

void TUnBase::DecodeEntry(int64_t dataStart, TCrcWidth width, uint32_t crc,
                          const TEntryDecoder& decode) {
  if (!ArchiveStream()->SetPosition(dataStart)) {
    DoError(FEntry.StoredName, "", msg::ErrorReadingFile, "");
    PassOver(FOutName);
    return;
  }
  if (!OpenOutput()) return;
  TDecodeResult result;
  try {
    result = DecodeWith(width, decode);
  } catch (const E_RAISE&) {
    AbandonOutput();
    return;
  }
  FinishFile();
  const bool whole =
      result.Status == TDecodeStatus::Ok && result.Decoded == uint64_t(FEntry.UnpackedSize);
  VerifyCRC(width, whole ? crc : DataCrc() ^ 1);
}

void TUnBase::PassOver(const WideString& name) {
  --FCount;
  if (OnEnd) OnEnd(*this, name, false);
}

void TUnBase::RestartEntryData() {
  FOutput.reset();
  FCrc = 0;
  FileBytesLeft = FEntry.UnpackedSize;
  FPackedLeft = FEntry.PackedSize;
}

void TUnBase::ReleaseOutput() {
  FOutput.reset();
  FFolderFacts.clear();
  // Folders may change between operations: the next one walks down afresh.
  FFolders.Clear();
  FChosen.Clear();
}

bool TUnBase::VerifyCRC(TCrcWidth width, uint32_t stored) {
  uint32_t mask = width == TCrcWidth::crc32 ? 0xFFFFFFFFu : 0xFFFFu;
  stored &= mask;
  bool pass = !Cancel() && (stored == (FCrc & mask) || stored == (~FCrc & mask));
  const WideString& name = IsDiskMode() ? FOutName : FEntry.StoredName;
  bool committed = true;
  if (pass && FOutput) {
    committed = FOutput->Commit();
    if (committed) FLastCreated = FOutName;
  }
  const int err = errno;
  FOutput.reset();  // a file that failed goes, and what it was to replace stays
  if (OnEnd) OnEnd(*this, name, pass && committed);
  if (!pass) DoError(name, "", msg::CrcCheckFailed, "");
  if (!committed)
    DoError(name, "", err == EISDIR ? msg::FileIsDirectory : msg::ErrorCreatingFile, "");
  return pass && committed;
}

void TUnBase::WriteOutput(const uint8_t* data, size_t size, TCrcWidth width) {
  if (Cancel()) throw ECancelled();
  FCrc = width == TCrcWidth::crc32 ? Crc32(FCrc, data, size)
                                   : Crc16(static_cast<uint16_t>(FCrc), data, size);
  Deliver(data, size);
}

void TUnBase::WriteOutputWithCrc(const uint8_t* data, size_t size, uint32_t crc) {
  if (Cancel()) throw ECancelled();
  FCrc = Crc32Combine(FCrc, crc, size);
  Deliver(data, size);
}

void TUnBase::Deliver(const uint8_t* data, size_t size) {
  if (OutputMode() != TOutputMode::Test && FOutput &&
      !FOutput->WriteFully(data, static_cast<int64_t>(size))) {
    FOutput.reset();
    ReportAndRaise(FOutName, msg::ErrorWritingFile, "", "");
  }
  FileBytesLeft -= static_cast<int64_t>(size);
  ReportProgress(FEntry.UnpackedSize, FEntry.UnpackedSize - FileBytesLeft, FArchiveTotal,
                 FArchiveTotal - ArchiveBytesLeft);
}

void TUnBase::TakeInput(uint64_t size) {
  const int64_t n = int64_t(std::min<uint64_t>(size, uint64_t(std::max<int64_t>(FPackedLeft, 0))));
  FPackedLeft -= n;
  ArchiveBytesLeft -= n;
}

size_t TUnBase::ReadInput(uint8_t* buffer, size_t size, bool decrypt) {
  size_t want = static_cast<size_t>(
      std::min<int64_t>(static_cast<int64_t>(size), std::max<int64_t>(FPackedLeft, 0)));
  size_t got = 0;
  while (got < want && ArchiveStream()) {
    TFileStream32& volume = *ArchiveStream();
    int64_t n = volume.Read(buffer + got, static_cast<int64_t>(want - got));
    if (n > 0) {
      got += static_cast<size_t>(n);
      continue;
    }
    // A read that fails inside a volume is an error, not the volume's end.
    if (volume.Position() < volume.Size()) break;
    if (!OpenNextVolume()) {
      FPackedLeft = 0;  // the rest is out of reach: asked for once, not at every read
      break;
    }
  }
  if (got == 0) return 0;
  if (decrypt && FEntry.Decipher) FEntry.Decipher->Decipher(buffer, got);
  FPackedLeft -= static_cast<int64_t>(got);
  ArchiveBytesLeft -= static_cast<int64_t>(got);
  ReportProgress(FEntry.UnpackedSize, FEntry.UnpackedSize - FileBytesLeft, FArchiveTotal,
                 FArchiveTotal - ArchiveBytesLeft);
  return got;
}

}  // namespace qel
