#include "engine/packed/Bzip2Reader.h"

namespace qel {

int64_t TBzip2Reader::Decode(uint8_t* buffer, int64_t count) {
  const int64_t n = bz_.Read(buffer, count);
  if (n > 0) return n;
  state_ = bz_.DataError()   ? TPackedState::Damaged
           : bz_.Truncated() ? TPackedState::Truncated
                             : TPackedState::Intact;
  return 0;
}

}  // namespace qel
