// vorelkit-cli add, delete and comment: creating and updating ZIP archives.
#pragma once

#include "cli/CommandLine.h"

namespace vk::cli {

Command AddCommand();
Command DeleteCommand();
Command CommentCommand();

}  // namespace vk::cli
