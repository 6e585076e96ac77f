#include "engine/streams/TempStreams.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace qel {

std::unique_ptr<TTempFileStream> TTempFileStream::Create(const std::string& folder) {
  RemoveStaleTempFiles(folder);
  std::string path;
  int fd = CreateTempFile(folder, path);
  if (fd < 0) return nullptr;
  return std::unique_ptr<TTempFileStream>(new TTempFileStream(fd, path));
}

TTempFileStream::~TTempFileStream() {
  if (!committed_) ::unlink(FileName().c_str());
}

bool TTempFileStream::Commit(const std::string& target) {
  // Once committed the stream is closed, so a second commit fails with EBADF.
  if (!CommitByRename(Handle(), FileName(), target)) return false;
  committed_ = true;
  Close();
  return true;
}

bool TTempMemStream::Commit(const std::string& target) {
  auto source = [this](int64_t pos, void* buffer, int64_t count) -> int64_t {
    int64_t n = std::clamp<int64_t>(Size() - pos, 0, count);
    if (n > 0) std::memcpy(buffer, Data() + pos, size_t(n));
    return n;
  };
  return CommitByCopy(source, Size(), target);
}

}  // namespace qel
