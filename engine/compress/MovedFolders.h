// The folders a move leaves behind: those its files lay in, at or below a folder the
// FileSpec lines name, are removed once empty. A folder named only as the place of a mask
// that leaves files out ("logs/*.log") stays, and so do the current folder and those above
// it, however a line spells them; a folder named whole ("logs/*") may go.
#pragma once

#include <sys/types.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/base/Types.h"

namespace qel {

class TMovedFolders {
 public:
  explicit TMovedFolders(const TStrings& fileSpec);
  // `folder` ("/"-terminated) held a moved file or was stored as an empty folder.
  void Note(WideString folder);
  // Removes the noted folders that are empty now, deepest first.
  void RemoveEmptied() const;

 private:
  std::vector<WideString> FNamed;  // the lines' folders, spelled as the scanner spells them
  std::set<std::pair<dev_t, ino_t>> FKept;
  std::set<WideString, std::greater<>> FNoted;  // deepest first
};

}  // namespace qel
