// The ZIP on-disk records. All fields are little-endian; dates are DOS date-time words.
// Besides the standard "PK" signatures the engine reads and writes a second family with
// the second byte raised by one, marking records whose bodies are enciphered.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace qel::zip {

// Signatures as little-endian 32-bit values.
inline constexpr uint32_t kSigLocal = 0x04034B50;        // PK 03 04
inline constexpr uint32_t kSigCentral = 0x02014B50;      // PK 01 02
inline constexpr uint32_t kSigEnd = 0x06054B50;          // PK 05 06
inline constexpr uint32_t kSigExtendedEnd = 0x06055B50;  // P[ 05 06, the engine's 64-bit end record
inline constexpr uint32_t kSigZip64End = 0x06064B50;     // PK 06 06
inline constexpr uint32_t kSigZip64Locator = 0x07064B50;    // PK 06 07
inline constexpr uint32_t kSigDataDescriptor = 0x08074B50;  // PK 07 08, before a data descriptor
inline constexpr uint32_t kSigSpanMarker = kSigDataDescriptor;  // the first 4 bytes of volume 1
inline constexpr uint32_t kEncipheredDelta = 0x00000100;        // second byte + 1: PL.., P\..

inline constexpr size_t kLocalHeaderSize = 30;
inline constexpr size_t kCentralHeaderSize = 46;
inline constexpr size_t kEndRecordSize = 22;
inline constexpr size_t kExtendedEndSize = 46;
inline constexpr size_t kZip64EndSize = 56;
inline constexpr size_t kZip64LocatorSize = 20;

// The fixed-part lengths the header cipher covers (after the 4-byte signature).
inline constexpr size_t kLocalCipherSize = 26;
inline constexpr size_t kCentralCipherSize = 42;
inline constexpr size_t kEndCipherSize = 18;
inline constexpr size_t kExtendedEndCipherSize = 42;

enum class RecordKind : uint8_t { None, Local, Central, End, ExtendedEnd };

struct SignatureClass {
  RecordKind Kind = RecordKind::None;
  bool Enciphered = false;
};

// The one classifier every reader uses: which record a signature starts, and whether its
// body is enciphered.
SignatureClass ClassifySignature(uint32_t signature);

struct LocalHeader {
  uint32_t Signature = kSigLocal;
  uint16_t VersionNeeded = 20;
  uint16_t Flags = 0;
  uint16_t Method = 0;
  uint32_t DosDateTime = 0;  // time in the low word, date in the high word
  uint32_t Crc = 0;
  uint32_t CompressedSize = 0;
  uint32_t UncompressedSize = 0;
  uint16_t NameLength = 0;
  uint16_t ExtraLength = 0;
};

struct CentralHeader {
  uint32_t Signature = kSigCentral;
  uint16_t VersionMadeBy = 20;
  uint16_t VersionNeeded = 20;
  uint16_t Flags = 0;
  uint16_t Method = 0;
  uint32_t DosDateTime = 0;
  uint32_t Crc = 0;
  uint32_t CompressedSize = 0;
  uint32_t UncompressedSize = 0;
  uint16_t NameLength = 0;
  uint16_t ExtraLength = 0;
  uint16_t CommentLength = 0;
  uint16_t DiskStart = 0;
  uint16_t InternalAttr = 1;
  uint32_t ExternalAttr = 0;
  uint32_t LocalOffset = 0;
};

struct EndRecord {
  uint32_t Signature = kSigEnd;
  uint16_t ThisDisk = 0;
  uint16_t CentralDisk = 0;
  uint16_t EntriesThisDisk = 0;
  uint16_t TotalEntries = 0;
  uint32_t CentralSize = 0;
  uint32_t CentralOffset = 0;
  uint16_t CommentLength = 0;
};

struct ExtendedEndRecord {
  uint32_t Signature = kSigExtendedEnd;
  uint32_t ThisDisk = 0;
  uint32_t CentralDisk = 0;
  uint64_t EntriesThisDisk = 0;
  uint64_t TotalEntries = 0;
  uint64_t CentralSize = 0;
  uint64_t CentralOffset = 0;
  uint16_t CommentLength = 0;
};

struct Zip64EndRecord {
  uint32_t Signature = kSigZip64End;
  uint64_t RecordSize = kZip64EndSize - 12;
  uint16_t VersionMadeBy = 45;
  uint16_t VersionNeeded = 45;
  uint32_t ThisDisk = 0;
  uint32_t CentralDisk = 0;
  uint64_t EntriesThisDisk = 0;
  uint64_t TotalEntries = 0;
  uint64_t CentralSize = 0;
  uint64_t CentralOffset = 0;
};

struct Zip64Locator {
  uint32_t Signature = kSigZip64Locator;
  uint32_t EndDisk = 0;
  uint64_t EndOffset = 0;
  uint32_t TotalDisks = 1;
};

// Unpacking reads exactly the record's fixed size from `p` (the caller guarantees it);
// the signature is taken as it stands, so enciphered records unpack once deciphered.
LocalHeader UnpackLocal(const uint8_t* p);
CentralHeader UnpackCentral(const uint8_t* p);
EndRecord UnpackEnd(const uint8_t* p);
ExtendedEndRecord UnpackExtendedEnd(const uint8_t* p);
Zip64EndRecord UnpackZip64End(const uint8_t* p);
Zip64Locator UnpackZip64Locator(const uint8_t* p);

// Packing writes exactly the record's fixed size to `p`.
void Pack(const LocalHeader& h, uint8_t* p);
void Pack(const CentralHeader& h, uint8_t* p);
void Pack(const EndRecord& h, uint8_t* p);
void Pack(const ExtendedEndRecord& h, uint8_t* p);
void Pack(const Zip64EndRecord& h, uint8_t* p);
void Pack(const Zip64Locator& h, uint8_t* p);

}  // namespace qel::zip
