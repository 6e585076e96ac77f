// A member's name as the program shows and extracts it: decoded (UTF-8 first), with "/"
// separators, a folder's ending in "/".
#pragma once

#include <string>

#include "formats/tar/TarWalker.h"

namespace qel::tar {

std::string MemberName(const TTarMember& m);

}  // namespace qel::tar
