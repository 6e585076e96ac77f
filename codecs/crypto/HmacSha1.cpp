#include "codecs/crypto/HmacSha1.h"

#include <algorithm>

namespace qel::crypto {

// HMAC(K, m) = H((K0 ^ opad) || H((K0 ^ ipad) || m)), where K0 is the key padded with
// zeros to one block, or the hash of the key when the key is longer than a block.
THmacSha1::THmacSha1(std::span<const uint8_t> key) {
  uint8_t k0[kSha1BlockSize] = {};
  if (key.size() > kSha1BlockSize) {
    const TSha1Digest d = Sha1(key.data(), key.size());
    std::copy(d.begin(), d.end(), k0);
  } else {
    std::copy(key.begin(), key.end(), k0);
  }
  uint8_t pad[kSha1BlockSize];
  for (size_t i = 0; i < kSha1BlockSize; ++i) pad[i] = uint8_t(k0[i] ^ 0x36);
  keyedInner_.Update(pad, sizeof pad);
  for (size_t i = 0; i < kSha1BlockSize; ++i) pad[i] = uint8_t(k0[i] ^ 0x5C);
  keyedOuter_.Update(pad, sizeof pad);
  inner_ = keyedInner_;
}

TSha1Digest THmacSha1::Final() {
  const TSha1Digest innerDigest = inner_.Final();
  TSha1 outer = keyedOuter_;
  outer.Update(innerDigest.data(), innerDigest.size());
  return outer.Final();
}

}  // namespace qel::crypto
