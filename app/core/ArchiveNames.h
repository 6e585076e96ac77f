// The names the add and extract dialogs propose: an archive's name for files about to be
// added, its name after another type is chosen, and the folder an archive is extracted to.
#pragma once

#include <QString>

namespace vk::app {

// `name` with `extension` (".zip", ".tar.gz") in place of its own: kept when it already
// ends so (ignoring case); otherwise the last extension goes, and a ".tar" left before it
// too. A file name without a "." stays as it is.
QString ReplaceArchiveExtension(const QString& name, const QString& extension);

// The archive's file name without its last extension and then without a ".tar" or ".7z"
// left at its end (ignoring case): backup.tar.gz gives backup, photos.7z.001 photos.
QString ArchiveBaseName(const QString& archive);

// The extension DefArcType stands for: 0 ".7z", 1 ".bh", 2 ".bza", 3 ".cab", 4 ".jar",
// 5 ".lha", 6 ".zip", 7 ".yz1"; ".zip" for other values.
QString DefaultArchiveExtension(int defArcType);

// The archive proposed for adding `item` (a file, a folder or a mask "folder/*"), or with
// `several`, for several items of the folder `item`: a file's name with `extension` in
// place of its own, a folder's (or a mask's folder) name + `extension` beside it, and for
// several items the folder + its own name + `extension` inside it. The root, which has no
// name of its own, gives "/Root" + `extension`.
QString ProposedArchiveName(const QString& item, bool several, const QString& extension);

// Where the Extract dialog proposes to extract `archive`, by ExtractType: 0 the archive's
// folder, 1 that folder + the archive's base name (the folder alone when several archives
// are extracted at once), 2 `lastFolder`, 3 `fixedFolder`. Folder 0 ends with "/".
QString ExtractDestination(int extractType, const QString& archive, bool several,
                           const QString& lastFolder, const QString& fixedFolder);

}  // namespace vk::app
