// The main window's commands on the archive it shows: add, a new archive, extract, delete,
// view and open an entry, and put an edited copy back. The rules are here; the window shows
// the dialogs and boxes ICommandUi asks for, forwards the user's choices, and lists the
// archive again when told it changed.
#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "app/core/EntryMasks.h"
#include "app/core/ExtractChoices.h"
#include "app/core/ProgramLauncher.h"
#include "app/core/ShellOperations.h"
#include "app/core/ViewedCopies.h"
#include "engine/base/Events.h"

namespace vk::app {

enum class TBoxKind { Plain, Information, Warning, Error };

// The View dialog's answer: the desktop's program, the text editor, or the viewer named.
struct TViewChoice {
  enum TProgram { Desktop, TextEditor, Named } Program = Desktop;
  QString Viewer;
};

// How the window shows a component's run: its errors, the file it begins, its progress and
// its end.
struct TRunDisplay {
  qel::TErrorEvent OnError;
  qel::TBeginEvent OnBegin;
  qel::TProgressEvent OnProgress;
  qel::TNotifyEvent OnDeactivate;
};

// What the window does for the commands.
class ICommandUi {
 public:
  virtual ~ICommandUi() = default;

  // The archive on show and its type (File empty when none); the explorer folder on show
  // (its path, empty for the root, or in the classic style).
  virtual TOpenArchive Shown() const = 0;
  virtual QString ShownFolder() const = 0;
  // Whether an edited copy may be offered back now: not while the window closes.
  virtual bool TakesEdits() const = 0;
  // The display for a component about to run; `compressing` picks the words.
  virtual TRunDisplay Display(bool compressing) = 0;
  // Runs a command's work while the window is busy; answers what the work answered.
  virtual int RunBusy(const std::function<int()>& work) = 0;

  virtual std::optional<QString> AskNewArchiveName() = 0;
  // The Add dialog over `components` for the archive of `type` on show, or for the new
  // archive `newArchive` (type atNA); its choice is left current. Answers the folder it
  // showed last, nothing when cancelled.
  virtual std::optional<QString> AskAddFiles(TArchiveComponents& components, qel::TArcType type,
                                             const QString& newArchive) = 0;
  virtual std::optional<TExtractChoices> AskExtractChoices(const QString& archive,
                                                           bool hasSelection) = 0;
  // `defaultViewer` is empty when the settings name the text editor.
  virtual std::optional<TViewChoice> AskViewer(const QString& defaultViewer) = 0;
  // A Yes/No question; true for Yes.
  virtual bool Confirm(const QString& question) = 0;
  virtual void ShowMessage(const QString& text, TBoxKind kind) = 0;

  // Closes the archive on show; false when the user keeps it open.
  virtual bool CloseShownArchive() = 0;
  virtual void ShowArchive(const QString& archive) = 0;
  virtual void ShowFolder(const QString& path) = 0;
  // The archive on show changed: it is listed again, with `folder` on show when given
  // (else the one shown before).
  virtual void ArchiveChanged(const std::optional<QString>& folder) = 0;
  virtual void OpenFolder(const QString& folder) = 0;
  virtual void CloseWindow() = 0;
  virtual bool Launch(const TLaunch& launch, QString& error) = 0;
};

class TArchiveCommands {
 public:
  // `components` are the writers the Add, New and Delete commands choose from; `viewed`
  // keeps the copies handed to programs.
  TArchiveCommands(TArchiveComponents& components, TEnginePrompts& prompts, TViewedCopies& viewed,
                   ICommandUi& ui);

  void Add();
  void NewArchive();
  // Extracts the `selected` rows' entries, or every entry `filter` shows.
  void Extract(const TEntryMasks& selected, const QStringList& filter);
  // Deletes the `selected` rows' entries, or the explorer folder on show.
  void Delete(const TEntryMasks& selected);
  void DeleteShownFolder();
  // Asks how to view the first file row of `rows` and opens it so.
  void View(const std::vector<const TShellItem*>& rows);
  // A folder row is shown; a file row's entry is handed to the desktop's program (`viewer`
  // empty) or to `viewer`, and an edit of a ZIP archive's entry is offered back.
  void OpenEntry(const TShellItem& item, const QString& viewer);
  // Asks whether an edited copy goes back into its archive (and puts it back).
  void OfferPutBack(const TViewedCopy& copy);
  // Adds an edited copy back into its archive in place of the entry, without asking.
  void PutBack(const TViewedCopy& copy);

  // How the entry viewed last was enciphered: files added with the remembered password are
  // enciphered the same way.
  qel::TEncryptionMethod ViewEncryption() const { return viewEncryption_; }

 private:
  void Watch(qel::TZipCommon& component, bool compressing);
  void PrepareWriter(qel::TCompBase& writer);
  void PrepareReader(qel::TDecompressClass& reader);
  // Runs the Add dialog's choice: the files, then the folders (AddPasses).
  int RunAdd(qel::TCompBase& writer);
  // Deletes the masks' entries from the archive on show; answers the count.
  int DeleteMasks(const TEntryMasks& masks);
  void Deleted(const QString& archive, int count, const std::optional<QString>& folder);
  void Count(TCounted what, int count);

  TArchiveComponents& components_;
  TEnginePrompts& prompts_;
  TViewedCopies& viewed_;
  ICommandUi& ui_;
  qel::TEncryptionMethod viewEncryption_ = qel::TEncryptionMethod::emNone;
};

}  // namespace vk::app
