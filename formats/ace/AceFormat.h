// ACE archives and their self-extractors: listed by the program, extracted and tested
// through the ACE library.
#pragma once

#include "engine/registry/FormatDescriptor.h"

namespace qel {

const TFormatDescriptor& AceFormat();

}  // namespace qel
