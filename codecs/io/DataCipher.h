// What the stored-entry writer needs from an entry cipher (ZipCrypto or AES): enciphering
// a block in place, the cipher's state running on from block to block.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codecs/io/ByteIo.h"

namespace qel {

class IDataCipher {
 public:
  virtual ~IDataCipher() = default;
  virtual void Encipher(uint8_t* data, size_t size) = 0;
};

// Enciphers a piece of compressed output in place (when there is a cipher) and writes all
// of it; false when the destination refused it.
inline bool WriteEnciphered(IByteSink& destination, IDataCipher* cipher, uint8_t* data,
                            size_t size) {
  if (cipher) cipher->Encipher(data, size);
  return size == 0 || destination.WriteFully(data, int64_t(size));
}

}  // namespace qel
