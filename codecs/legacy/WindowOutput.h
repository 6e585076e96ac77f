// What the LZ77-style legacy decoders write through: a ring of the latest bytes for copies
// from a distance back (zeros before the data), and the output gathered into pieces for the
// sink. Nothing goes beyond the size asked for.
#pragma once

#include <cstdint>
#include <vector>

#include "codecs/io/CodecIo.h"

namespace qel {

class TWindowOutput {
 public:
  // `windowSize` is a power of two.
  TWindowOutput(size_t windowSize, const TCodecSink& sink, uint64_t size);

  bool Full() const { return delivered_ + out_.size() >= size_; }
  void Put(uint8_t c) {
    window_[at_] = c;
    at_ = (at_ + 1) & mask_;
    out_.push_back(c);
  }
  // Copies `length` bytes from `distance` back, as far as the size allows.
  void Copy(size_t distance, size_t length);
  // Hands the gathered bytes to the sink once they make a piece (all of them when `all`);
  // false when the sink refused them.
  bool Flush(bool all);
  uint64_t Delivered() const { return delivered_; }
  // Hands over the rest; answers the decoder's result with `status`, or Aborted.
  TDecodeResult Finish(TDecodeStatus status) {
    if (!Flush(true)) status = TDecodeStatus::Aborted;
    return {status, delivered_};
  }

 private:
  const TCodecSink& sink_;
  uint64_t size_;
  std::vector<uint8_t> window_;
  size_t mask_;
  size_t at_ = 0;
  std::vector<uint8_t> out_;
  uint64_t delivered_ = 0;
};

}  // namespace qel
