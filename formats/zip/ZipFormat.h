// The ZIP and JAR families: one reader, one lister branch and one writer serve both; JAR
// is ZIP with the writer's manifest conventions.
#pragma once

#include "engine/registry/FormatDescriptor.h"

namespace qel {

const TFormatDescriptor& ZipFormat();
const TFormatDescriptor& JarFormat();

}  // namespace qel
