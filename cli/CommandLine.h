// The command line of vorelkit-cli: a command word, then options and file names in any
// order; "--" ends the options.
#pragma once

#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/base/Types.h"

namespace vk::cli {

// Exit codes, as archivers' command lines have them.
inline constexpr int kExitOk = 0;
inline constexpr int kExitWarning = 1;
inline constexpr int kExitFatal = 2;
inline constexpr int kExitUsage = 7;
inline constexpr int kExitCancelled = 255;

struct OptionSpec {
  std::string name;  // "--name"
  bool takesValue = false;
  std::string help;
};

struct ParsedArgs {
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;  // name -> value ("" for flags), the last given
  std::map<std::string, std::vector<std::string>> values;  // every value of a repeated option
  bool help = false;
  bool Has(const std::string& name) const { return options.count(name) != 0; }
};

// Parses `args` against the options a command accepts; answers nothing and writes the
// reason to `err` when an option is unknown or lacks its value.
std::optional<ParsedArgs> ParseArgs(const std::vector<std::string>& args,
                                    const std::vector<OptionSpec>& specs, std::ostream& err);

// --threads N: the threads that compress or decode, 0 (one per core) when not given; nothing,
// with the reason written to `err`, when N is not a number from 1 to kMaxThreads.
inline constexpr int kMaxThreads = 64;
// A whole number from `low` to `high` given as option `name`; `fallback` when it is absent,
// none (told on `err`) when it is not such a number.
std::optional<int> NumberOption(const ParsedArgs& args, const std::string& name, int low, int high,
                                int fallback, std::ostream& err);
std::optional<int> ThreadsOption(const ParsedArgs& args, std::ostream& err);
inline const OptionSpec kThreadsOption{"--threads", true,
                                       "threads that compress or decode (default: one per core)"};

// --encryption zipcrypto|aes128|aes192|aes256: the cipher of a password-protected archive
// written, `fallback` when not given; nothing, with the reason written to `err`, for another
// word.
std::optional<qel::TEncryptionMethod> EncryptionOption(const ParsedArgs& args,
                                                       qel::TEncryptionMethod fallback,
                                                       std::ostream& err);

struct Command {
  std::string name;
  std::string summary;      // one line for the overview
  std::string usage;        // "vorelkit-cli type FILE..."
  std::string description;  // what it prints and its exit codes
  std::vector<OptionSpec> options;
  int (*run)(const ParsedArgs& args, std::ostream& out, std::ostream& err);
};

// Every command, in the order the overview lists them.
const std::vector<Command>& Commands();

// The whole program: `args` without the program name.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace vk::cli
