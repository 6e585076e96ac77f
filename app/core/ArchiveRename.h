// The window's in-list rename: one entry, or one folder with everything in it, renamed
// inside the open archive without decompressing anything.
#pragma once

#include <QString>

#include "app/core/ArchiveTools.h"
#include "app/core/ShellItem.h"

namespace vk::app {

// The stored path of a row: a file's folder and name, a folder row's own path.
QString StoredPathOf(const TShellItem& item);

// The stored path a row at `path` (a folder's ends in "/") takes when its name becomes
// `name`: the name replaces the last part. Empty when `name` is empty, holds a separator or
// is "." or "..": a rename in a list does not move the row to another folder.
QString RenamedPath(const QString& path, const QString& name);

// Renames the entry stored as `path`, or the folder `path`, to `newPath`; false when the
// archive cannot be renamed in, the new name is refused, or the commit failed (each reason
// reported through the run's error handler).
bool RenameInArchive(const TToolRun& run, const QString& archive, const QString& path,
                     const QString& newPath);

}  // namespace vk::app
