#include "formats/zip/EntryCopy.h"

#include <algorithm>

#include "engine/base/Messages.h"
#include "engine/base/ZipCommon.h"
#include "engine/streams/Stream.h"
#include "formats/zip/DirectoryWriter.h"
#include "formats/zip/HeaderCrypt.h"

namespace qel {
namespace {

// Large entries are copied in pieces, so that progress moves and a cancel is heard.
constexpr int64_t kCopyPiece = int64_t(16) << 20;

}  // namespace

void CopyInPieces(TZipCommon& owner, uint64_t from, uint64_t span, int64_t total, int64_t& done,
                  const std::function<void(uint64_t at, int64_t n)>& copy) {
  for (uint64_t at = from; at < span;) {
    const int64_t n = int64_t(std::min<uint64_t>(span - at, kCopyPiece));
    copy(at, n);
    at += uint64_t(n);
    done += n;
    if (owner.Cancel()) owner.ReportAndRaise(owner.ArchiveFile(), msg::UserCanceled, "", "");
    owner.ReportProgress(int64_t(span), int64_t(at), total, done);
  }
}

TEntryCopy::TEntryCopy(TZipCommon& owner, TReadAt readAt, int64_t size, TCopy copy)
    : owner_(owner), readAt_(std::move(readAt)), size_(size), copy_(std::move(copy)) {}

void TEntryCopy::Copy(const zip::TDirEntry& e, int64_t localPos, TStream64& out, int outFd) {
  owner_.FileName = e.Record.Name;
  uint64_t headerSize = 0;
  const std::optional<uint64_t> span =
      localPos < 0 ? std::nullopt
                   : zip::EntrySpan(readAt_, size_, localPos, e,
                                    zip::ComponentHeaderDecipher(owner_), headerSize);
  if (!span) owner_.ReportAndRaise(e.Record.Name, msg::BadLocalOffset, "", "");
  const std::vector<uint8_t> record =
      zip::RecordAt(e, uint64_t(out.Position()), 0, owner_.SeedHeaderKeys);
  directory_.insert(directory_.end(), record.begin(), record.end());
  CopyInPieces(owner_, 0, *span, size_, done_, [&](uint64_t at, int64_t n) {
    if (!copy_(localPos + int64_t(at), outFd, n))
      owner_.ReportAndRaise(owner_.ArchiveFile(), msg::ErrorWritingFile, "", "");
  });
  ++count_;
}

bool TEntryCopy::Finish(TStream64& out, const std::string& comment, const TSeedKeyRecord* endSeed) {
  const int64_t start = out.Position();
  const zip::TDirectoryPlace place{.Entries = uint64_t(count_),
                                   .EntriesHere = uint64_t(count_),
                                   .Size = directory_.size(),
                                   .Offset = uint64_t(start),
                                   .EndOffset = uint64_t(start) + directory_.size()};
  const std::vector<uint8_t> end = zip::EndRecords(place, comment, endSeed);
  return start >= 0 && out.WriteFully(directory_.data(), int64_t(directory_.size())) &&
         out.WriteFully(end.data(), int64_t(end.size()));
}

}  // namespace qel
