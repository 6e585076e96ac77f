// The window program's files in its temporary folder, which other starts of the program
// share. A folder this process makes carries its process id in its name and is noted as
// its own; at its end a process removes its own, and of the rest only what is stale:
// folders of processes that have ended, and the temporary archives a killed writer left
// (the engine tells those). Another start's work in progress is never touched.
#pragma once

#include <QString>

namespace vk::app {

// A new private folder "$$_<kind><pid>-XXXXXX" in `folder`, noted as this process's own;
// empty when it cannot be made. Ends with "/".
QString MakeOwnTempFolder(const QString& folder, const QString& kind);

// Removes this process's own folders, and the stale files of others from `folder`.
void CleanTempFolder(const QString& folder);

}  // namespace vk::app
