// HMAC-SHA1 (RFC 2104), streaming.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "codecs/crypto/Sha1.h"

namespace qel::crypto {

class THmacSha1 {
 public:
  explicit THmacSha1(std::span<const uint8_t> key);
  void Update(const void* data, size_t size) { inner_.Update(data, size); }
  // The code of everything passed to Update since keying or the last Restart.
  TSha1Digest Final();
  // Starts a new message under the same key, without hashing the key again.
  void Restart() { inner_ = keyedInner_; }

 private:
  // The hash states after absorbing the padded key XOR ipad and XOR opad: every message
  // under this key starts from them.
  TSha1 keyedInner_;
  TSha1 keyedOuter_;
  TSha1 inner_;
};

}  // namespace qel::crypto
