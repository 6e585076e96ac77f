#include "app/core/HeadlessOperationUi.h"

#include <signal.h>

#include <atomic>
#include <ostream>

#include "app/core/Translation.h"
#include "engine/base/ZipCommon.h"

namespace vk::app {
namespace {

std::atomic<bool> g_interrupted{false};

// Only a flag here; the component's next progress report turns it into its cancel, so the
// archive is left as it was instead of half-written.
void OnInterrupt(int) { g_interrupted = true; }

// Ctrl+C cancels while it lives, and is what it was before afterwards.
class TInterruptCancels {
 public:
  TInterruptCancels() {
    g_interrupted = false;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &previous_);
  }
  ~TInterruptCancels() { ::sigaction(SIGINT, &previous_, nullptr); }
  TInterruptCancels(const TInterruptCancels&) = delete;
  TInterruptCancels& operator=(const TInterruptCancels&) = delete;

 private:
  struct sigaction previous_ {};
};

}  // namespace

THeadlessOperationUi::THeadlessOperationUi(std::ostream& err) : err_(err) {}

int THeadlessOperationUi::RunWithProgress(int mode, qel::TZipCommon& component,
                                          const std::function<int()>& work) {
  TInterruptCancels interrupt;
  const QString word = mode == 0 ? Message(540) : Message(555);
  component.OnBegin = [this, &word](qel::TZipCommon& sender, const std::string& file, int, bool&) {
    if (g_interrupted && !sender.Cancel()) sender.SetCancel(true);
    err_ << (word + u' ' + QString::fromStdString(file)).toStdString() << std::endl;
  };
  component.OnProgress = [](qel::TZipCommon& sender, uint8_t, uint8_t) {
    if (g_interrupted && !sender.Cancel()) sender.SetCancel(true);
  };
  const int count = work();
  component.OnBegin = {};
  component.OnProgress = {};
  return count;
}

void THeadlessOperationUi::ShowMessage(const QString& text) {
  err_ << "vorelkit: " << text.toStdString() << std::endl;
}

void THeadlessOperationUi::ReportError(const QString& line) {
  err_ << "vorelkit: " << line.toStdString() << std::endl;
}

void THeadlessOperationUi::OpenFolder(const QString& folder) {
  err_ << folder.toStdString() << std::endl;
}

}  // namespace vk::app
