// How a reader tells which cipher protects an entry.
#pragma once

#include <cstdint>

#include "engine/base/Types.h"
#include "formats/zip/ExtraFields.h"

namespace qel::zip {

inline constexpr uint16_t kFlagEncrypted = 0x0001;
inline constexpr uint16_t kFlagDataDescriptor = 0x0008;
inline constexpr uint16_t kFlagStrongEncryption = 0x0040;
// The method of an AES entry; the real method is in its AES field.
inline constexpr uint16_t kMethodAes = 99;

// From an entry's general-purpose flags and extra fields: emNone when not encrypted;
// emUnsupported for strong encryption (flag or field) or an AES field this engine cannot
// read; emZip_V2 without an AES field; otherwise the AE-1 or AE-2 method of the field's
// strength (an unknown strength reads as emAes1_128).
TEncryptionMethod GetEncryptionMethod(uint16_t flags, const TZipExtra& extra);

// The byte a ZipCrypto header's last byte deciphers to under the right password: the high
// byte of the DOS time when the entry has a data descriptor (flag bit 3; its CRC was not
// known when the header was written), else the top byte of the CRC.
uint8_t ZipCryptoCheckByte(uint16_t flags, uint32_t crc, uint32_t dosDateTime);

}  // namespace qel::zip
