// RAR archives and their self-extractors: read through the RAR library, with one reader
// and one lister branch.
#pragma once

#include "engine/registry/FormatDescriptor.h"

namespace qel {

const TFormatDescriptor& RarFormat();

}  // namespace qel
