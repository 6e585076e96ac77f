#pragma once

#include "cli/CommandLine.h"

namespace vk::cli {

// "extract": the entries of an archive written to a folder.
Command ExtractCommand();
// "test": every entry decoded and checked, nothing written.
Command TestCommand();

}  // namespace vk::cli
