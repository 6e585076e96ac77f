// Small reads at nearby positions of a stream, served from one larger read: headers follow
// one another, and a system call for each of their few bytes costs more than the bytes.
#pragma once

#include <cstdint>
#include <memory>

namespace qel {

class TStream64;

class TReadAheadWindow {
 public:
  // `windowSize` is how much one read takes in: enough for many headers, little enough
  // that reading it for one header between large entries costs next to nothing.
  explicit TReadAheadWindow(int64_t windowSize = int64_t(1) << 16) : windowSize_(windowSize) {}

  // The stream to read from now on (null for none), `fileSize` bytes long; forgets what
  // was read ahead.
  void Use(TStream64* file, int64_t fileSize);
  // Forgets what was read ahead, as after the file changed.
  void Forget() { size_ = 0; }

  // Reads exactly `count` bytes at `pos`; false when they are not all in the file.
  bool ReadAt(int64_t pos, void* buffer, int64_t count);

 private:
  int64_t windowSize_;
  TStream64* file_ = nullptr;
  int64_t fileSize_ = 0;
  std::unique_ptr<uint8_t[]> window_;
  int64_t pos_ = 0;
  int64_t size_ = 0;
};

}  // namespace qel
