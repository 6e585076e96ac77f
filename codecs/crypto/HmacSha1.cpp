#include "codecs/crypto/HmacSha1.h"

#include <openssl/core_names.h>
#include <openssl/evp.h>

#include <new>
#include <stdexcept>

namespace qel::crypto {
namespace {

void Check(int ok) {
  if (ok != 1) throw std::runtime_error("HMAC-SHA1 failed");
}

// The HMAC algorithm, fetched once for the program.
EVP_MAC* HmacAlgorithm() {
  static EVP_MAC* const mac = EVP_MAC_fetch(nullptr, OSSL_MAC_NAME_HMAC, nullptr);
  if (!mac) throw std::runtime_error("HMAC is not available");
  return mac;
}

}  // namespace

THmacSha1::THmacSha1(std::span<const uint8_t> key)
    : keyed_(EVP_MAC_CTX_new(HmacAlgorithm())), message_(nullptr) {
  if (!keyed_) throw std::bad_alloc();
  char digest[] = "SHA1";
  const OSSL_PARAM params[] = {
      OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0), OSSL_PARAM_END};
  // A null key means "keep the last one" to the library: an empty key is given as such.
  static const uint8_t kNoKey = 0;
  try {
    Check(EVP_MAC_init(keyed_, key.empty() ? &kNoKey : key.data(), key.size(), params));
    Restart();
  } catch (...) {
    EVP_MAC_CTX_free(keyed_);
    throw;
  }
}

THmacSha1::~THmacSha1() {
  EVP_MAC_CTX_free(message_);
  EVP_MAC_CTX_free(keyed_);
}

void THmacSha1::Update(const void* data, size_t size) {
  if (size > 0) Check(EVP_MAC_update(message_, static_cast<const uint8_t*>(data), size));
}

TSha1Digest THmacSha1::Final() {
  TSha1Digest code;
  size_t size = 0;
  Check(EVP_MAC_final(message_, code.data(), &size, code.size()));
  return code;
}

void THmacSha1::Restart() {
  EVP_MAC_CTX* fresh = EVP_MAC_CTX_dup(keyed_);
  if (!fresh) throw std::bad_alloc();
  EVP_MAC_CTX_free(message_);
  message_ = fresh;
}

}  // namespace qel::crypto
