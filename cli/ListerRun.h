// The lister over one archive as the list and info commands run it: errors reported on
// standard error, the password of enciphered headers taken from -p or asked on the terminal.
#pragma once

#include <iosfwd>
#include <string>

#include "app/prompts/EnginePrompts.h"
#include "app/prompts/TerminalPrompter.h"
#include "cli/CommandLine.h"
#include "cli/EngineReport.h"
#include "engine/list/Quell.h"

namespace vk::cli {

class ListerRun {
 public:
  ListerRun(const ParsedArgs& args, std::ostream& err);

  // Names the archive; false, said on standard error, when it cannot be opened or is no
  // archive.
  bool Open(const std::string& archive);
  // Lists the archive through the lister's events; false when the listing failed.
  bool Activate();
  // The exit status of a listing that succeeded: 1 when it met damage, else 0.
  int Status() const;

  qel::TQuell Quell;

 private:
  std::ostream& err_;
  EngineReport report_;
  app::TTerminalPrompter prompter_;
  app::TEnginePrompts prompts_;
};

}  // namespace vk::cli
