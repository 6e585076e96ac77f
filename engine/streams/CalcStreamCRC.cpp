#include "engine/streams/CalcStreamCRC.h"

namespace qel {

int64_t TCalcStreamCRC::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  crc_.Update(buffer, size_t(count));
  written_ += count;
  Progress.Moved(count);
  return count;
}

}  // namespace qel
