#include "engine/extract/UnBase.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "engine/base/FileSystem.h"
#include "engine/base/Messages.h"
#include "engine/extract/OutputNames.h"
#include "engine/extract/SafeFiles.h"
#include "engine/streams/TempCommit.h"

namespace qel {
namespace fs = std::filesystem;

namespace {

// A handler that keeps naming files that exist would otherwise be asked for ever.
constexpr int kMaxAsks = 64;

bool PathExists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace

TUnBase::TUnBase() : FUmask(CurrentUmask()) {}

TUnBase::~TUnBase() = default;

int64_t TUnBase::CurrentEntryTime() const {
  return FEntry.UnixTime >= 0 ? FEntry.UnixTime : DosDateTimeToUnix(FEntry.DosDateTime);
}

bool TUnBase::BuildOutputName(const TUnEntry& entry) {
  FEntry = entry;
  FileName = entry.StoredName;
  FOutName = entry.StoredName;
  FUserChosen = false;
  FCrc = 0;
  FileBytesLeft = entry.UnpackedSize;
  FPackedLeft = entry.PackedSize;
  if (!IsDiskMode()) return true;
  std::optional<std::string> cleaned = CleanStoredName(entry.StoredName, UseStoredDirs);
  // Nothing left is a folder entry flattened away; a file needs a name.
  const bool folder = !entry.StoredName.empty() && entry.StoredName.back() == '/';
  if (!cleaned || (cleaned->empty() && !folder)) {
    DoError(entry.StoredName, "", msg::InvalidFileName, "");
    FOutName.clear();
    return false;
  }
  FOutName = cleaned->empty() ? "" : FTargetDir + *cleaned;
  // The cleaning above cannot lead out of the target folder; this holds it to that.
  if (!FOutName.empty() && !RelativeBelow(FOutName, FTargetDir)) {
    DoError(entry.StoredName, "", msg::InvalidFileName, "");
    FOutName.clear();
    return false;
  }
  return true;
}

bool TUnBase::BuildWholeFileOutputName(const TUnEntry& entry) {
  FArchiveTotal = ArchiveBytesLeft = entry.PackedSize;
  NoteEntryDate(entry.DosDateTime);
  if (!BuildOutputName(entry)) return false;
  // A compressed file whose name has no extension to drop, or a text that names itself.
  if (IsDiskMode() && IsArchiveFile(OutputName())) {
    DoError(OutputName(), "", msg::SameInputOutput, "");
    return false;
  }
  return true;
}

int TUnBase::OpenFolderFor(const WideString& folder) {
  int fd = -1;
  if (FUserChosen) {
    // The application's choice may lie anywhere, through links included.
    std::error_code ec;
    fs::create_directories(folder, ec);
    fd = FChosen.Open(folder, "");
  } else if (std::optional<std::string> rel = RelativeBelow(folder, FTargetDir)) {
    fd = FFolders.Open(FTargetDir, *rel);
  }
  if (fd < 0) DoError(folder, "qelBase::ForceDirectories", msg::ErrorCreatingDir, "");
  return fd;
}

bool TUnBase::ForceFolderOf(const WideString& path) {
  return OpenFolderFor(fs::path(path).parent_path().string()) >= 0;
}

void TUnBase::PrepareFolder() {
  if (OnBegin && (!IsDiskMode() || UseStoredDirs)) {
    Timer.Pause();
    if (IsDiskMode() && OnRenameFile) {
      WideString newName;
      OnRenameFile(*this, FileName, newName);
      if (!newName.empty()) {
        FOutName = WithTrailingSlash(newName);
        FUserChosen = true;
      }
    }
    bool extract = true;  // a folder is processed whatever the answer
    OnBegin(*this, FileName, FCount + 1, extract);
    Timer.Resume();
  }
  if (IsDiskMode() && CreateStoredDirs && !FOutName.empty()) {
    if (!PathExists(FOutName)) ForceFolderOf(FOutName);
    FFolderFacts.push_back({FOutName, TimeToSet(), UnixModeToSet()});
  }
}

void TUnBase::EndEntries() {
  // Deepest first: a parent left without write or search permission would shut out its
  // subfolders.
  std::stable_sort(
      FFolderFacts.begin(), FFolderFacts.end(),
      [](const TFolderFacts& a, const TFolderFacts& b) { return a.Path.size() > b.Path.size(); });
  for (const TFolderFacts& folder : FFolderFacts) {
    const fs::path path = fs::path(folder.Path).parent_path();  // without its trailing "/"
    const int parent = OpenFolderFor(path.parent_path().string());
    if (parent < 0) continue;
    const struct timespec times[2] = {{0, UTIME_OMIT}, {time_t(folder.Time), 0}};
    ::utimensat(parent, path.filename().c_str(), times, AT_SYMLINK_NOFOLLOW);
    if (!folder.Mode) continue;
    const int fd =
        ::openat(parent, path.filename().c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    ::fchmod(fd, mode_t(*folder.Mode));
    ::close(fd);
  }
  FFolderFacts.clear();
}

bool TUnBase::PrepareEntry(bool isDirectory) {
  if (isDirectory) {
    PrepareFolder();
    ++FCount;
    return true;
  }
  bool extract = true;
  if (OnBegin) {
    Timer.Pause();
    if (IsDiskMode() && OnRenameFile) {
      WideString newName;
      OnRenameFile(*this, FileName, newName);
      if (!newName.empty()) {
        FOutName = newName;
        FUserChosen = true;
        ForceFolderOf(FOutName);
      }
    }
    OnBegin(*this, FileName, FCount + 1, extract);
    Timer.Resume();
  }
  if (Cancel() || !extract) return false;
  if (IsDiskMode()) {
    if (FOutName.empty() || !DecideOverwrite()) return false;
    // Writing the archive while reading it would destroy it.
    if (!FOutAbsent && IsArchiveFile(FOutName)) {
      DoError(FOutName, "", msg::SameInputOutput, VolumeName());
      return false;
    }
  }
  ++FCount;
  return true;
}

bool TUnBase::Replaceable(const WideString& path, const struct stat& st) {
  // Files and links are removed and made anew; a folder is refused when the file is
  // created. Devices, pipes and sockets are not ours to remove.
  if (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode) || S_ISDIR(st.st_mode)) return true;
  DoError(path, "", msg::UnsupportedOverwriteAttr, "");
  return false;
}

bool TUnBase::DecideOverwrite() {
  struct stat st {};
  FOutAbsent = ::lstat(FOutName.c_str(), &st) != 0;
  if (FOutAbsent) return true;
  if (!ConfirmOverwrites)
    return OverwriteMode != TOverwriteMode::omSkip && Replaceable(FOutName, st);
  if (!OnFileExists) {
    DoError(FOutName, "OnFileExists", msg::RequiredEventNotAssigned, "");
    return false;
  }
  // The answer holds for this entry only; an application that offers "all" remembers it.
  TOverwriteMode mode = OverwriteMode;
  WideString current = FOutName;
  bool settled = false;
  for (int asked = 0; asked < kMaxAsks && !settled; ++asked) {
    WideString newName;
    Timer.Pause();
    OnFileExists(*this, current, newName, mode);
    Timer.Resume();
    WideString chosen = current;
    if (!newName.empty()) {
      chosen = newName.find('/') == std::string::npos
                   ? (fs::path(current).parent_path() / newName).string()
                   : newName;
      if (chosen != current && mode == TOverwriteMode::omSkip) mode = TOverwriteMode::omOverwrite;
    }
    // Names are compared exactly: "Foo" and "foo" are two files here.
    if (chosen == current) {
      settled = true;
      break;
    }
    current = chosen;
    FUserChosen = true;
    if (mode == TOverwriteMode::omOverwrite) ForceFolderOf(current);
    settled = !PathExists(current) || Cancel() || mode == TOverwriteMode::omSkip;
  }
  if (!settled || Cancel() || mode == TOverwriteMode::omSkip) return false;
  FOutName = current;
  FOutAbsent = ::lstat(FOutName.c_str(), &st) != 0;
  return FOutAbsent || Replaceable(FOutName, st);
}

}  // namespace qel
