// Unreduce: ZIP methods 2 to 5 (compression factors 1 to 4). Bytes come through "follower
// sets", up to 32 likely successors of each byte value, read least-significant bit first;
// the bytes then pass a DLE (144) machine that turns escapes into repeats of up to 4 KB back.
#pragma once

#include <cstdint>

#include "codecs/io/CodecIo.h"

namespace qel {

// Decodes up to `size` bytes with factor `factor` (1 to 4); stops there or where the input
// ends: the padding bits of the last byte never grow the output. A follower set of more than
// 32 bytes, or a follower index past its set, is Corrupt.
TDecodeResult Unreduce(int factor, const TCodecSource& source, const TCodecSink& sink,
                       uint64_t size);

}  // namespace qel
