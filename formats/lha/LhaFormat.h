// The LHA family (.lha, .lzh and their self-extractors): one reader, one lister branch and
// one writer.
#pragma once

#include "engine/registry/FormatDescriptor.h"

namespace qel {

const TFormatDescriptor& LhaFormat();

}  // namespace qel
