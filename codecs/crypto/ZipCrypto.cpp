#include "codecs/crypto/ZipCrypto.h"

#include "codecs/crypto/Random.h"

namespace qel {

TZipCryptoKeys::TZipCryptoKeys(const TSeedKeyRecord& seed, std::string_view password)
    : keys_(seed) {
  for (char c : password) Update(uint8_t(c));
}

void TZipCryptoKeys::Encrypt(uint8_t* data, size_t size) {
  for (size_t i = 0; i < size; ++i) data[i] = Encrypt(data[i]);
}

void TZipCryptoKeys::Decrypt(uint8_t* data, size_t size) {
  for (size_t i = 0; i < size; ++i) data[i] = Decrypt(data[i]);
}

// The filler comes from the kernel's generator: filler a clock-seeded generator made could
// be predicted, and with it the key stream at the start of the entry.
std::optional<TZipCryptoHeader> MakeZipCryptoHeader(TZipCryptoKeys& keys, uint32_t crc) {
  TZipCryptoHeader header;
  if (!crypto::RandomBytes(header.data(), kZipCryptoHeaderSize - 2)) return std::nullopt;
  header[10] = uint8_t(crc >> 16);
  header[11] = uint8_t(crc >> 24);
  keys.Encrypt(header.data(), header.size());
  return header;
}

std::optional<TZipCryptoKeys> CheckZipCryptoPassword(const TSeedKeyRecord& seed,
                                                     std::string_view password,
                                                     std::span<const uint8_t> header,
                                                     uint8_t checkByte) {
  if (header.size() != kZipCryptoHeaderSize) return std::nullopt;
  TZipCryptoKeys keys(seed, password);
  uint8_t last = 0;
  for (uint8_t b : header) last = keys.Decrypt(b);
  if (last != checkByte) return std::nullopt;
  return keys;
}

}  // namespace qel
