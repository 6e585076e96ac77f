// The TAR family: plain TAR archives and TARs inside GZIP, `compress` or BZIP2 files. One
// reader, one lister branch and three writers.
#pragma once

#include "engine/registry/FormatDescriptor.h"

namespace qel {

const TFormatDescriptor& TarFormat();

}  // namespace qel
