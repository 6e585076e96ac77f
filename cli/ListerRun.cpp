#include "cli/ListerRun.h"

#include <iostream>

#include "cli/ToolRun.h"

namespace vk::cli {
namespace {

app::TTerminalOptions ListOptions(const ParsedArgs& args) {
  app::TTerminalOptions options;
  options.Interactive = app::StdinIsTerminal();
  if (args.Has("-p")) options.Password = args.options.at("-p");
  return options;
}

}  // namespace

ListerRun::ListerRun(const ParsedArgs& args, std::ostream& err)
    : err_(err),
      report_(err),
      prompter_(ListOptions(args), std::cin, std::cerr),
      prompts_(prompter_) {
  report_.Attach(Quell);
  prompts_.AttachLister(Quell);
  NoVolumeQuestions(Quell, app::StdinIsTerminal());
  Quell.ShowEmptyDirs = true;
}

bool ListerRun::Open(const std::string& archive) {
  try {
    Quell.SetArchiveFile(archive);
  } catch (const qel::E_RAISE& e) {
    err_ << "vorelkit-cli: " << archive << ": " << e.what() << "\n";
    return false;
  }
  if (Quell.ArchiveFile().empty() || report_.OpenFailed()) {
    err_ << "vorelkit-cli: cannot open '" << archive << "'\n";
    return false;
  }
  if (!qel::IsRecognised(Quell.ArcType())) {
    err_ << "vorelkit-cli: " << archive << ": not an archive\n";
    return false;
  }
  return true;
}

bool ListerRun::Activate() {
  try {
    return Quell.Activate();
  } catch (const qel::E_RAISE&) {
    return false;
  }
}

int ListerRun::Status() const { return report_.Errors() ? kExitWarning : kExitOk; }

}  // namespace vk::cli
