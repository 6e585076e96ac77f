#include "formats/zip/ZipDiskRequest.h"

#include "engine/base/Bytes.h"
#include "engine/base/Messages.h"
#include "engine/base/ZipCommon.h"
#include "engine/detect/SpanDecision.h"
#include "engine/volumes/DiskManager.h"
#include "formats/zip/Records.h"

namespace qel {

namespace {

constexpr int kVolumeOutOfSequence = 25362;
// A handler that keeps answering "go on" without ever inserting the wanted disk would
// otherwise be asked for ever.
constexpr int kMaxAsks = 64;

const char* EventName(int state) {
  if (state == 0) return "OnGetZipLastDisk";
  return state == 1 ? "OnGetZipFirstDisk" : "OnGetZipNextDisk";
}

// A volume's own start (the span marker), or an entry's local or central header.
bool HoldsRecordAt(TStream64& file, int64_t position) {
  uint8_t bytes[4];
  if (!file.ReadExactAt(position, bytes, sizeof bytes)) return false;
  uint32_t signature = GetU32(bytes);
  if (signature == zip::kSigSpanMarker ||
      signature == zip::kSigSpanMarker + zip::kEncipheredDelta) {
    return true;
  }
  zip::RecordKind kind = zip::ClassifySignature(signature).Kind;
  return kind == zip::RecordKind::Local || kind == zip::RecordKind::Central;
}

}  // namespace

std::unique_ptr<TFileStream32> TZipDiskRequest::Request(int64_t position, int disk) {
  if (!EventAssigned()) {
    owner_.DoError(archiveFile_, EventName(state_), msg::RequiredEventNotAssigned, "");
    return Fail();
  }
  for (int asked = 0;; ++asked) {
    std::unique_ptr<TFileStream32> file = state_ == 0 ? FindLastDisk() : FindDisk(position, disk);
    if (file && file->SetPosition(0)) {
      ++state_;
      return file;
    }
    if (asked == kMaxAsks) {
      owner_.DoError(archiveFile_, "", kVolumeOutOfSequence, "");
      return Fail();
    }
    if (!Ask()) return Fail();
  }
}

std::unique_ptr<TFileStream32> TZipDiskRequest::FindLastDisk() {
  std::unique_ptr<TFileStream32> file = TFileStream32::Open(archiveFile_, fmOpenRead);
  if (!file) return nullptr;
  TDetectResult found;
  DetectArcType(*file, TDetectInput{archiveFile_, owner_.Drives, &owner_.SeedHeaderKeys}, found);
  if (!found.HeadFlag.Has(THeaderType::htEnding)) return nullptr;
  lastDisk_ = std::move(found);
  return file;
}

std::unique_ptr<TFileStream32> TZipDiskRequest::FindDisk(int64_t position, int disk) {
  std::unique_ptr<TFileStream32> file = TFileStream32::Open(archiveFile_, fmOpenRead);
  if (!file) return nullptr;
  bool spanned = false;
  if (owner_.Drives != nullptr) {
    spanned = detect::SpanOrSplit(*owner_.Drives, archiveFile_) == atZipDS;
    TDiskManager disks(*owner_.Drives);
    // A numbered label names the disk for certain. Content alone would mislead: the first
    // disk starts with the span marker and many disks start with a local header, while the
    // wanted disk may start in the middle of an entry.
    if (spanned && disks.Read(archiveFile_) && disks.Info().DiskNumber != 0) {
      return disks.Info().DiskNumber == disk ? std::move(file) : nullptr;
    }
  }
  if (position < file->Size()) return HoldsRecordAt(*file, position) ? std::move(file) : nullptr;
  // Beyond the file: a split volume will do, a spanned disk only by its number.
  return spanned ? nullptr : std::move(file);
}

bool TZipDiskRequest::EventAssigned() const {
  if (state_ == 0) return bool(owner_.OnGetZipLastDisk);
  return state_ == 1 ? bool(owner_.OnGetZipFirstDisk) : bool(owner_.OnGetZipNextDisk);
}

bool TZipDiskRequest::Ask() {
  // The last-disk question starts at Cancel: a handler has to say that the disk is in.
  bool cancel = state_ == 0;
  owner_.Timer.Pause();
  if (state_ == 0)
    owner_.OnGetZipLastDisk(owner_, cancel);
  else if (state_ == 1)
    owner_.OnGetZipFirstDisk(owner_, cancel);
  else
    owner_.OnGetZipNextDisk(owner_, std::to_string(state_), cancel);
  owner_.Timer.Resume();
  return !cancel;
}

std::unique_ptr<TFileStream32> TZipDiskRequest::Fail() {
  owner_.SetCancel(true);
  return nullptr;
}

}  // namespace qel
