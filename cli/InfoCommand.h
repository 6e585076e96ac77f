#pragma once

#include "cli/CommandLine.h"

namespace vk::cli {

// "info": the archive's properties as "key: value" lines.
Command InfoCommand();

}  // namespace vk::cli
