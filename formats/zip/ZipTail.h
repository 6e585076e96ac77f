// A ZIP's end records as detection found them, kept on the component for the reader, the
// lister and the writer that follow.
#pragma once

#include "engine/base/ArchiveDetection.h"
#include "formats/zip/CentralDir.h"

namespace qel {
class TZipCommon;
}

namespace qel::zip {

// An empty location when detection found no ZIP end records.
const TCentralDirLocation& ZipTail(const TFormatFindings* findings);
const TCentralDirLocation& ZipTail(const TZipCommon& component);

}  // namespace qel::zip
