// What the scanner found: one record per file (or folder entry) and the list of them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qel {

struct TFileObject {
  std::string FileName;  // full path
  int64_t Size = 0;      // 0 for a folder
  int64_t Time = 0;      // modification time, Unix seconds
  uint32_t Attr = 0;     // DOS attribute bits
  bool IsFolder = false;
};

using TFilesList = std::vector<TFileObject>;

// The orders a scan's results can be put in; every one is ascending and ties go by path.
enum class TqelSortOptions : uint8_t { soUnsort, soByName, soByType, soBySize, soByTime, soByPath };

// Sorts `files` as `order` says; soUnsort keeps the order they were found in.
void SortFiles(TFilesList& files, TqelSortOptions order);

}  // namespace qel
