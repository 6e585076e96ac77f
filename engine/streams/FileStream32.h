// A file opened by path, owning its descriptor.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/streams/HandleStream32.h"

namespace qel {

// Open modes in the numbering the components use. The share bits (0x00F0) of that
// numbering are accepted and ignored: POSIX has no share modes.
constexpr uint16_t fmOpenRead = 0x0000;
constexpr uint16_t fmOpenWrite = 0x0001;
constexpr uint16_t fmOpenReadWrite = 0x0002;
// Creates the file, or empties an existing one, for reading and writing.
constexpr uint16_t fmCreate = 0xFFFF;

class TFileStream32 : public THandleStream32 {
 public:
  // Only regular files are opened: a FIFO would block a reader for ever and a directory
  // or device is never an archive. fmCreate does not write through a symbolic link at
  // `path` (ELOOP); a caller that means to replace one removes it first. On failure the
  // answer is null and errno tells why.
  static std::unique_ptr<TFileStream32> Open(const std::string& path, uint16_t mode);

  ~TFileStream32() override;

  const std::string& FileName() const { return fileName_; }

  // A file opened for reading only is taken at the size it had when it was opened: readers
  // ask for it before nearly every read, and the archives they read do not change under
  // them. Files open for writing are asked each time.
  int64_t Size() override { return fixedSize_ >= 0 ? fixedSize_ : THandleStream32::Size(); }

 protected:
  // Takes ownership of an open descriptor.
  TFileStream32(int handle, std::string fileName, int64_t fixedSize = -1)
      : THandleStream32(handle), fileName_(std::move(fileName)), fixedSize_(fixedSize) {}
  // Closes the descriptor early; later reads and writes move nothing. Answers false
  // when close reported an error (a delayed write failure, say).
  bool Close();

 private:
  std::string fileName_;
  int64_t fixedSize_;  // -1 unless opened for reading only
};

}  // namespace qel
