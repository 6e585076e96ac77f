#include "formats/zip/DecodeAhead.h"

#include <unistd.h>

#include "codecs/checksum/Crc.h"
#include "codecs/inflate/InflateWhole.h"
#include "engine/base/Bytes.h"
#include "formats/zip/EncryptionMethod.h"
#include "formats/zip/Records.h"

namespace qel {
namespace {

using namespace zip;

bool ReadAt(int handle, int64_t at, uint8_t* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::pread(handle, data, size, at);
    if (n <= 0) return false;
    data += n;
    size -= size_t(n);
    at += n;
  }
  return true;
}

TDecoded Decode(int handle, const TAheadEntry& e) {
  TDecoded result;
  uint8_t fixed[kLocalHeaderSize];
  // An enciphered header (another signature) is left to the reader.
  if (!ReadAt(handle, e.LocalPos, fixed, sizeof fixed) || GetU32(fixed) != kSigLocal) return result;
  const LocalHeader h = UnpackLocal(fixed);
  if ((h.Flags & kFlagEncrypted) || (h.Method != 0 && h.Method != 8)) return result;
  result.DataStart = e.LocalPos + int64_t(kLocalHeaderSize) + h.NameLength + h.ExtraLength;
  std::vector<uint8_t> packed(size_t(e.Packed));
  if (!ReadAt(handle, result.DataStart, packed.data(), packed.size())) return result;
  if (h.Method == 0) {
    if (e.Packed != e.Unpacked) return result;
    result.Data = std::move(packed);
  } else {
    result.Data.resize(size_t(e.Unpacked));
    if (!InflateWhole(packed.data(), packed.size(), result.Data.data(), result.Data.size()))
      return result;
  }
  result.Crc = Crc32(0, result.Data.data(), result.Data.size());
  result.Ok = true;
  return result;
}

}  // namespace

void DecodeAhead(TAheadWindow<TDecoded>& window, size_t index, int handle,
                 const TAheadEntry& entry) {
  window.Start(index, int64_t(entry.Packed + entry.Unpacked),
               [handle, entry] { return Decode(handle, entry); });
}

}  // namespace qel
