#pragma once

#include "engine/base/Types.h"

namespace qel {

// The extensions of every archive kind (".ace", ".arc", ...), lower-case, taken from the
// all-archives file-dialog filter so that both always agree.
TStrings ArchiveExts();

}  // namespace qel
