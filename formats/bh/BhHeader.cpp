#include "formats/bh/BhHeader.h"

#include <algorithm>
#include <cstring>

#include "codecs/crypto/ZipCrypto.h"
#include "engine/text/EntryNames.h"

namespace qel::bh {
namespace {

constexpr uint8_t kSignature[4] = {'B', 'H', 0x05, 0x07};
// Longer names are cut to this when read.
constexpr size_t kMaxName = 32767;

}  // namespace

uint32_t TBhHeader::DataSize() const {
  return Encrypted() ? Packed - std::min<uint32_t>(Packed, kZipCryptoHeaderSize) : Packed;
}

THeaderRead ReadBhHeader(const TReadAt& readAt, int64_t fileSize, int64_t pos, TBhHeader& h) {
  // The entries run to the end of the file, or to a header of length 0. Anything else where
  // a header belongs is damage: taken for the end, it would hide the entries behind it, and
  // an update would drop them.
  if (pos == fileSize) return THeaderRead::End;
  uint8_t b[kFixedHeader];
  if (pos + 6 > fileSize || !readAt(pos, b, 6) || std::memcmp(b, kSignature, 4) != 0)
    return THeaderRead::Bad;
  if (GetU16(b + 4) == 0) return THeaderRead::End;
  if (!readAt(pos, b, kFixedHeader) || b[6] != kFixedHeader) return THeaderRead::Bad;
  h = TBhHeader{};
  h.Position = pos;
  h.Major = b[7];
  h.Minor = b[8];
  h.Flags = b[9];
  h.Method = b[10];
  h.DosTime = GetU32(b + 11);
  h.Packed = GetU32(b + 15);
  h.Unpacked = GetU32(b + 19);
  h.Crc = GetU32(b + 23);
  h.Attr = GetU16(b + 27);
  const uint16_t nameLength = GetU16(b + 33);
  const uint16_t extraLength = GetU16(b + 35);
  if (GetU16(b + 4) != kFixedHeader + nameLength + extraLength) return THeaderRead::Bad;
  h.DataStart = pos + kFixedHeader + nameLength + extraLength;
  h.Next = h.DataStart + h.Packed;
  if (h.Next > fileSize) return THeaderRead::Bad;
  h.Name.resize(std::min<size_t>(nameLength, kMaxName));
  if (!readAt(pos + kFixedHeader, reinterpret_cast<uint8_t*>(h.Name.data()),
              int64_t(h.Name.size())))
    return THeaderRead::Bad;
  return THeaderRead::Ok;
}

std::vector<uint8_t> BhHeaderBytes(const TBhHeader& h) {
  std::vector<uint8_t> v(size_t(kFixedHeader) + h.Name.size());
  std::memcpy(v.data(), kSignature, 4);
  PutU16(&v[4], uint16_t(v.size()));
  v[6] = uint8_t(kFixedHeader);
  v[7] = h.Major;
  v[8] = h.Minor;
  v[9] = h.Flags;
  v[10] = h.Method;
  PutU32(&v[11], h.DosTime);
  PutU32(&v[15], h.Packed);
  PutU32(&v[19], h.Unpacked);
  PutU32(&v[23], h.Crc);
  PutU16(&v[27], h.Attr);
  PutU16(&v[33], uint16_t(h.Name.size()));
  std::memcpy(&v[kFixedHeader], h.Name.data(), h.Name.size());
  return v;
}

std::string EntryName(const TBhHeader& h) {
  return text::DecodeEntryName(h.Name, text::TNameCodePage::Oem);
}

}  // namespace qel::bh
