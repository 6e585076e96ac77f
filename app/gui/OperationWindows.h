// The shell operations in the window program: a progress window for every component run,
// the compact Add and the Extract dialogs, message boxes, the error list, and the file
// manager for a folder to open.
#pragma once

#include "app/core/ShellOperations.h"

class QWidget;

namespace vk::gui {

class TfrmErrors;

class TOperationWindows : public app::IOperationUi {
 public:
  // The windows open over `parent` (none for a one-shot job); error lines go to `errors`.
  TOperationWindows(QWidget* parent, TfrmErrors& errors);

  int RunWithProgress(int mode, qel::TZipCommon& component,
                      const std::function<int()>& work) override;
  std::optional<QString> AskArchiveName(app::TArchiveComponents& components, const QString& item,
                                        bool several, int count) override;
  std::optional<app::TExtractChoices> AskExtractChoices(const QString& archive,
                                                        bool several) override;
  void ShowMessage(const QString& text) override;
  void ReportError(const QString& line) override;
  void OpenFolder(const QString& folder) override;

 private:
  QWidget* parent_;
  TfrmErrors& errors_;
};

}  // namespace vk::gui
