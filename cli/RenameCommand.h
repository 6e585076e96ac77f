#pragma once

#include "cli/CommandLine.h"

namespace vk::cli {

// "rename": entries renamed inside an archive, one name or a batch by masks.
Command RenameCommand();

}  // namespace vk::cli
