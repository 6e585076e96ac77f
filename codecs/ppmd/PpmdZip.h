// PPMd variant I revision 1 as ZIP method 98 stores it: a two-byte little-endian parameter
// word (order - 1 in bits 0-3, model memory in MB - 1 in bits 4-11, restore method in bits
// 12-15), then the range coder's bytes, closed by the end mark.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "codecs/io/ByteIo.h"
#include "codecs/io/CodecIo.h"
#include "codecs/io/DataCipher.h"
#include "codecs/ppmd/PpmdModel.h"
#include "codecs/ppmd/PpmdRangeCoder.h"

namespace qel {

struct TPpmdParams {
  unsigned Order = 16;
  unsigned MemoryMB = 64;
  ppmd::TRestore Restore = ppmd::TRestore::Restart;

  uint16_t Word() const;
  // Null for an order below 2 or a restore method above 2. Method 2 ("freeze") is read as
  // cut-off, as the common decoders do.
  static std::optional<TPpmdParams> FromWord(uint16_t word);
};

// The model with its memory, kept by a reader or writer from entry to entry: the memory
// block is allocated again only when an entry asks for another size.
using TPpmdState = std::unique_ptr<ppmd::TPpmdModel>;

// Reads the parameter word and decodes up to `size` bytes; stops there, at the end mark or
// where the input ends. A word that cannot be used, memory that cannot be had, or a code no
// encoder makes are Corrupt.
TDecodeResult PpmdDecode(TPpmdState& state, const TCodecSource& source, const TCodecSink& sink,
                         uint64_t size);

// The writer's stream: the parameter word, then the coded input; output is enciphered (for
// an encrypted entry) and passed on in pieces of kPiece bytes.
class TPpmdCompressStream : public IByteSink {
 public:
  static constexpr size_t kPiece = 32768;

  // The model's memory is allocated here; check Failed() before writing. Without a cipher
  // the CRC of the input is taken here.
  TPpmdCompressStream(IByteSink& destination, TPpmdState& state, const TPpmdParams& params,
                      IDataCipher* cipher = nullptr);
  // Answers count once all of it was coded, else 0.
  int64_t Write(const void* buffer, int64_t count) override;
  // Codes the end mark and writes the rest. False when a write failed.
  bool Finish();

  bool Failed() const { return failed_; }
  uint32_t CRC() const { return crc_; }

 private:
  bool Drain(bool all);

  IByteSink& destination_;
  ppmd::TPpmdModel* model_ = nullptr;
  IDataCipher* cipher_;
  std::unique_ptr<uint8_t[]> out_;
  ppmd::TRangeEncoder rc_;
  uint32_t crc_ = 0;
  bool failed_ = false;
  bool finished_ = false;
};

}  // namespace qel
