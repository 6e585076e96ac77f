// A whole bzip2 run decoded into a sink: a ZIP entry of method 12, a .bz2 file, a BH entry.
#pragma once

#include <cstdint>

#include "codecs/io/CodecIo.h"

namespace qel {

// Decodes up to `expectedSize` bytes (all of them with UINT64_MAX), one stream after another;
// stops there or where the data ends. A data that ends cleanly before the size is Ok with
// less decoded; damaged data is Corrupt, input that ends inside a stream UnexpectedEnd. What
// was decoded before either reached the sink. libbz2 failing (memory) raises an Ebz2Error.
TDecodeResult Bz2Decode(const TCodecSource& source, const TCodecSink& sink, uint64_t expectedSize);

}  // namespace qel
