#include "formats/zip/HeaderCrypt.h"

#include <algorithm>

#include "codecs/crypto/ZipCrypto.h"
#include "engine/base/Bytes.h"
#include "engine/base/ZipCommon.h"

namespace qel::zip {
namespace {

size_t CipherSize(RecordKind kind) {
  switch (kind) {
    case RecordKind::Local:
      return kLocalCipherSize;
    case RecordKind::Central:
      return kCentralCipherSize;
    case RecordKind::End:
      return kEndCipherSize;
    case RecordKind::ExtendedEnd:
      return kExtendedEndCipherSize;
    case RecordKind::None:
      break;
  }
  return 0;
}

// The name length's place in the clear fixed part (counted after the signature); 0 for
// records without a name.
size_t NameLengthAt(RecordKind kind) {
  if (kind == RecordKind::Local) return 22;
  if (kind == RecordKind::Central) return 24;
  return 0;
}

// Runs the stream over fixed part and name. The name length is read from the clear fixed
// part: the record as given when enciphering, a deciphered copy when deciphering.
bool CryptRecord(const TSeedKeyRecord& seed, std::span<uint8_t> record, RecordKind kind,
                 bool encipher) {
  const size_t fixed = CipherSize(kind);
  if (fixed == 0 || record.size() < 4 + fixed) return false;
  uint8_t* body = record.data() + 4;
  uint8_t clear[std::max(kCentralCipherSize, kExtendedEndCipherSize)];
  std::copy_n(body, fixed, clear);
  TZipCryptoKeys keys(seed);
  if (!encipher) keys.Decrypt(clear, fixed);
  const size_t nameAt = NameLengthAt(kind);
  const size_t name = nameAt ? GetU16(clear + nameAt) : 0;
  if (record.size() - 4 - fixed < name) return false;
  if (encipher) {
    keys.Encrypt(body, fixed + name);
  } else {
    std::copy_n(clear, fixed, body);
    keys.Decrypt(body + fixed, name);
  }
  return true;
}

}  // namespace

bool EncipherHeader(const TSeedKeyRecord& seed, std::span<uint8_t> record, RecordKind kind) {
  return CryptRecord(seed, record, kind, true);
}

bool DecipherHeader(const TSeedKeyRecord& seed, std::span<uint8_t> record, RecordKind kind) {
  return CryptRecord(seed, record, kind, false);
}

void DecipherHeaderBytes(const TSeedKeyRecord& seed, uint8_t* data, size_t size) {
  TZipCryptoKeys(seed).Decrypt(data, size);
}

THeaderDecipher MakeHeaderDecipher(const TSeedKeyRecord& seed) {
  return [seed](uint8_t* data, size_t size) {
    DecipherHeaderBytes(seed, data, size);
    return true;
  };
}

THeaderDecipher ComponentHeaderDecipher(const TZipCommon& component) {
  return [&component](uint8_t* data, size_t size) {
    DecipherHeaderBytes(component.SeedHeaderKeys, data, size);
    return true;
  };
}

}  // namespace qel::zip
