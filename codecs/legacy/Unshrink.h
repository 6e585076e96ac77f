// Unshrink: ZIP method 1, an LZW code of 9 to 13 bits read least-significant bit first, with
// a control code (256) that widens the code by a bit (256, 1) or frees every table node that
// is no other node's prefix (256, 2). New strings take the lowest free node, so that after a
// partial clear the freed nodes are handed out again in ascending order.
#pragma once

#include <cstdint>

#include "codecs/io/CodecIo.h"

namespace qel {

// Decodes up to `size` bytes; stops there or where the input ends. A control code other
// than 1 or 2, a width past 13 bits, a first code that is no byte, a string through a free
// node or one longer than the table are Corrupt.
TDecodeResult Unshrink(const TCodecSource& source, const TCodecSink& sink, uint64_t size);

}  // namespace qel
