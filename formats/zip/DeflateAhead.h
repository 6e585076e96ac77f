// Deflating the files after the current one on the workers' threads while the writer places
// each result in order: nearly all of a writer's time is zlib's, and files are independent,
// so every core can take one. Only small unenciphered files are taken ahead (their results
// wait in memory); larger ones are deflated by the writer itself, block by block on the
// same workers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "codecs/parallel/AheadWindow.h"
#include "engine/base/ZipCommon.h"

namespace qel {

// A file deflated ahead: its bytes as read, their CRC and the raw Deflate data.
struct TDeflated {
  bool Ok = false;  // false: the file could not be read, or the work was cancelled
  int64_t Size = 0;
  uint32_t Crc = 0;
  std::vector<uint8_t> Data;
};

// The largest file taken ahead.
inline constexpr int64_t kMaxDeflatedAhead = 8 << 20;

// Starts deflating `path`, piece `index` of the window, which is `size` bytes now; only
// `owner`'s cancel flag is looked at on the workers' threads.
void DeflateAhead(TAheadWindow<TDeflated>& window, size_t index, const std::string& path,
                  int64_t size, int levelIndex, const TZipCommon& owner);

}  // namespace qel
