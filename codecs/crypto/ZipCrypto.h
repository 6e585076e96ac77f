// The traditional ZIP stream cipher ("ZipCrypto"): three 32-bit keys updated with every
// plain byte, and the 12-byte encryption header in front of each entry's data.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "codecs/checksum/Crc.h"
#include "codecs/io/DataCipher.h"

namespace qel {

// The key triple: the state the cipher starts from (its seed) and runs in.
struct TSeedKeyRecord {
  uint32_t Key0 = 0;
  uint32_t Key1 = 0;
  uint32_t Key2 = 0;
  bool operator==(const TSeedKeyRecord&) const = default;
};

inline constexpr size_t kZipCryptoHeaderSize = 12;
using TZipCryptoHeader = std::array<uint8_t, kZipCryptoHeaderSize>;

// The cipher state. Encrypting and decrypting both update the keys with the plain byte, so
// one object runs in one direction over one stream.
class TZipCryptoKeys {
 public:
  explicit TZipCryptoKeys(const TSeedKeyRecord& seed) : keys_(seed) {}
  // Keyed with a password: the seed, then updated with each byte of the password.
  TZipCryptoKeys(const TSeedKeyRecord& seed, std::string_view password);

  void Update(uint8_t plain) {
    keys_.Key0 = Crc32Step(keys_.Key0, plain);
    keys_.Key1 = (keys_.Key1 + (keys_.Key0 & 0xFF)) * 134775813u + 1;
    keys_.Key2 = Crc32Step(keys_.Key2, uint8_t(keys_.Key1 >> 24));
  }
  uint8_t StreamByte() const {
    const uint32_t t = (keys_.Key2 | 2) & 0xFFFF;
    return uint8_t((t * (t ^ 1)) >> 8);
  }
  uint8_t Encrypt(uint8_t plain) {
    const uint8_t c = plain ^ StreamByte();
    Update(plain);
    return c;
  }
  uint8_t Decrypt(uint8_t cipher) {
    const uint8_t p = cipher ^ StreamByte();
    Update(p);
    return p;
  }
  void Encrypt(uint8_t* data, size_t size);
  void Decrypt(uint8_t* data, size_t size);

  const TSeedKeyRecord& Keys() const { return keys_; }

 private:
  TSeedKeyRecord keys_;
};

// The 12-byte header for a new entry, enciphered with `keys` (keyed with the password), which
// then go on to the entry's data: ten random bytes, then bits 16-23 and 24-31 of the entry's
// CRC-32. Empty when no random bytes could be had.
std::optional<TZipCryptoHeader> MakeZipCryptoHeader(TZipCryptoKeys& keys, uint32_t crc);

// Keys `password` and deciphers the header: the keys, ready for the entry's data, when its
// last byte is `checkByte`. One byte is all the format offers, so about one wrong password
// in 256 passes; the entry's CRC check catches it later.
std::optional<TZipCryptoKeys> CheckZipCryptoPassword(const TSeedKeyRecord& seed,
                                                     std::string_view password,
                                                     std::span<const uint8_t> header,
                                                     uint8_t checkByte);

// The stored-entry writer's cipher for a ZipCrypto entry whose header was made with `keys`.
class TZipCryptoEncipher : public IDataCipher {
 public:
  explicit TZipCryptoEncipher(const TZipCryptoKeys& keys) : keys_(keys) {}
  void Encipher(uint8_t* data, size_t size) override { keys_.Encrypt(data, size); }

 private:
  TZipCryptoKeys keys_;
};

}  // namespace qel
