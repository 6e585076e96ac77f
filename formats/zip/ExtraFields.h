// The extra fields of local and central headers: reading the ones the engine understands
// into one result per header, and writing the ones the writer emits.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formats/zip/Records.h"

namespace qel::zip {

inline constexpr uint16_t kExtraZip64 = 0x0001;
inline constexpr uint16_t kExtraNtfsTimes = 0x000A;
inline constexpr uint16_t kExtraUnixTimes = 0x5455;  // the extended timestamp
inline constexpr uint16_t kExtraStrongEncryption = 0x0017;
inline constexpr uint16_t kExtraSizeExtension = 0x0064;  // the engine's own 64-bit sizes
inline constexpr uint16_t kExtraUnicodePath = 0x7075;
inline constexpr uint16_t kExtraAes = 0x9901;

// A 32-bit size or offset with this value is held in the Zip64 field instead.
inline constexpr uint32_t kZip64Marker = 0xFFFFFFFF;
inline constexpr uint16_t kZip64DiskMarker = 0xFFFF;
// The version needed to extract an entry whose header carries a Zip64 field.
inline constexpr uint16_t kVersionZip64 = 45;

inline constexpr uint16_t kAesVendorId = 0x4541;  // "AE"
inline constexpr size_t kAesFieldSize = 11;
inline constexpr size_t kSizeExtensionFieldSize = 12;

struct TAesExtra {
  uint16_t VendorVersion = 2;  // 1 = AE-1, 2 = AE-2
  uint16_t VendorId = kAesVendorId;
  uint8_t Strength = 3;  // key size: 1 = 128, 2 = 192, 3 = 256 bits
  uint16_t Method = 0;   // the compression method actually used
  bool operator==(const TAesExtra&) const = default;
};

// What the extra area of one header holds.
struct TZipExtra {
  // The high-part store: the bits above the header's 32-bit fields, from a Zip64 or a
  // size-extension field (the header fields then hold the low 32 bits).
  uint32_t CompressedHigh = 0;
  uint32_t UncompressedHigh = 0;
  uint32_t LocalOffsetHigh = 0;
  std::optional<uint32_t> DiskStart;  // from a Zip64 field, when the header's was 0xFFFF
  // The whole NTFS-times field, its 4 header bytes included; empty when there is none.
  std::vector<uint8_t> NtfsTimes;
  std::optional<int64_t> NtfsModified;  // its modification time in Unix seconds
  std::optional<int64_t> UnixModified;  // from an extended timestamp field
  // The whole strong-encryption field, header included; empty when there is none.
  std::vector<uint8_t> StrongEncryption;
  // The UTF-8 name of a Unicode path field written for the name the header holds.
  std::optional<std::string> UnicodeName;
  std::optional<TAesExtra> Aes;

  bool StrongEncrypted() const { return !StrongEncryption.empty(); }
};

// Walk the extra area of a header whose (deciphered) name is `storedName`. Fields are taken
// while more than 4 bytes remain; a field whose size overruns the area ends the walk.
// Zip64 and size-extension values are applied to `h` and the high-part store.
TZipExtra ReadLocalExtra(std::span<const uint8_t> area, std::string_view storedName,
                         LocalHeader& h);
TZipExtra ReadCentralExtra(std::span<const uint8_t> area, std::string_view storedName,
                           CentralHeader& h);

inline uint64_t JoinHighLow(uint32_t high, uint32_t low) { return uint64_t(high) << 32 | low; }

// Full values from a header's 32-bit field and the high-part store.
template <typename Header>
uint64_t FullCompressedSize(const Header& h, const TZipExtra& x) {
  return JoinHighLow(x.CompressedHigh, h.CompressedSize);
}
template <typename Header>
uint64_t FullUncompressedSize(const Header& h, const TZipExtra& x) {
  return JoinHighLow(x.UncompressedHigh, h.UncompressedSize);
}
inline uint64_t FullLocalOffset(const CentralHeader& h, const TZipExtra& x) {
  return JoinHighLow(x.LocalOffsetHigh, h.LocalOffset);
}
inline uint32_t FullDiskStart(const CentralHeader& h, const TZipExtra& x) {
  return x.DiskStart.value_or(h.DiskStart);
}

// Appends the 11-byte AES field.
void AppendAesField(std::vector<uint8_t>& extra, const TAesExtra& aes);

// Appends the extended timestamp field with the modification time alone (the same 9 bytes
// in local and central headers). False, with nothing appended, for a time before 1970 or
// past what 32 unsigned bits hold.
bool AppendUnixTimeField(std::vector<uint8_t>& extra, int64_t modified);

// Appends the 12-byte size-extension field holding the high parts of the values (the
// header fields take the low 32 bits). False, with nothing appended, when a size needs more
// than the field's 16 high bits.
bool AppendSizeExtension(std::vector<uint8_t>& extra, uint64_t compressed, uint64_t uncompressed,
                         uint64_t localOffset);

// Store sizes (and the offset) in a header. A value that does not fit in 32 bits goes to a
// standard Zip64 field appended to `extra`, its header field set to 0xFFFFFFFF, and the
// version needed is raised to 4.5. In a local header both sizes go to the field together,
// as the format requires there; `reserve` writes the field even for small values, for a
// header written before the sizes are known. Answers whether a Zip64 field was appended.
bool StoreLocalSizes(std::vector<uint8_t>& extra, LocalHeader& h, uint64_t compressed,
                     uint64_t uncompressed, bool reserve = false);
bool StoreCentralSizes(std::vector<uint8_t>& extra, CentralHeader& h, uint64_t compressed,
                       uint64_t uncompressed, uint64_t localOffset);

}  // namespace qel::zip
