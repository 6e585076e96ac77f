// ARJ archives and their self-extractors: read only, with one reader and one lister branch.
#pragma once

#include "engine/registry/FormatDescriptor.h"

namespace qel {

const TFormatDescriptor& ArjFormat();

}  // namespace qel
