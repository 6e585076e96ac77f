#pragma once

#include "engine/base/ArcType.h"
#include "engine/base/Types.h"

namespace qel {

// The extensions of every archive kind (".ace", ".arc", ...), lower-case, taken from the
// all-archives file-dialog filter so that both always agree.
TStrings ArchiveExts();

// The archive type a file name's extension stands for, case ignored (".lzh" atLzh,
// ".tar.gz" atTarGz); atNA for a name whose extension names no type the engine knows.
TArcType ArcTypeOfName(const WideString& name);

}  // namespace qel
