// HA archives: listed, with their stored entries extracted; HA's own coders are not decoded.
#pragma once

#include "engine/registry/FormatDescriptor.h"

namespace qel {

const TFormatDescriptor& HaFormat();

}  // namespace qel
