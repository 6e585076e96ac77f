// One line of a writer's per-file list: an entry of the existing archive or a file to add,
// and what the operation does with it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/base/Types.h"

namespace qel {

enum class TEntryState : uint8_t {
  esCompress,  // a file to compress into the archive
  esKeep,      // an existing entry, copied unchanged
  esDrop,      // an existing entry left out
  esRename,    // an existing entry copied under a new name
};

struct TCompEntry {
  TEntryState State = TEntryState::esCompress;
  WideString StoredName;  // "/"-separated; a folder entry's ends with "/"
  WideString SourcePath;  // the file to compress (esCompress)
  int64_t Size = 0;       // the file's size, or the entry's uncompressed size
  int64_t Time = 0;       // modification time, Unix seconds
  uint32_t Attr = 0;      // DOS attribute bits
  bool IsFolder = false;
  bool Replaces = false;  // a file that takes the place of a dropped entry
  // The format's own record of an existing entry (for ZIP: the central header with its
  // name, extra fields and comment, as stored), and where the entry starts in the archive.
  std::vector<uint8_t> Header;
  int64_t Offset = 0;
};

using TCompList = std::vector<TCompEntry>;

}  // namespace qel
