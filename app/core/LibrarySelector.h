// Which component lists an archive: the engine's lister, or one of the wrappers around
// external libraries, chosen by the file name's suffix.
#pragma once

#include <QString>

namespace vk::app {

enum TLibraryKind {
  lkTar,       // TAR family and packages (.a, .cpio, .rpm, .deb...)
  lkSevenZip,  // .7z, .7z.001
  lkBga,       // .bza, .gza
  lkGca,       // .gca
  lkYz1,       // .yz1
  lkLister,    // the engine's lister
  lkBase64,    // .b64
  lkImp,       // .imp
  lkIso        // CD images
};

// The kind a file name's suffix asks for (ignoring case).
TLibraryKind LibraryKindOf(const QString& fileName);

// The component that lists `fileName`: its suffix's kind when a wrapper of that kind is
// present, else the lister (which then decides by content whether it is an archive).
TLibraryKind SelectLister(const QString& fileName);

}  // namespace vk::app
