// BH archives and their self-extractors: one reader, one writer, one lister branch.
#pragma once

#include "engine/registry/FormatDescriptor.h"

namespace qel {

const TFormatDescriptor& BhFormat();

}  // namespace qel
