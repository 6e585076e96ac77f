// Stored data: passed from the source to the sink as it is, in pieces, until the source ends.
#pragma once

#include "codecs/io/CodecIo.h"

namespace qel {

TDecodeResult CopyStored(const TCodecSource& source, const TCodecSink& sink);

}  // namespace qel
