#include "engine/streams/Stream.h"

#include <algorithm>
#include <vector>

namespace qel {

int64_t TStream64::ReadFully(void* buffer, int64_t count) {
  auto* out = static_cast<uint8_t*>(buffer);
  int64_t done = 0;
  while (done < count) {
    int64_t n = Read(out + done, count - done);
    if (n <= 0) break;
    done += n;
  }
  return done;
}

int64_t TStream64::ReadAt(int64_t pos, void* buffer, int64_t count) {
  if (pos < 0 || count <= 0 || !SetPosition(pos)) return 0;
  return ReadFully(buffer, count);
}

bool TStream64::ReadExactAt(int64_t pos, void* buffer, int64_t count) {
  return count >= 0 && ReadAt(pos, buffer, count) == count;
}

int64_t TStream64::CopyFrom(TStream64& source, int64_t count) {
  constexpr int64_t kBlock = 1 << 16;
  std::vector<uint8_t> buf(kBlock);
  int64_t done = 0;
  while (count < 0 || done < count) {
    int64_t want = count < 0 ? kBlock : std::min(kBlock, count - done);
    int64_t n = source.Read(buf.data(), want);
    if (n <= 0) break;
    if (!WriteFully(buf.data(), n)) break;
    done += n;
  }
  return done;
}

}  // namespace qel
