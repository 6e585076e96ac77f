// Runs vorelkit-cli's command line in-process and keeps what it printed.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"

namespace qel::test {

struct TCliRun {
  int status;
  std::string out;
  std::string err;
};

inline TCliRun Cli(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  int status = vk::cli::RunCli(args, out, err);
  return {status, out.str(), err.str()};
}

// `text` cut at every `sep` (an empty text gives one empty part).
inline std::vector<std::string> Split(const std::string& text, char sep) {
  std::vector<std::string> parts(1);
  for (char c : text) {
    if (c == sep)
      parts.emplace_back();
    else
      parts.back() += c;
  }
  return parts;
}

}  // namespace qel::test
