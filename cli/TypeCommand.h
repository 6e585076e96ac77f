#pragma once

#include "cli/CommandLine.h"

namespace vk::cli {

// "type": names the archive kind of each file and where its data starts.
Command TypeCommand();

}  // namespace vk::cli
