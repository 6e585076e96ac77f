#include "formats/zip/DiskSpanObj.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <numeric>

#include "engine/base/Bytes.h"
#include "engine/base/Messages.h"
#include "engine/base/ZipCommon.h"
#include "engine/streams/FileStream32.h"
#include "engine/streams/SinkStream.h"
#include "formats/zip/HeaderCrypt.h"
#include "formats/zip/RecordReader.h"

namespace qel {

namespace {

// Room kept free on every disk beyond what the user asks to leave on the first.
constexpr int64_t kReserve = 10000;
constexpr int64_t kCopyBlock = 64 * 1024;
// Handlers that keep offering unusable disks, or keep asking to retry, would otherwise be
// asked for ever.
constexpr int kMaxAsks = 64;
// Disk numbers are stored in 16 bits in the entries' records.
constexpr int kMaxDisks = 0xFFFF;
constexpr int kVolumeOutOfSequence = 25362;

// Counts what is written, from `start` on, to measure the directory where it will go.
class TCountingSink : public TSinkStream {
 public:
  explicit TCountingSink(int64_t start) { written_ = start; }
  int64_t Write(const void*, int64_t count) override {
    written_ += count;
    return count;
  }
};

// Runs a question to the user with the operation's clock stopped.
template <typename F>
void Ask(TZipCommon& owner, F&& ask) {
  owner.Timer.Pause();
  ask();
  owner.Timer.Resume();
}

}  // namespace

TDiskSpanObj::TDiskSpanObj(TZipCommon& owner, std::string archiveFile, TSpanSource source,
                           int64_t leaveSpaceOnFirstDisk)
    : owner_(owner),
      archiveFile_(std::move(archiveFile)),
      source_(std::move(source)),
      leaveSpace_(std::max<int64_t>(0, leaveSpaceOnFirstDisk)),
      disks_(owner.Drives ? *owner.Drives : platform::SystemDrives()) {}

TDiskSpanObj::~TDiskSpanObj() = default;

bool TDiskSpanObj::Write() {
  owner_.ReportProgress(0, 0, 0, 0);
  std::vector<TExtent> extents;
  if (!Plan(extents)) return false;
  int64_t whole = DirectorySize();
  for (const TExtent& e : extents) whole += e.Size;

  disk_ = 1;
  reserve_ = leaveSpace_ + kReserve;
  if (!PrepareDisk()) return false;
  // An archive that fits the first disk with room to spare stays a plain one-disk archive.
  if (whole + kReserve > room_) {
    uint8_t marker[4];
    PutU32(marker, zip::kSigSpanMarker);
    if (!Put(marker, sizeof marker)) return false;
  }
  const int64_t count = int64_t(extents.size());
  for (int64_t done = 0; done < count; ++done) {
    const TExtent& e = extents[size_t(done)];
    zip::TCentralRecord& rec = source_.Records[e.Record];
    if (owner_.Cancel()) return false;
    // A local header is never cut: the reader finds it whole where its record points.
    if (e.HeaderSize > room_ && !NextDisk(e.HeaderSize)) return false;
    rec.Header.DiskStart = uint16_t(disk_ - 1);
    rec.Offset = uint64_t(written_);
    if (!Copy(e.Offset, e.Size)) return false;
    owner_.ReportProgress(e.Size, e.Size, count, done + 1);
  }
  // The directory goes whole onto the last disk.
  const int64_t directory = DirectorySize();
  if (directory > room_ && !NextDisk(directory)) return false;
  if (!zip::WriteCentralDirectory(*file_, source_.Records, source_.Comment, source_.HeaderSeed,
                                  uint32_t(disk_ - 1)))
    return Fail(archiveFile_, "", msg::ErrorWritingFile);
  file_.reset();
  return true;
}

// Entries in the order they lie in the archive, each running to the next one's start.
bool TDiskSpanObj::Plan(std::vector<TExtent>& extents) {
  std::vector<size_t> order(source_.Records.size());
  std::iota(order.begin(), order.end(), size_t(0));
  std::ranges::sort(order, {}, [this](size_t i) { return source_.Records[i].Offset; });
  const int64_t end = std::min(source_.EntriesEnd, source_.Archive.Size());
  for (size_t n = 0; n < order.size(); ++n) {
    const zip::TCentralRecord& rec = source_.Records[order[n]];
    const uint64_t next = n + 1 < order.size() ? source_.Records[order[n + 1]].Offset
                                               : uint64_t(std::max<int64_t>(end, 0));
    zip::TRecordBytes local;
    if (rec.Offset >= next ||
        zip::ReadZipRecord(source_.Archive, int64_t(rec.Offset), zip::RecordKind::Local,
                           zip::ComponentHeaderDecipher(owner_), local) != zip::TRecordRead::Ok ||
        rec.Offset + uint64_t(local.Size) > next)
      return Fail(rec.Name, "", msg::BadLocalOffset);
    extents.push_back({order[n], int64_t(rec.Offset), local.Size, int64_t(next - rec.Offset)});
  }
  return true;
}

int64_t TDiskSpanObj::DirectorySize() {
  TCountingSink sink(written_);
  zip::WriteCentralDirectory(sink, source_.Records, source_.Comment, source_.HeaderSeed,
                             uint32_t(std::max(disk_ - 1, 0)));
  return sink.Size() - written_;
}

bool TDiskSpanObj::PrepareDisk() {
  if (disk_ > kMaxDisks) return Fail(archiveFile_, "", msg::MaximumVolumes);
  for (int asked = 0; asked < kMaxAsks; ++asked) {
    if (!owner_.OnInsertDisk)
      return Fail(archiveFile_, "OnInsertDisk", msg::RequiredEventNotAssigned);
    bool cancel = false;
    Ask(owner_, [&] { owner_.OnInsertDisk(owner_, std::to_string(disk_), cancel); });
    if (cancel) return Canceled();
    switch (CheckDisk()) {
      case TDiskCheck::Accepted:
        return CreateFile();
      case TDiskCheck::Failed:
        return false;
      case TDiskCheck::Refused:
        break;
    }
  }
  return Fail(archiveFile_, "", refusedCode_);
}

TDiskSpanObj::TDiskCheck TDiskSpanObj::CheckDisk() {
  if (!CheckDrive()) return TDiskCheck::Failed;
  // Before anything on the disk is touched: the disk just filled may be back in the drive.
  // A medium without a serial cannot be told apart this way; the question about the
  // existing file below still guards its contents.
  if (serial_ != 0 && disks_.Info().SerialNumber == serial_) {
    refusedCode_ = kVolumeOutOfSequence;
    return TDiskCheck::Refused;
  }
  std::error_code ec;
  if (std::filesystem::exists(archiveFile_, ec)) {
    if (!owner_.OnDiskSpanFileExists) {
      Fail(archiveFile_, "OnFileExists", msg::RequiredEventNotAssigned);
      return TDiskCheck::Failed;
    }
    TOverwriteMode mode = TOverwriteMode::omOverwrite;
    Ask(owner_, [&] { owner_.OnDiskSpanFileExists(owner_, archiveFile_, mode); });
    if (mode == TOverwriteMode::omSkip) {
      Canceled();
      return TDiskCheck::Failed;
    }
    if (!std::filesystem::remove(archiveFile_, ec)) {
      Fail(archiveFile_, "", msg::ErrorDeletingFiles);
      return TDiskCheck::Failed;
    }
    if (!CheckDrive()) return TDiskCheck::Failed;
  }
  if (disks_.Info().FreeBytes < disks_.Info().TotalBytes) {
    TDiskCheck cleared = ClearDisk();
    if (cleared != TDiskCheck::Accepted) return cleared;
  }
  if (disks_.Info().FreeBytes < reserve_) {
    refusedCode_ = msg::NotEnoughDiskSpace;
    return TDiskCheck::Refused;
  }
  return TDiskCheck::Accepted;
}

// A disk holding other files: the user may clear it until it offers the reserve.
TDiskSpanObj::TDiskCheck TDiskSpanObj::ClearDisk() {
  if (!owner_.OnClearDisk) {
    if (disks_.Info().FreeBytes >= reserve_) return TDiskCheck::Accepted;
    Fail(archiveFile_, "OnClearDisk", msg::RequiredEventNotAssigned);
    return TDiskCheck::Failed;
  }
  for (int asked = 0; asked < kMaxAsks; ++asked) {
    const TDiskInfo info = disks_.Info();
    bool cancel = false;
    Ask(owner_, [&] {
      owner_.OnClearDisk(owner_, info.DriveRoot, cancel, info.TotalBytes, info.FreeBytes, reserve_);
    });
    if (cancel) {
      Canceled();
      return TDiskCheck::Failed;
    }
    if (!CheckDrive()) return TDiskCheck::Failed;
    if (disks_.Info().FreeBytes >= reserve_) return TDiskCheck::Accepted;
  }
  refusedCode_ = msg::NotEnoughDiskSpace;
  return TDiskCheck::Refused;
}

bool TDiskSpanObj::CheckDrive() {
  TDriveNotReadyEvent notReady;
  if (owner_.OnDiskInDrvErr) {
    notReady = [this](const WideString& drive) {
      bool retry = false;
      Ask(owner_, [&] { owner_.OnDiskInDrvErr(owner_, drive, retry); });
      return retry;
    };
  }
  return disks_.CheckDrive(archiveFile_, notReady, [this](const WideString& drive, int code) {
    owner_.DoError(drive, "", code, "");
  });
}

bool TDiskSpanObj::CreateFile() {
  for (int asked = 0;; ++asked) {
    file_ = TFileStream32::Open(archiveFile_, fmCreate);
    if (file_) break;
    const bool protectedDisk = errno == EROFS || errno == EACCES || errno == EPERM;
    bool retry = false;
    if (protectedDisk && owner_.OnDiskWriteProtectErr && asked < kMaxAsks)
      Ask(owner_, [&] { owner_.OnDiskWriteProtectErr(owner_, disks_.Info().DriveRoot, retry); });
    if (!retry) return Fail(archiveFile_, "", msg::ErrorCreatingFile);
  }
  room_ = disks_.Info().FreeBytes - (disk_ == 1 ? leaveSpace_ : 0);
  written_ = 0;
  serial_ = disks_.Info().SerialNumber;
  return true;
}

bool TDiskSpanObj::NextDisk(int64_t need) {
  file_.reset();
  ++disk_;
  reserve_ = std::max(kReserve, need);
  return PrepareDisk();
}

bool TDiskSpanObj::Copy(int64_t from, int64_t count) {
  std::vector<uint8_t> buffer(size_t(std::min(count, kCopyBlock)));
  while (count > 0) {
    if (owner_.Cancel()) return false;
    if (room_ == 0 && !NextDisk(0)) return false;
    const int64_t n = std::min({count, room_, kCopyBlock});
    if (!source_.Archive.ReadExactAt(from, buffer.data(), n))
      return Fail(archiveFile_, "", msg::ErrorReadingFile);
    if (!Put(buffer.data(), n)) return false;
    from += n;
    count -= n;
  }
  return true;
}

// Callers keep within the room left on the disk.
bool TDiskSpanObj::Put(const void* data, int64_t count) {
  if (!file_->WriteFully(data, count)) return Fail(archiveFile_, "", msg::ErrorWritingFile);
  room_ -= count;
  written_ += count;
  return true;
}

bool TDiskSpanObj::Fail(const WideString& fileName, const WideString& extended, int code) {
  owner_.DoError(fileName, extended, code, "");
  return false;
}

bool TDiskSpanObj::Canceled() {
  owner_.SetCancel(true);
  return false;
}

}  // namespace qel
