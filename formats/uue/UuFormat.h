// UU, XX and Base64 texts: one file encoded for mail, read as an archive of one entry.
#pragma once

#include "engine/registry/FormatDescriptor.h"

namespace qel {

const TFormatDescriptor& UuFormat();

}  // namespace qel
