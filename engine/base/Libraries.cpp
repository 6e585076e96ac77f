#include "engine/base/Libraries.h"

#include <algorithm>
#include <vector>

namespace qel {

namespace {

// Overrides, the newest last; only tests make them.
std::vector<TLibraryProvider>& Overrides() {
  static std::vector<TLibraryProvider> overrides;
  return overrides;
}

}  // namespace

TLibrary::TLibrary(std::string_view name) {
  const std::vector<TLibraryProvider>& overrides = Overrides();
  const auto named = [&](const TLibraryProvider& p) { return p.Name == name; };
  if (auto o = std::find_if(overrides.rbegin(), overrides.rend(), named); o != overrides.rend()) {
    lookup_ = o->Lookup;
    return;
  }
  const std::span<const TLibraryProvider> builtIn = BuiltInLibraries();
  if (auto b = std::find_if(builtIn.begin(), builtIn.end(), named); b != builtIn.end())
    lookup_ = b->Lookup;
}

TLibraryOverride::TLibraryOverride(std::string_view name, TExportLookup lookup) {
  Overrides().push_back({name, lookup});
}

TLibraryOverride::~TLibraryOverride() { Overrides().pop_back(); }

}  // namespace qel
