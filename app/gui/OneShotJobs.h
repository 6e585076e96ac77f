// The jobs the shell integration starts with a switch: each runs without the main window
// and the program ends when it is done. On a display they show their progress and dialogs;
// without one (the offscreen or minimal platform) they report on standard error, answer the
// engine's questions so that nothing changes, and refuse the jobs that need a dialog.
#pragma once

#include "app/core/StartCommand.h"

namespace vk::gui {

// Runs the job of a hidden start; answers the program's exit status.
int RunOneShotJob(const app::TStartCommand& command);

}  // namespace vk::gui
