#include "app/core/LibrarySelector.h"

#include <initializer_list>
#include <utility>

namespace vk::app {
namespace {

// The wrappers this build carries; the kinds without one fall to the lister.
constexpr bool HasWrapper(TLibraryKind) { return false; }

}  // namespace

TLibraryKind LibraryKindOf(const QString& fileName) {
  if (!fileName.contains('.')) return lkLister;
  static const std::initializer_list<std::pair<const char*, TLibraryKind>> kSuffixes = {
      {".a", lkTar},       {".a.z", lkTar},         {".lib", lkTar},    {".lib.z", lkTar},
      {".cpio", lkTar},    {".cpio.z", lkTar},      {".rpm", lkTar},    {".deb", lkTar},
      {".7z", lkSevenZip}, {".7z.001", lkSevenZip}, {".bza", lkBga},    {".gza", lkBga},
      {".gca", lkGca},     {".yz1", lkYz1},         {".b64", lkBase64}, {".imp", lkImp},
      {".c2d", lkIso},     {".cdi", lkIso},         {".bin", lkIso},    {".img", lkIso},
      {".iso", lkIso},     {".mdf", lkIso},         {".nrg", lkIso},    {".pdi", lkIso}};
  for (const auto& [suffix, kind] : kSuffixes)
    if (fileName.endsWith(QLatin1String(suffix), Qt::CaseInsensitive)) return kind;
  return lkLister;
}

TLibraryKind SelectLister(const QString& fileName) {
  const TLibraryKind kind = LibraryKindOf(fileName);
  return HasWrapper(kind) ? kind : lkLister;
}

}  // namespace vk::app
