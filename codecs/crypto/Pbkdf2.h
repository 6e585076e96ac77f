// PBKDF2 with HMAC-SHA1 as the pseudo-random function (RFC 8018, section 5.2), through
// OpenSSL's libcrypto.
#pragma once

#include <cstdint>
#include <span>

namespace qel::crypto {

// Fills `out` with key material derived from the password and salt; `iterations` of 0 is
// taken as 1.
void Pbkdf2HmacSha1(std::span<const uint8_t> password, std::span<const uint8_t> salt,
                    uint32_t iterations, std::span<uint8_t> out);

}  // namespace qel::crypto
