// Cabinets (.cab, and one carried inside a program): one reader over the cabinet decoder,
// one lister branch and one writer.
#pragma once

#include "engine/registry/FormatDescriptor.h"

namespace qel {

const TFormatDescriptor& CabFormat();

}  // namespace qel
