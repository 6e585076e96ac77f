// What a ZIP self-extractor does when it is started: it reads the archive behind its own
// program, with the settings block in front of the archive when there is one, and extracts,
// lists or tests it on the terminal. The program itself (main.cpp) only hands over its own
// file, its arguments and whether questions can be asked.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "formats/zip/SfxSettings.h"

namespace qel {
class TZipCommon;
}

namespace vk::sfx {

inline constexpr int kExitOk = 0;
inline constexpr int kExitWarning = 1;  // something was left undone: an entry, a question
inline constexpr int kExitError = 2;    // nothing could be done: the archive, the folder, usage

struct TSfxRunInput {
  std::string Program;  // the name the program was started by, for its messages
  std::string Archive;  // the program's own file: the stub with the archive behind it
  std::vector<std::string> Args;
  bool Interactive = false;  // questions are read from the input
};

int RunSfx(const TSfxRunInput& input, std::istream& in, std::ostream& out, std::ostream& err);

// The settings block in front of the archive `archive` was detected on; nothing when there
// is none or it does not hold together.
std::optional<qel::TSfxSettings> ReadSettings(const qel::TZipCommon& archive);

// `path` with "$NAME" and "${NAME}" taken from the environment and a leading "~" from
// HOME. Nothing when a variable named is unset or empty: "$UNSET/x" must not become "/x".
std::optional<std::string> ExpandVariables(const std::string& path);

}  // namespace vk::sfx
