#include "formats/zip/ZipAes.h"

#include <algorithm>
#include <cstring>

#include "codecs/crypto/Pbkdf2.h"
#include "codecs/crypto/Random.h"
#include "engine/base/Bytes.h"

namespace qel::zip {

namespace {

// Keys come from the derivation, whose strength is valid; the bound only keeps a hand-made
// key set from reading past its arrays.
size_t KeySize(const TZipAesKeys& keys) {
  return std::min(AesKeySize(keys.Strength), keys.AesKey.size());
}

// Eight bytes at a time: the loop then keeps pace with the cipher.
void XorInto(uint8_t* data, const uint8_t* stream, size_t size) {
  size_t i = 0;
  for (; i + 8 <= size; i += 8) {
    uint64_t d, k;
    std::memcpy(&d, data + i, 8);
    std::memcpy(&k, stream + i, 8);
    d ^= k;
    std::memcpy(data + i, &d, 8);
  }
  for (; i < size; ++i) data[i] ^= stream[i];
}

}  // namespace

std::optional<TZipAesKeys> DeriveZipAesKeys(std::string_view password, uint8_t strength,
                                            std::span<const uint8_t> salt) {
  if (password.size() > kAesMaxPassword || !IsAesStrength(strength) ||
      salt.size() != AesSaltSize(strength))
    return std::nullopt;
  const size_t keySize = AesKeySize(strength);
  uint8_t derived[2 * kAesMaxKeySize + kAesVerifierSize];
  const std::span<uint8_t> out(derived, 2 * keySize + kAesVerifierSize);
  crypto::Pbkdf2HmacSha1({reinterpret_cast<const uint8_t*>(password.data()), password.size()}, salt,
                         kAesIterations, out);
  TZipAesKeys keys;
  keys.Strength = strength;
  std::copy_n(derived, keySize, keys.AesKey.begin());
  std::copy_n(derived + keySize, keySize, keys.HmacKey.begin());
  std::copy_n(derived + 2 * keySize, kAesVerifierSize, keys.Verifier.begin());
  return keys;
}

std::optional<TZipAesKeys> CheckZipAesPassword(std::string_view password, uint8_t strength,
                                               std::span<const uint8_t> salt,
                                               std::span<const uint8_t> verifier) {
  auto keys = DeriveZipAesKeys(password, strength, salt);
  if (!keys || !std::ranges::equal(keys->Verifier, verifier)) return std::nullopt;
  return keys;
}

std::optional<TZipAesStart> StartZipAesEntry(std::string_view password, uint8_t strength) {
  if (!IsAesStrength(strength)) return std::nullopt;
  std::vector<uint8_t> salt(AesSaltSize(strength));
  if (!crypto::RandomBytes(salt.data(), salt.size())) return std::nullopt;
  auto keys = DeriveZipAesKeys(password, strength, salt);
  if (!keys) return std::nullopt;
  TZipAesStart start{std::move(salt), *keys};
  start.Preamble.insert(start.Preamble.end(), keys->Verifier.begin(), keys->Verifier.end());
  return start;
}

TZipAesCipher::TZipAesCipher(const TZipAesKeys& keys)
    : mac_(std::span(keys.HmacKey.data(), KeySize(keys))) {
  aes_.SetKey(keys.AesKey.data(), KeySize(keys));
}

// The next kStreamBlocks counter values, enciphered in one call.
void TZipAesCipher::NextStream() {
  for (size_t block = 0; block < kStreamBlocks; ++block) {
    uint8_t* counter = stream_ + block * crypto::kAesBlockSize;
    PutU64(counter, ++counter_);
    PutU64(counter + 8, 0);
  }
  aes_.EncryptBlocks(stream_, stream_, kStreamBlocks);
  streamUsed_ = 0;
}

void TZipAesCipher::ApplyKeyStream(uint8_t* data, size_t size) {
  while (size > 0) {
    if (streamUsed_ == kStreamSize) NextStream();
    const size_t n = std::min(size, kStreamSize - streamUsed_);
    XorInto(data, stream_ + streamUsed_, n);
    data += n;
    size -= n;
    streamUsed_ += n;
  }
}

TAesAuthCode TZipAesCipher::AuthCode() {
  const crypto::TSha1Digest digest = mac_.Final();
  TAesAuthCode code;
  std::copy_n(digest.begin(), kAesAuthCodeSize, code.begin());
  return code;
}

TZipAesDecipher::~TZipAesDecipher() {
  if (code_.valid()) code_.wait();
}

void TZipAesDecipher::Decipher(uint8_t* data, size_t size) {
  // Below this a piece is not worth handing to another thread.
  constexpr size_t kSideBySide = size_t(1) << 16;
  if (code_.valid()) code_.get();
  if (!workers_ || workers_->Threads() == 0 || size < kSideBySide) {
    mac_.Update(data, size);
  } else {
    ciphertext_.assign(data, data + size);
    code_ = workers_->Run([this] { mac_.Update(ciphertext_.data(), ciphertext_.size()); });
  }
  ApplyKeyStream(data, size);
}

// Compared without an early exit, so the time taken tells nothing about where a forged
// code first differs.
bool TZipAesDecipher::AuthCodeMatches(std::span<const uint8_t> stored) {
  if (code_.valid()) code_.get();
  if (stored.size() != kAesAuthCodeSize) return false;
  const TAesAuthCode code = AuthCode();
  uint8_t diff = 0;
  for (size_t i = 0; i < kAesAuthCodeSize; ++i) diff |= uint8_t(code[i] ^ stored[i]);
  return diff == 0;
}

void TZipAesEncipher::Encipher(uint8_t* data, size_t size) {
  ApplyKeyStream(data, size);
  mac_.Update(data, size);
}

}  // namespace qel::zip
