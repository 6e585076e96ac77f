#include "formats/zip/SplitVolumes.h"

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "engine/base/Messages.h"
#include "engine/base/ZipCommon.h"
#include "engine/streams/FileCopy.h"
#include "engine/streams/TempCommit.h"
#include "engine/volumes/VolumeNames.h"

namespace qel {

// The engine's limit for a set: the reader asks for volumes up to this number.
constexpr int kMaxVolumes = 999;

TSplitVolumes::TSplitVolumes(TZipCommon& owner, std::string setName, int64_t partSize,
                             std::function<bool(const std::string& name)> approve)
    : owner_(owner),
      setName_(std::move(setName)),
      partSize_(partSize),
      approve_(std::move(approve)) {
  Open();
}

TSplitVolumes::~TSplitVolumes() {
  if (fd_ >= 0) ::close(fd_);
  if (finished_) return;
  if (!tempName_.empty()) ::unlink(tempName_.c_str());
  for (const std::string& name : written_) ::unlink(name.c_str());
}

void TSplitVolumes::Fail(int code, const std::string& name) {
  owner_.ReportAndRaise(name, code, "", name);
}

void TSplitVolumes::Open() {
  if (volume_ >= kMaxVolumes) Fail(msg::MaximumVolumes, setName_);
  const std::string folder = std::filesystem::path(setName_).parent_path().string();
  fd_ = CreateTempFile(folder, tempName_);
  if (fd_ < 0) Fail(msg::ErrorOpeningFile, setName_);
  ++volume_;
  position_ = 0;
}

void TSplitVolumes::CloseAs(const std::string& name) {
  if (!approve_(name)) {
    owner_.SetCancel(true);
    Fail(msg::UserCanceled, name);
  }
  const int fd = fd_;
  fd_ = -1;
  // The temporary file was made private; a part gets the mode of any file made new.
  const bool closed = ::fchmod(fd, 0666 & ~CurrentUmask()) == 0;
  if (::close(fd) != 0 || !closed) Fail(msg::ErrorWritingFile, name);
  if (::rename(tempName_.c_str(), name.c_str()) != 0) Fail(msg::ErrorCreatingFile, name);
  tempName_.clear();
  written_.push_back(name);
  if (OnNewVolume) OnNewVolume(volume_, name);
}

void TSplitVolumes::NextVolume() {
  CloseAs(VolumeFileName(setName_, volume_, 0, false));
  Open();
}

void TSplitVolumes::WriteWhole(const uint8_t* data, int64_t size) {
  if (!WriteFileBytes(fd_, data, size))
    Fail(errno == ENOSPC ? msg::DiskFull : msg::ErrorWritingFile, setName_);
  position_ += size;
}

void TSplitVolumes::Copy(int inFd, int64_t inPos, int64_t size) {
  while (size > 0) {
    if (Room() == 0) NextVolume();
    const int64_t n = std::min(size, Room());
    if (!CopyFileBytes(inFd, inPos, fd_, n))
      Fail(errno == ENOSPC ? msg::DiskFull : msg::ErrorWritingFile, setName_);
    inPos += n;
    position_ += n;
    size -= n;
  }
}

int TSplitVolumes::Finish() {
  CloseAs(setName_);
  finished_ = true;
  return volume_;
}

}  // namespace qel
