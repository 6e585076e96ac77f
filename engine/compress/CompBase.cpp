#include "engine/compress/CompBase.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <filesystem>

#include "codecs/checksum/Crc.h"
#include "codecs/io/ByteIo.h"
#include "engine/base/DateTime.h"
#include "engine/base/FileSystem.h"
#include "engine/base/Messages.h"
#include "engine/compress/MovedFolders.h"
#include "engine/filters/Masks.h"
#include "engine/scan/Exclusions.h"
#include "engine/scan/FileScan.h"
#include "engine/streams/FileStream32.h"
#include "engine/streams/TempStreams.h"

namespace qel {
namespace {

namespace fs = std::filesystem;

// Attributes that tell two files apart: the archive bit means nothing on Linux.
constexpr uint32_t kComparedAttr = 0x17;

// The folder of the line with the fewest separators (the later one on a tie).
WideString ShallowestFolder(const TStrings& fileSpec) {
  WideString shallowest;
  long depth = -1;
  for (const WideString& line : fileSpec) {
    const long d = long(std::count(line.begin(), line.end(), '/'));
    if (depth < 0 || d <= depth) {
      depth = d;
      shallowest = FolderOf(line);
    }
  }
  return shallowest;
}

bool SameDevice(const WideString& a, const WideString& b) {
  struct stat sa {
  }, sb{};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev;
}

}  // namespace

int TCompBase::Compress() {
  FStored = 0;
  if (ArchiveFile().empty()) {
    DoError("", "ArchiveFile Property", msg::InvalidFileName, "");
    return 0;
  }
  if (!PrepareArchiveFolder()) return 0;
  if (Switch == TSwitch::swRead) {
    ReadOnly();
    return 0;
  }
  struct stat st {};
  const bool exists = ::stat(ArchiveFile().c_str(), &st) == 0;
  if (!exists && (Switch == TSwitch::swRefresh || Switch == TSwitch::swDelete)) {
    DoError(ArchiveFile(), "", msg::NothingToUpdate, "");
    return 0;
  }
  if (exists && !ArchiveWritable()) return 0;
  bool committed = false;
  RunOperation([&] { committed = Run(); });
  return committed && !Cancel() ? FStored : 0;
}

bool TCompBase::PrepareArchiveFolder() {
  const WideString folder = FolderOf(ArchiveFile());
  std::error_code ec;
  if (folder.empty() || fs::is_directory(folder, ec)) return true;
  if (OnCreateDirectory) OnCreateDirectory(*this, folder, true);
  if (fs::create_directories(folder, ec) || fs::is_directory(folder, ec)) return true;
  DoError(folder, "ArchiveFile Property", msg::ErrorCreatingDir, "");
  return false;
}

bool TCompBase::ArchiveWritable() {
  // Read-only is the owner's missing write bit, which the superuser's access() ignores.
  struct stat mode {};
  if (::access(ArchiveFile().c_str(), W_OK) == 0 &&
      (::stat(ArchiveFile().c_str(), &mode) != 0 || (mode.st_mode & S_IWUSR)))
    return true;
  if (!OnNonWriteableArchive) {
    DoError(ArchiveFile(), "OnNonWriteableArchive", msg::RequiredEventNotAssigned, "");
    return false;
  }
  bool writeToFile = false;
  OnNonWriteableArchive(*this, ArchiveFile(), writeToFile);
  if (!writeToFile) return false;
  // The archive is replaced by rename, which needs only the folder writable; the new one
  // takes over the old one's mode, so the owner's write bit is given back here.
  struct stat st {};
  return ::stat(ArchiveFile().c_str(), &st) == 0 &&
         ::chmod(ArchiveFile().c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
}

bool TCompBase::Run() {
  TCompList list;
  FDetectedType = atNA;
  FNewestTime = 0;
  std::unique_ptr<TFileStream32> archive;
  if (ArchiveExistsNow()) {
    archive = OpenExisting(list);
    if (!archive) return false;
  }
  std::unique_ptr<TTempFileStream> temp = TTempFileStream::Create(TempDir());
  if (!temp) ReportAndRaise(TempDir(), msg::ErrorCreatingFile, "", "");
  FTempFile = temp->FileName();
  const bool selected = Switch == TSwitch::swDelete ? MarkDeleted(list) : Gather(list);
  if (Cancel()) return false;
  if (!selected) {
    DoError("", "", msg::NothingToDo, "");
    return false;
  }
  WriteEntries(archive.get(), *temp, list);
  if (Cancel()) return false;
  const bool changed = FStored > 0 || std::any_of(list.begin(), list.end(), [](const auto& e) {
                         return !e.Header.empty() && e.State != TEntryState::esKeep;
                       });
  if (!changed) {
    DoError("", "", msg::NothingToDo, "");
    return false;
  }
  WriteDirectory(*temp, list);
  archive.reset();
  if (!Deliver(*temp)) return false;
  if (Switch == TSwitch::swMove) DeleteMoved(list);
  return true;
}

std::unique_ptr<TFileStream32> TCompBase::OpenExisting(TCompList& list) {
  std::unique_ptr<TFileStream32> archive = TFileStream32::Open(ArchiveFile(), fmOpenRead);
  if (!archive) ReportAndRaise(ArchiveFile(), msg::ErrorOpeningFile, "", "");
  FDetectedType = GetArcType(*archive);
  if (!ReadDirectory(*archive, list)) return nullptr;
  return archive;
}

bool TCompBase::ReadEntries(TCompList& list) {
  list.clear();
  bool read = false;
  RunOperation([&] { read = OpenExisting(list) != nullptr; });
  return read;
}

bool TCompBase::Rename(const TCompList& renamed) {
  if (!ArchiveExistsNow()) {
    DoError(ArchiveFile(), "", msg::NothingToUpdate, "");
    return false;
  }
  if (!ArchiveWritable()) return false;
  bool committed = false;
  FRenaming = true;
  RunOperation([&] {
    FStored = 0;
    TCompList list;
    std::unique_ptr<TFileStream32> archive = OpenExisting(list);
    if (!archive) return;
    // The names go onto the directory as it is now; one that changed since the list was
    // read would take them onto other entries.
    const auto same = [](const TCompEntry& a, const TCompEntry& b) {
      return a.Header == b.Header && a.Offset == b.Offset;
    };
    if (!std::equal(list.begin(), list.end(), renamed.begin(), renamed.end(), same))
      ReportAndRaise(ArchiveFile(), msg::ArchiveChanged, "", "");
    for (size_t i = 0; i < list.size(); ++i) {
      list[i].State = renamed[i].State;
      list[i].StoredName = renamed[i].StoredName;
    }
    std::unique_ptr<TTempFileStream> temp = TTempFileStream::Create(TempDir());
    if (!temp) ReportAndRaise(TempDir(), msg::ErrorCreatingFile, "", "");
    WriteEntries(archive.get(), *temp, list);
    if (Cancel()) return;
    WriteDirectory(*temp, list);
    archive.reset();
    committed = Deliver(*temp);
  });
  FRenaming = false;
  return committed && !Cancel();
}

bool TCompBase::ArchiveExistsNow() const {
  struct stat st {};
  return ::stat(ArchiveFile().c_str(), &st) == 0;
}

WideString TCompBase::NameKey(const WideString& storedName) const {
  return StoredDirNames == TStoredDirNames::sdNone ? NamePart(storedName) : storedName;
}

WideString TCompBase::StoredNameOf(const WideString& path) const {
  return StoredName(path, FBase, StoredDirNames);
}

bool TCompBase::Gather(TCompList& list) {
  TqelFileScan scan;
  for (WideString line : FileSpec) {
    std::replace(line.begin(), line.end(), '\\', '/');
    scan.FileSpec.push_back(line);
  }
  scan.Attributes = Attributes;
  scan.AttributesEx = AttributesEx;
  scan.RecurseDirs = RecurseDirs;
  scan.IncludeHiddenDirs = IncludeHiddenDirs;
  scan.IncludeEmptyDirs = StoreEmptySubDirs;
  scan.ExcludedFiles = {ArchiveFile(), FTempFile};
  scan.Cancelled = [this] { return Cancel(); };
  scan.OnError = [this](TqelFileScan&, const WideString& name, int code) {
    DoError(name, "", code, "");
  };
  scan.OnNotice = [this](TqelFileScan&, const WideString& name, TScanNotice notice) {
    if (OnScanNotice) OnScanNotice(*this, name, notice);
  };
  scan.OnRecurseDir = [this](TqelFileScan&, const WideString& dir) {
    if (OnRecurseDir) OnRecurseDir(*this, dir);
  };
  scan.OnScanFile = [this](TqelFileScan&, const WideString& name, int count, int64_t size) {
    if (OnFileScanStatus) OnFileScanStatus(*this, name, count, size);
  };

  // The base folder of relative names: the shallowest line's folder for the whole list, or
  // each group's own as the scanner moves to it (noted by the index of its first file).
  FBase = TStoredNameBase();
  const bool relative = StoredDirNames == TStoredDirNames::sdRelative ||
                        StoredDirNames == TStoredDirNames::sdRelativeStoreStart;
  const bool explorer = StoredDirNames == TStoredDirNames::sdExplorer_Auto ||
                        StoredDirNames == TStoredDirNames::sdExplorer_UserDefineDefaultDir;
  if (explorer) {
    if (StoredDirNames == TStoredDirNames::sdExplorer_Auto) {
      DefaultDir = CommonSpecFolder(scan.FileSpec);
    } else if (DefaultDir.empty()) {
      DoError("", "DefaultDir", msg::RequiredPropertyNotAssigned, "");
      return false;
    }
    FBase.DefaultDir = DefaultDir;
  }
  const bool byList = RelativeDir == TRelativeDir::byList && relative;
  if (byList) scan.RootDir = FBase.Folder = ShallowestFolder(scan.FileSpec);
  std::vector<std::pair<size_t, WideString>> groups;
  scan.OnRootDirChange = [&groups](TqelFileScan& s, const WideString& dir) {
    groups.emplace_back(s.Files().size(), dir);
  };
  scan.Scan();
  if (Cancel()) return false;
  FArchiveTotal = scan.FilesSize();
  ArchiveBytesLeft = FArchiveTotal;

  const size_t existing = list.size();
  FNames.clear();
  for (size_t i = 0; i < list.size(); ++i) FNames.emplace(NameKey(list[i].StoredName), i);
  bool selected = false;
  size_t group = 0;
  for (size_t i = 0; i < scan.Files().size(); ++i) {
    const TFileObject& f = scan.Files()[i];
    while (!byList && group < groups.size() && groups[group].first <= i)
      FBase.Folder = groups[group++].second;
    if (ExcludedBySpec(f.FileName, f.IsFolder, ExcludeSpec, RecurseDirs)) {
      if (OnExcludeFile) OnExcludeFile(*this, f.FileName);
      continue;
    }
    if (!Evaluate(f, list, existing)) continue;
    selected = true;
    if (OnScanNotice && StoredNameOf(f.FileName).find('\\') != WideString::npos)
      OnScanNotice(*this, f.FileName, TScanNotice::snBackslash);
  }
  return selected;
}

bool TCompBase::Evaluate(const TFileObject& f, TCompList& list, size_t existing) {
  TCompEntry file;
  file.SourcePath = f.IsFolder ? WithTrailingSlash(f.FileName) : f.FileName;
  file.StoredName = StoredNameOf(file.SourcePath);
  file.Size = f.IsFolder ? 0 : f.Size;
  file.Time = f.Time;
  file.Attr = f.Attr;
  file.IsFolder = f.IsFolder;
  if (file.StoredName.empty() || file.StoredName == "/") return false;
  FNewestTime = std::max(FNewestTime, f.Time);

  const auto found = FNames.find(NameKey(file.StoredName));
  const bool add = Switch == TSwitch::swAdd || Switch == TSwitch::swMove;
  if (found == FNames.end()) {
    if (!add) return false;
    FNames.emplace(NameKey(file.StoredName), list.size());
    list.push_back(std::move(file));
    return true;
  }
  // A second file under a name already taken in this run.
  if (found->second >= existing) return false;
  TCompEntry& old = list[found->second];
  const bool newer = UnixToDosDateTime(file.Time) > UnixToDosDateTime(old.Time);
  const bool identical = old.Size == file.Size &&
                         UnixToDosDateTime(old.Time) == UnixToDosDateTime(file.Time) &&
                         (old.Attr & kComparedAttr) == (file.Attr & kComparedAttr);
  if (identical || (Switch == TSwitch::swRefresh && !newer)) return false;
  if (Switch == TSwitch::swRefresh || AskReplace(old, file)) {
    // The old entry stays in the list behind the file, copied again if the file fails.
    file.Header = std::move(old.Header);
    file.Offset = old.Offset;
    file.Replaces = true;
    old = std::move(file);
    return true;
  }
  if (!OnRenameDupeFile) return false;
  WideString proposal = file.StoredName;
  for (;;) {
    bool rename = true;
    OnRenameDupeFile(*this, file.StoredName, proposal, rename);
    if (!rename || proposal.empty() || proposal == file.StoredName) return false;
    if (!FNames.contains(NameKey(proposal))) break;
  }
  file.StoredName = proposal;
  FNames.emplace(NameKey(proposal), list.size());
  list.push_back(std::move(file));
  return true;
}

bool TCompBase::AskReplace(const TCompEntry& old, const TCompEntry& file) {
  if (!OnReplaceFile) {
    DoError(file.StoredName, "OnReplaceFile", msg::RequiredEventNotAssigned, "");
    return false;
  }
  bool replace = false;
  Timer.Pause();
  OnReplaceFile(*this, old.StoredName, file.SourcePath, UnixToDateTime(old.Time),
                UnixToDateTime(file.Time), old.Size, file.Size, int(old.Attr), int(file.Attr),
                replace);
  Timer.Resume();
  return replace;
}

bool TCompBase::MarkDeleted(TCompList& list) {
  int dropped = 0;
  for (TCompEntry& e : list) {
    if (!MatchesSpec(e.StoredName, FileSpec, ExcludeSpec, RecurseDirs, [this](const auto& n) {
          if (OnExcludeFile) OnExcludeFile(*this, n);
        }))
      continue;
    e.State = TEntryState::esDrop;
    ++dropped;
  }
  int count = 0;
  for (const TCompEntry& e : list)
    if (e.State == TEntryState::esDrop && OnDeleteFile)
      OnDeleteFile(*this, e.StoredName, ++count, dropped);
  return dropped > 0;
}

bool TCompBase::Commit(TTempFileStream& temp) {
  const WideString tempName = temp.FileName();
  if (OnTmpFileMoveBegin) {
    bool cancel = false;
    OnTmpFileMoveBegin(*this, ArchiveFile(), tempName, cancel);
    if (cancel) return false;
  }
  const int64_t size = temp.Size();
  // Across file systems the new archive is copied beside the old one first: the room for it
  // is looked for before anything is written.
  const WideString folder = FolderOf(ArchiveFile()).empty() ? "." : FolderOf(ArchiveFile());
  struct statvfs vfs {};
  if (!SameDevice(tempName, folder) && ::statvfs(folder.c_str(), &vfs) == 0 &&
      int64_t(vfs.f_bavail) * int64_t(vfs.f_frsize) < size) {
    DoError(ArchiveFile(), "", msg::NotEnoughDiskSpace, "");
    return false;
  }
  temp.OnCopyProgress = [this](int64_t done, int64_t total) {
    if (OnTmpFileProgress && total > 0)
      OnTmpFileProgress(*this, uint8_t(done * 100 / total), uint8_t(done * 100 / total));
  };
  if (!temp.Commit(ArchiveFile())) {
    DoError(ArchiveFile(), "", temp.CommitError() == ENOSPC ? msg::DiskFull : msg::ErrorWritingFile,
            "");
    return false;
  }
  if (size > 65536 && OnTmpFileMoveEnd) OnTmpFileMoveEnd(*this);
  return true;
}

void TCompBase::DeleteMoved(const TCompList& list) {
  std::vector<const TCompEntry*> moved;
  for (const TCompEntry& e : list)
    if (e.State == TEntryState::esCompress && !e.SourcePath.empty()) moved.push_back(&e);
  if (VerifyBeforeDelete) {
    // What the new archive's directory holds, read back from the file.
    TCompList written;
    std::unique_ptr<TFileStream32> archive = TFileStream32::Open(ArchiveFile(), fmOpenRead);
    if (!archive) return;
    FDetectedType = GetArcType(*archive);
    if (!ReadDirectory(*archive, written)) return;
    std::erase_if(moved, [&](const TCompEntry* e) {
      return std::none_of(written.begin(), written.end(),
                          [&](const TCompEntry& w) { return w.StoredName == e->StoredName; });
    });
  }
  int count = 0;
  TMovedFolders folders(FileSpec);
  for (const TCompEntry* e : moved) {
    if (e->IsFolder) {
      folders.Note(e->SourcePath);
      continue;
    }
    const bool trashed =
        DeleteOptions == TDeleteOptions::doAllowUndo && MoveToTrash && MoveToTrash(e->SourcePath);
    if (!trashed && ::unlink(e->SourcePath.c_str()) != 0) {
      DoError(e->SourcePath, "", msg::ErrorDeletingFiles, "");
      continue;
    }
    if (OnDeleteFile) OnDeleteFile(*this, e->SourcePath, ++count, int(moved.size()));
    folders.Note(FolderOf(e->SourcePath));
  }
  folders.RemoveEmptied();
}

void TCompBase::ReadOnly() {
  if (!OnRead) {
    DoError(ArchiveFile(), "OnRead", msg::RequiredEventNotAssigned, "");
    return;
  }
  std::unique_ptr<TFileStream32> archive = TFileStream32::Open(ArchiveFile(), fmOpenRead);
  if (!archive) {
    DoError(ArchiveFile(), "", msg::ErrorOpeningFile, "");
    return;
  }
  RunOperation([&] {
    FDetectedType = GetArcType(*archive);
    TCompList list;
    if (!ReadDirectory(*archive, list)) return;
    int count = 0;
    for (const TCompEntry& e : list) OnRead(*this, e.Offset, ++count);
  });
}

bool TCompBase::ChooseName(TCompEntry& e, const TCompList& list) {
  if (!OnRenameFile) return true;
  for (int asked = 0; asked < 16; ++asked) {
    WideString proposal;
    OnRenameFile(*this, e.StoredName, proposal);
    if (proposal.empty() || proposal == e.StoredName) return true;
    const bool taken = std::any_of(list.begin(), list.end(), [&](const TCompEntry& other) {
      return &other != &e && other.StoredName == proposal;
    });
    if (!taken) {
      e.StoredName = proposal;
      return true;
    }
  }
  return false;
}

int64_t TCompBase::EntryTimeOf(const TCompEntry& e) const {
  switch (DateAttribute) {
    case TDateAttribute::daSysDate:
      return int64_t(std::time(nullptr));
    case TDateAttribute::daMaxFileDate:
      return FNewestTime;
    case TDateAttribute::daFileDate:
      break;
  }
  return e.Time;
}

void TCompBase::WriteOut(TStream64& out, const void* data, size_t size) {
  if (!out.WriteFully(data, int64_t(size))) ReportAndRaise(FileName, msg::ErrorWritingFile, "", "");
}

void TCompBase::CopyPrefix(TStream64& archive, TStream64& out, const TCompList& list) {
  int64_t first = HeaderOffset();
  for (const TCompEntry& e : list)
    if (!e.Header.empty()) first = std::min(first, e.Offset);
  if (first <= 0) return;
  if (!archive.SetPosition(0) || out.CopyFrom(archive, first) != first)
    ReportAndRaise(ArchiveFile(), msg::ErrorWritingFile, "", "");
}

void TCompBase::WriteInOrder(TCompList& list, bool fromArchive,
                             const std::function<bool(size_t at, int index)>& compress,
                             const std::function<void(const TCompEntry& e)>& copy) {
  int index = 0;
  for (size_t i = 0; i < list.size(); ++i) {
    TCompEntry& e = list[i];
    if (Cancel()) break;
    if (e.State == TEntryState::esCompress) {
      if (compress(i, ++index)) {
        ++FStored;
        continue;
      }
      if (Cancel()) break;
      if (!e.Replaces) {
        e.State = TEntryState::esDrop;
        continue;
      }
      e.State = TEntryState::esKeep;
    }
    if ((e.State == TEntryState::esKeep || e.State == TEntryState::esRename) && fromArchive)
      copy(e);
  }
}

bool TCompBase::BeginFile(int index) {
  if (!OnBegin) return true;
  bool extract = true;
  Timer.Pause();
  OnBegin(*this, FileName, index, extract);
  Timer.Resume();
  return extract;
}

bool TCompBase::OpenSource(const TCompEntry& e, std::unique_ptr<TFileStream32>& source) {
  source.reset();
  if (e.IsFolder) return true;
  source = TFileStream32::Open(e.SourcePath, fmOpenRead);
  if (!source) DoError(e.SourcePath, "", msg::ErrorOpeningFile, "");
  return source != nullptr;
}

namespace {

constexpr int64_t kSourcePiece = 1 << 17;

// Whether reading `source` has reached its end (one byte more is read to tell).
bool AtEnd(TStream64& source) {
  uint8_t probe;
  return source.Read(&probe, 1) <= 0;
}

}  // namespace

bool TCompBase::ReadHeaderRun(TStream64& archive, TCompList& list, const TReadKept& read) {
  const TReadAt readAt = archive.ExactReader();
  for (int64_t pos = std::max<int64_t>(HeaderOffset(), 0); !Cancel();) {
    TCompEntry e;
    int64_t dataStart = 0, next = 0;
    const THeaderRead r = read(pos, e, dataStart, next);
    if (r == THeaderRead::End) return true;
    e.State = TEntryState::esKeep;
    e.Offset = pos;
    if (r == THeaderRead::Ok) e.Header.resize(size_t(dataStart - pos));
    if (r == THeaderRead::Bad || !readAt(pos, e.Header.data(), int64_t(e.Header.size()))) {
      DoError(ArchiveFile(), "", msg::BadFileHeader, "");
      return false;
    }
    list.push_back(std::move(e));
    pos = next;
  }
  return false;
}

void TCompBase::CopyKeptBytes(TStream64& archive, TStream64& out, int64_t count,
                              const WideString& name) {
  constexpr int64_t kCopyBlock = int64_t(16) << 20;
  for (int64_t left = count; left > 0;) {
    if (Cancel()) throw ECancelled();
    const int64_t n = std::min(left, kCopyBlock);
    if (out.CopyFrom(archive, n) != n) ReportAndRaise(name, msg::ErrorWritingFile, "", "");
    left -= n;
  }
}

std::optional<uint32_t> TCompBase::SourceCrc(TStream64& source, int64_t size,
                                             const WideString& path) {
  if (!source.SetPosition(0)) ReportAndRaise(path, msg::ErrorReadingFile, "", "");
  std::vector<uint8_t> buffer(size_t(std::clamp<int64_t>(size, 1, kSourcePiece)));
  uint32_t crc = 0;
  int64_t total = 0;
  while (total < size) {
    const int64_t n =
        source.Read(buffer.data(), std::min<int64_t>(int64_t(buffer.size()), size - total));
    if (n < 0) ReportAndRaise(path, msg::ErrorReadingFile, "", "");
    if (n == 0) break;
    if (Cancel()) throw ECancelled();
    crc = Crc32(crc, buffer.data(), size_t(n));
    total += n;
  }
  if (total != size || !AtEnd(source)) return std::nullopt;
  return crc;
}

TCodecSource TCompBase::EncoderSource(TStream64& source, int64_t size,
                                      const std::function<void(const uint8_t*, size_t)>& seen) {
  return [this, &source, size, seen](uint8_t* buffer, size_t n) {
    if (Cancel()) throw ECancelled();
    const int64_t got = ReadSource(source, buffer, int64_t(std::min<size_t>(n, kSourcePiece)));
    seen(buffer, size_t(got));
    ReportProgress(size, size - FileBytesLeft, FArchiveTotal, FArchiveTotal - ArchiveBytesLeft);
    return size_t(got);
  };
}

bool TCompBase::LeaveOutChanged(TStream64& out, int64_t offset, const WideString& path) {
  DoError(path, "changed while it was read", msg::FileSizeDifferent, "");
  if (!out.SetSize(offset) || !out.SetPosition(offset))
    ReportAndRaise(path, msg::ErrorWritingFile, "", "");
  return false;
}

bool TCompBase::PumpSource(TStream64& source, IByteSink& sink, int64_t size, uint32_t* crc) {
  if (!source.SetPosition(0)) ReportAndRaise(FileName, msg::ErrorReadingFile, "", "");
  FileBytesLeft = size;
  std::vector<uint8_t> buffer(size_t(std::clamp<int64_t>(size, 1, kSourcePiece)));
  int64_t total = 0;
  while (total < size) {
    const int64_t n =
        ReadSource(source, buffer.data(), std::min<int64_t>(int64_t(buffer.size()), size - total));
    if (n == 0) break;
    if (Cancel()) throw ECancelled();
    if (crc) *crc = Crc32(*crc, buffer.data(), size_t(n));
    if (!sink.WriteFully(buffer.data(), n)) ReportAndRaise(FileName, msg::ErrorWritingFile, "", "");
    total += n;
    ReportProgress(size, size - FileBytesLeft, FArchiveTotal, FArchiveTotal - ArchiveBytesLeft);
  }
  return total == size && AtEnd(source);
}

}  // namespace qel
