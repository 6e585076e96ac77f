#include "codecs/crypto/Aes.h"

#include <openssl/evp.h>

#include <climits>
#include <new>
#include <stdexcept>

namespace qel::crypto {

TAesEncryptor::TAesEncryptor() : ctx_(EVP_CIPHER_CTX_new()) {
  if (!ctx_) throw std::bad_alloc();
}

TAesEncryptor::~TAesEncryptor() { EVP_CIPHER_CTX_free(ctx_); }

// Each block is enciphered on its own (ECB): the counter blocks the caller lays out are
// independent, so the library can work on several at once.
bool TAesEncryptor::SetKey(const uint8_t* key, size_t size) {
  const EVP_CIPHER* cipher = size == 16   ? EVP_aes_128_ecb()
                             : size == 24 ? EVP_aes_192_ecb()
                             : size == 32 ? EVP_aes_256_ecb()
                                          : nullptr;
  if (!cipher || EVP_EncryptInit_ex(ctx_, cipher, nullptr, key, nullptr) != 1) return false;
  EVP_CIPHER_CTX_set_padding(ctx_, 0);
  return true;
}

void TAesEncryptor::EncryptBlocks(const uint8_t* in, uint8_t* out, size_t blocks) {
  constexpr size_t kMaxBlocksPerCall = INT_MAX / kAesBlockSize;
  while (blocks > 0) {
    const size_t n = blocks < kMaxBlocksPerCall ? blocks : kMaxBlocksPerCall;
    int written = 0;
    if (EVP_EncryptUpdate(ctx_, out, &written, in, int(n * kAesBlockSize)) != 1)
      throw std::runtime_error("AES encryption failed");
    in += n * kAesBlockSize;
    out += n * kAesBlockSize;
    blocks -= n;
  }
}

}  // namespace qel::crypto
