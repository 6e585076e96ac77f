// vorelkit-cli add and delete: creating and updating ZIP archives.
#pragma once

#include "cli/CommandLine.h"

namespace vk::cli {

Command AddCommand();
Command DeleteCommand();

}  // namespace vk::cli
