// The writers' ExcludeSpec test of a file the scanner found.
#pragma once

#include <string>

#include "engine/base/Types.h"

namespace qel {

// Whether one of `excludeSpec`'s patterns leaves out `path` (a full path; a folder entry
// when `isFolder`). A pattern without a folder part is matched against the name alone. A
// pattern with one matches when its folder, taken as whole folder names below any point
// ("temp/*" is "/temp/"), occurs in the path's folder: anywhere when `recurseDirs`, at its
// end otherwise; for a file the pattern's name part (every file when empty) must also
// match. Case is ignored, as in every mask.
bool ExcludedBySpec(const std::string& path, bool isFolder, const TStrings& excludeSpec,
                    bool recurseDirs);

}  // namespace qel
