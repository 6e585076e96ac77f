#include "formats/zip/ZipSplitGlue.h"

#include <algorithm>
#include <filesystem>

#include "engine/base/FileSystem.h"
#include "engine/base/Messages.h"
#include "engine/streams/TempStreams.h"
#include "formats/zip/DirectoryCopy.h"
#include "formats/zip/EntryCopy.h"
#include "formats/zip/HeaderCrypt.h"
#include "formats/zip/JoinedVolumes.h"
#include "formats/zip/ZipTail.h"

namespace qel {
WideString TZipSplitGlue::MergedName(const WideString& lastPart) {
  const std::filesystem::path p(lastPart);
  return (p.parent_path() / (p.stem().string() + "_merged.zip")).string();
}

int TZipSplitGlue::Merge() {
  using namespace zip;
  int copied = 0;
  FMerged = false;
  RunOperation([&] {
    const WideString& set = ArchiveFile();
    if (set.empty() || ArcType() != atZipMV)
      ReportAndRaise(set, msg::UnsupportedArchiveType, "", "");
    if (SameFile(set, OutArchiveFile)) ReportAndRaise(OutArchiveFile, msg::SameInputOutput, "", "");
    if (!ApproveReplace(OutArchiveFile)) ReportAndRaise(OutArchiveFile, msg::UserCanceled, "", "");

    const TCentralDirLocation& tail = ZipTail(*this);
    const uint64_t disks = tail.Locator ? tail.Locator->TotalDisks : uint64_t(tail.ThisDisk()) + 1;
    TJoinedVolumes volumes;
    if (disks > 999 || !volumes.Find(*this, set, int(disks)))
      ReportAndRaise(set, Cancel() ? msg::UserCanceled : msg::FileNotFound, "", "");
    for (int v = 1; v <= int(disks); ++v) {
      if (SameFile(OutArchiveFile, volumes.Name(v)))
        ReportAndRaise(OutArchiveFile, msg::SameInputOutput, "", "");
    }
    const THeaderDecipher decipher = ComponentHeaderDecipher(*this);
    const TReadAt readAt = volumes.Reader();
    const std::optional<std::vector<TDirEntry>> entries = ReadDirectory(
        readAt, volumes.Size(), volumes.Position(tail.CentralDisk(), tail.CentralOffset()),
        tail.CentralSize(), tail.TotalEntries(), decipher);
    if (!entries) ReportAndRaise(set, msg::UnsupportedArchiveType, "", "");
    if (OnGetFileCount) OnGetFileCount(*this, int(std::min<size_t>(entries->size(), INT32_MAX)));

    const std::string folder = std::filesystem::path(OutArchiveFile).parent_path().string();
    std::unique_ptr<TTempFileStream> out = TTempFileStream::Create(folder);
    if (!out) ReportAndRaise(OutArchiveFile, msg::ErrorCreatingFile, "", "");
    out->Durable = false;  // the set stays where it is
    TEntryCopy copy(*this, readAt, volumes.Size(), [&volumes](int64_t pos, int fd, int64_t n) {
      return volumes.CopyTo(pos, fd, n);
    });
    for (const TDirEntry& e : *entries)
      copy.Copy(e, volumes.Position(e.Disk, e.LocalOffset), *out, out->Handle());
    if (!copy.Finish(*out, tail.Comment, tail.EndEnciphered ? &SeedHeaderKeys : nullptr) ||
        !out->Commit(OutArchiveFile))
      ReportAndRaise(OutArchiveFile, msg::ErrorWritingFile, "", "");
    copied = int(std::min<size_t>(entries->size(), INT32_MAX));
    FMerged = true;
  });
  return copied;
}

}  // namespace qel
