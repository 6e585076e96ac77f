// A ZIP's end records as detection found them, kept on the component for the reader, the
// lister and the writer that follow.
#pragma once

#include <optional>
#include <string>

#include "engine/base/ArchiveDetection.h"
#include "formats/zip/CentralDir.h"

namespace qel {
class TZipCommon;
}

namespace qel::zip {

// An empty location when detection found no ZIP end records.
const TCentralDirLocation& ZipTail(const TFormatFindings* findings);
const TCentralDirLocation& ZipTail(const TZipCommon& component);

// The archive comment detection found, as UTF-8 (one that is not UTF-8 read in the ANSI code
// page); nothing when there is none.
std::optional<std::string> ArchiveCommentText(const TZipCommon& component);

}  // namespace qel::zip
