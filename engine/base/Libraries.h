// Libraries bound at run time by their bare names ("unrar.dll"). Each name has at most one
// provider: a lookup that gives the address of an export by its name, as the system's
// binder would. A name without a provider stays unbound, so the program's paths for a
// missing library are the ones its users meet. The table of built-in providers is declared
// here and defined beside the formats that provide them (formats/Libraries.cpp).
#pragma once

#include <span>
#include <string_view>

namespace qel {

// The address of the export named, or null when the library has none of that name.
using TExportLookup = void* (*)(std::string_view exportName);

struct TLibraryProvider {
  std::string_view Name;
  TExportLookup Lookup;
};

std::span<const TLibraryProvider> BuiltInLibraries();

// One binding of a library.
class TLibrary {
 public:
  // Binds the library named; unbound when nothing provides it.
  explicit TLibrary(std::string_view name);

  bool Bound() const { return lookup_ != nullptr; }
  // The export named, as the function type `F`; null when unbound or absent.
  template <class F>
  F Export(std::string_view exportName) const {
    return lookup_ ? reinterpret_cast<F>(lookup_(exportName)) : nullptr;
  }

 private:
  TExportLookup lookup_ = nullptr;
};

// For the object's life, the library named is bound to `lookup` instead of its built-in
// provider (null leaves it unbound): tests put a fake library, or none, in its place.
class TLibraryOverride {
 public:
  TLibraryOverride(std::string_view name, TExportLookup lookup);
  ~TLibraryOverride();
  TLibraryOverride(const TLibraryOverride&) = delete;
  TLibraryOverride& operator=(const TLibraryOverride&) = delete;
};

}  // namespace qel
