// The libraries the program binds at run time by name, and who provides each here. Names
// the program binds that are not listed ("unace2.dll", ...) stay unbound.
#include "engine/base/Libraries.h"

#include "formats/rar/UnrarApi.h"
#include "formats/rar/UnrarLayer.h"

namespace qel {

std::span<const TLibraryProvider> BuiltInLibraries() {
  static constexpr TLibraryProvider kProviders[] = {
      {unrar::kLibraryName, &unrar::UnrarExport},
  };
  return kProviders;
}

}  // namespace qel
