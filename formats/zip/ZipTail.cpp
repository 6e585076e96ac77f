#include "formats/zip/ZipTail.h"

#include <memory>

#include "engine/base/ZipCommon.h"
#include "engine/detect/Detection.h"
#include "engine/detect/TailSearch.h"
#include "engine/text/EntryNames.h"
#include "formats/zip/HeaderCrypt.h"

namespace qel {
namespace {

struct TZipFindings final : TFormatFindings {
  zip::TCentralDirLocation Tail;
};

}  // namespace

TTailSearch SearchZipTail(TStream64& stream, int64_t end, const TDetectInput& input) {
  auto findings = std::make_shared<TZipFindings>();
  const zip::TCentralDirLocation& tail = findings->Tail;
  TTailSearch found;
  found.FirstHeader = zip::FindCentralDir(
      stream, end, findings->Tail,
      input.HeaderSeed ? zip::MakeHeaderDecipher(*input.HeaderSeed) : THeaderDecipher());
  found.OffsetAdjust = tail.OffsetAdjust;
  found.HeadFlag = tail.HeadFlag;
  found.DirectoryOnEarlierDisk = tail.DirectoryOnEarlierDisk();
  // Writers store 1 as the disk count of a one-disk Zip64 archive, some store 0.
  found.SingleDisk = tail.Locator ? tail.Locator->TotalDisks <= 1 : tail.ThisDisk() == 0;
  found.Findings = std::move(findings);
  return found;
}

namespace zip {

const TCentralDirLocation& ZipTail(const TFormatFindings* findings) {
  static const TCentralDirLocation kNone;
  const auto* zip = dynamic_cast<const TZipFindings*>(findings);
  return zip ? zip->Tail : kNone;
}

const TCentralDirLocation& ZipTail(const TZipCommon& component) {
  return ZipTail(component.Findings());
}

std::optional<std::string> ArchiveCommentText(const TZipCommon& component) {
  const std::string& stored = ZipTail(component).Comment;
  if (stored.empty()) return std::nullopt;
  return text::DecodeStoredText(stored);
}

}  // namespace zip
}  // namespace qel
