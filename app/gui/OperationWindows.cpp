#include "app/gui/OperationWindows.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "app/core/Translation.h"
#include "app/gui/AddFileNameDialog.h"
#include "app/gui/ErrorList.h"
#include "app/gui/ExtractDialog.h"
#include "app/gui/MessageBox.h"
#include "app/gui/ProgressWindow.h"
#include "engine/base/ZipCommon.h"

namespace vk::gui {

TOperationWindows::TOperationWindows(QWidget* parent, TfrmErrors& errors)
    : parent_(parent), errors_(errors) {}

int TOperationWindows::RunWithProgress(int mode, qel::TZipCommon& component,
                                       const std::function<int()>& work) {
  TfrmProgress window(parent_);
  // Its events are let through for Cancel and Background: the window it stands over takes
  // no command meanwhile, as one would run a second component on the same archive.
  if (parent_) window.setWindowModality(Qt::WindowModal);
  window.Mode = mode;
  window.OnCancel = [&component] { component.SetCancel(true); };
  component.OnBegin = [&window](qel::TZipCommon&, const std::string& file, int, bool&) {
    window.BeginFile(QFileInfo(QString::fromStdString(file)).fileName());
  };
  component.OnProgress = [&window](qel::TZipCommon&, uint8_t, uint8_t byArchive) {
    window.SetPercentage(byArchive);
    QCoreApplication::processEvents();  // Cancel and Background work while it runs
  };
  window.show();  // a window of the background mode hides itself at once
  const int count = work();
  component.OnBegin = {};
  component.OnProgress = {};
  return count;
}

std::optional<QString> TOperationWindows::AskArchiveName(app::TArchiveComponents& components,
                                                         const QString& item, bool several,
                                                         int count) {
  TfrmAddFileName dialog(components, parent_);
  dialog.SetArchiveName(item, several);
  if (several) dialog.SetInfo(app::FormatMessage(app::Message(280), {QString::number(count)}));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  QCoreApplication::processEvents();  // the dialog is gone from the screen before work starts
  return dialog.ArchiveName();
}

std::optional<app::TExtractChoices> TOperationWindows::AskExtractChoices(const QString& archive,
                                                                         bool several) {
  // All entries: the "Extract:" choice has nothing to choose from here.
  TfrmExtract dialog(archive, several, false, parent_);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  QCoreApplication::processEvents();
  return dialog.Choices();
}

void TOperationWindows::ShowMessage(const QString& text) {
  MessageBox(text, mtCustom, {mbOK}, 0, parent_);
}

void TOperationWindows::ReportError(const QString& line) { errors_.ReportError(line); }

void TOperationWindows::OpenFolder(const QString& folder) {
  QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

}  // namespace vk::gui
