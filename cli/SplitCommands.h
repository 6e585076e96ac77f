#pragma once

#include "cli/CommandLine.h"

namespace vk::cli {

// "split": a ZIP cut into a split set of part files.
Command SplitCommand();
// "merge": a split set joined back into one ZIP.
Command MergeCommand();

}  // namespace vk::cli
