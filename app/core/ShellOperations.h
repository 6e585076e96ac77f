// The operations the program runs on paths handed to it from outside the archive view (the
// shell integration's switches, a double-click extraction, files dropped on an open
// archive): adding them to an archive and extracting archives. They run the same way in a
// window and on a terminal; what differs (progress, dialogs, messages) goes through
// IOperationUi.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "app/core/ExtractChoices.h"
#include "app/core/ProgressReport.h"
#include "engine/base/ArcType.h"
#include "engine/base/Types.h"

namespace qel {
class TCompBase;
class TCustomQuell;
class TDecompressClass;
class TZipCommon;
}  // namespace qel

namespace vk::app {

class TArchiveComponents;
class TEnginePrompts;

// What a window and a terminal do differently while an operation runs.
class IOperationUi {
 public:
  virtual ~IOperationUi() = default;

  // Runs one component's work (answering its count) while its progress shows: mode 0
  // adding, 1 extracting. The display may cancel `component` meanwhile and may use its
  // OnBegin and OnProgress for the run.
  virtual int RunWithProgress(int mode, qel::TZipCommon& component,
                              const std::function<int()>& work) = 0;
  // The compact Add dialog proposing an archive for `item` (for `several`: the folder
  // holding the `count` paths). It leaves the chosen writer or wrapper current and prepared
  // in `components`; answers the archive's name, nothing when cancelled.
  virtual std::optional<QString> AskArchiveName(TArchiveComponents& components, const QString& item,
                                                bool several, int count) = 0;
  // The Extract dialog for all entries of the archives, its proposal derived from
  // `archive`; nothing when cancelled.
  virtual std::optional<TExtractChoices> AskExtractChoices(const QString& archive,
                                                           bool several) = 0;
  // A message box's text: the counting messages (only with ShowMessages) and the refusals.
  virtual void ShowMessage(const QString& text) = 0;
  // A line of the error list.
  virtual void ReportError(const QString& line) = 0;
  virtual void OpenFolder(const QString& folder) = 0;
};

// How files are enciphered when added with the password that opened an entry: like that
// entry, AES in its current form with the same key length.
qel::TEncryptionMethod AddingEncryption(qel::TEncryptionMethod viewed);

// An archive the window shows, for adding to it.
struct TOpenArchive {
  QString File;
  qel::TArcType Type = qel::atNA;
  // The encryption of the entry viewed last: a remembered password adds with it.
  qel::TEncryptionMethod ViewEncryption = qel::TEncryptionMethod::emNone;
};

// The paths as the operations take them: empty ones dropped, relative ones taken from the
// current folder, a folder or a mask "folder/*.*" as the mask "folder/*".
QStringList OperationPaths(const QStringList& paths);
// A path naming a folder's content ("folder/*").
bool IsFolderMask(const QString& path);
// The archive a list of operation paths is added to without a dialog: one file's name with
// `extension` in place of its own, one folder's name + `extension` beside it, and for
// several paths the folder holding the first one + that folder's name + `extension` inside
// it.
QString DefaultArchiveName(const QStringList& paths, const QString& extension);

class TShellOperations {
 public:
  // Settings come from AppSettings(); the prompts answer the engine's questions and keep
  // the answers of a run.
  TShellOperations(TArchiveComponents& components, TEnginePrompts& prompts, IOperationUi& ui);

  // Adds the paths to a new archive named in the compact Add dialog. Answers the files
  // added.
  int AddToArchive(const QStringList& paths);
  // Adds the paths to the open archive (files dropped on it, an edited entry put back).
  int AddToArchive(const QStringList& paths, const TOpenArchive& open);
  // Adds the paths without a dialog to an archive named after them, of the type and method
  // the settings name.
  int AddToDefaultArchive(const QStringList& paths);
  // Extracts every archive into the folder chosen in the Extract dialog, proposed from
  // `target`.
  void ExtractWithDialog(const QStringList& archives, const QString& target);
  // Extracts every archive into `target` (mode 0), into target/base name (mode 2), or into
  // `target` itself only when the archive holds exactly one entry (mode 1). Answers the
  // folder the last archive went to.
  QString ExtractDirect(const QStringList& archives, const QString& target, int mode);

  // Whether an engine error or a refusal occurred in any operation so far.
  bool Failed() const { return failed_; }

 private:
  // Refusals: 210 (the archive cannot be added to), 215 (the type cannot be written yet).
  void Refuse(const QString& text);
  void CountingMessage(TCounted what, int count);
  // Splits the paths into the writer's FileSpec and the folder pass's list.
  void SplitPaths(const QStringList& paths, qel::TCompBase& writer, bool foldersInFileSpec);
  // Files, then folders, in one progress display.
  int RunPasses(qel::TCompBase& writer);
  // Refused when the writer makes a new archive each time and `archive` exists.
  bool CanWriteTo(const QString& archive);
  // Extracts all entries of `archive` with the reader its type calls for, set up by `setup`
  // (which may list the archive with `lister`). Nothing (message 200 shown) when no reader
  // reads it.
  std::optional<int> ExtractArchive(
      const QString& archive,
      const std::function<void(qel::TDecompressClass& reader, qel::TCustomQuell& lister)>& setup);
  void Watch(qel::TZipCommon& component);

  TArchiveComponents& components_;
  TEnginePrompts& prompts_;
  IOperationUi& ui_;
  TErrorLog errorLog_;
  bool failed_ = false;
};

}  // namespace vk::app
