#include "codecs/legacy/LsbBitReader.h"

namespace qel {

TLsbBitReader::TLsbBitReader(const TCodecSource& source) : input_(source) {}

void TLsbBitReader::Refill() {
  while (count_ <= 56) {
    // Past the end the zero bits above count_ stand in for the missing bytes.
    if (const int byte = input_.Next(); byte >= 0) {
      bits_ |= uint64_t(byte) << count_;
      real_ += 8;
    }
    count_ += 8;
  }
}

}  // namespace qel
