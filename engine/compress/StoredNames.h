// The name a file gets in an archive, by the writer's TStoredDirNames mode. Paths are
// "/"-separated Linux paths; there are no drives, so the modes that drop a drive differ
// from the absolute one only by the leading "/". Names are made of whole path components:
// never a "." or "..", and never a leading "/" but in the absolute modes.
#pragma once

#include <string>

#include "engine/base/Types.h"

namespace qel {

struct TStoredNameBase {
  WideString Folder;      // the base folder of the FileSpec group being gathered
  WideString DefaultDir;  // the explorer modes' folder (Folder when empty)
};

// `path` is the file's full path. A path outside the folder its name is relative to keeps
// the components after the ".." that lead out of it ("/w/../r/a.txt" below "/w" is
// "r/a.txt"). Components compare exactly: Linux names are case-sensitive. A folder
// entry's name ends with "/".
WideString StoredName(const WideString& path, const TStoredNameBase& base, TStoredDirNames mode);

// The folder part of a path or a FileSpec line, with its trailing "/" ("" when it has none).
WideString FolderOf(const WideString& path);
// The last component of a path, without the "/" a folder's path may end with.
WideString NamePart(const WideString& path);

// The explorer modes' automatic folder: the longest common leading folder of the lines'
// folder parts, ending with "/" ("" when they share none).
WideString CommonSpecFolder(const TStrings& fileSpec);

}  // namespace qel
