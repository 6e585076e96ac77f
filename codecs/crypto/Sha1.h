// SHA-1 (FIPS 180-4) through OpenSSL's libcrypto. Broken for collision resistance, but it
// is what the ZIP AES key derivation and authentication are built on, and what file-lookup
// services index by.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

struct evp_md_ctx_st;

namespace qel::crypto {

inline constexpr size_t kSha1DigestSize = 20;
using TSha1Digest = std::array<uint8_t, kSha1DigestSize>;

// Streaming hash: Update any number of times with pieces of any size, then Final once.
// Final leaves the state spent; Reset starts a new message.
class TSha1 {
 public:
  TSha1();
  ~TSha1();
  TSha1(const TSha1&) = delete;
  TSha1& operator=(const TSha1&) = delete;

  void Reset();
  void Update(const void* data, size_t size);
  TSha1Digest Final();

 private:
  evp_md_ctx_st* ctx_;
};

TSha1Digest Sha1(const void* data, size_t size);

}  // namespace qel::crypto
