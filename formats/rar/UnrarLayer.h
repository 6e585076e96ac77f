// The project's own RAR library: the eight exports of the RAR unpacking library's
// interface, over the project's header walk and libarchive's decoders. It is what the
// table of run-time libraries binds for "unrar.dll".
#pragma once

#include <string_view>

namespace qel::unrar {

// The export named, or null.
void* UnrarExport(std::string_view name);

}  // namespace qel::unrar
