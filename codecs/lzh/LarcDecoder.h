// The two LZSS methods of the LArc archiver that LHA archives may hold: -lzs- (a 2 KB window;
// a flag bit, then a literal byte or an 11-bit position and a 4-bit length from 2) and -lz5-
// (a 4 KB window; a flag byte for each eight items, then a literal byte or a 12-bit position
// and a 4-bit length from 3). Positions are places in the window, not distances back, and
// the window starts out filled with patterns a match may copy from before any output.
#pragma once

#include <cstdint>

#include "codecs/lzh/LzhDecoder.h"
#include "codecs/io/CodecIo.h"

namespace qel {

enum class TLarcMethod : uint8_t { Lzs, Lz5 };

// Decodes `size` bytes of a -lzs- or -lz5- stream from `source` into `sink`.
TDecodeResult DecodeLarc(TLarcMethod method, const TCodecSource& source, const TCodecSink& sink,
                      uint64_t size);

}  // namespace qel
