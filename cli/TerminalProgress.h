// What a long operation of vorelkit-cli shows and hears on a terminal: a percentage line on
// standard error, and Ctrl+C, which cancels the operation cleanly through the engine's
// cancel flag instead of killing the program half-way.
#pragma once

#include "engine/base/ZipCommon.h"

namespace vk::cli {

class TerminalProgress {
 public:
  // Takes over `component`'s OnProgress and SIGINT for its lifetime.
  explicit TerminalProgress(qel::TZipCommon& component);
  ~TerminalProgress();
  TerminalProgress(const TerminalProgress&) = delete;
  TerminalProgress& operator=(const TerminalProgress&) = delete;

 private:
  bool shown_;
  void (*previous_)(int);
};

}  // namespace vk::cli
