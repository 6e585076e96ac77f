// The masks the scanner applies in one folder: the file parts of every FileSpec item that
// names that folder. The engine's one mask dialect is used ("*", "?", case ignored, "*.*"
// takes names without a dot too; brackets are plain characters, since names such as
// "Song [Live].mp3" are common here and must select themselves).
#pragma once

#include <string>

#include "engine/base/Types.h"

namespace qel {

class TMultiMask {
 public:
  // Adds a mask; an empty one stands for every file. A mask that another one already
  // covers is merged into it, so each name is tested against as few masks as possible.
  void Add(const std::string& mask);
  bool Matches(const std::string& fileName) const;
  const TStrings& Masks() const { return FMasks; }

 private:
  TStrings FMasks;
};

}  // namespace qel
