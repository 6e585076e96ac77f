#include "engine/list/ListSession.h"

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

void TListSession::BadHeader(const WideString& name) {
  Q.DoError(name, "", msg::BadFileHeader, Q.ArchiveFile());
}

}  // namespace qel
