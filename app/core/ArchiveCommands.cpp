#include "app/core/ArchiveCommands.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <utility>

#include "app/core/AddPasses.h"
#include "app/core/AppSettings.h"
#include "app/core/ArchiveComponents.h"
#include "app/core/ArchiveListing.h"
#include "app/core/CommandRules.h"
#include "app/core/Readers.h"
#include "app/core/Translation.h"
#include "app/core/ZipRun.h"
#include "app/prompts/EnginePrompts.h"
#include "engine/compress/CompBase.h"
#include "engine/extract/DecompressClass.h"
#include "engine/registry/Formats.h"

namespace vk::app {
namespace {

// Only a ZIP archive takes an edited entry back.
bool IsZipType(qel::TArcType type) { return type == qel::atZip || type == qel::atZipExe; }

QString TempFolder() { return AppSettings().AppTempFolder; }

// The engine keeps an archive whose last entry was deleted as an empty archive; the
// command removes it, as an archive of nothing is of no use to anyone.
void RemoveIfEmpty(const QString& archive) {
  if (!QFileInfo(archive).isFile()) return;
  TArchiveListing listing;
  if (!qel::IsRecognised(listing.SetArchive(archive)) || !listing.List({QStringLiteral("*")}))
    return;
  if (listing.Files().empty() && listing.Tree().Root().Children.empty()) QFile::remove(archive);
}

// "docs/Sub/" -> "docs/"; a top folder's parent is the root, "".
QString ParentFolder(const QString& folder) {
  const qsizetype slash = folder.lastIndexOf(u'/', folder.size() - 2);
  return slash < 0 ? QString() : folder.left(slash + 1);
}

// A delete runs on the writer an earlier add chose and set up: what that add left in it
// comes back afterwards.
class TDeleteRun {
 public:
  explicit TDeleteRun(qel::TCompBase& writer)
      : writer_(writer),
        fileSpec_(writer.FileSpec),
        excludeSpec_(writer.ExcludeSpec),
        operation_(writer.Switch),
        recurse_(writer.RecurseDirs) {
    writer.ExcludeSpec.clear();
    writer.Switch = qel::TSwitch::swDelete;
  }
  ~TDeleteRun() {
    writer_.OnDeleteFile = nullptr;
    writer_.FileSpec = fileSpec_;
    writer_.ExcludeSpec = excludeSpec_;
    writer_.Switch = operation_;
    writer_.RecurseDirs = recurse_;
  }
  TDeleteRun(const TDeleteRun&) = delete;
  TDeleteRun& operator=(const TDeleteRun&) = delete;

