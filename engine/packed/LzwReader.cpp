#include "engine/packed/LzwReader.h"

#include "engine/base/Messages.h"
#include "engine/streams/Stream.h"

namespace qel {

int64_t TLzwReader::Decode(uint8_t* buffer, int64_t count) {
  const int64_t n = lzw_.Read(buffer, count);
  if (n > 0) return n;
  state_ = lzw_.Error() == TLzwError::None ? TPackedState::Intact : TPackedState::Damaged;
  return 0;
}

std::unique_ptr<TPackedStream> OpenLzw(TStream64& file, int& refusal) {
  uint8_t head[3];
  if (!file.ReadExactAt(0, head, sizeof head)) {
    refusal = msg::BadFileHeader;
    return nullptr;
  }
  const int maxBits = head[2] & 0x1F;
  refusal = (head[2] & 0x60)              ? msg::IncompleteCodeSet
            : maxBits < 9 || maxBits > 16 ? msg::IncorrectNumberOfBits
                                          : 0;
  if (refusal != 0) return nullptr;
  return std::make_unique<TLzwReader>(file);
}

}  // namespace qel
