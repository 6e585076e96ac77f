#pragma once

#include <optional>
#include <string>

namespace vk::app {

// Asks for a password on the terminal without echoing it; nothing when standard input is
// not a terminal (a script must give the password with -p).
std::optional<std::string> AskPasswordOnTerminal(const std::string& fileName);

}  // namespace vk::app
