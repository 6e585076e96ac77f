// ZOO's LZW (method 1): codes of 9 up to 13 bits, least-significant bit first, with no
// groups; 256 clears the table, 257 ends the data, and strings are added from 258 on.
#pragma once

#include <cstdint>

#include "codecs/io/CodecIo.h"

namespace qel {

// Decodes up to `size` bytes; stops there, at the end code, or where the input ends. A code
// past the next free one, or no byte where one must follow a clear, is Corrupt.
TDecodeResult ZooLzw(const TCodecSource& source, const TCodecSink& sink, uint64_t size);

}  // namespace qel
