#include "codecs/inflate/InflateWhole.h"

#include <libdeflate.h>

namespace qel {

namespace {

// One decoder per thread, made on first use: it holds its tables between calls.
class TThreadDecoder {
 public:
  ~TThreadDecoder() { libdeflate_free_decompressor(decoder_); }
  libdeflate_decompressor* Get() {
    if (!decoder_) decoder_ = libdeflate_alloc_decompressor();
    return decoder_;
  }

 private:
  libdeflate_decompressor* decoder_ = nullptr;
};

}  // namespace

bool InflateWhole(const uint8_t* input, size_t inputSize, uint8_t* output, size_t outputSize) {
  thread_local TThreadDecoder decoder;
  libdeflate_decompressor* d = decoder.Get();
  size_t made = 0;
  return d &&
         libdeflate_deflate_decompress(d, input, inputSize, output, outputSize, &made) ==
             LIBDEFLATE_SUCCESS &&
         made == outputSize;
}

}  // namespace qel
