// From an entry name stored in an archive to a path below the target folder. Archives come
// from anywhere, so nothing in a stored name may lead out of that folder.
#pragma once

#include <optional>
#include <string>

namespace qel {

// The stored name as a relative path: "\" separates folders too; control characters (NUL
// included) go; a drive prefix and leading separators go; in folders ":" becomes "_", each
// component loses trailing spaces and dots, and components left empty (".", "..") go.
// Without `useStoredDirs` only the file part is kept. A folder entry (ending in "/")
// keeps its trailing "/". Empty for an empty name; no value when the file part is "." or
// "..", which name no file.
std::optional<std::string> CleanStoredName(const std::string& stored, bool useStoredDirs);

// Where `path`, lexically normalised, lies below `folder`: "" for the folder itself, no
// value when it lies elsewhere.
std::optional<std::string> RelativeBelow(const std::string& path, const std::string& folder);

// The name of the next numbered volume: the trailing number of the name counted up with
// its width kept ("a.001" gives "a.002", "a.z09" gives "a.z10"); empty without one.
std::string NextNumberedName(const std::string& name);

}  // namespace qel
