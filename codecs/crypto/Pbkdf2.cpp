#include "codecs/crypto/Pbkdf2.h"

#include <openssl/evp.h>

#include <climits>
#include <stdexcept>

namespace qel::crypto {

void Pbkdf2HmacSha1(std::span<const uint8_t> password, std::span<const uint8_t> salt,
                    uint32_t iterations, std::span<uint8_t> out) {
  static const uint8_t kEmpty = 0;
  if (password.size() > INT_MAX || salt.size() > INT_MAX || out.size() > INT_MAX ||
      iterations > INT_MAX)
    throw std::length_error("PBKDF2 input too long");
  const int rounds = iterations == 0 ? 1 : int(iterations);
  if (PKCS5_PBKDF2_HMAC_SHA1(
          reinterpret_cast<const char*>(password.empty() ? &kEmpty : password.data()),
          int(password.size()), salt.empty() ? &kEmpty : salt.data(), int(salt.size()), rounds,
          int(out.size()), out.data()) != 1)
    throw std::runtime_error("PBKDF2 failed");
}

}  // namespace qel::crypto
