// ZOO archives: read only, with one reader and one lister branch.
#pragma once

#include "engine/registry/FormatDescriptor.h"

namespace qel {

const TFormatDescriptor& ZooFormat();

}  // namespace qel
