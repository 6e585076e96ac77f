#include "formats/zip/RecordReader.h"

#include <algorithm>

#include "engine/base/Bytes.h"
#include "engine/streams/Stream.h"

namespace qel::zip {
TRecordRead ReadZipRecord(TStream64& file, int64_t pos, RecordKind kind,
                          const THeaderDecipher& decipher, TRecordBytes& r) {
  return ReadZipRecord(file.ExactReader(), file.Size(), pos, kind, decipher, r);
}

TRecordRead ReadZipRecord(const TReadAt& readAt, int64_t fileSize, int64_t pos, RecordKind kind,
                          const THeaderDecipher& decipher, TRecordBytes& r) {
  const bool central = kind == RecordKind::Central;
  const size_t fixedSize = central ? kCentralHeaderSize : kLocalHeaderSize;
  r.Fixed.assign(fixedSize, 0);
  if (pos < 0 || pos + int64_t(fixedSize) > fileSize ||
      !readAt(pos, r.Fixed.data(), int64_t(fixedSize)))
    return TRecordRead::NotThisRecord;
  r.Class = ClassifySignature(GetU32(r.Fixed.data()));
  if (r.Class.Kind != kind) return TRecordRead::NotThisRecord;

  // The header cipher restarts from its seed for each record and runs over the fixed part
  // and then the name: decipher a copy to learn the lengths, then both together.
  std::vector<uint8_t> body(r.Fixed.begin() + 4, r.Fixed.end());
  if (r.Class.Enciphered && !(decipher && decipher(body.data(), body.size())))
    return TRecordRead::Damaged;
  const uint8_t* f = body.data() - 4;  // field offsets count from the signature
  const int64_t nameLen = GetU16(f + (central ? 28 : 26));
  const int64_t extraLen = GetU16(f + (central ? 30 : 28));
  const int64_t commentLen = central ? GetU16(f + 32) : 0;
  r.Size = int64_t(fixedSize) + nameLen + extraLen + commentLen;
  if (pos + r.Size > fileSize) return TRecordRead::Damaged;
  std::vector<uint8_t> rest(size_t(nameLen + extraLen + commentLen));
  if (!rest.empty() && !readAt(pos + int64_t(fixedSize), rest.data(), int64_t(rest.size())))
    return TRecordRead::Damaged;
  if (r.Class.Enciphered) {
    std::vector<uint8_t> both(r.Fixed.begin() + 4, r.Fixed.end());
    both.insert(both.end(), rest.begin(), rest.begin() + nameLen);
    if (!decipher(both.data(), both.size())) return TRecordRead::Damaged;
    std::copy(both.begin(), both.begin() + std::ptrdiff_t(body.size()), r.Fixed.begin() + 4);
    std::copy(both.begin() + std::ptrdiff_t(body.size()), both.end(), rest.begin());
  }
  r.Name.assign(rest.begin(), rest.begin() + nameLen);
  r.Extra.assign(rest.begin() + nameLen, rest.begin() + nameLen + extraLen);
  r.Comment.assign(rest.begin() + nameLen + extraLen, rest.end());
  return TRecordRead::Ok;
}

}  // namespace qel::zip
