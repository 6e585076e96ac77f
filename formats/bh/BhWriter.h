// TBlakHole: the BH half of the compression pipeline. Each new entry's header is written
// first as a placeholder and completed in place once the data is written: Fuse (the LZH
// coder with a 16 KB dictionary), Deflate or BZIP2, or stored when that does not shrink
// the file; with a password the data is ZipCrypto-enciphered behind its 12-byte header.
// Kept entries are copied byte for byte, a renamed one under a header with its new name.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "codecs/crypto/ZipCrypto.h"
#include "engine/compress/CompBase.h"

namespace qel {

class TLzhEncoder;

class TBlakHole : public TCompBase {
 public:
  TBlakHole();
  ~TBlakHole() override;

 protected:
  bool ReadDirectory(TStream64& archive, TCompList& list) override;
  void WriteEntries(TStream64* archive, TStream64& out, TCompList& list) override;
  void WriteDirectory(TStream64& out, const TCompList& list) override;
  bool AcceptsMethod(TCompressMethod method) const override;

 private:
  struct TWritten {
    uint8_t Method;
    uint32_t Crc;  // of the data as read
  };

  bool CompressFile(TStream64& out, TCompEntry& e, int index, const TCompList& list);
  // Writes the file's data at the output's position with `method`, enciphered with `keys`
  // when there are any; stored instead when the method does not shrink the file.
  TWritten WriteData(TStream64& source, TStream64& out, uint8_t method,
                     const std::optional<TZipCryptoKeys>& keys, int64_t size);
  // Codes the file with Fuse; the CRC when the result is smaller than the file.
  std::optional<uint32_t> Fuse(TStream64& source, IByteSink& sink, int64_t size);
  void CopyKept(TStream64& archive, TStream64& out, const TCompEntry& e);

  // Kept from file to file: its tables are large, and a new stream needs no clearing.
  std::unique_ptr<TLzhEncoder> FEncoder;
};

}  // namespace qel
