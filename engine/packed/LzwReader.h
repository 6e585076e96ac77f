// The data of a Unix `compress` (.Z) file. It has no check of its own: data that decodes
// to its end counts as intact.
#pragma once

#include <memory>

#include "codecs/lzw/LzwDecompressStream.h"
#include "engine/packed/PackedStream.h"

namespace qel {

class TLzwReader : public TFedPackedStream {
 public:
  explicit TLzwReader(TStream64& file) : TFedPackedStream(file), lzw_(Source) {}

 protected:
  int64_t Decode(uint8_t* buffer, int64_t count) override;

 private:
  TLzwDecompressStream lzw_;
};

// A reader for the .Z file `file`; null, with the message number in `refusal`, when its
// flag byte asks for what no `compress` writes.
std::unique_ptr<TPackedStream> OpenLzw(TStream64& file, int& refusal);

}  // namespace qel
