// The data of a BZIP2 file: every stream in it, one after the other, each block checked
// against its CRC by libbz2.
#pragma once

#include "codecs/bzip2/BzDecompressStream.h"
#include "engine/packed/PackedStream.h"

namespace qel {

class TBzip2Reader : public TFedPackedStream {
 public:
  explicit TBzip2Reader(TStream64& file) : TFedPackedStream(file), bz_(Source) {}

 protected:
  int64_t Decode(uint8_t* buffer, int64_t count) override;

 private:
  TBzDecompressStream bz_;
};

}  // namespace qel
