#include "cli/ToolRun.h"

#include <filesystem>
#include <iostream>

namespace vk::cli {

ToolRun::ToolRun(qel::TZipCommon& tool, bool overwrite, std::ostream& err)
    : tool_(tool),
      report_(err),
      prompter_(app::TTerminalOptions{.Interactive = app::StdinIsTerminal(),
                                      .Overwrite = overwrite ? app::TOverwritePolicy::Always
                                                             : app::TOverwritePolicy::Ask},
                std::cin, std::cerr),
      prompts_(prompter_),
      progress_(tool) {
  report_.Attach(tool);
  prompts_.AttachSingleFileWriter(tool);
  NoVolumeQuestions(tool, app::StdinIsTerminal());
}

void NoVolumeQuestions(qel::TZipCommon& component, bool interactive) {
  if (!interactive) component.OnNextVolume = nullptr;
}

std::string OutputOption(const ParsedArgs& args, const std::string& proposed) {
  if (!args.Has("-o")) return proposed;
  const std::string& given = args.options.at("-o");
  std::error_code ec;
  if (!given.empty() && (given.back() == '/' || std::filesystem::is_directory(given, ec)))
    return (std::filesystem::path(given) / std::filesystem::path(proposed).filename()).string();
  return given;
}

int ToolRun::Status(bool succeeded) const {
  if (tool_.Cancel()) return kExitCancelled;
  if (!succeeded) return kExitFatal;
  return report_.Errors() > 0 ? kExitWarning : kExitOk;
}

}  // namespace vk::cli
