#include "formats/zip/ZipAes.h"

#include <algorithm>

#include "codecs/crypto/Pbkdf2.h"
#include "codecs/crypto/Random.h"

namespace qel::zip {

namespace {

// Keys come from the derivation, whose strength is valid; the bound only keeps a hand-made
// key set from reading past its arrays.
size_t KeySize(const TZipAesKeys& keys) {
  return std::min(AesKeySize(keys.Strength), keys.AesKey.size());
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
    for (size_t b = 0; b < 8 && ++counter_[b] == 0; ++b) continue;
    std::copy_n(counter_, crypto::kAesBlockSize, stream_ + block * crypto::kAesBlockSize);
  }
  aes_.EncryptBlocks(stream_, stream_, kStreamBlocks);
  streamUsed_ = 0;
}

void TZipAesCipher::ApplyKeyStream(uint8_t* data, size_t size) {
  while (size > 0) {
    if (streamUsed_ == kStreamSize) NextStream();
    const size_t n = std::min(size, kStreamSize - streamUsed_);
    const uint8_t* stream = stream_ + streamUsed_;
    for (size_t i = 0; i < n; ++i) data[i] ^= stream[i];
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

void TZipAesDecipher::Decipher(uint8_t* data, size_t size) {
  mac_.Update(data, size);
  ApplyKeyStream(data, size);
}

// Compared without an early exit, so the time taken tells nothing about where a forged
// code first differs.
bool TZipAesDecipher::AuthCodeMatches(std::span<const uint8_t> stored) {
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
