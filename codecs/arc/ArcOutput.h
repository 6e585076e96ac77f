// Where the ARC decoders put their bytes: through the RLE90 expansion for the methods that
// pack before they compress (3, 4, 6, 7, 8), or as they come, gathered into pieces for the
// sink. Nothing goes beyond the size asked for.
#pragma once

#include <cstdint>
#include <vector>

#include "codecs/io/CodecIo.h"

namespace qel {

class TArcOutput {
 public:
  TArcOutput(bool rle, const TCodecSink& sink, uint64_t size);

  bool Full() const { return delivered_ + out_.size() >= size_; }
  // The bytes still to come. The stages ask for no more than this at a time, so that they do
  // not read far past what the output needs.
  uint64_t Room() const { return size_ - delivered_ - out_.size(); }
  void Put(uint8_t c) {
    if (rle_)
      Expand(c);
    else
      Emit(c);
  }
  // Hands the gathered bytes to the sink once they make a piece (all of them when `all`);
  // false when the sink refused them.
  bool Flush(bool all);
  // Hands over the rest. A decoder that saw its data end cleanly answers Ok, which stands
  // only when the whole size was produced.
  TDecodeResult Finish(TDecodeStatus status);

 private:
  void Emit(uint8_t c) {
    if (!Full()) out_.push_back(c);
  }
  void Expand(uint8_t c);

  const TCodecSink& sink_;
  uint64_t size_;
  bool rle_;
  bool repeat_ = false;  // the byte before was the 0x90 that starts a repeat
  uint8_t last_ = 0;     // the byte a repeat repeats
  std::vector<uint8_t> out_;
  uint64_t delivered_ = 0;
};

}  // namespace qel
