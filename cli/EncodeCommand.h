// vorelkit-cli encode: one file as UU, XX or Base64 text for mail.
#pragma once

#include "cli/CommandLine.h"

namespace vk::cli {

Command EncodeCommand();

}  // namespace vk::cli
