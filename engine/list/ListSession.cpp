#include "engine/list/ListSession.h"

#include <algorithm>
#include <cstring>

#include "engine/base/Messages.h"
#include "engine/filters/Masks.h"
#include "engine/list/EntryText.h"

namespace qel {

void TListSession::Report(TEntryRecord& entry, int64_t offset, uint64_t storedPacked,
                          bool flatFilter) {
  if (Q.OnReadFile) Q.OnReadFile(Q, entry.FileName);
  auto excluded = [this](const std::string& name) {
    if (Q.OnExcludeFile) Q.OnExcludeFile(Q, name);
  };
  const bool passes =
      flatFilter ? MatchesSpecFlat(entry.FileName, Q.FileSpec, Q.ExcludeSpec, excluded)
                 : MatchesSpec(entry.FileName, Q.FileSpec, Q.ExcludeSpec, Q.RecurseDirs, excluded);
  if (!passes) return;
  const bool isFolder = !entry.FileName.empty() && entry.FileName.back() == '/';
  if (isFolder && !Q.ShowEmptyDirs) return;
  ++count_;
  if (!isFolder) {
    unpackTotal_ += uint64_t(entry.UnpackedSize);
    packTotal_ += storedPacked;
  }
  entry.Count = count_;
  Q.FEntry = entry;
  if (Q.OnReadBegin) Q.OnReadBegin(Q);
  Q.OnRead(Q, offset, count_);
  if (Q.OnReadEnd) Q.OnReadEnd(Q);
}

bool TListSession::ReadAt(int64_t pos, void* buffer, int64_t count) {
  constexpr int64_t kWindow = 1 << 16;
  if (!file_ || pos < 0 || count < 0 || pos > FileSize || count > FileSize - pos) return false;
  if (count > kWindow) return file_->ReadExactAt(pos, buffer, count);
  if (pos < windowPos_ || pos + count > windowPos_ + windowSize_) {
    window_.resize(size_t(kWindow));
    windowPos_ = pos;
    windowSize_ = file_->ReadAt(pos, window_.data(), std::min(kWindow, FileSize - pos));
    if (count > windowSize_) {
      windowSize_ = 0;
      return false;
    }
  }
  std::memcpy(buffer, window_.data() + (pos - windowPos_), size_t(count));
  return true;
}

void TListSession::BadHeader(const WideString& name) {
  Q.DoError(name, "", msg::BadFileHeader, Q.ArchiveFile());
}

}  // namespace qel
