// What the read routine needs from an entry cipher (ZipCrypto, AES, a format's own
// garbling): deciphering a block in place, the cipher's state running on from block to block.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qel {

class IDataDecipher {
 public:
  virtual ~IDataDecipher() = default;
  virtual void Decipher(uint8_t* data, size_t size) = 0;
};

}  // namespace qel
