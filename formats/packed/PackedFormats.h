// The single-file compressions: GZIP (with `compress` .Z files, read through the same
// reader) and BZIP2. A compressed TAR is the TAR family's.
#pragma once

#include "engine/registry/FormatDescriptor.h"

namespace qel {

const TFormatDescriptor& GZipFormat();
const TFormatDescriptor& BZip2Format();

}  // namespace qel
