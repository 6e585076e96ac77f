#include "cli/TerminalProgress.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <iostream>

namespace vk::cli {
namespace {

std::atomic<bool> g_interrupted{false};

// Only a flag is raised here; the next progress report turns it into the engine's cancel.
void OnInterrupt(int) { g_interrupted = true; }

}  // namespace

TerminalProgress::TerminalProgress(qel::TZipCommon& component) : shown_(isatty(STDERR_FILENO)) {
  g_interrupted = false;
  component.OnProgress = [this](qel::TZipCommon& sender, uint8_t, uint8_t byArchive) {
    if (g_interrupted && !sender.Cancel()) sender.SetCancel(true);
    if (shown_) std::cerr << "\r" << int(byArchive) << "% " << std::flush;
  };
  previous_ = std::signal(SIGINT, OnInterrupt);
}

TerminalProgress::~TerminalProgress() {
  std::signal(SIGINT, previous_);
  if (shown_) std::cerr << "\r     \r" << std::flush;
}

}  // namespace vk::cli