 private:
  qel::TCompBase& writer_;
  const qel::TStrings fileSpec_;
  const qel::TStrings excludeSpec_;
  const qel::TSwitch operation_;
  const bool recurse_;
};

}  // namespace

TArchiveCommands::TArchiveCommands(TArchiveComponents& components, TEnginePrompts& prompts,
                                   TViewedCopies& viewed, ICommandUi& ui)
    : components_(components), prompts_(prompts), viewed_(viewed), ui_(ui) {}

void TArchiveCommands::Count(TCounted what, int count) {
  if (const std::optional<QString> text = CountMessage(what, count))
    ui_.ShowMessage(*text, TBoxKind::Plain);
}

void TArchiveCommands::Watch(qel::TZipCommon& component, bool compressing) {
  TRunDisplay display = ui_.Display(compressing);
  component.OnError = std::move(display.OnError);
  component.OnBegin = std::move(display.OnBegin);
  component.OnProgress = std::move(display.OnProgress);
  component.OnDeactivate = std::move(display.OnDeactivate);
  component.Threads = AppSettings().Threads;
}

void TArchiveCommands::PrepareWriter(qel::TCompBase& writer) {
  Watch(writer, true);
  writer.SetTempDir(TempFolder().toStdString());
  writer.OnActivate = [this](qel::TZipCommon&) { prompts_.WriterActivated(false); };
  prompts_.AttachWriter(writer);
}

void TArchiveCommands::PrepareReader(qel::TDecompressClass& reader) {
  Watch(reader, false);
  prompts_.AttachReader(reader);
  prompts_.BeginExtraction();
}

int TArchiveCommands::RunAdd(qel::TCompBase& writer) {
  PrepareWriter(writer);
  // The second pass of one add goes on with the first pass's "to all" answers.
  return ui_.RunBusy([this, &writer] {
    return RunAddPasses(writer, components_.FolderList, components_.RelativeFolders,
                        [this, &writer](bool secondPass) {
                          writer.OnActivate = [this, secondPass](qel::TZipCommon&) {
                            prompts_.WriterActivated(secondPass);
                          };
                        });
  });
}

void TArchiveCommands::Add() {
  const TOpenArchive open = ui_.Shown();
  if (open.File.isEmpty()) return;
  if (!WriterForType(open.Type)) {
    ui_.ShowMessage(Message(210), TBoxKind::Warning);
    return;
  }
  components_.Select(*WriterForType(open.Type));
  qel::TCompBase& writer = *components_.CurrentWriter;
  writer.SetArchiveFile(open.File.toStdString());
  writer.SetTempDir(TempFolder().toStdString());
  const std::optional<QString> folder = ui_.AskAddFiles(components_, open.Type, {});
  if (!folder) return;
  AppSettings().LastAddFolder = *folder;
  if (components_.CurrentWrapper || !components_.CurrentWriter) return;
  Count(TCounted::Added, RunAdd(*components_.CurrentWriter));
  ui_.ArchiveChanged(std::nullopt);
}

void TArchiveCommands::NewArchive() {
  const std::optional<QString> chosen = ui_.AskNewArchiveName();
  if (!chosen) return;
  const QString name = QFileInfo(*chosen).absoluteFilePath();
  if (!ui_.CloseShownArchive()) return;
  if (QFileInfo::exists(name) &&
      !ui_.Confirm(FormatMessage(Message(840), {name}) + u'\n' + Message(860))) {
    ui_.ShowArchive(name);
    return;
  }
  components_.CurrentWriter = nullptr;
  components_.CurrentWrapper = nullptr;
  AppSettings().AppCurrentDir = QFileInfo(name).absolutePath();
  if (!ui_.AskAddFiles(components_, qel::atNA, name)) return;
  if (components_.CurrentWrapper || !components_.CurrentWriter) return;
  qel::TCompBase& writer = *components_.CurrentWriter;
  // The name follows the type chosen (and a name without an extension gets the writer's):
  // that file was not the one confirmed.
  writer.SetArchiveFile(NewArchiveName(name, components_.KindOf(writer)).toStdString());
  const QString target = QString::fromStdString(writer.ArchiveFile());
  if (QFileInfo::exists(target) || QFileInfo(target).isSymLink()) {
    if (target != name && !ui_.Confirm(FormatMessage(Message(840), {target}))) return;
    if (!QFile::moveToTrash(target)) {
      ui_.ShowMessage(FormatMessage(Message(870), {target}), TBoxKind::Error);
      return;
    }
    writer.SetArchiveFile(target.toStdString());  // it no longer exists
  }
  const int count = RunAdd(writer);
  if (QFileInfo(target).isFile()) ui_.ShowArchive(target);
  Count(TCounted::Added, count);
}

void TArchiveCommands::Extract(const TEntryMasks& selected, const QStringList& filter) {
  const TOpenArchive open = ui_.Shown();
  if (open.File.isEmpty()) return;
  if (!qel::ReaderFor(open.Type)) {
    ui_.ShowMessage(Message(200), TBoxKind::Plain);
    return;
  }
  const std::optional<TExtractChoices> choices =
      ui_.AskExtractChoices(open.File, !selected.Empty());
  // Another archive opened while the dialog waited (handed over by another start) ends it.
  if (!choices || ui_.Shown().File != open.File) return;
  // All files are the files the filter shows, in every folder.
  const TEntryMasks masks =
      choices->AllFiles || selected.Empty() ? TEntryMasks{{}, filter} : selected;
  std::optional<int> count;
  ui_.RunBusy([&] {
    std::unique_ptr<qel::TDecompressClass> reader = OpenReader(
        open.Type, open.File.toStdString(), [this](qel::TDecompressClass& r) { PrepareReader(r); });
    if (!reader) return 0;  // reported through the error list
    ApplyExtractChoices(*choices, *reader, TempFolder());
    count = RunMaskPasses(masks, [&reader](const qel::TStrings& names, bool recurse) {
      if (reader->Cancel()) return 0;
      reader->FileSpec = names;
      reader->RecurseDirs = recurse;
      return reader->Extract();
    });
    return *count;
  });
  if (!count) return;
  Count(TCounted::Extracted, *count);
  RememberExtractFolder(*choices);
  if (choices->OpenFolder) ui_.OpenFolder(choices->Folder);
  if (choices->CloseAfterExtract) ui_.CloseWindow();
}

int TArchiveCommands::DeleteMasks(const TEntryMasks& masks) {
  const TOpenArchive open = ui_.Shown();
  const std::optional<TComponentKind> kind = WriterForType(open.Type);
  if (!kind) {
    ui_.ShowMessage(Message(210), TBoxKind::Warning);
    return 0;
  }
  qel::TCompBase& writer = components_.Writer(*kind);
  writer.SetArchiveFile(open.File.toStdString());
  PrepareWriter(writer);
  const TDeleteRun run(writer);
  int deleted = 0;
  writer.OnDeleteFile = [&deleted](qel::TZipCommon&, const std::string&, int count, int) {
    deleted = count;
  };
  return ui_.RunBusy([&] {
    bool secondPass = false;
    return RunMaskPasses(masks, [&](const qel::TStrings& names, bool recurse) {
      if (!QFileInfo(open.File).isFile()) return 0;
      writer.FileSpec = names;
      writer.RecurseDirs = recurse;
      writer.OnActivate = [this, secondPass](qel::TZipCommon&) {
        prompts_.WriterActivated(secondPass);
      };
      deleted = 0;
      writer.SetArchiveFile(open.File.toStdString());
      writer.Compress();
      secondPass = true;
      return deleted;
    });
  });
}

void TArchiveCommands::Deleted(const QString& archive, int count,
                               const std::optional<QString>& folder) {
  Count(TCounted::Deleted, count);
  RemoveIfEmpty(archive);
  ui_.ArchiveChanged(folder);
}

void TArchiveCommands::Delete(const TEntryMasks& selected) {
  if (selected.Empty()) {
    ui_.ShowMessage(Message(890), TBoxKind::Information);
    return;
  }
  // The masks are this archive's: another one opened while the question waits (handed over
  // by another start) loses nothing.
  const QString archive = ui_.Shown().File;
  if (!ui_.Confirm(Message(880)) || ui_.Shown().File != archive) return;
  Deleted(archive, DeleteMasks(selected), std::nullopt);
}

void TArchiveCommands::DeleteShownFolder() {
  const QString folder = ui_.ShownFolder();
  if (folder.isEmpty()) {
    ui_.ShowMessage(Message(890), TBoxKind::Information);
    return;
  }
  // The tree is built again when another archive is opened while the question waits: the
  // folder must still be the one shown in this archive.
  const QString archive = ui_.Shown().File;
  if (!ui_.Confirm(Message(885)) || ui_.Shown().File != archive || ui_.ShownFolder() != folder)
    return;
  // The folder is gone: its parent is shown instead.
  Deleted(archive, DeleteMasks({{}, {folder + u'*'}}), ParentFolder(folder));
}

void TArchiveCommands::View(const std::vector<const TShellItem*>& rows) {
  std::optional<TShellItem> file;
  for (const TShellItem* item : rows)
    if (!item->IsFolder()) {
      file = *item;  // a copy: the rows go when another archive is opened meanwhile
      break;
    }
  if (!file) {
    ui_.ShowMessage(Message(350), TBoxKind::Information);
    return;
  }
  const QString archive = ui_.Shown().File;
  const QString defaultViewer = AppSettings().DefViewer;
  const std::optional<TViewChoice> choice =
      ui_.AskViewer(IsTextEditorStandIn(defaultViewer) ? QString() : defaultViewer);
  if (!choice || ui_.Shown().File != archive) return;
  switch (choice->Program) {
    case TViewChoice::Desktop:
      OpenEntry(*file, {});
      break;
    case TViewChoice::TextEditor:
      OpenEntry(*file, kDefaultViewer);
      break;
    case TViewChoice::Named:
      if (QFileInfo(choice->Viewer).isFile() ||
          !QStandardPaths::findExecutable(choice->Viewer).isEmpty())
        OpenEntry(*file, choice->Viewer);
      break;
  }
}

void TArchiveCommands::OpenEntry(const TShellItem& item, const QString& viewer) {
  if (item.IsFolder()) {
    ui_.ShowFolder(item.Folder);
    return;
  }
  // The row may be gone once the program ends (the list can be refreshed meanwhile).
  const QString entry = item.Folder + item.Name;
  const bool encrypted = item.Encrypted;
  const TOpenArchive open = ui_.Shown();
  if (open.File.isEmpty() || !qel::ReaderFor(open.Type)) {
    ui_.ShowMessage(Message(200), TBoxKind::Plain);
    return;
  }
  const bool zip = IsZipType(open.Type);
  TZipRun run;
  run.ArchiveFile = open.File.toStdString();
  run.ArcType = open.Type;
  run.TempDir = TempFolder().toStdString();
  run.RecurseDirs = false;
  run.FileSpec = {entry.toStdString()};
  // Only there is the program waited for.
  run.ExecutionMethod =
      zip ? TExecutionMethod::emExecuteAndWait : TExecutionMethod::emExecuteNoWait;
  if (!viewer.isEmpty()) {
    run.OpenMethod = TOpenMethod::omOpenWithFile;
    run.CommandLineParams = viewer;
  }
  run.Launcher = [this](const TLaunch& launch, QString& error) {
    return ui_.Launch(launch, error);
  };
  run.OnPrepareReader = [this](qel::TDecompressClass& reader) { PrepareReader(reader); };
  // This run's own record: while its program runs, another entry may be opened and waited
  // for, and must not take this one's place.
  TViewedCopy copy;
  copy.Archive = open.File;
  copy.Type = open.Type;
  copy.Entry = entry;
  run.OnBeforeExecute = [&copy, zip](TZipRun&, const QString& file, bool&) {
    copy.File = file;
    copy.Age = FileAge(file);
    // Elsewhere the copy says it is read-only, so that no edit is made to be lost.
    if (!zip) QFile::setPermissions(file, QFile::ReadOwner);
  };
  const bool launched = run.Run();
  viewEncryption_ = run.Encryption();
  if (!launched) {
    if (!run.LaunchError().isEmpty()) ui_.ShowMessage(run.LaunchError(), TBoxKind::Error);
    return;
  }
  // Nothing is put back into an archive that was closed or replaced while the program ran,
  // nor while the window is closing.
  if (!zip || ui_.Shown().File != open.File || !ui_.TakesEdits()) return;
  copy.Folder = run.ExtractFolder();
  copy.Encryption = run.Encryption();
  copy.Password = encrypted ? run.Password() : std::string();
  // The program may save the copy later still (it returned before the user was done, or
  // handed the file to a copy of itself): it is watched while the archive is open.
  viewed_.Add(copy);
  if (ShouldPutBack(open.Type, copy.Age, FileAge(copy.File))) OfferPutBack(copy);
}

void TArchiveCommands::OfferPutBack(const TViewedCopy& copy) {
  // This save is asked about once, whatever the answer; a later save is asked about again.
  viewed_.Settle(copy.File);
  // An entry of an archive that is no longer shown is named with its archive.
  const QString entry = copy.Archive == ui_.Shown().File ? copy.Entry
                                                         : QFileInfo(copy.Archive).fileName() +
                                                               QStringLiteral(": ") + copy.Entry;
  if (ui_.Confirm(FormatMessage(Message(1190), {entry}) + u'\n' + Message(1200))) PutBack(copy);
}

void TArchiveCommands::PutBack(const TViewedCopy& copy) {
  if (!QFileInfo(copy.File).isFile()) return;
  const std::optional<TComponentKind> kind = WriterForType(copy.Type);
  if (!kind) return;
  // A writer of its own: nothing an earlier Add dialog left in the window's writers applies.
  TArchiveComponents components;
  qel::TCompBase& writer = components.Writer(*kind);
  writer.SetArchiveFile(copy.Archive.toStdString());
  PrepareWriter(writer);
  // The file's path below the folder it was extracted into is the entry's stored name.
  const QString base = copy.Folder.isEmpty() || !copy.File.startsWith(copy.Folder)
                           ? QFileInfo(copy.File).absolutePath() + u'/'
                           : copy.Folder;
  writer.FileSpec = {copy.File.toStdString()};
  writer.StoredDirNames = qel::TStoredDirNames::sdExplorer_UserDefineDefaultDir;
  writer.DefaultDir = base.toStdString();
  // An encrypted entry stays encrypted as it was, with the password that opened it.
  writer.EncryptionMethod =
      copy.Password.empty() ? qel::TEncryptionMethod::emNone : AddingEncryption(copy.Encryption);
  writer.SetPassword(copy.Password);
  prompts_.SetInteractiveAdd(false);
  ui_.RunBusy([&writer] { return writer.Compress(); });
  prompts_.SetInteractiveAdd(true);
  if (copy.Archive == ui_.Shown().File) ui_.ArchiveChanged(std::nullopt);
}

}  // namespace vk::app
