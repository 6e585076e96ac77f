// WinZip-style AES for ZIP entries (the AE-1 and AE-2 layouts): the entry's data is
// salt, 2-byte password verifier, AES-CTR ciphertext and a 10-byte authentication code.
// Keys come from PBKDF2-HMAC-SHA1 over the password and salt; the code is HMAC-SHA1 over the
// ciphertext (encrypt, then authenticate).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <future>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "codecs/crypto/Aes.h"
#include "codecs/crypto/HmacSha1.h"
#include "codecs/io/DataCipher.h"
#include "codecs/parallel/Workers.h"

namespace qel::zip {

inline constexpr size_t kAesMaxKeySize = 32;
inline constexpr size_t kAesVerifierSize = 2;
inline constexpr size_t kAesAuthCodeSize = 10;
inline constexpr size_t kAesMaxPassword = 128;
inline constexpr uint32_t kAesIterations = 1000;

using TAesAuthCode = std::array<uint8_t, kAesAuthCodeSize>;

// Key strength codes 1, 2, 3 stand for 128, 192 and 256-bit keys.
constexpr bool IsAesStrength(uint8_t strength) { return strength >= 1 && strength <= 3; }
constexpr size_t AesKeySize(uint8_t strength) { return 8u * strength + 8; }
constexpr size_t AesSaltSize(uint8_t strength) { return 4u * strength + 4; }

// What the key derivation gives for one entry: AES key, HMAC key and verifier, in the
// order they are derived. The keys use the first AesKeySize(Strength) bytes.
struct TZipAesKeys {
  uint8_t Strength = 3;
  std::array<uint8_t, kAesMaxKeySize> AesKey{};
  std::array<uint8_t, kAesMaxKeySize> HmacKey{};
  std::array<uint8_t, kAesVerifierSize> Verifier{};
};

// Empty for a password over 128 bytes, an unknown strength or a salt of the wrong size.
std::optional<TZipAesKeys> DeriveZipAesKeys(std::string_view password, uint8_t strength,
                                            std::span<const uint8_t> salt);

// The keys when `password` derives the stored verifier (about one wrong password in 65536
// passes; the authentication code catches it).
std::optional<TZipAesKeys> CheckZipAesPassword(std::string_view password, uint8_t strength,
                                               std::span<const uint8_t> salt,
                                               std::span<const uint8_t> verifier);

// A new entry: the bytes to write before its data (a fresh random salt, then the verifier)
// and the keys to encrypt it with. Empty when the password is refused or no random bytes
// could be had.
struct TZipAesStart {
  std::vector<uint8_t> Preamble;
  TZipAesKeys Keys;
};
std::optional<TZipAesStart> StartZipAesEntry(std::string_view password, uint8_t strength);

// Counter mode and authentication, shared by both directions. The counter block starts at
// zero and is incremented, as a little-endian number in its first 8 bytes, before each
// block; the key stream carries across calls, so data may come in pieces of any size. The
// key stream is made many blocks at a time, so that the library keeps several in flight.
class TZipAesCipher {
 public:
  // The first 10 bytes of the HMAC over all ciphertext so far; ends the entry.
  TAesAuthCode AuthCode();

 protected:
  explicit TZipAesCipher(const TZipAesKeys& keys);
  void ApplyKeyStream(uint8_t* data, size_t size);

  crypto::THmacSha1 mac_;

 private:
  static constexpr size_t kStreamBlocks = 256;
  static constexpr size_t kStreamSize = kStreamBlocks * crypto::kAesBlockSize;

  void NextStream();

  crypto::TAesEncryptor aes_;
  uint64_t counter_ = 0;  // the counter block's first 8 bytes; the rest stay zero
  uint8_t stream_[kStreamSize] = {};
  size_t streamUsed_ = kStreamSize;  // key-stream bytes spent
};

// The readers' cipher for an AES entry. The code covers the ciphertext, so with `workers`
// that have a thread, a large piece's ciphertext is copied aside and its code taken there
// while this thread deciphers the piece and the reader writes it out: the two halves of the
// work side by side.
class TZipAesDecipher : public TZipAesCipher {
 public:
  explicit TZipAesDecipher(const TZipAesKeys& keys, TWorkers* workers = nullptr)
      : TZipAesCipher(keys), workers_(workers) {}
  // Waits for the code being taken: it uses this object.
  ~TZipAesDecipher();
  TZipAesDecipher(const TZipAesDecipher&) = delete;
  TZipAesDecipher& operator=(const TZipAesDecipher&) = delete;

  void Decipher(uint8_t* data, size_t size);
  // Whether the 10 bytes stored after the data match the code of the ciphertext read.
  bool AuthCodeMatches(std::span<const uint8_t> stored);

 private:
  TWorkers* workers_;
  std::vector<uint8_t> ciphertext_;  // the piece whose code is being taken
  std::future<void> code_;
};

// The writers' cipher for an AES entry; its AuthCode goes after the data.
class TZipAesEncipher : public TZipAesCipher, public IDataCipher {
 public:
  explicit TZipAesEncipher(const TZipAesKeys& keys) : TZipAesCipher(keys) {}
  void Encipher(uint8_t* data, size_t size) override;
};

}  // namespace qel::zip
