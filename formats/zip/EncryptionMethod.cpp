#include "formats/zip/EncryptionMethod.h"

namespace qel::zip {

TEncryptionMethod GetEncryptionMethod(uint16_t flags, const TZipExtra& extra) {
  using enum TEncryptionMethod;
  if (!(flags & kFlagEncrypted)) return emNone;
  if ((flags & kFlagStrongEncryption) || extra.StrongEncrypted()) return emUnsupported;
  if (!extra.Aes) return emZip_V2;
  const TAesExtra& aes = *extra.Aes;
  // A field of another vendor uses the same id for a scheme of its own.
  if (aes.VendorId != kAesVendorId) return emUnsupported;
  if (aes.VendorVersion != 1 && aes.VendorVersion != 2) return emUnsupported;
  // No key size exists for another strength: trying a 128-bit key would only turn an
  // unreadable entry into a misleading "Invalid password".
  if (aes.Strength < 1 || aes.Strength > 3) return emUnsupported;
  const int first = aes.VendorVersion == 1 ? int(emAes1_128) : int(emAes2_128);
  return TEncryptionMethod(first + aes.Strength - 1);
}

uint8_t ZipCryptoCheckByte(uint16_t flags, uint32_t crc, uint32_t dosDateTime) {
  return (flags & kFlagDataDescriptor) ? uint8_t(dosDateTime >> 8) : uint8_t(crc >> 24);
}

}  // namespace qel::zip
