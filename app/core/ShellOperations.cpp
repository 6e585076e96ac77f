#include "app/core/ShellOperations.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "app/core/AddChoices.h"
#include "app/core/AddPasses.h"
#include "app/core/AppSettings.h"
#include "app/core/ArchiveComponents.h"
#include "app/core/ArchiveNames.h"
#include "app/core/CommandRules.h"
#include "app/core/Readers.h"
#include "app/core/Translation.h"
#include "app/prompts/EnginePrompts.h"
#include "engine/base/Messages.h"
#include "engine/compress/CompBase.h"
#include "engine/extract/DecompressClass.h"
#include "engine/list/Quell.h"
#include "engine/registry/Formats.h"

namespace vk::app {
namespace {

using qel::TEncryptionMethod;

// The cabinet writer makes a new cabinet each time: adding to an existing one would lose
// every entry it holds.
bool UpdatesArchives(TComponentKind writer) { return writer != TComponentKind::MakeCab; }

QString WithoutMask(const QString& path) {
  return IsFolderMask(path) ? QFileInfo(path).path() : path;
}

QString TempFolder() { return AppSettings().AppTempFolder; }

// The folder of its own an archive is extracted into below `target`, named after it. A name
// such as "...zip" leaves ".." as its base name, which would be the folder above `target`:
// such a name keeps its whole self, as one that is all extension does.
QString OwnFolder(const QString& target, const QString& archive) {
  const QString base = ArchiveBaseName(archive);
  return QDir(target).filePath(base == "." || base == ".." ? QFileInfo(archive).fileName() : base);
}

// Resets the extraction answers when an extract operation ends, however it ends.
struct TExtractionRun {
  explicit TExtractionRun(TEnginePrompts& p) : prompts(p) { prompts.BeginExtraction(); }
  ~TExtractionRun() { prompts.BeginExtraction(); }
  TEnginePrompts& prompts;
};

}  // namespace

qel::TEncryptionMethod AddingEncryption(qel::TEncryptionMethod viewed) {
  using enum TEncryptionMethod;
  switch (viewed) {
    case emAes1_128:
    case emPkAes1_128:
    case emPkAes2_128:
      return emAes2_128;
    case emAes1_192:
    case emPkAes1_192:
    case emPkAes2_192:
      return emAes2_192;
    case emAes1_256:
    case emPkAes1_256:
    case emPkAes2_256:
      return emAes2_256;
    default:
      return viewed;
  }
}

bool IsFolderMask(const QString& path) { return path.contains('*'); }

QStringList OperationPaths(const QStringList& paths) {
  QStringList result;
  for (QString path : paths) {
    if (path.isEmpty()) continue;
    if (path.endsWith("/*.*")) path.chop(2);
    path = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    if (!IsFolderMask(path) && QFileInfo(path).isDir())
      path = path.endsWith('/') ? path + '*' : path + "/*";
    result << path;
  }
  return result;
}

QString DefaultArchiveName(const QStringList& paths, const QString& extension) {
  if (paths.size() == 1)
    return IsFolderMask(paths[0]) ? ProposedArchiveName(paths[0], false, extension)
                                  : ReplaceArchiveExtension(paths[0], extension);
  // Beside the items rather than inside a folder about to be added.
  return ProposedArchiveName(QFileInfo(WithoutMask(paths[0])).path(), true, extension);
}

TShellOperations::TShellOperations(TArchiveComponents& components, TEnginePrompts& prompts,
                                   IOperationUi& ui)
    : components_(components), prompts_(prompts), ui_(ui) {}

void TShellOperations::Refuse(const QString& text) {
  failed_ = true;
  ui_.ShowMessage(text);
}

void TShellOperations::CountingMessage(TCounted what, int count) {
  if (const std::optional<QString> text = CountMessage(what, count)) ui_.ShowMessage(*text);
}

void TShellOperations::Watch(qel::TZipCommon& component) {
  errorLog_.ComponentActivated();
  component.OnError = ReportingErrors(
      errorLog_, prompts_,
      [this](const QString& notice) {
        if (AppSettings().ShowMessages) ui_.ShowMessage(notice);
      },
      [this](const std::optional<QString>& line) {
        failed_ = true;
        if (line) ui_.ReportError(*line);
      });
  component.Threads = AppSettings().Threads;
}

void TShellOperations::SplitPaths(const QStringList& paths, qel::TCompBase& writer,
                                  bool foldersInFileSpec) {
  writer.FileSpec.clear();
  components_.FolderList.clear();
  for (const QString& path : paths) {
    if (IsFolderMask(path) && !foldersInFileSpec)
      components_.FolderList << path;
    else
      writer.FileSpec.push_back(path.toStdString());
  }
  // One pass takes the folders' content too.
  if (foldersInFileSpec) writer.RecurseDirs = std::any_of(paths.begin(), paths.end(), IsFolderMask);
}

bool TShellOperations::CanWriteTo(const QString& archive) {
  if (UpdatesArchives(components_.KindOf(*components_.CurrentWriter)) ||
      !QFileInfo::exists(archive))
    return true;
  Refuse(Message(210));
  return false;
}

int TShellOperations::RunPasses(qel::TCompBase& writer) {
  if (writer.FileSpec.empty() && components_.FolderList.isEmpty()) return 0;
  Watch(writer);
  prompts_.AttachWriter(writer);
  // Empty folders come with the folders' content: the folder pass, or one recursing pass.
  writer.StoreEmptySubDirs = writer.RecurseDirs;
  const bool folderNames = AppSettings().IncludeFolderInfo;
  return ui_.RunWithProgress(0, writer, [&] {
    return RunAddPasses(writer, components_.FolderList, folderNames,
                        [this](bool secondPass) { prompts_.WriterActivated(secondPass); });
  });
}

int TShellOperations::AddToArchive(const QStringList& given) {
  const QStringList paths = OperationPaths(given);
  if (paths.isEmpty()) return 0;
  const bool several = paths.size() > 1;
  const QString item = several ? QFileInfo(WithoutMask(paths[0])).path() : paths[0];
  const std::optional<QString> name =
      ui_.AskArchiveName(components_, item, several, int(paths.size()));
  if (!name) return 0;
  const TComponentType& type = ComponentType(*components_.CurrentKind());
  if (components_.CurrentWrapper || !type.Available) {
    Refuse(FormatMessage(Message(215), {type.Format}));
    return 0;
  }
  if (!CanWriteTo(*name)) return 0;
  qel::TCompBase& writer = *components_.CurrentWriter;
  const bool cabinet = type.Kind == TComponentKind::MakeCab;
  writer.SetArchiveFile(name->toStdString());
  writer.SetTempDir(TempFolder().toStdString());
  writer.StoredDirNames =
      cabinet ? qel::TStoredDirNames::sdRelativeStoreStart : qel::TStoredDirNames::sdRelative;
  writer.RecurseDirs = false;
  writer.AttributesEx.Include(qel::TqelFileAttribute::fsSysFile);
  SplitPaths(paths, writer, cabinet);
  return RunPasses(writer);
}

int TShellOperations::AddToArchive(const QStringList& given, const TOpenArchive& open) {
  const QStringList paths = OperationPaths(given);
  if (paths.isEmpty()) return 0;
  // A split set has no writer; a cabinet's would replace it with the new files alone.
  if (!WriterForType(open.Type)) {
    Refuse(Message(210));
    return 0;
  }
  components_.Select(*WriterForType(open.Type));
  qel::TCompBase& writer = *components_.CurrentWriter;
  writer.SetArchiveFile(open.File.toStdString());
  writer.SetTempDir(TempFolder().toStdString());
  writer.RecurseDirs = false;
  if (const std::string& password = prompts_.Memory().LastPassword; !password.empty()) {
    writer.SetPassword(password);
    writer.EncryptionMethod = AddingEncryption(open.ViewEncryption);
  }
  writer.Switch = qel::TSwitch::swAdd;
  SplitPaths(paths, writer, false);
  const int count = RunPasses(writer);
  CountingMessage(TCounted::Added, count);
  return count;
}

int TShellOperations::AddToDefaultArchive(const QStringList& given) {
  const QStringList paths = OperationPaths(given);
  if (paths.isEmpty()) return 0;
  const TAppSettings& s = AppSettings();
  int entry = CompactTypeOfDefArcType(s.DefArcType);
  // A value the settings dialog never writes: the program's own default type.
  if (entry < 0) entry = CompactTypeOfDefArcType(6);
  const TComponentKind kind = CompactTypes()[size_t(entry)].Kind;
  if (!ComponentType(kind).Available) {
    Refuse(FormatMessage(Message(215), {ComponentType(kind).Format}));
    return 0;
  }
  const QString name = DefaultArchiveName(paths, CompactExtension(entry, s.DefBgaMethod));
  components_.Select(kind);
  if (!CanWriteTo(name)) return 0;
  qel::TCompBase& writer = *components_.CurrentWriter;
  writer.SetArchiveFile(name.toStdString());
  writer.Switch = qel::TSwitch::swAdd;
  writer.DeflateType = qel::TDeflateType(std::clamp(s.DefType, 0, 3));
  ApplyDefaultMethod(writer, kind);
  writer.SetTempDir(TempFolder().toStdString());
  writer.StoredDirNames = qel::TStoredDirNames::sdRelative;
  writer.RecurseDirs = false;
  SplitPaths(paths, writer, kind == TComponentKind::MakeCab);
  const int count = RunPasses(writer);
  CountingMessage(TCounted::Added, count);
  return count;
}

std::optional<int> TShellOperations::ExtractArchive(
    const QString& archive,
    const std::function<void(qel::TDecompressClass&, qel::TCustomQuell&)>& setup) {
  qel::TQuell lister;
  Watch(lister);
  // A name that is wrong is not a type that cannot be read: said, and the next one follows.
  if (!QFileInfo(archive).isFile()) {
    lister.DoError(archive.toStdString(), "", qel::msg::FileNotFound, "");
    return 0;
  }
  prompts_.AttachLister(lister);
  lister.SetArchiveFile(archive.toStdString());
  if (!qel::ReaderFor(lister.ArcType())) {
    Refuse(Message(200));
    return std::nullopt;
  }
  std::unique_ptr<qel::TDecompressClass> reader =
      OpenReader(lister.ArcType(), archive.toStdString(), [&](qel::TDecompressClass& r) {
        Watch(r);
        prompts_.AttachReader(r);
        r.ZipCmntBufSize = lister.ZipCmntBufSize();
      });
  if (!reader) return 0;  // reported
  setup(*reader, lister);
  reader->FileSpec = {"*"};
  return ui_.RunWithProgress(1, *reader, [&reader] { return reader->Extract(); });
}

void TShellOperations::ExtractWithDialog(const QStringList& given, const QString& target) {
  const QStringList archives = OperationPaths(given);
  if (archives.isEmpty()) return;
  TExtractionRun run(prompts_);
  const bool several = archives.size() > 1;
  const QString proposal = QDir(target).filePath(QFileInfo(archives[0]).fileName());
  const std::optional<TExtractChoices> choices = ui_.AskExtractChoices(proposal, several);
  if (!choices) return;
  int count = 0;
  for (const QString& archive : archives) {
    const std::optional<int> extracted =
        ExtractArchive(archive, [&](qel::TDecompressClass& reader, qel::TCustomQuell&) {
          ApplyExtractChoices(*choices, reader, TempFolder());
          if (several && choices->RestoreFolders)
            reader.SetExtractDir(OwnFolder(choices->Folder, archive).toStdString());
        });
    if (!extracted) break;
    count += *extracted;
  }
  CountingMessage(TCounted::Extracted, count);
  RememberExtractFolder(*choices);
  if (choices->OpenFolder) ui_.OpenFolder(choices->Folder);
}

QString TShellOperations::ExtractDirect(const QStringList& given, const QString& target, int mode) {
  const QStringList archives = OperationPaths(given);
  if (archives.isEmpty()) return {};
  TExtractionRun run(prompts_);
  TExtractChoices choices;
  choices.ConfirmOverwrites = true;  // the run's answers decide from there on
  choices.RestoreFolders = true;
  choices.RestoreAttributes = true;
  QString folder;
  int count = 0;
  for (const QString& archive : archives) {
    const std::optional<int> extracted =
        ExtractArchive(archive, [&](qel::TDecompressClass& reader, qel::TCustomQuell& lister) {
          bool own = mode == 2;
          if (mode == 1) {
            qel::TStrings entries;
            lister.FileSpec = {"*"};
            lister.GetFileList(entries);
            own = entries.size() != 1;
          }
          choices.Folder = own ? OwnFolder(target, archive) : target;
          ApplyExtractChoices(choices, reader, TempFolder());
          folder = QString::fromStdString(reader.ExtractDir());
        });
    if (!extracted) break;
    count += *extracted;
  }
  CountingMessage(TCounted::Extracted, count);
  return folder;
}

}  // namespace vk::app
