// What the stored-entry writer needs from an entry cipher (ZipCrypto or AES): enciphering
// a block in place, the cipher's state running on from block to block.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qel {

class IDataCipher {
 public:
  virtual ~IDataCipher() = default;
  virtual void Encipher(uint8_t* data, size_t size) = 0;
};

}  // namespace qel
