#pragma once

#include "cli/CommandLine.h"

namespace vk::cli {

// "repair": the intact entries of a damaged ZIP file rescued into a new archive.
Command RepairCommand();

}  // namespace vk::cli
