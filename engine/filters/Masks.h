// Wildcard masks and the file filters every lister and reader applies to entry names.
// Masks ignore case ("*.TXT" selects "a.txt"); "/" separates folders, and masks typed
// with "\" are read as if typed with "/".
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "engine/base/Types.h"

namespace qel {

// "*" matches any run of characters, "?" any one character; everything else, brackets
// included, matches itself, ignoring case.
bool MatchMask(std::string_view name, std::string_view mask);
// "*" or "*.*": a mask that takes every name.
inline bool TakesEveryName(std::string_view mask) { return mask == "*" || mask == "*.*"; }

// Whether two names are the same but for case (and "\" for "/"), as masks compare them.
bool EqualIgnoringCase(std::string_view a, std::string_view b);

// Called with a name that an exclusion pattern rejected.
using TExcludedHandler = std::function<void(const std::string& name)>;

// Whether an entry name passes the filters: rejected by ExcludeSpec, otherwise accepted by
// the first FileSpec pattern that fits both its folder and its file part. A pattern's folder
// selects that folder, and with `recurseDirs` the folders below it too; an empty FileSpec
// accepts every name.
bool MatchesSpec(const std::string& name, const TStrings& fileSpec, const TStrings& excludeSpec,
                 bool recurseDirs, const TExcludedHandler& onExcluded);

// The simpler form of formats that keep no folder structure to speak of: the whole name
// against each pattern, then ExcludeSpec against the whole name.
bool MatchesSpecFlat(const std::string& name, const TStrings& fileSpec, const TStrings& excludeSpec,
                     const TExcludedHandler& onExcluded);

}  // namespace qel
