// AES block encryption with 128, 192 and 256-bit keys, through OpenSSL's libcrypto, which
// uses the processor's AES instructions where it has them (constant-time, and several
// blocks in flight). Only the forward direction is here: the archive formats use AES in
// counter mode, which never decrypts a block, and frame the counter themselves.
#pragma once

#include <cstddef>
#include <cstdint>

struct evp_cipher_ctx_st;

namespace qel::crypto {

inline constexpr size_t kAesBlockSize = 16;

class TAesEncryptor {
 public:
  TAesEncryptor();
  ~TAesEncryptor();
  TAesEncryptor(const TAesEncryptor&) = delete;
  TAesEncryptor& operator=(const TAesEncryptor&) = delete;

  // Takes a 16, 24 or 32-byte key; false (and the encryptor left unusable) for any other
  // length.
  bool SetKey(const uint8_t* key, size_t size);
  // Encrypts `blocks` independent 16-byte blocks; `in` and `out` may be the same buffer.
  void EncryptBlocks(const uint8_t* in, uint8_t* out, size_t blocks);

 private:
  evp_cipher_ctx_st* ctx_;
};

}  // namespace qel::crypto
