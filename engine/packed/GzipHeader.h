// The GZIP member header (RFC 1952): what a reader takes from it and what a writer puts in
// front of its Deflate data. The older forms sharing the first byte (old GZIP 1F 9E,
// `compress` 1F 9D, `pack` 1F 1E, SCO LZH 1F A0) are told apart by the second.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/base/Bytes.h"

namespace qel::gzip {

inline constexpr uint8_t kId1 = 0x1F;
inline constexpr uint8_t kGzip = 0x8B, kOldGzip = 0x9E, kCompress = 0x9D, kPack = 0x1E,
                         kScoLzh = 0xA0;
inline constexpr uint8_t kDeflated = 8;

enum TGzipFlag : uint8_t {
  kText = 0x01,
  kMultiPart = 0x02,  // a header CRC in RFC 1952; a continued member to early writers
  kExtra = 0x04,
  kName = 0x08,
  kComment = 0x10,
  kEncrypted = 0x20,
  kReserved = 0xC0,
};

// The longest name kept from FNAME; the field itself may be longer and is skipped whole.
inline constexpr size_t kMaxShownName = 255;

struct TGzipHeader {
  uint8_t Magic = 0;  // the second byte
  uint8_t Method = 0;
  uint8_t Flags = 0;
  uint32_t MTime = 0;  // Unix seconds, 0 when none
  std::string Name;    // FNAME, at most kMaxShownName bytes
  int64_t DataAt = 0;  // where the compressed data starts
};

// True for the five magics of the GZIP family.
bool IsGzipFamily(const uint8_t* head);

// Reads the header at `pos` of a file of `size` bytes. For GZIP and old GZIP the optional
// fields are walked (FNAME and FCOMMENT up to their real NUL, however long); the other
// magics have no more header than their two bytes. False when the bytes are no header of
// the family or run past the end.
bool ReadGzipHeader(const TReadAt& readAt, int64_t size, int64_t pos, TGzipHeader& h);

// The header a writer puts in front of a member: FNAME always, MTIME, XFL 2 and OS 0.
std::vector<uint8_t> GzipHeaderBytes(const std::string& name, uint32_t mtime);

}  // namespace qel::gzip
