// HMAC-SHA1 (RFC 2104), streaming, through OpenSSL's libcrypto.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "codecs/crypto/Sha1.h"

struct evp_mac_ctx_st;

namespace qel::crypto {

class THmacSha1 {
 public:
  explicit THmacSha1(std::span<const uint8_t> key);
  ~THmacSha1();
  THmacSha1(const THmacSha1&) = delete;
  THmacSha1& operator=(const THmacSha1&) = delete;

  void Update(const void* data, size_t size);
  // The code of everything passed to Update since keying or the last Restart.
  TSha1Digest Final();
  // Starts a new message under the same key, without hashing the key again.
  void Restart();

 private:
  evp_mac_ctx_st* keyed_;    // keyed, nothing hashed: every message starts from a copy
  evp_mac_ctx_st* message_;  // the message being authenticated
};

}  // namespace qel::crypto
