// The data cipher of one ZIP entry, ZipCrypto or AES, behind the read routine's interface.
#pragma once

#include <optional>

#include "engine/streams/DataDecipher.h"
#include "formats/zip/ZipAes.h"
#include "codecs/crypto/ZipCrypto.h"

namespace qel::zip {

class TEntryCipher : public IDataDecipher {
 public:
  void Reset() {
    crypto_.reset();
    aes_.reset();
  }
  void Use(const TZipCryptoKeys& keys) {
    Reset();
    crypto_.emplace(keys);
  }
  // `workers` may take half of an AES entry's work.
  void Use(const TZipAesKeys& keys, TWorkers* workers) {
    Reset();
    aes_.emplace(keys, workers);
  }
  void Decipher(uint8_t* data, size_t size) override {
    if (crypto_) crypto_->Decrypt(data, size);
    if (aes_) aes_->Decipher(data, size);
  }
  bool AuthCodeMatches(std::span<const uint8_t> stored) {
    return aes_ && aes_->AuthCodeMatches(stored);
  }

 private:
  std::optional<TZipCryptoKeys> crypto_;
  std::optional<TZipAesDecipher> aes_;
};

}  // namespace qel::zip
