#include "codecs/crypto/Pbkdf2.h"

#include <algorithm>

#include "codecs/crypto/HmacSha1.h"

namespace qel::crypto {

// Block i of the output is T_i = U_1 ^ U_2 ^ ... ^ U_c, with U_1 = HMAC(P, S || INT(i)) and
// U_j = HMAC(P, U_(j-1)); blocks are numbered from 1 and the last one is cut to fit.
void Pbkdf2HmacSha1(std::span<const uint8_t> password, std::span<const uint8_t> salt,
                    uint32_t iterations, std::span<uint8_t> out) {
  THmacSha1 mac(password);
  uint32_t blockIndex = 1;
  for (size_t done = 0; done < out.size(); done += kSha1DigestSize, ++blockIndex) {
    const uint8_t index[4] = {uint8_t(blockIndex >> 24), uint8_t(blockIndex >> 16),
                              uint8_t(blockIndex >> 8), uint8_t(blockIndex)};
    mac.Restart();
    mac.Update(salt.data(), salt.size());
    mac.Update(index, sizeof index);
    TSha1Digest u = mac.Final();
    TSha1Digest t = u;
    for (uint32_t j = 1; j < iterations; ++j) {
      mac.Restart();
      mac.Update(u.data(), u.size());
      u = mac.Final();
      for (size_t k = 0; k < kSha1DigestSize; ++k) t[k] ^= u[k];
    }
    const size_t n = std::min(kSha1DigestSize, out.size() - done);
    std::copy_n(t.begin(), n, out.begin() + std::ptrdiff_t(done));
  }
}

}  // namespace qel::crypto
