// The ARC decoders behind DecodeArc, each writing through the entry's output (which does the
// RLE90 stage). Each answers Ok where its data ended cleanly, or the failure.
#pragma once

#include "codecs/arc/ArcDecoder.h"
#include "codecs/arc/ArcOutput.h"

namespace qel {

// Method 4: the decode tree, then Huffman codes read least-significant bit first.
TDecodeStatus Unsqueeze(const TCodecSource& source, TArcOutput& out, TArcDecodeError& why);

// Methods 5 to 7: 12-bit codes over the hashed string table; `newHash` for method 7.
TDecodeStatus Uncrunch(bool newHash, const TCodecSource& source, TArcOutput& out,
                       TArcDecodeError& why);

// Methods 8 and 9: compress's LZW in block mode, to 12 bits after a width byte (8) or to 13
// bits without one (9).
TDecodeStatus ArcLzw(int method, const TCodecSource& source, TArcOutput& out, TArcDecodeError& why);

}  // namespace qel
