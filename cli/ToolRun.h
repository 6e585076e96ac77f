// What the archive tools of vorelkit-cli (split, merge, sfx, unsfx, convert) share around
// their component: errors reported on standard error, the questions for an existing output
// and a missing volume asked on the terminal (an existing output replaced without asking
// under --overwrite), progress, and Ctrl+C as a clean cancel.
#pragma once

#include <iosfwd>
#include <string>

#include "app/prompts/EnginePrompts.h"
#include "app/prompts/TerminalPrompter.h"
#include "cli/CommandLine.h"
#include "cli/EngineReport.h"
#include "cli/TerminalProgress.h"

namespace vk::cli {

inline const OptionSpec kOverwriteFlag{"--overwrite", false,
                                       "replace an existing output without asking"};

// Without a terminal nobody can say where a missing volume is: the component reports it by
// name instead of asking.
void NoVolumeQuestions(qel::TZipCommon& component, bool interactive);

// The output -o names: a folder (one that exists, or a name ending in "/") takes the file
// name of `proposed`; without -o, `proposed` itself.
std::string OutputOption(const ParsedArgs& args, const std::string& proposed);

class ToolRun {
 public:
  ToolRun(qel::TZipCommon& tool, bool overwrite, std::ostream& err);

  // The exit status of an operation that did or did not succeed: 255 when cancelled, 2 when
  // it failed, 1 when it succeeded with errors reported, else 0.
  int Status(bool succeeded) const;

 private:
  qel::TZipCommon& tool_;
  EngineReport report_;
  app::TTerminalPrompter prompter_;
  app::TEnginePrompts prompts_;
  TerminalProgress progress_;
};

}  // namespace vk::cli
