#include "formats/zip/ZipSplitGlue.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "engine/base/FileSystem.h"
#include "engine/base/Messages.h"
#include "engine/streams/TempStreams.h"
#include "formats/zip/DirectoryCopy.h"
#include "formats/zip/DirectoryWriter.h"
#include "formats/zip/HeaderCrypt.h"
#include "formats/zip/JoinedVolumes.h"
#include "formats/zip/ZipTail.h"

namespace qel {
namespace {

using namespace zip;

// Large entries are copied in pieces, so that progress moves and a cancel is heard.
constexpr int64_t kCopyPiece = int64_t(16) << 20;

}  // namespace

int TZipSplitGlue::Merge() {
  int copied = 0;
  RunOperation([&] {
    const WideString& set = ArchiveFile();
    if (set.empty() || ArcType() != atZipMV)
      ReportAndRaise(set, msg::UnsupportedArchiveType, "", "");
    if (SameFile(set, OutArchiveFile)) ReportAndRaise(OutArchiveFile, msg::SameInputOutput, "", "");
    struct stat st {};
    if (::lstat(OutArchiveFile.c_str(), &st) == 0) {
      if (!OnFileExists) ReportAndRaise("OnFileExists", msg::RequiredEventNotAssigned, "", "");
      WideString newName = OutArchiveFile;
      TOverwriteMode mode = TOverwriteMode::omSkip;
      OnFileExists(*this, OutArchiveFile, newName, mode);
      if (mode != TOverwriteMode::omOverwrite) return;
    }

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
    std::vector<uint8_t> directory;
    int64_t done = 0;
    for (const TDirEntry& e : *entries) {
      FileName = e.Record.Name;
      const int64_t local = volumes.Position(e.Disk, e.LocalOffset);
      uint64_t headerSize = 0;
      const std::optional<uint64_t> span =
          local < 0 ? std::nullopt
                    : EntrySpan(readAt, volumes.Size(), local, e, decipher, headerSize);
      if (!span) ReportAndRaise(e.Record.Name, msg::BadLocalOffset, "", "");
      const std::vector<uint8_t> record = RecordAt(e, uint64_t(out->Position()), 0, SeedHeaderKeys);
      directory.insert(directory.end(), record.begin(), record.end());
      for (uint64_t at = 0; at < *span;) {
        const int64_t n = int64_t(std::min<uint64_t>(*span - at, kCopyPiece));
        if (!volumes.CopyTo(local + int64_t(at), out->Handle(), n))
          ReportAndRaise(OutArchiveFile, msg::ErrorWritingFile, "", "");
        at += uint64_t(n);
        done += n;
        if (Cancel()) ReportAndRaise(set, msg::UserCanceled, "", "");
        ReportProgress(int64_t(*span), int64_t(at), volumes.Size(), done);
      }
    }
    const int64_t start = out->Position();
    const TDirectoryPlace place{.Entries = entries->size(),
                                .EntriesHere = entries->size(),
                                .Size = directory.size(),
                                .Offset = uint64_t(start),
                                .EndOffset = uint64_t(start) + directory.size()};
    const std::vector<uint8_t> end =
        EndRecords(place, tail.Comment, tail.EndEnciphered ? &SeedHeaderKeys : nullptr);
    if (!out->WriteFully(directory.data(), int64_t(directory.size())) ||
        !out->WriteFully(end.data(), int64_t(end.size())) || !out->Commit(OutArchiveFile))
      ReportAndRaise(OutArchiveFile, msg::ErrorWritingFile, "", "");
    copied = int(std::min<size_t>(entries->size(), INT32_MAX));
  });
  return copied;
}

}  // namespace qel
