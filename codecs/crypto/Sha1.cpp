#include "codecs/crypto/Sha1.h"

#include <openssl/evp.h>

#include <new>
#include <stdexcept>

namespace qel::crypto {
namespace {

void Check(int ok) {
  if (ok != 1) throw std::runtime_error("SHA-1 failed");
}

}  // namespace

TSha1::TSha1() : ctx_(EVP_MD_CTX_new()) {
  if (!ctx_) throw std::bad_alloc();
  Reset();
}

TSha1::~TSha1() { EVP_MD_CTX_free(ctx_); }

void TSha1::Reset() { Check(EVP_DigestInit_ex(ctx_, EVP_sha1(), nullptr)); }

void TSha1::Update(const void* data, size_t size) {
  if (size > 0) Check(EVP_DigestUpdate(ctx_, data, size));
}

TSha1Digest TSha1::Final() {
  TSha1Digest digest;
  Check(EVP_DigestFinal_ex(ctx_, digest.data(), nullptr));
  return digest;
}

TSha1Digest Sha1(const void* data, size_t size) {
  TSha1 h;
  h.Update(data, size);
  return h.Final();
}

}  // namespace qel::crypto
