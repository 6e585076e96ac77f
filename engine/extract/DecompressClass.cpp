#include "engine/extract/DecompressClass.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "engine/base/FileSystem.h"
#include "engine/base/Messages.h"
#include "engine/extract/OutputNames.h"
#include "engine/filters/Masks.h"
#include "engine/streams/FileStream32.h"

namespace qel {
namespace fs = std::filesystem;

namespace {

std::string CurrentFolder() {
  std::error_code ec;
  return WithTrailingSlash(fs::current_path(ec).string());
}

// One spelling per folder, whatever the user typed ("." , "./", "sub/.."): output names
// are held below it by comparing paths.
std::string FolderSpelling(const std::string& folder) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(folder, ec);
  return WithTrailingSlash(ec ? folder : absolute.lexically_normal().string());
}

}  // namespace

TDecompressClass::TDecompressClass() { TranslateOemChar = true; }

TDecompressClass::~TDecompressClass() = default;

bool TDecompressClass::SetExtractDir(const WideString& folder) {
  std::string target = folder;
  if (target.empty()) {
    target = fs::path(ArchiveFile()).parent_path().string();
    if (target.empty()) target = CurrentFolder();
  }
  std::error_code ec;
  fs::create_directories(target, ec);
  const bool made = fs::is_directory(target, ec);
  if (!made) {
    DoError(target, "ExtractDir", msg::ErrorCreatingDir, "");
    target = CurrentFolder();
  }
  FExtractDir = FolderSpelling(target);
  return made;
}

int TDecompressClass::Extract() { return Run(TOutputMode::Extract); }
int TDecompressClass::ExtractAsIs() { return Run(TOutputMode::ExtractAsIs); }
int TDecompressClass::Test() { return Run(TOutputMode::Test); }

void TDecompressClass::ResetState() {
  FCount = 0;
  FNewestDate = 0;
  FileBytesLeft = 0;
  FArchiveTotal = ArchiveBytesLeft = FArchive ? FArchive->Size() : 0;
  VolumeCounter = 0;
  FVolumeName = ArchiveFile();
}

int TDecompressClass::Run(TOutputMode mode) {
  FOutputMode = mode;
  CloseVolume();
  FVolumeIds.clear();
  if (ArchiveFile().empty()) {
    DoError("", "", msg::FileNotFound, "");
    return 0;
  }
  if (NeedsArchiveStream() && !OpenVolume(ArchiveFile())) return 0;
  ResetState();
  RunOperation([this] {
    FTargetDir = FExtractDir.empty() ? CurrentFolder() : FExtractDir;
    if (IsDiskMode() && !CheckWriteAccess(FTargetDir)) return;
    FTargetDir = FolderSpelling(FTargetDir);
    ExtractEntries();
    EndEntries();
  });
  ReleaseOutput();
  CloseVolume();
  return FCount;
}

bool TDecompressClass::OpenVolume(const WideString& name) {
  std::unique_ptr<TFileStream32> file = TFileStream32::Open(name, fmOpenRead);
  if (!file) {
    DoError(name, "", msg::ErrorOpeningFile, name);
    return false;
  }
  UseVolume(std::move(file), name);
  return true;
}

void TDecompressClass::UseVolume(std::unique_ptr<TFileStream32> file, const WideString& name) {
  struct stat st {};
  if (::fstat(file->Handle(), &st) == 0) FVolumeIds.emplace_back(st.st_dev, st.st_ino);
  FArchive = std::move(file);
  FVolumeName = name;
  ++FVolumeSerial;
}

void TDecompressClass::CloseVolume() {
  FArchive.reset();
  ++FVolumeSerial;
}

bool TDecompressClass::IsArchiveFile(const WideString& path) const {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return false;
  return std::find(FVolumeIds.begin(), FVolumeIds.end(), std::make_pair(st.st_dev, st.st_ino)) !=
         FVolumeIds.end();
}

WideString TDecompressClass::NextVolumeName() { return NextNumberedName(FVolumeName); }

bool TDecompressClass::OpenNextVolume() {
  WideString name = NextVolumeName();
  return RequestNextVolume(name, VolumeCounter + 1) && OpenVolume(name);
}

bool TDecompressClass::MatchesSpec(const WideString& name) {
  return qel::MatchesSpec(name, FileSpec, ExcludeSpec, RecurseDirs, [this](const std::string& n) {
    if (OnExcludeFile) OnExcludeFile(*this, n);
  });
}

bool TDecompressClass::Selects(const WideString& name) const {
  return qel::MatchesSpec(name, FileSpec, ExcludeSpec, RecurseDirs, {});
}

bool TDecompressClass::MatchesSpecFlat(const WideString& name) {
  return qel::MatchesSpecFlat(name, FileSpec, ExcludeSpec, [this](const std::string& n) {
    if (OnExcludeFile) OnExcludeFile(*this, n);
  });
}

}  // namespace qel
