#include "cli/CommandLine.h"
#include "cli/ConvertCommand.h"
#include "cli/EncodeCommand.h"
#include "cli/ExtractCommand.h"
#include "cli/InfoCommand.h"
#include "cli/ListCommand.h"
#include "cli/RenameCommand.h"
#include "cli/RepairCommand.h"
#include "cli/SfxCommands.h"
#include "cli/SplitCommands.h"
#include "cli/TypeCommand.h"
#include "cli/UpdateCommands.h"

namespace vk::cli {

const std::vector<Command>& Commands() {
  static const std::vector<Command> kCommands = {
      ListCommand(),   ExtractCommand(), TestCommand(),    AddCommand(),
      DeleteCommand(), CommentCommand(), TypeCommand(),    RepairCommand(),
      SplitCommand(),  MergeCommand(),   ConvertCommand(), SfxCommand(),
      UnsfxCommand(),  RenameCommand(),  InfoCommand(),    EncodeCommand()};
  return kCommands;
}

}  // namespace vk::cli
