// ARC and PAK archives and their self-extractors: read only, with one reader and one lister
// branch for both.
#pragma once

#include "engine/registry/FormatDescriptor.h"

namespace qel {

const TFormatDescriptor& ArcFormat();

}  // namespace qel
