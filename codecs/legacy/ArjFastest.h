// ARJ method 4 ("fastest"): LZ77 in a 32 KB window, with no Huffman stage. Lengths and
// positions are written as a unary width (a run of 1 bits, capped) and that many raw bits,
// most-significant first.
#pragma once

#include <cstdint>

#include "codecs/io/CodecIo.h"

namespace qel {

// Decodes up to `size` bytes; stops there or where the input ends. The data has no end mark:
// every bit pattern decodes, so damage shows only in the check value.
TDecodeResult ArjFastest(const TCodecSource& source, const TCodecSink& sink, uint64_t size);

}  // namespace qel
