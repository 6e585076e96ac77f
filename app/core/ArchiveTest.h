// The archive test as the test window and a one-shot job without a display both run it: the
// engine's tester over every entry, its verdicts into a TTestLog.
#pragma once

#include <QString>
#include <functional>

#include "engine/base/ArcType.h"
#include "engine/base/Events.h"

namespace qel {
class TZipCommon;
}

namespace vk::app {

class TEnginePrompts;
class TTestLog;

// What an owner gives a tester: its answers to the engine's questions and its error handler.
using TTesterSetup = std::function<void(qel::TZipCommon& tester)>;
TTesterSetup TesterSetup(TEnginePrompts& prompts, qel::TErrorEvent onError);

// The type the lister finds `archive` to be (atNA when it cannot be read at all).
qel::TArcType ListedType(const QString& archive);
// Whether the engine can test archives of `type`.
bool CanTestArchive(qel::TArcType type);
// The line shown instead of a test for a type the engine cannot test.
QString UntestableLine();

// One archive test at a time, which its owner may cancel while it runs.
class TArchiveTest {
 public:
  // Tests `archive` (of a type CanTestArchive accepts), each entry's verdict into `log`, and
  // notes a cancel. `attach` gives the tester the owner's handlers first (answers to the
  // engine's questions, errors); damaged headers are noted and the test goes on. `progress`
  // is told the percentage done.
  void Run(const QString& archive, TTestLog& log, const TTesterSetup& attach,
           const std::function<void(int percent)>& progress = {});
  bool Running() const { return tester_ != nullptr; }
  // The running test stops at once.
  void Cancel();

 private:
  qel::TZipCommon* tester_ = nullptr;
};

}  // namespace vk::app
