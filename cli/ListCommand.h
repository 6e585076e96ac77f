#pragma once

#include "cli/CommandLine.h"

namespace vk::cli {

// "list": the entries of an archive, as a table or as tab-separated lines.
Command ListCommand();

}  // namespace vk::cli
