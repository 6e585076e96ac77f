// The archive test of a one-shot job without a display: the test window's lines, then its
// summary, on a stream instead of a list.
#pragma once

#include <QString>
#include <iosfwd>

namespace vk::app {

class TEnginePrompts;

// Tests `archive` and writes the lines to `out`, the engine's errors to `err`. True when
// every file passed and nothing went wrong; false also for an archive the engine cannot
// test (message 960 on `err`).
bool PrintArchiveTest(const QString& archive, TEnginePrompts& prompts, std::ostream& out,
                      std::ostream& err);

}  // namespace vk::app
