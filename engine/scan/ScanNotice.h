// What gathering files leaves out without being asked to, and what it stores with a warning:
// the application says so, since none of it is an error.
#pragma once

#include <cstdint>

namespace qel {

enum class TScanNotice : uint8_t {
  snLink,          // a symbolic link the attribute filter leaves out, or one to no file
  snHiddenFolder,  // a folder whose name starts with ".", not searched
  snSpecialFile,   // a FIFO, socket or device: never read
  snNoMatch,       // a FileSpec item that found no file
  snBackslash,     // a stored name holding "\", which other tools take for a separator
};
inline constexpr int kScanNoticeCount = int(TScanNotice::snBackslash) + 1;

}  // namespace qel
