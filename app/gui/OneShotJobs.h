// The jobs the shell integration starts with a switch: each runs without the main window
// and the program ends when it is done.
#pragma once

#include "app/core/StartCommand.h"

namespace vk::gui {

// Runs the job of a hidden start; answers the program's exit status.
int RunOneShotJob(const app::TStartCommand& command);

}  // namespace vk::gui
