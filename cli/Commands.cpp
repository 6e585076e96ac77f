#include "cli/CommandLine.h"
#include "cli/TypeCommand.h"

namespace vk::cli {

const std::vector<Command>& Commands() {
  static const std::vector<Command> kCommands = {TypeCommand()};
  return kCommands;
}

}  // namespace vk::cli
