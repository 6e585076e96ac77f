// The main window's drag and drop: entries dragged out of a list are extracted when the
// drop happens; archives dropped on the window are opened, files and folders dropped on the
// list of an open archive are added to it.
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>

#include "app/core/AppSettings.h"
#include "app/core/ArchiveComponents.h"
#include "app/core/DragPlan.h"
#include "app/core/ShellOperations.h"
#include "app/core/TempFiles.h"
#include "app/core/VrExtractor.h"
#include "app/gui/DragOutMime.h"
#include "app/gui/MainForm.h"
#include "app/gui/OperationWindows.h"

namespace vk::gui {

void TMainForm::PrepareExtraction(app::TVrExtractor& extractor, const std::string& archive,
                                  qel::TArcType type, const std::string& folder) {
  extractor.ArchiveFile = archive;
  extractor.ArcType = type;
  extractor.InitialDir = folder;
  extractor.Prompts = prompts_.get();
  extractor.OnError = ErrorHandler();
  extractor.OnExtractbegin = ShowBegin(false);
  extractor.OnExtractProgress = ShowProgress(false);
  extractor.OnExtractDeactivate = EndProgress();
  errorLog_.ComponentActivated();
  prompts_->BeginExtraction();
}

QMimeData* TMainForm::MakeDragData(const std::vector<int>& rows) {
  std::vector<const app::TShellItem*> items;
  for (int row : rows)
    if (const app::TShellItem* item = EntryAt(row)) items.push_back(item);
  if (items.empty() || archive_.isEmpty() || !app::TVrExtractor::HasReader(listing_.ArcType()))
    return nullptr;
  // A folder of the drag's own: the dragged names cannot meet other files of the
  // temporary folder, and it goes with this process's other temporary folders.
  const QString target = app::MakeOwnTempFolder(app::AppSettings().AppTempFolder, "drag");
  if (target.isEmpty()) return nullptr;
  const app::TDragPlan plan = app::PlanDrag(items, target);
  if (plan.Placeholders.isEmpty() || !app::MakePlaceholderParents(plan.Placeholders))
    return nullptr;
  dragFolder_ = target;
  dragPlaceholders_ = plan.Placeholders;

  auto extract = [this, archive = archive_.toStdString(), type = listing_.ArcType(), plan,
                  into = target.toStdString()] {
    app::TVrExtractor extractor;
    PrepareExtraction(extractor, archive, type, into);
    auto run = [&extractor](const QStringList& masks, bool folders) {
      extractor.FileSpec.clear();
      for (const QString& mask : masks) extractor.FileSpec.push_back(mask.toStdString());
      // A file row is that one entry; a folder row is its whole content, folders kept.
      extractor.UseStoredDirs = folders;
      extractor.RecurseDirs = folders;
      return extractor.Extract().Ok();
    };
    bool ok = plan.FileMasks.isEmpty() || run(plan.FileMasks, false);
    for (const QString& mask : plan.FolderMasks) ok = run({mask}, true) && ok;
    return ok;
  };
  return new TDragOutMime(plan.Placeholders, extract);
}

void TMainForm::DragFinished() {
  if (dragFolder_.isEmpty()) return;
  app::RemoveEmptyPlaceholderParents(dragPlaceholders_, dragFolder_);
  QDir().rmdir(dragFolder_);  // only when the drop took everything
  dragPlaceholders_.clear();
  dragFolder_.clear();
}

void TMainForm::FilesDroppedOnList(const QStringList& files) {
  if (archive_.isEmpty()) {
    if (files.size() == 1 && QFileInfo(files[0]).isFile()) OpenArchive(files[0]);
    return;
  }
  app::TArchiveComponents components;
  TOperationWindows ui(this, *frmErrors_);
  app::TShellOperations operations(components, *prompts_, ui);
  {
    const TBusyScope busy(*this);
    operations.AddToArchive(files, Shown());
  }
  ListArchive(archive_);
  SortEntries();
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
  // Entries dragged out of this window are not dropped back into it: the drop would
  // extract them only to open one of them as an archive.
  if (event->source() || !event->mimeData()->hasUrls()) return;
  event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
  // Exactly one existing file opens as an archive.
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.size() != 1 || !urls[0].isLocalFile() || !QFileInfo(urls[0].toLocalFile()).isFile())
    return;
  event->acceptProposedAction();
  OpenArchive(urls[0].toLocalFile());
}

}  // namespace vk::gui
