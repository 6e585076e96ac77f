// Enciphered headers: the ZipCrypto stream keyed directly by the header-key seed runs over a
// record's fixed part after the signature and then over its name. Every record starts again
// from the seed, so records can be read in any order. The signature stays in clear; the
// writer gives it the enciphered family itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/base/Types.h"
#include "formats/zip/HeaderCipher.h"
#include "formats/zip/Records.h"

namespace qel {
class TZipCommon;
}

namespace qel::zip {

// `record` holds one record from its signature on, at least its fixed part and (local and
// central headers) its name. End records have no name: only their fixed part is covered.
// False, with the record untouched, when it is too short or `kind` is None.
bool EncipherHeader(const TSeedKeyRecord& seed, std::span<uint8_t> record, RecordKind kind);
bool DecipherHeader(const TSeedKeyRecord& seed, std::span<uint8_t> record, RecordKind kind);

// Deciphers `size` bytes that start right after a record's signature, from the seed on:
// the form the record code's hook takes.
void DecipherHeaderBytes(const TSeedKeyRecord& seed, uint8_t* data, size_t size);

// The record code's hook for a fixed seed.
THeaderDecipher MakeHeaderDecipher(const TSeedKeyRecord& seed);
// The record code's hook for a component: keyed by its SeedHeaderKeys as they stand at each
// call.
THeaderDecipher ComponentHeaderDecipher(const TZipCommon& component);

}  // namespace qel::zip
