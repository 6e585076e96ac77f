// The shell operations on a terminal, for one-shot jobs run without a display: plain
// progress, messages and errors on standard error, Ctrl+C cancels the running component.
// Nobody can answer a dialog here: the jobs that need one are refused before they run, and
// a dialog asked for anyway answers as cancelled.
#pragma once

#include <iosfwd>

#include "app/core/ShellOperations.h"

namespace vk::app {

class THeadlessOperationUi : public IOperationUi {
 public:
  explicit THeadlessOperationUi(std::ostream& err);

  int RunWithProgress(int mode, qel::TZipCommon& component,
                      const std::function<int()>& work) override;
  std::optional<QString> AskArchiveName(TArchiveComponents&, const QString&, bool, int) override {
    return std::nullopt;
  }
  std::optional<TExtractChoices> AskExtractChoices(const QString&, bool) override {
    return std::nullopt;
  }
  void ShowMessage(const QString& text) override;
  void ReportError(const QString& line) override;
  // Only named: a terminal has no file manager to open it in.
  void OpenFolder(const QString& folder) override;

 private:
  std::ostream& err_;
};

}  // namespace vk::app
