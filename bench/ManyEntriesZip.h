// The archive the listing benchmarks share: a ZIP of 200,000 small stored entries in 200
// folders, built once and kept in the build tree.
#pragma once

#include <string>

namespace vk::bench {

inline constexpr int kManyEntries = 200000;

// The archive's path (made on the first call); `folder` is where it is kept.
const std::string& ManyEntriesZip(const std::string& folder);

}  // namespace vk::bench
