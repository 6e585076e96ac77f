// Reading one central or local record from an archive volume with every length checked
// against the file first, deciphering records written with enciphered headers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/base/Bytes.h"
#include "formats/zip/HeaderCipher.h"
#include "formats/zip/Records.h"

namespace qel {
class TStream64;
}

namespace qel::zip {

struct TRecordBytes {
  SignatureClass Class;
  std::vector<uint8_t> Fixed;  // the fixed part, deciphered
  std::string Name;            // deciphered
  std::vector<uint8_t> Extra;
  std::string Comment;
  int64_t Size = 0;  // bytes from the signature to the end of the comment
};

enum class TRecordRead { Ok, NotThisRecord, Damaged };

// Reads the record of `kind` (Local or Central) at `pos` of a file of `fileSize` bytes.
// Every length is checked against the file before anything is read.
TRecordRead ReadZipRecord(const TReadAt& readAt, int64_t fileSize, int64_t pos, RecordKind kind,
                          const THeaderDecipher& decipher, TRecordBytes& r);
// The same from a stream (an archive volume, a gathered directory).
TRecordRead ReadZipRecord(TStream64& file, int64_t pos, RecordKind kind,
                          const THeaderDecipher& decipher, TRecordBytes& r);

}  // namespace qel::zip
