#pragma once

#include "cli/CommandLine.h"

namespace vk::cli {

// "convert": archives repacked into another format.
Command ConvertCommand();

}  // namespace vk::cli
