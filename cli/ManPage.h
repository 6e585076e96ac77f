// vorelkit-cli's manual page and its bash completion, both made from the command table that
// --help prints, so that none of them can tell another story.
#pragma once

#include <iosfwd>

namespace vk::cli {

// A man(7) page: the overview, every command with its usage, description and options, and
// the exit statuses.
void WriteManPage(std::ostream& out);

// A bash completion script: the commands, then each command's options, then file names.
void WriteBashCompletion(std::ostream& out);

}  // namespace vk::cli
