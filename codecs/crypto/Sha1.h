// SHA-1 (FIPS 180-4). Broken for collision resistance, but it is what the ZIP AES key
// derivation and authentication are built on, and what file-lookup services index by.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace qel::crypto {

inline constexpr size_t kSha1BlockSize = 64;
inline constexpr size_t kSha1DigestSize = 20;
using TSha1Digest = std::array<uint8_t, kSha1DigestSize>;

// Streaming hash: Update any number of times with pieces of any size, then Final once.
// Final leaves the state spent; Reset starts a new message.
class TSha1 {
 public:
  TSha1() { Reset(); }
  void Reset();
  void Update(const void* data, size_t size);
  TSha1Digest Final();

 private:
  void Compress(const uint8_t* block);

  uint32_t h_[5];
  uint64_t length_;  // bytes hashed so far
  uint8_t buffer_[kSha1BlockSize];
  size_t used_;  // bytes waiting in buffer_
};

TSha1Digest Sha1(const void* data, size_t size);

}  // namespace qel::crypto
