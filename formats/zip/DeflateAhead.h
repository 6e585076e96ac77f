// Deflating the next file on a second thread while the writer works on the current one:
// nearly all of a writer's time is zlib's, and files are independent, so two cores make
// the work nearly twice as fast. Only small unenciphered files are taken ahead (their
// result waits in memory); the writer places each result in order and reports it.
#pragma once

#include <cstdint>
#include <future>
#include <string>
#include <vector>

#include "engine/base/ZipCommon.h"

namespace qel {

// A file deflated ahead: its bytes as read, their CRC and the raw Deflate data.
struct TDeflated {
  bool Ok = false;  // false: the file could not be read, or the work was cancelled
  int64_t Size = 0;
  uint32_t Crc = 0;
  std::vector<uint8_t> Data;
};

class TDeflateAhead {
 public:
  // The largest file taken ahead.
  static constexpr int64_t kMaxSize = 8 << 20;

  // Starts deflating `path` at `levelIndex` on the second thread; only `owner`'s cancel
  // flag is looked at there.
  void Start(size_t index, const std::string& path, int levelIndex, const TZipCommon& owner);
  // Whether entry `index` is being deflated ahead.
  bool Has(size_t index) const { return running_ && index_ == index; }
  bool Busy() const { return running_; }
  // Waits for the result of the entry being deflated ahead.
  TDeflated Take();

 private:
  std::future<TDeflated> future_;
  size_t index_ = 0;
  bool running_ = false;
};

}  // namespace qel
